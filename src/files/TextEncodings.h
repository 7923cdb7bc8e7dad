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
// control characters of the same number, so every byte has a character. The text has room for
// SpareCapacity more characters, so that adding them does not copy it.
TDecodedText DecodeText(std::string_view Bytes, std::size_t SpareCapacity = 0);

// The encoding DecodeText reads Bytes in, found without keeping the text.
TTextEncoding DetectEncoding(std::string_view Bytes);

// Bytes read in Encoding, whatever DecodeText would find; nothing when they are not valid in it
// (a byte-order mark it needs is missing, a UTF-8 sequence or UTF-16 pair is broken). UTF-8
// without a byte-order mark keeps a leading U+FEFF as a character.
std::optional<TDecodedText> DecodeTextAs(std::string_view Bytes, TTextEncoding Encoding,
                                         std::size_t SpareCapacity = 0);

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
