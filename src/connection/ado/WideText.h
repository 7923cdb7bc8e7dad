#pragma once
// Conversion between the UTF-8 text of the layer's interface and the UTF-16 that unixODBC's
// wide-character functions take and return.
#include <sql.h>
#include <string>
#include <string_view>

namespace velmora::ado {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC's SQLWCHAR is expected to be UTF-16");

using SqlWString = std::basic_string<SQLWCHAR>;

SqlWString toSqlWide(std::string_view utf8);
std::string fromSqlWide(const SQLWCHAR* text, size_t units);
std::string fromSqlWide(const SqlWString& text);

// The text a driver wrote into a zeroed buffer of Capacity units, NUL-terminated, given the
// length in units it reports: at most what the buffer holds before its terminator, and only up to
// the first NUL. Some drivers (SQLite's) report the length of their UTF-8 text in bytes, which
// is more than its UTF-16 units: the rest of the buffer is zeros, not text.
std::string fromSqlWideBuffer(const SQLWCHAR* buffer, size_t capacity, size_t reportedUnits);

// A length a driver reported (in bytes or units), a negative one taken as none.
template <typename Length>
size_t reportedLength(Length length) {
    return length > 0 ? static_cast<size_t>(length) : 0;
}

// Writes the UTF-8 form of `units` UTF-16 code units to `out`, which has room for 3 bytes per
// unit (the most one unit can take), and returns the number of bytes written. Unpaired
// surrogates become U+FFFD.
size_t utf16ToUtf8(const SQLWCHAR* text, size_t units, char* out);

} // namespace velmora::ado
