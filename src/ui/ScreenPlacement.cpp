#include "ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

void CentreOnScreen(QWidget* Window, const QWidget* Owner) {
    const QScreen* screen = Owner != nullptr ? Owner->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    Window->setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, Window->size(),
                                            screen->availableGeometry()));
}

void PlaceBesideOwner(QWidget* Tool, const QWidget* Owner, int Top, const QWidget* Above) {
    const QScreen* screen = Owner->screen();
    if (screen == nullptr)
        return;
    const QRect available = screen->availableGeometry();
    const QRect owner = Owner->frameGeometry();
    const QSize size = Tool->frameGeometry().size();
    int x = owner.right() + 1;
    if (x + size.width() > available.right() + 1) {
        x = owner.left() - size.width();
        if (x < available.left())
            x = std::max(available.left(), owner.right() + 1 - size.width());
    }
    int y = std::max(Top, available.top());
    if (Above != nullptr && Above->isVisible() &&
        Above->frameGeometry().bottom() + size.height() <= available.bottom())
        y = std::max(y, Above->frameGeometry().bottom() + 1);
    Tool->move(x, y);
}
