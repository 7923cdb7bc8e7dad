#pragma once
// The bytes of a script file straight into narrow characters, in one pass: decoded, and with
// every line break (LF, CR LF or a lone CR) made CR LF on the way where that is asked for.
#include "NarrowText.h"
#include "TextEncodings.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace velmora::files {

enum class TLineBreak : std::uint8_t { lbCrLf, lbLf, lbCr };

// How often each line break occurs, by TLineBreak.
using TBreakCounts = std::array<std::size_t, 3>;

// The line breaks of a text as it was read.
struct TLineBreakTally {
    TBreakCounts Counts{};
    // Every break in order, once there are two kinds; empty while all are of one kind.
    std::vector<TLineBreak> Breaks;
};

// Bytes read in Encoding (its byte-order mark included); nothing when they are not valid in it (a
// byte-order mark it needs is missing, a UTF-8 sequence or UTF-16 pair is broken). UTF-8 without
// a byte-order mark keeps a leading U+FEFF as a character. With Tally, every line break is made
// CR LF and Tally receives the breaks as they were, and the characters' capacity leaves room to
// type in; without, the characters stay as they are.
std::optional<TNarrowText> DecodeNarrow(std::string_view Bytes, TTextEncoding Encoding,
                                        TLineBreakTally* Tally = nullptr);

struct TDetectedText {
    TNarrowText Text;
    TTextEncoding Encoding;
};

// The same in the encoding the bytes tell (see DecodeText).
TDetectedText DecodeNarrowDetected(std::string_view Bytes, TLineBreakTally* Tally = nullptr);

} // namespace velmora::files
