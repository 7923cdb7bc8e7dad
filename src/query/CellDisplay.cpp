#include "CellDisplay.h"

#include "Field.h"

namespace velmora::query {

namespace {

const QChar Ellipsis(0x2026);
const QChar Pilcrow(0x00B6);

bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// A prefix long enough for the characters shown (a character takes at most 4 bytes), ending
// on a character boundary.
std::string_view Utf8Prefix(std::string_view Utf8, size_t MaxBytes) {
    if (Utf8.size() <= MaxBytes)
        return Utf8;
    size_t end = MaxBytes;
    while (end > 0 && IsUtf8Continuation(Utf8[end]))
        --end;
    return Utf8.substr(0, end);
}

} // namespace

QString ShortText(std::string_view Utf8) {
    const std::string_view prefix = Utf8Prefix(Utf8, 4 * (ShownTextCharacters + 1));
    QString text = QString::fromUtf8(prefix.data(), static_cast<qsizetype>(prefix.size()));
    bool cut = prefix.size() < Utf8.size();
    if (text.size() > ShownTextCharacters) {
        text.truncate(ShownTextCharacters);
        cut = true;
    }
    text.replace(QLatin1String("\r\n"), QString(Pilcrow));
    text.replace(QLatin1Char('\r'), Pilcrow).replace(QLatin1Char('\n'), Pilcrow);
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return cut ? text + Ellipsis : text;
}

QString WholeTextTip(std::string_view Utf8) {
    const bool shortened = Utf8.size() > static_cast<size_t>(ShownTextCharacters) ||
                           Utf8.find_first_of("\r\n\t") != std::string_view::npos;
    if (!shortened)
        return {};
    const std::string_view prefix = Utf8Prefix(Utf8, 4 * (ToolTipCharacters + 1));
    QString text = QString::fromUtf8(prefix.data(), static_cast<qsizetype>(prefix.size()));
    if (text.size() > ToolTipCharacters) {
        text.truncate(ToolTipCharacters);
        text += Ellipsis;
    }
    // Rich text: the tooltip wraps it at its width, where plain text would stretch one line.
    text = text.toHtmlEscaped();
    text.replace(QLatin1String("\r\n"), QLatin1String("<br>"));
    text.replace(QLatin1Char('\r'), QLatin1String("<br>"));
    text.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    return QLatin1String("<p>") + text + QLatin1String("</p>");
}

QString ShortBinary(std::string_view Bytes) {
    const bool cut = Bytes.size() > static_cast<size_t>(ShownBinaryBytes);
    const std::string_view shown = Bytes.substr(0, ShownBinaryBytes);
    QString text = QString::fromStdString(ado::bytesToHex(shown));
    if (cut)
        text += Ellipsis + QStringLiteral(" (%1 bytes)").arg(Bytes.size());
    return text;
}

} // namespace velmora::query
