#include "ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

void CentreOnScreen(QWidget* Window, const QWidget* Owner) {
    const QScreen* screen = Owner != nullptr ? Owner->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    Window->setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, Window->size(),
                                            screen->availableGeometry()));
}
