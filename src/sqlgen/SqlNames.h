#pragma once
// Names as they stand in generated SQL. A regular identifier is written exactly as it is; any
// other name (a blank, a leading digit, a reserved word, a bracket) is enclosed in brackets, so
// that the statement stays valid. Names are UTF-8.
#include <string>
#include <string_view>
#include <vector>

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

// The variables for a list of names (a table's fields): each name's VariableName, except that
// names which differ only by characters a variable cannot hold ("a b", "a_b") would share one:
// the first keeps it and each further one gets "_2", "_3" … added, the first that no name of
// the list takes. Variables are told apart regardless of ASCII case, as a server with a
// case-insensitive collation does.
class TVariableNames {
public:
    explicit TVariableNames(const std::vector<std::string>& names);
    // The variable of a name of the list; any other name gets its plain VariableName.
    std::string Of(std::string_view name) const;

private:
    std::vector<std::string> FNames;
    std::vector<std::string> FVariables;
};

// The text with every "'" doubled, to stand between quotes.
std::string QuotedText(std::string_view text);

} // namespace velmora::sqlgen
