#include "ConnectionFiles.h"

#include "DataLinkFile.h"
#include "FileOwnership.h"
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

QString ConnectionFileWarning(const QString& Path, const QString& FileName) {
    const auto foreign = velmora::files::ForeignFile(QFile::encodeName(Path).toStdString());
    if (!foreign)
        return {};
    const QString owner = QString::fromStdString(foreign->Owner);
    QString problem;
    if (foreign->OwnedByOther && foreign->WritableByOthers)
        problem = QString("belongs to %1, not to you, and other users can change it").arg(owner);
    else if (foreign->OwnedByOther)
        problem = QString("belongs to %1, not to you").arg(owner);
    else
        problem = QString("can be changed by other users (it belongs to %1)").arg(owner);
    return QString("The connection file \"%1\" %2. Whoever can change it chooses the server, the "
                   "login and the driver settings you connect with. Connect through it anyway?")
        .arg(FileName, problem);
}
