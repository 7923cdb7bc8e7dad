#include "TextEncodings.h"

#include "HugePages.h"

#include <array>
#include <cstdio>
#include <optional>
#include <stdexcept>

namespace velmora::files {

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view Utf16LEBom = "\xFF\xFE";
constexpr std::string_view Utf16BEBom = "\xFE\xFF";

// Windows-1252 bytes 0x80 … 0x9F. The five it leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// map to the C1 control characters of the same number, as the WHATWG encoding standard does.
constexpr std::array<char32_t, 32> Windows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsScalarValue(char32_t C) {
    return C <= 0x10FFFF && (C < 0xD800 || C > 0xDFFF);
}

std::optional<unsigned char> Windows1252ByteOf(char32_t C) {
    if (C < 0x80 || (C >= 0xA0 && C <= 0xFF))
        return static_cast<unsigned char>(C);
    for (std::size_t i = 0; i < Windows1252High.size(); ++i)
        if (Windows1252High[i] == C)
            return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}

bool CanEncode(char32_t C, TTextEncoding Encoding) {
    return Encoding == TTextEncoding::teWindows1252 ? Windows1252ByteOf(C).has_value()
                                                    : IsScalarValue(C);
}

[[noreturn]] void Unencodable(char32_t C, TTextEncoding Encoding) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04lX", static_cast<unsigned long>(C));
    throw std::invalid_argument(std::string(code) + " cannot be written in " +
                                EncodingName(Encoding));
}

// An empty text with room for Capacity characters, in huge pages where it is big.
std::u32string NewText(std::size_t Capacity) {
    std::u32string text;
    text.reserve(Capacity);
    AdviseHugePages(text.data(), text.capacity() * sizeof(char32_t));
    return text;
}

// Keeps the characters in Out when it is given; else only checks the bytes.
bool DecodeUtf8(std::string_view Bytes, std::u32string* Out) {
    auto keep = [Out](char32_t C) {
        if (Out != nullptr)
            Out->push_back(C);
    };
    std::size_t i = 0;
    while (i < Bytes.size()) {
        const auto lead = static_cast<unsigned char>(Bytes[i]);
        if (lead < 0x80) {
            keep(lead);
            ++i;
            continue;
        }
        std::size_t length = 0;
        char32_t c = 0;
        char32_t smallest = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2, c = lead & 0x1F, smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, c = lead & 0x0F, smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, c = lead & 0x07, smallest = 0x10000;
        } else {
            return false;
        }
        if (Bytes.size() - i < length)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(Bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (next & 0x3F);
        }
        // Overlong forms and surrogates would not come back as the same bytes.
        if (c < smallest || !IsScalarValue(c))
            return false;
        keep(c);
        i += length;
    }
    return true;
}

bool DecodeUtf16(std::string_view Bytes, bool BigEndian, std::u32string* Out) {
    if (Bytes.size() % 2 != 0)
        return false;
    auto keep = [Out](char32_t C) {
        if (Out != nullptr)
            Out->push_back(C);
    };
    auto unit = [&](std::size_t i) -> char32_t {
        const auto first = static_cast<unsigned char>(Bytes[i]);
        const auto second = static_cast<unsigned char>(Bytes[i + 1]);
        return BigEndian ? (first << 8) | second : (second << 8) | first;
    };
    for (std::size_t i = 0; i < Bytes.size(); i += 2) {
        const char32_t c = unit(i);
        if (c < 0xD800 || c > 0xDFFF) {
            keep(c);
            continue;
        }
        if (c > 0xDBFF || i + 3 >= Bytes.size())
            return false;
        const char32_t low = unit(i + 2);
        if (low < 0xDC00 || low > 0xDFFF)
            return false;
        keep(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
    }
    return true;
}

std::u32string DecodeWindows1252(std::string_view Bytes, std::size_t Spare) {
    std::u32string text = NewText(Bytes.size() + Spare);
    text.resize(Bytes.size());
    for (std::size_t i = 0; i < Bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(Bytes[i]);
        text[i] = byte >= 0x80 && byte < 0xA0 ? Windows1252High[byte - 0x80] : char32_t{byte};
    }
    return text;
}

void AppendUtf8(char32_t C, std::string& Out) {
    if (C < 0x80) {
        Out.push_back(static_cast<char>(C));
    } else if (C < 0x800) {
        Out.push_back(static_cast<char>(0xC0 | (C >> 6)));
        Out.push_back(static_cast<char>(0x80 | (C & 0x3F)));
    } else if (C < 0x10000) {
        if (!IsScalarValue(C))
            Unencodable(C, TTextEncoding::teUtf8);
        Out.push_back(static_cast<char>(0xE0 | (C >> 12)));
        Out.push_back(static_cast<char>(0x80 | ((C >> 6) & 0x3F)));
        Out.push_back(static_cast<char>(0x80 | (C & 0x3F)));
    } else {
        if (!IsScalarValue(C))
            Unencodable(C, TTextEncoding::teUtf8);
        Out.push_back(static_cast<char>(0xF0 | (C >> 18)));
        Out.push_back(static_cast<char>(0x80 | ((C >> 12) & 0x3F)));
        Out.push_back(static_cast<char>(0x80 | ((C >> 6) & 0x3F)));
        Out.push_back(static_cast<char>(0x80 | (C & 0x3F)));
    }
}

template <bool BigEndian>
void AppendUtf16Unit(char32_t Unit, std::string& Out) {
    const auto high = static_cast<char>(Unit >> 8);
    const auto low = static_cast<char>(Unit & 0xFF);
    Out.push_back(BigEndian ? high : low);
    Out.push_back(BigEndian ? low : high);
}

template <bool BigEndian>
void AppendUtf16(char32_t C, std::string& Out) {
    if (!IsScalarValue(C))
        Unencodable(C, BigEndian ? TTextEncoding::teUtf16BE : TTextEncoding::teUtf16LE);
    if (C < 0x10000) {
        AppendUtf16Unit<BigEndian>(C, Out);
        return;
    }
    AppendUtf16Unit<BigEndian>(0xD800 + ((C - 0x10000) >> 10), Out);
    AppendUtf16Unit<BigEndian>(0xDC00 + ((C - 0x10000) & 0x3FF), Out);
}

void AppendWindows1252(char32_t C, std::string& Out) {
    const std::optional<unsigned char> byte = Windows1252ByteOf(C);
    if (!byte)
        Unencodable(C, TTextEncoding::teWindows1252);
    Out.push_back(static_cast<char>(*byte));
}

} // namespace

