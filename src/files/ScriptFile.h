#pragma once
// Script files: their bytes as the editor's text, whose line breaks are always CR LF, and that
// text back as bytes in the file's own encoding and line breaks, so that a script saved unchanged
// is written byte for byte as it was read.
#include "NarrowText.h"
#include "SafeFile.h"
#include "ScriptDecoder.h"
#include "TextEncodings.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::files {

// A file that mixes line breaks: each line, known by a hash of its text, and the break that
// ended it. Lines still there after an edit keep their break, however many edits there were;
// new lines get the most common one.
struct TMixedLineBreaks {
    std::vector<std::uint64_t> LineHashes; // every line, the last one (without a break) too
    std::vector<TLineBreak> Breaks;        // one fewer than lines
};

// What a script file holds beyond its text.
struct TScriptFormat {
    TTextEncoding Encoding = TTextEncoding::teUtf8;
    TLineBreak LineBreak = TLineBreak::lbCrLf; // the file's line break, or its most common one
    TMixedLineBreaks Mixed;                    // empty unless the file mixes line breaks
};

struct TScriptText {
    TNarrowText Text; // CR LF line breaks
    TScriptFormat Format;
    TFileIdentity Identity; // of the file it was read from (ReadScriptFile)
};

// The largest script file that is opened: 64 MB of text already takes a quarter of a gigabyte
// in the editor.
inline constexpr std::size_t MaxScriptFileBytes = 64 * 1024 * 1024;

// The bytes of a script file as text: decoded (see DecodeText), and every line break (LF, CR LF
// or a lone CR) made CR LF, in one pass into narrow characters.
// With Encoding given, the bytes are read in it when they are valid in it (see DecodeTextAs).
TScriptText DecodeScript(std::string_view Bytes,
                         std::optional<TTextEncoding> Encoding = std::nullopt);

struct TEncodedScript {
    std::string Bytes;
    TScriptFormat Format; // the format of these bytes, for the next save
};

// Bytes that would not read back as the text they were made from, opened in their own encoding:
// a fault of the line breaks' choice, caught before anything is written.
class EScriptReadsBackOtherwise : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Text, with CR LF line breaks, as the bytes of a file in Format. Lines of a file with mixed
// breaks keep theirs, except where two would read back as one (a lone CR, then an empty line
// ended by LF): the later one, or the one that is new, then takes CR LF. The bytes are decoded
// again in Format's encoding before they are returned, and EScriptReadsBackOtherwise thrown
// unless they give back Text. Throws std::invalid_argument when Text holds a character Format's
// encoding cannot hold (see FindUnencodable).
TEncodedScript EncodeScript(std::u32string_view Text, const TScriptFormat& Format);

// Reads and decodes the script file at Path; EFileError when it cannot be read, is no regular
// file or is larger than MaxScriptFileBytes.
// Remembered, when given, names the encoding the file at Path was written in, for the file
// that was read; nothing lets the bytes decide.
using TRememberedEncoding =
    std::function<std::optional<TTextEncoding>(const std::string& Path, const TFileIdentity&)>;
TScriptText ReadScriptFile(const std::string& Path, const TRememberedEncoding& Remembered = {});

} // namespace velmora::files
