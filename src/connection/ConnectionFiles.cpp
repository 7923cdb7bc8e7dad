#include "ConnectionFiles.h"

#include "DataLinkFile.h"
#include "SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

QStringList ConnectionFileNames(const QString& Directory) {
    const QDir directory(Directory);
    QStringList names = directory.entryList({"*.udl"}, QDir::Files | QDir::Hidden, QDir::Unsorted);
    // Regular files (and links to them) only: reading a pipe or a device named *.udl would hang
    // or never end. The directory listing keeps links to such files, so each name is checked.
    names.removeIf([&](const QString& Name) { return !QFileInfo(directory, Name).isFile(); });
    return names;
}

QString MenuCaptionFor(const QString& FileName) {
    return QString(FileName).replace("&", "&&");
}

QString FileNameOfMenuCaption(const QString& Caption) {
    return QString(Caption).replace("&&", "&");
}

bool HoldsConnectionString(const QString& Path) {
    const std::string bytes = velmora::files::ReadRegularFile(QFile::encodeName(Path).toStdString(),
                                                              velmora::ado::maxDataLinkFileBytes);
    // Lines end at LF; a last line needs no line break of its own.
    auto lines = std::count(bytes.begin(), bytes.end(), '\n');
    if (!bytes.empty() && bytes.back() != '\n')
        ++lines;
    return lines > 2;
}
