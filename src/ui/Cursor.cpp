#include "Cursor.h"

#include <QCursor>
#include <QGuiApplication>

void SetHourglassCursor() {
    if (!HourglassCursorShown())
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void SetArrowCursor() {
    while (QGuiApplication::overrideCursor() != nullptr)
        QGuiApplication::restoreOverrideCursor();
}

bool HourglassCursorShown() {
    return QGuiApplication::overrideCursor() != nullptr;
}
