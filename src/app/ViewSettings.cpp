#include "ViewSettings.h"

#include "SafeFile.h"

#include <QDir>
#include <QFile>

namespace {

constexpr const char* LineNumbersOff = "LineNumbers=0\n";
constexpr const char* LineNumbersOn = "LineNumbers=1\n";

std::string SettingsPath() {
    return QFile::encodeName(QDir::current().filePath("view.dat")).toStdString();
}

} // namespace

bool RememberedLineNumbers() {
    try {
        return velmora::files::ReadRegularFile(SettingsPath(), 1024) != LineNumbersOff;
    } catch (const velmora::files::EFileError&) {
        return true; // none yet, or not a file the program reads: the default
    }
}

void RememberLineNumbers(bool Shown) {
    velmora::files::WriteFileAtomically(SettingsPath(), Shown ? LineNumbersOn : LineNumbersOff,
                                        velmora::files::TNewFileMode::nfmShared);
}
