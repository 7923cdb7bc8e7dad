#include "TextEncodings.h"

#include "CharacterReaders.h"
#include "ScriptDecoder.h"

#include <cstdio>
#include <optional>
#include <stdexcept>

namespace velmora::files {

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view Utf16LEBom = "\xFF\xFE";
constexpr std::string_view Utf16BEBom = "\xFE\xFF";

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
    if (Bytes.starts_with(Utf16LEBom) && ReadsWhole<TUtf16Reader<false>>(Bytes.substr(2)))
        return TTextEncoding::teUtf16LE;
    if (Bytes.starts_with(Utf16BEBom) && ReadsWhole<TUtf16Reader<true>>(Bytes.substr(2)))
        return TTextEncoding::teUtf16BE;
    const bool marked = Bytes.starts_with(Utf8Bom);
    if (ReadsWhole<TUtf8Reader>(Bytes.substr(marked ? Utf8Bom.size() : 0)))
        return marked ? TTextEncoding::teUtf8Bom : TTextEncoding::teUtf8;
    return TTextEncoding::teWindows1252;
}

TDecodedText DecodeText(std::string_view Bytes) {
    TDetectedText detected = DecodeNarrowDetected(Bytes);
    return TDecodedText{detected.Text.ToString(), detected.Encoding};
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