const char* EncodingName(TTextEncoding Encoding) {
    switch (Encoding) {
    case TTextEncoding::teUtf8:
        return "UTF-8";
    case TTextEncoding::teUtf8Bom:
        return "UTF-8 with BOM";
    case TTextEncoding::teUtf16LE:
        return "UTF-16 LE";
    case TTextEncoding::teUtf16BE:
        return "UTF-16 BE";
    case TTextEncoding::teWindows1252:
        return "Windows-1252";
    }
    return "";
}

TTextEncoding DetectEncoding(std::string_view Bytes) {
    for (const bool bigEndian : {false, true})
        if (Bytes.starts_with(bigEndian ? Utf16BEBom : Utf16LEBom) &&
            DecodeUtf16(Bytes.substr(2), bigEndian, nullptr))
            return bigEndian ? TTextEncoding::teUtf16BE : TTextEncoding::teUtf16LE;
    const bool marked = Bytes.starts_with(Utf8Bom);
    if (DecodeUtf8(Bytes.substr(marked ? Utf8Bom.size() : 0), nullptr))
        return marked ? TTextEncoding::teUtf8Bom : TTextEncoding::teUtf8;
    return TTextEncoding::teWindows1252;
}

std::optional<TDecodedText> DecodeTextAs(std::string_view Bytes, TTextEncoding Encoding,
                                         std::size_t SpareCapacity) {
    std::u32string text;
    bool decoded = false;
    switch (Encoding) {
    case TTextEncoding::teWindows1252:
        return TDecodedText{DecodeWindows1252(Bytes, SpareCapacity), Encoding};
    case TTextEncoding::teUtf8:
        text = NewText(Bytes.size() + SpareCapacity);
        decoded = DecodeUtf8(Bytes, &text);
        break;
    case TTextEncoding::teUtf8Bom:
        text = NewText(Bytes.size() + SpareCapacity);
        decoded = Bytes.starts_with(Utf8Bom) && DecodeUtf8(Bytes.substr(Utf8Bom.size()), &text);
        break;
    case TTextEncoding::teUtf16LE:
    case TTextEncoding::teUtf16BE: {
        const bool bigEndian = Encoding == TTextEncoding::teUtf16BE;
        text = NewText(Bytes.size() / 2 + SpareCapacity);
        decoded = Bytes.starts_with(bigEndian ? Utf16BEBom : Utf16LEBom) &&
                  DecodeUtf16(Bytes.substr(2), bigEndian, &text);
        break;
    }
    }
    if (!decoded)
        return std::nullopt;
    return TDecodedText{std::move(text), Encoding};
}

TDecodedText DecodeText(std::string_view Bytes, std::size_t SpareCapacity) {
    // One pass over the bytes where it can: each decoder checks as it goes.
    for (const bool bigEndian : {false, true})
        if (Bytes.starts_with(bigEndian ? Utf16BEBom : Utf16LEBom))
            if (auto text = DecodeTextAs(
                    Bytes, bigEndian ? TTextEncoding::teUtf16BE : TTextEncoding::teUtf16LE,
                    SpareCapacity))
                return std::move(*text);
    const bool marked = Bytes.starts_with(Utf8Bom);
    if (auto text = DecodeTextAs(Bytes, marked ? TTextEncoding::teUtf8Bom : TTextEncoding::teUtf8,
                                 SpareCapacity))
        return std::move(*text);
    return *DecodeTextAs(Bytes, TTextEncoding::teWindows1252, SpareCapacity);
}

std::size_t FindUnencodable(std::u32string_view Text, TTextEncoding Encoding) {
    for (std::size_t i = 0; i < Text.size(); ++i)
        if (!CanEncode(Text[i], Encoding))
            return i;
    return std::u32string_view::npos;
}

TTextEncoder::TTextEncoder(TTextEncoding Encoding) : FEncoding(Encoding) {
    switch (Encoding) {
    case TTextEncoding::teUtf8:
    case TTextEncoding::teUtf8Bom:
        FAppend = AppendUtf8;
        break;
    case TTextEncoding::teUtf16LE:
        FAppend = AppendUtf16<false>;
        break;
    case TTextEncoding::teUtf16BE:
        FAppend = AppendUtf16<true>;
        break;
    case TTextEncoding::teWindows1252:
        FAppend = AppendWindows1252;
        break;
    }
}

void TTextEncoder::AppendByteOrderMark(std::string& Out) const {
    switch (FEncoding) {
    case TTextEncoding::teUtf8Bom:
        Out += Utf8Bom;
        break;
    case TTextEncoding::teUtf16LE:
        Out += Utf16LEBom;
        break;
    case TTextEncoding::teUtf16BE:
        Out += Utf16BEBom;
        break;
    default:
        break;
    }
}

} // namespace velmora::files
