#pragma once
// Names as they stand in generated SQL. A regular identifier is written exactly as it is; any
// other name (a blank, a leading digit, a reserved word, a bracket) is enclosed in brackets, so
// that the statement stays valid. Names are UTF-8.
#include <string>
#include <string_view>

namespace velmora::sqlgen {

// Transact-SQL's rules: a letter or "_" first, then letters, digits, "_", "@", "#" and "$";
// not a reserved word.
bool IsRegularIdentifier(std::string_view name);

// The name itself when it is regular (or empty), else BracketedName.
std::string SqlName(std::string_view name);

// "[" + the name with every "]" doubled + "]".
std::string BracketedName(std::string_view name);

// "@" + the name, every character a variable name cannot hold replaced by "_" (variables cannot
// be bracketed).
std::string VariableName(std::string_view name);

// The text with every "'" doubled, to stand between quotes.
std::string QuotedText(std::string_view text);

} // namespace velmora::sqlgen
