#include "ServerHistory.h"

#include "FileError.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

namespace {

// Names are written as UTF-8; a file written by other tools may hold 8-bit Windows text.
QString DecodeText(const QByteArray& Bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(Bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(Bytes);
}

} // namespace

QString ServerHistoryPath() {
    return QDir::current().filePath("conhist.dat");
}

QStringList ReadServerHistory(const QString& Path) {
    QFile file(Path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        FileError(file, "read");
    QString text = DecodeText(file.readAll());
    text.replace("\r\n", "\n").replace('\r', '\n');
    if (text.endsWith('\n'))
        text.chop(1);
    if (text.isEmpty())
        return {};
    return text.split('\n');
}

void RecordServer(const QString& Path, const QStringList& Known, const QString& Name) {
    QFile file(Path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append))
        FileError(file, "write");
    if (Known.contains(Name, Qt::CaseSensitive))
        return;
    QByteArray line = Name.toUtf8() + "\r\n";
    // A file edited by hand may lack its last line break; the new name must not join that line.
    if (file.size() > 0 && file.seek(file.size() - 1) && file.read(1) != "\n")
        line.prepend("\r\n");
    if (file.write(line) != line.size() || !file.flush())
        FileError(file, "write");
}
