#pragma once
// T-SQL text as far as the server looks into it: tokens, statements of a batch, and the few
// rewrites that let SQLite run what it cannot take as written. Everything else goes to SQLite
// unchanged (brackets and most of the language are the same).
#include <string>
#include <string_view>
#include <vector>

namespace velmora::tds {

enum class SqlTokenKind {
    Space,      // blanks and line breaks
    Comment,    // -- to the end of the line, or /* ... */
    Word,       // a keyword or a plain name
    Bracketed,  // [name]
    QuotedName, // "name"
    String,     // 'text' or N'text'
    Number,     // 12, 1.5e3, 0x1F
    Variable,   // @name, @@name
    Symbol      // any other single character
};

struct SqlToken {
    SqlTokenKind kind;
    std::string_view text;

    bool isWord(std::string_view word) const; // a Word, compared without regard to case
    bool isSymbol(char c) const { return kind == SqlTokenKind::Symbol && text[0] == c; }
    bool isName() const {
        return kind == SqlTokenKind::Word || kind == SqlTokenKind::Bracketed ||
               kind == SqlTokenKind::QuotedName;
    }
    bool isBlank() const { return kind == SqlTokenKind::Space || kind == SqlTokenKind::Comment; }
};

// Every character of the text belongs to exactly one token; an unterminated string, name or
// comment runs to the end. With QUOTED_IDENTIFIER OFF, "text" is a string, not a name.
std::vector<SqlToken> tokenize(std::string_view sql, bool quotedIdentifiers = true);

// The tokens without blanks and comments.
std::vector<SqlToken> significant(std::string_view sql, bool quotedIdentifiers = true);

// A name without its brackets or quotes ("[a]]b]" is "a]b").
std::string nameText(const SqlToken& token);
// A string literal's value ("N'it''s'" is "it's").
std::string stringValue(const SqlToken& token);
// The text of a statement from its `index`th significant token on.
std::string_view textFrom(std::string_view statement, const std::vector<SqlToken>& tokens,
                          size_t index);
// 'text' and "name" in SQL's quoting.
std::string sqlString(std::string_view value);
std::string quotedName(std::string_view name);

// What a statement's names mean: the current database and its schemas.
struct NameScope {
    std::string database;
    std::vector<std::string> schemas;
    bool azure = false; // Azure SQL Database: no names in other databases, no sysdatabases
    bool quotedIdentifiers = true;
};

// A statement as SQLite takes it: N'' strings and 0x literals in SQLite's forms, names of
// objects outside dbo as their SQLite names ("Sales.Customer"), three-part names cut to
// database and object (the current database as "main"), "dbo." dropped, (max) as (-1), identity
// columns as SQLite's autoincrement keys, @@ variables as functions.
struct SqliteText {
    std::string sql;
    std::vector<std::string> otherDatabases; // named by the statement, to attach while it runs
    // Where each of the statement's tokens landed: (offset in sql, offset in the statement).
    std::vector<std::pair<size_t, size_t>> origins;

    // The statement's offset of the token that SQLite's text has at `offset`.
    size_t originOf(size_t offset) const;
};
SqliteText translateForSqlite(std::string_view statement, const NameScope& scope);

} // namespace velmora::tds
