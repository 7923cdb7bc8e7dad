#include "ServerHistory.h"

#include "FolderLock.h"
#include "SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <stdexcept>

namespace {

using velmora::files::ReadRegularFile;

// A few hundred names fit in a few kilobytes; anything this large is not a server history.
constexpr std::size_t MaxServerHistoryBytes = 4 << 20;

std::string NativePath(const QString& Path) {
    return QFile::encodeName(Path).toStdString();
}

// Names are written as UTF-8; a file written by other tools may hold 8-bit Windows text.
QString DecodeText(const QByteArray& Bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(Bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(Bytes);
}

QStringList SplitLines(QString Text) {
    Text.replace("\r\n", "\n").replace('\r', '\n');
    if (Text.endsWith('\n'))
        Text.chop(1);
    if (Text.isEmpty())
        return {};
    return Text.split('\n');
}

} // namespace

QString ServerHistoryPath() {
    return QDir::current().filePath("conhist.dat");
}

void CheckServerName(const QString& Name) {
    if (Name.contains('\r') || Name.contains('\n'))
        throw std::runtime_error("A server name cannot hold a line break.");
}

QStringList ReadServerHistory(const QString& Path) {
    if (!QFile::exists(Path))
        return {};
    return SplitLines(DecodeText(
        QByteArray::fromStdString(ReadRegularFile(NativePath(Path), MaxServerHistoryBytes))));
}

void RecordServer(const QString& Path, const QStringList& Known, const QString& Name) {
    CheckServerName(Name);
    if (Known.contains(Name, Qt::CaseSensitive))
        return;
    const velmora::files::TFolderLock lock(NativePath(QFileInfo(Path).absolutePath()));
    std::string content =
        QFile::exists(Path) ? ReadRegularFile(NativePath(Path), MaxServerHistoryBytes) : "";
    // Another program may have recorded it since Known was read.
    if (SplitLines(DecodeText(QByteArray::fromStdString(content)))
            .contains(Name, Qt::CaseSensitive))
        return;
    // A file edited by hand may lack its last line break; the new name must not join that line.
    if (!content.empty() && content.back() != '\n')
        content += "\r\n";
    content += Name.toUtf8().toStdString() + "\r\n";
    velmora::files::WriteFileAtomically(NativePath(Path), content,
                                        velmora::files::TNewFileMode::nfmShared);
}
