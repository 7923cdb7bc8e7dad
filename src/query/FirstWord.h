#pragma once
// How a script is told apart: a "select" first word takes the query path, anything else runs as
// a command.
#include <string>
#include <string_view>

namespace velmora::query {

// The text without its leading and trailing blanks and control characters.
std::string_view TrimBlanksAndControls(std::string_view text);

// The trimmed script cut before its first space character; empty when it holds none. Only the
// space ends the word: "select\r\n*" or "select\t*" have no first word.
std::string FirstWord(std::string_view script);

// FirstWord, its letters A to Z in lower case, equals "select".
bool IsSelectScript(std::string_view script);

} // namespace velmora::query
