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
// comment runs to the end.
std::vector<SqlToken> tokenize(std::string_view sql);

// The tokens without blanks and comments.
std::vector<SqlToken> significant(std::string_view sql);

// A name without its brackets or quotes ("[a]]b]" is "a]b").
std::string nameText(const SqlToken& token);
// A string literal's value ("N'it''s'" is "it's").
std::string stringValue(const SqlToken& token);

// Whether a statement that starts with this word is of the SQL language; the first statement of
// a batch that starts with any other word names a procedure to run ("sp_helptext t").
bool startsSqlStatement(std::string_view firstWord);

// The statements of a batch, in order, without their ";". A statement the server runs itself
// (PRINT, USE, RAISERROR, THROW, SET, EXEC, WAITFOR, transactions) ends at its line's end or at
// ";"; CREATE PROCEDURE takes the rest of the batch; any other statement ends at ";".
std::vector<std::string_view> splitStatements(std::string_view batch);

// A statement as SQLite takes it: N'' strings and 0x literals in SQLite's forms, three-part
// names cut to "database.name" (the current database as "main"), "dbo." dropped, (max) as
// (-1), identity columns as SQLite's autoincrement keys, @@ variables as functions.
struct SqliteText {
    std::string sql;
    std::vector<std::string> otherDatabases; // named by the statement, to attach while it runs
};
SqliteText translateForSqlite(std::string_view statement, const std::string& currentDatabase);

} // namespace velmora::tds
