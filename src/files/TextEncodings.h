#pragma once
// Characters (Unicode code points) to and from the bytes of the encodings script files come in.
// Every decoder here is exact: encoding what it decoded gives back the same bytes.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::files {

enum class TTextEncoding { teUtf8, teUtf8Bom, teUtf16LE, teUtf16BE, teWindows1252 };

// "UTF-8", "UTF-8 with BOM", "UTF-16 LE", "UTF-16 BE", "Windows-1252".
const char* EncodingName(TTextEncoding Encoding);

struct TDecodedText {
    std::u32string Text; // without the byte-order mark
    TTextEncoding Encoding;
};

// UTF-16 with a byte-order mark and no broken pairs; else valid UTF-8, with or without a
// byte-order mark; else Windows-1252, where the five bytes it leaves undefined stand for the
// control characters of the same number, so every byte has a character.
TDecodedText DecodeText(std::string_view Bytes);

// The encoding DecodeText reads Bytes in, found without keeping the text.
TTextEncoding DetectEncoding(std::string_view Bytes);

// The position of the first character of Text that Encoding cannot hold, or npos.
std::size_t FindUnencodable(std::u32string_view Text, TTextEncoding Encoding);

// Encodes one character at a time; throws std::invalid_argument for a character the encoding
// cannot hold, which is never dropped or replaced.
class TTextEncoder {
public:
    explicit TTextEncoder(TTextEncoding Encoding);
    // Starts Out with the encoding's byte-order mark, if it has one.
    void AppendByteOrderMark(std::string& Out) const;
    void Append(char32_t C, std::string& Out) const { FAppend(C, Out); }

private:
    void (*FAppend)(char32_t C, std::string& Out) = nullptr;
    TTextEncoding FEncoding;
};

} // namespace velmora::files
