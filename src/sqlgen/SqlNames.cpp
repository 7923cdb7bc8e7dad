#include "SqlNames.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <unordered_set>

namespace velmora::sqlgen {

namespace {

// Transact-SQL's reserved keywords, upper case, sorted.
constexpr std::string_view ReservedWords[] = {
    "ADD",
    "ALL",
    "ALTER",
    "AND",
    "ANY",
    "AS",
    "ASC",
    "AUTHORIZATION",
    "BACKUP",
    "BEGIN",
    "BETWEEN",
    "BREAK",
    "BROWSE",
    "BULK",
    "BY",
    "CASCADE",
    "CASE",
    "CHECK",
    "CHECKPOINT",
    "CLOSE",
    "CLUSTERED",
    "COALESCE",
    "COLLATE",
    "COLUMN",
    "COMMIT",
    "COMPUTE",
    "CONSTRAINT",
    "CONTAINS",
    "CONTAINSTABLE",
    "CONTINUE",
    "CONVERT",
    "CREATE",
    "CROSS",
    "CURRENT",
    "CURRENT_DATE",
    "CURRENT_TIME",
    "CURRENT_TIMESTAMP",
    "CURRENT_USER",
    "CURSOR",
    "DATABASE",
    "DBCC",
    "DEALLOCATE",
    "DECLARE",
    "DEFAULT",
    "DELETE",
    "DENY",
    "DESC",
    "DISK",
    "DISTINCT",
    "DISTRIBUTED",
    "DOUBLE",
    "DROP",
    "DUMP",
    "ELSE",
    "END",
    "ERRLVL",
    "ESCAPE",
    "EXCEPT",
    "EXEC",
    "EXECUTE",
    "EXISTS",
    "EXIT",
    "EXTERNAL",
    "FETCH",
    "FILE",
    "FILLFACTOR",
    "FOR",
    "FOREIGN",
    "FREETEXT",
    "FREETEXTTABLE",
    "FROM",
    "FULL",
    "FUNCTION",
    "GOTO",
    "GRANT",
    "GROUP",
    "HAVING",
    "HOLDLOCK",
    "IDENTITY",
    "IDENTITYCOL",
    "IDENTITY_INSERT",
    "IF",
    "IN",
    "INDEX",
    "INNER",
    "INSERT",
    "INTERSECT",
    "INTO",
    "IS",
    "JOIN",
    "KEY",
    "KILL",
    "LEFT",
    "LIKE",
    "LINENO",
    "LOAD",
    "MERGE",
    "NATIONAL",
    "NOCHECK",
    "NONCLUSTERED",
    "NOT",
    "NULL",
    "NULLIF",
    "OF",
    "OFF",
    "OFFSETS",
    "ON",
    "OPEN",
    "OPENDATASOURCE",
    "OPENQUERY",
    "OPENROWSET",
    "OPENXML",
    "OPTION",
    "OR",
    "ORDER",
    "OUTER",
    "OVER",
    "PERCENT",
    "PIVOT",
    "PLAN",
    "PRECISION",
    "PRIMARY",
    "PRINT",
    "PROC",
    "PROCEDURE",
    "PUBLIC",
    "RAISERROR",
    "READ",
    "READTEXT",
    "RECONFIGURE",
    "REFERENCES",
    "REPLICATION",
    "RESTORE",
    "RESTRICT",
    "RETURN",
    "REVERT",
    "REVOKE",
    "RIGHT",
    "ROLLBACK",
    "ROWCOUNT",
    "ROWGUIDCOL",
    "RULE",
    "SAVE",
    "SCHEMA",
    "SECURITYAUDIT",
    "SELECT",
    "SEMANTICKEYPHRASETABLE",
    "SEMANTICSIMILARITYDETAILSTABLE",
    "SEMANTICSIMILARITYTABLE",
    "SESSION_USER",
    "SET",
    "SETUSER",
    "SHUTDOWN",
    "SOME",
    "STATISTICS",
    "SYSTEM_USER",
    "TABLE",
    "TABLESAMPLE",
    "TEXTSIZE",
    "THEN",
    "TO",
    "TOP",
    "TRAN",
    "TRANSACTION",
    "TRIGGER",
    "TRUNCATE",
    "TRY_CONVERT",
    "TSEQUAL",
    "UNION",
    "UNIQUE",
    "UNPIVOT",
    "UPDATE",
    "UPDATETEXT",
    "USE",
    "USER",
    "VALUES",
    "VARYING",
    "VIEW",
    "WAITFOR",
    "WHEN",
    "WHERE",
    "WHILE",
    "WITH",
    "WITHIN",
    "WRITETEXT",
};

bool IsReservedWord(std::string_view name) {
    std::string upper(name);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return std::binary_search(std::begin(ReservedWords), std::end(ReservedWords),
                              std::string_view(upper));
}

// Decodes the UTF-8 character at `at` and moves past it; a malformed byte reads as U+FFFD.
char32_t NextCharacter(std::string_view text, size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80)
        return lead;
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0 || at + static_cast<size_t>(extra) > text.size())
        return U'\uFFFD';
    char32_t code = lead & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        const auto next = static_cast<unsigned char>(text[at]);
        if ((next & 0xC0) != 0x80)
            return U'\uFFFD';
        code = code << 6 | (next & 0x3F);
        ++at;
    }
    return code;
}

