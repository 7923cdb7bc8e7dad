#pragma once
// The server keeps text as UTF-8 (SQLite's own); the wire carries UTF-16LE for names and
// Unicode types, and Windows-1252 for the 8-bit types of the server's collation.
#include <string>
#include <string_view>

namespace velmora::tds {

// UTF-16LE bytes; invalid UTF-8 becomes U+FFFD.
std::string utf8ToUtf16(std::string_view utf8);
// From UTF-16LE bytes; unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(std::string_view utf16);

// Characters Windows-1252 lacks become "?", as the server's code page conversion does.
std::string utf8ToCp1252(std::string_view utf8);
std::string cp1252ToUtf8(std::string_view bytes);

// ASCII letters folded, for names and keywords that compare without regard to case.
std::string lowerAscii(std::string_view text);
bool equalsIgnoringCase(std::string_view a, std::string_view b);

} // namespace velmora::tds
