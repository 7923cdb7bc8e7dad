#pragma once
// A batch as SQL Server parses it before anything runs: its statements, found from the keywords
// that start them (a ";" is never needed), with the blocks and conditions of BEGIN ... END, IF
// ... ELSE and WHILE, and the line of the batch each begins on. A statement that cannot stand
// where it is (a "GO" line, an ELSE without IF, CREATE VIEW after another statement) is a
// syntax error of the whole batch, with SQL Server's number, text and line.
#include "ServerError.h"
#include "SqlText.h"

#include <string_view>
#include <vector>

namespace velmora::tds {

enum class StatementKind {
    Sql,    // run by SQLite: SELECT, INSERT, CREATE TABLE, ...
    Server, // run by the server itself: PRINT, SET, EXEC, USE, DECLARE, ...
    Module, // CREATE PROCEDURE, FUNCTION, VIEW, TRIGGER, SCHEMA: the rest of the batch
    Block,  // BEGIN ... END: `body`
    If,     // IF condition `body[0]` [ELSE `body[1]`]
    While,  // WHILE condition `body[0]`
};

struct Statement {
    StatementKind kind = StatementKind::Sql;
    std::string_view text; // from its first token to its last
    int line = 1;          // in the batch (or the module) it belongs to
    bool quotedIdentifiers = true;
    std::vector<SqlToken> tokens; // significant, as parsed
    std::string_view condition;   // of IF and WHILE
    std::vector<Statement> body;

    bool startsWith(std::string_view word, size_t at = 0) const {
        return at < tokens.size() && tokens[at].isWord(word);
    }
};

// The batch's statements. With `quotedIdentifiers` off, "text" is a string; a SET
// QUOTED_IDENTIFIER statement changes it for what follows, as SQL Server's parser does.
// Throws ServerError (102, 156, 111, 105, ...) with the line of the fault.
std::vector<Statement> parseBatch(std::string_view batch, bool quotedIdentifiers);

// The line (from 1) of a position in a text.
int lineAt(std::string_view text, const char* position);

// SQL Server's reserved keywords: "Incorrect syntax near the keyword 'x'." (156) rather than
// "near 'x'." (102).
bool isReservedKeyword(std::string_view word);
// 102 or 156 for the token, at its line.
ServerError syntaxErrorNear(std::string_view text, const SqlToken& token);
// 102 at the end of the text: "Incorrect syntax near 'x'." for its last token.
ServerError syntaxErrorAtEnd(std::string_view text, const std::vector<SqlToken>& tokens);

} // namespace velmora::tds
