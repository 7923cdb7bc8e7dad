#pragma once
// What the screen and the logs may show of a text that holds connection strings: every
// "Password=..." and "PWD=..." (any letter case, inside other text, in quotes or braces, and in a
// string nested in another's value) keeps its key and shows "*****" for its value. The string
// the connection uses keeps its password; only what is shown passes through here.
#include <string>
#include <string_view>

namespace velmora::ado {

inline constexpr std::string_view maskedPassword = "*****";

std::string maskPasswords(std::string_view text);

} // namespace velmora::ado
