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

// Writes the UTF-8 form of `units` UTF-16 code units to `out`, which has room for 3 bytes per
// unit (the most one unit can take), and returns the number of bytes written. Unpaired
// surrogates become U+FFFD.
size_t utf16ToUtf8(const SQLWCHAR* text, size_t units, char* out);

} // namespace velmora::ado
