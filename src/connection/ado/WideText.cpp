#include "WideText.h"

#include <algorithm>

namespace velmora::ado {

namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Decodes one code point from UTF-8 at text[pos], advancing pos; malformed input yields U+FFFD.
char32_t decodeUtf8(std::string_view text, size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80)
        return lead;
    int extra = 0;
    char32_t code = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        code = lead & 0x07;
    } else {
        return replacementCharacter;
    }
    for (int i = 0; i < extra; ++i) {
        if (pos >= text.size() || (static_cast<unsigned char>(text[pos]) & 0xC0) != 0x80)
            return replacementCharacter;
        code = (code << 6) | (static_cast<unsigned char>(text[pos++]) & 0x3F);
    }
    const bool overlong = (extra == 1 && code < 0x80) || (extra == 2 && code < 0x800) ||
                          (extra == 3 && code < 0x10000);
    if (overlong || code > 0x10FFFF || isHighSurrogate(code) || isLowSurrogate(code))
        return replacementCharacter;
    return code;
}

size_t encodeUtf8(char32_t code, char* out) {
    if (code < 0x80) {
        out[0] = static_cast<char>(code);
        return 1;
    }
    if (code < 0x800) {
        out[0] = static_cast<char>(0xC0 | (code >> 6));
        out[1] = static_cast<char>(0x80 | (code & 0x3F));
        return 2;
    }
    if (code < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (code >> 12));
        out[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (code & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (code >> 18));
    out[1] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (code & 0x3F));
    return 4;
}

} // namespace

SqlWString toSqlWide(std::string_view utf8) {
    SqlWString result;
    result.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t code = decodeUtf8(utf8, pos);
        if (code >= 0x10000) {
            const char32_t offset = code - 0x10000;
            result.push_back(static_cast<SQLWCHAR>(0xD800 + (offset >> 10)));
            result.push_back(static_cast<SQLWCHAR>(0xDC00 + (offset & 0x3FF)));
        } else {
            result.push_back(static_cast<SQLWCHAR>(code));
        }
    }
    return result;
}

size_t utf16ToUtf8(const SQLWCHAR* text, size_t units, char* out) {
    char* const start = out;
    for (size_t i = 0; i < units; ++i) {
        char32_t code = text[i];
        if (code < 0x80) {
            *out++ = static_cast<char>(code);
            continue;
        }
        if (isHighSurrogate(code) && i + 1 < units && isLowSurrogate(text[i + 1])) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (isHighSurrogate(code) || isLowSurrogate(code)) {
            code = replacementCharacter;
        }
        out += encodeUtf8(code, out);
    }
    return static_cast<size_t>(out - start);
}

std::string fromSqlWide(const SQLWCHAR* text, size_t units) {
    std::string result(units * 3, '\0');
    result.resize(utf16ToUtf8(text, units, result.data()));
    return result;
}

std::string fromSqlWideBuffer(const SQLWCHAR* buffer, size_t capacity, size_t reportedUnits) {
    const size_t limit = std::min(reportedUnits, capacity > 0 ? capacity - 1 : 0);
    const size_t units =
        static_cast<size_t>(std::find(buffer, buffer + limit, SQLWCHAR{0}) - buffer);
    return fromSqlWide(buffer, units);
}

std::string fromSqlWide(const SqlWString& text) {
    return fromSqlWide(text.data(), text.size());
}

} // namespace velmora::ado
