#pragma once
// For tests of the main window while it waits for a server: paints counted, Escape delivered as
// the window system does, and the status bar's progress label.
#include "PaintCounter.h"
#include "StatusBar.h"
#include "untMain.h"

#include <QEvent>
#include <QLabel>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

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
