#include "BusyCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace velmora::connection {

void showHourglass() {
    if (QGuiApplication::overrideCursor())
        QGuiApplication::changeOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void showArrow() {
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

} // namespace velmora::connection
