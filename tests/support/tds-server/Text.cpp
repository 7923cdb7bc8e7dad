#include "Text.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace velmora::tds {

namespace {

constexpr char32_t replacement = 0xFFFD;

// Decodes one character at `pos`, moving past it.
char32_t nextUtf8(std::string_view text, size_t& pos) {
    const auto byte = [&](size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(pos);
    int extra = 0;
    char32_t code = 0;
    if (lead < 0x80)
        return ++pos, lead;
    if ((lead & 0xE0) == 0xC0)
        extra = 1, code = lead & 0x1F;
    else if ((lead & 0xF0) == 0xE0)
        extra = 2, code = lead & 0x0F;
    else if ((lead & 0xF8) == 0xF0)
        extra = 3, code = lead & 0x07;
    else
        return ++pos, replacement;
    if (pos + static_cast<size_t>(extra) >= text.size())
        return pos = text.size(), replacement;
    for (int i = 1; i <= extra; ++i) {
        const unsigned char next = byte(pos + static_cast<size_t>(i));
        if ((next & 0xC0) != 0x80)
            return pos += static_cast<size_t>(i), replacement;
        code = code << 6 | (next & 0x3F);
    }
    pos += static_cast<size_t>(extra) + 1;
    return code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ? replacement : code;
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Windows-1252's characters 0x80 to 0x9F; 0 where the code page has none.
constexpr std::array<char16_t, 32> cp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

std::string utf8ToUtf16(std::string_view utf8) {
    // n bytes of UTF-8 are at most n UTF-16 units.
    std::string out(utf8.size() * 2, '\0');
    char* at = out.data();
    const auto unit = [&at](char32_t value) {
        *at++ = static_cast<char>(value & 0xFF);
        *at++ = static_cast<char>(value >> 8);
    };
    for (size_t pos = 0; pos < utf8.size();) {
        if (static_cast<unsigned char>(utf8[pos]) < 0x80) {
            unit(static_cast<unsigned char>(utf8[pos++]));
            continue;
        }
        const char32_t code = nextUtf8(utf8, pos);
        if (code >= 0x10000) {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            unit(code);
        }
    }
    out.resize(static_cast<size_t>(at - out.data()));
    return out;
}

std::string utf16ToUtf8(std::string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    const size_t units = utf16.size() / 2;
    const auto unit = [&](size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(utf16[2 * i]) |
                                     static_cast<unsigned char>(utf16[2 * i + 1]) << 8);
    };
    for (size_t i = 0; i < units; ++i) {
        const char16_t first = unit(i);
        if (first >= 0xD800 && first <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 &&
            unit(i + 1) <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((char32_t{first} - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else if (first >= 0xD800 && first <= 0xDFFF) {
            appendUtf8(out, replacement);
        } else {
            appendUtf8(out, first);
        }
    }
    return out;
}

std::string utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) {
        const char32_t code = nextUtf8(utf8, pos);
        if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
            out += static_cast<char>(code);
            continue;
        }
        const auto found = std::find(cp1252High.begin(), cp1252High.end(), code);
        out += code != 0 && found != cp1252High.end()
                   ? static_cast<char>(0x80 + (found - cp1252High.begin()))
                   : '?';
    }
    return out;
}

std::string cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte < 0xA0)
            appendUtf8(out, cp1252High[byte - 0x80] != 0 ? cp1252High[byte - 0x80] : replacement);
        else
            appendUtf8(out, byte);
    }
    return out;
}

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && lowerAscii(a) == lowerAscii(b);
}

} // namespace velmora::tds
