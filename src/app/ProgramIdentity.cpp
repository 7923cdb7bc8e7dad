#include "ProgramIdentity.h"

#include <QApplication>
#include <QDirIterator>

QIcon ProgramIcon() {
    // The sizes rendered from the drawing at build time, as the icon theme holds them when
    // installed: hicolor/<n>x<n>/apps/<id>.png.
    QIcon icon;
    QDirIterator sizes(":/icons/hicolor", {QString(DesktopId) + ".png"}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (sizes.hasNext())
        icon.addFile(sizes.next());
    return icon;
}

void SetProgramIdentity() {
    QApplication::setApplicationName(ProgramName);
    QApplication::setApplicationVersion(ProgramVersion);
    // On Wayland the compositor finds the window's desktop entry, and so its icon, by this name.
    QGuiApplication::setDesktopFileName(DesktopId);
    QApplication::setWindowIcon(ProgramIcon());
}
