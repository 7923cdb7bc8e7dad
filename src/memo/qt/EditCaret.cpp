#include "EditCaret.h"

#include <QApplication>
#include <QPainter>
#include <QTimerEvent>

namespace memo {

TEditCaret::TEditCaret(std::function<void(const QRect&)> Update) : FUpdate(std::move(Update)) {}

void TEditCaret::Create(int Width, int Height) {
    Destroy();
    FRect.setSize(QSize(Width, Height));
    FExists = true;
}

void TEditCaret::Destroy() {
    Hide();
    FExists = false;
}

void TEditCaret::Show() {
    if (!FExists || FShown)
        return;
    FShown = true;
    RestartBlink();
}

void TEditCaret::Hide() {
    if (!FShown)
        return;
    FShown = false;
    FBlink.stop();
    Refresh();
}

void TEditCaret::MoveTo(int X, int Y) {
    if (FRect.topLeft() == QPoint(X, Y))
        return;
    Refresh();
    FRect.moveTo(X, Y);
    if (FShown)
        RestartBlink();
}

void TEditCaret::RestartBlink() {
    FLit = true;
    Refresh();
    int flash = QApplication::cursorFlashTime();
    if (flash > 0)
        FBlink.start(flash / 2, this);
    else
        FBlink.stop();
}

void TEditCaret::timerEvent(QTimerEvent* Event) {
    if (Event->timerId() != FBlink.timerId()) {
        QObject::timerEvent(Event);
        return;
    }
    FLit = !FLit;
    Refresh();
}

void TEditCaret::Paint(QPainter& Painter) const {
    if (!Lit())
        return;
    Painter.save();
    Painter.setCompositionMode(QPainter::CompositionMode_Difference);
    Painter.fillRect(FRect, Qt::white);
    Painter.restore();
}

} // namespace memo
