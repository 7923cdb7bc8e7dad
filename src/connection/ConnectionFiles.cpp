#include "ConnectionFiles.h"

#include "FileError.h"

#include <QDir>
#include <QFile>

QStringList ConnectionFileNames(const QString& Directory) {
    return QDir(Directory).entryList({"*.udl"}, QDir::Files | QDir::Hidden | QDir::System,
                                     QDir::Unsorted);
}

QString MenuCaptionFor(const QString& FileName) {
    return QString(FileName).replace("&", "&&");
}

QString FileNameOfMenuCaption(const QString& Caption) {
    return QString(Caption).replace("&&", "&");
}

bool HoldsConnectionString(const QString& Path) {
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly))
        FileError(file, "open");
    // Lines end at LF; a last line needs no line break of its own.
    const QByteArray bytes = file.readAll();
    qsizetype lines = bytes.count('\n');
    if (!bytes.isEmpty() && !bytes.endsWith('\n'))
        ++lines;
    return lines > 2;
}
