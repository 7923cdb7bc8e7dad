#pragma once
// The editor's text (one char32_t per character) to and from Qt's strings.
#include <QList>
#include <QString>
#include <string>
#include <string_view>

namespace memo {

inline QString ToQString(std::u32string_view Text) {
    return QString::fromUcs4(Text.data(), static_cast<qsizetype>(Text.size()));
}

inline std::u32string ToU32(const QString& Text) {
    QList<uint> codes = Text.toUcs4();
    return std::u32string(codes.begin(), codes.end());
}

} // namespace memo
