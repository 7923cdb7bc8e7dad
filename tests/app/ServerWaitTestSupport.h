#pragma once
// For tests of the main window while it waits for a server: paints counted, Escape delivered as
// the window system does, and the status bar's progress label.
#include "StatusBar.h"
#include "untMain.h"

#include <QEvent>
#include <QLabel>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

// Watches a widget and everything in it for paint events.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget* Widget) {
        Widget->installEventFilter(this);
        for (QWidget* child : Widget->findChildren<QWidget*>())
            child->installEventFilter(this);
    }
    int Paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* Event) override {
        Paints += Event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// Escape as the window system delivers it: through the event queue, as a running wait sees it.
inline void PressEscape(QWidget* Window) {
    QWindow* window = Window->windowHandle();
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
}

inline QLabel* ServerWaitLabel(const TfrmMain& Window) {
    return Window.StatusBar1->findChild<QLabel*>("lblServerWait");
}