// Beyond ASCII, blanks, punctuation and symbols are the characters a name is likeliest to hold
// by accident; every other character counts as a letter, as national scripts do.
bool IsNonAsciiLetter(char32_t c) {
    struct TRange {
        char32_t First, Last;
    };
    static constexpr std::array<TRange, 8> NotLetters = {{
        {0x0080, 0x00A9}, // controls, no-break space, Latin-1 punctuation and symbols
        {0x00AB, 0x00B4},
        {0x00B6, 0x00B9},
        {0x00BB, 0x00BF},
        {0x2000, 0x206F}, // blanks and general punctuation
        {0x20A0, 0x20CF}, // currency symbols
        {0x3000, 0x3003}, // ideographic blank and punctuation
        {0xFEFF, 0xFEFF}, // byte-order mark
    }};
    if (c == 0xD7 || c == 0xF7 || c == 0xFFFD)
        return false;
    return std::none_of(NotLetters.begin(), NotLetters.end(),
                        [c](const TRange& range) { return c >= range.First && c <= range.Last; });
}

bool IsLetter(char32_t c) {
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return IsNonAsciiLetter(c);
}

bool IsIdentifierCharacter(char32_t c) {
    return IsLetter(c) || (c >= '0' && c <= '9') || c == '_' || c == '@' || c == '#' || c == '$';
}

} // namespace

bool IsRegularIdentifier(std::string_view name) {
    if (name.empty() || IsReservedWord(name))
        return false;
    size_t at = 0;
    const char32_t first = NextCharacter(name, at);
    if (!IsLetter(first) && first != '_')
        return false;
    while (at < name.size())
        if (!IsIdentifierCharacter(NextCharacter(name, at)))
            return false;
    return true;
}

std::string SqlName(std::string_view name) {
    if (name.empty() || IsRegularIdentifier(name))
        return std::string(name);
    return BracketedName(name);
}

std::string BracketedName(std::string_view name) {
    std::string text = "[";
    for (const char c : name) {
        text += c;
        if (c == ']')
            text += ']';
    }
    return text + "]";
}

std::string VariableName(std::string_view name) {
    std::string text = "@";
    for (size_t at = 0; at < name.size();) {
        const size_t start = at;
        if (IsIdentifierCharacter(NextCharacter(name, at)))
            text.append(name.substr(start, at - start));
        else
            text += '_';
    }
    return text;
}

TVariableNames::TVariableNames(const std::vector<std::string>& names) : FNames(names) {
    auto folded = [](std::string text) {
        for (char& c : text)
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        return text;
    };
    std::unordered_set<std::string> taken;
    FVariables.resize(names.size());
    // First every name that can have its plain variable, then the rest a numbered one.
    for (size_t i = 0; i < names.size(); ++i) {
        std::string variable = VariableName(names[i]);
        if (taken.insert(folded(variable)).second)
            FVariables[i] = std::move(variable);
    }
    for (size_t i = 0; i < names.size(); ++i) {
        if (!FVariables[i].empty())
            continue;
        const std::string plain = VariableName(names[i]);
        for (int number = 2; FVariables[i].empty(); ++number) {
            std::string variable = plain + "_" + std::to_string(number);
            if (taken.insert(folded(variable)).second)
                FVariables[i] = std::move(variable);
        }
    }
}

std::string TVariableNames::Of(std::string_view name) const {
    const auto found = std::find(FNames.begin(), FNames.end(), name);
    return found == FNames.end() ? VariableName(name)
                                 : FVariables[static_cast<size_t>(found - FNames.begin())];
}

std::string QuotedText(std::string_view text) {
    std::string quoted;
    for (const char c : text) {
        quoted += c;
        if (c == '\'')
            quoted += '\'';
    }
    return quoted;
}

} // namespace velmora::sqlgen
