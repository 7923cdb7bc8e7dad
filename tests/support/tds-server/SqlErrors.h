#pragma once
// SQL Server's errors for what SQLite reports of a statement: an unknown object (208) or
// column (207), a syntax error (102, 156), a null in a NOT NULL column (515), a broken foreign
// key (547), a duplicate key (2627, 2601), division by zero (8134), an unknown function (195).
// What has no SQL Server counterpart keeps SQLite's text under 50000. The line is the
// statement's (from 1) where SQLite points at a token, else 0.
#include "ServerError.h"
#include "SqlText.h"
#include "Sqlite.h"

#include <optional>
#include <string>
#include <string_view>

namespace velmora::tds {

// `duplicateKey` is the failing row's key as a duplicate key error shows it ("1, abc"), when
// known (duplicateKeyValue).
ServerError sqlServerError(const SqliteError& error, std::string_view statement,
                           const SqliteText& translated, const NameScope& scope, sqlite3* db,
                           const std::optional<std::string>& duplicateKey = std::nullopt);

// Whether SQLite's error is a duplicate key (2627 or 2601).
bool isDuplicateKey(const SqliteError& error);

// The key of the row that made `statement` fail with a duplicate key, as SQL Server's 2627 and
// 2601 show it: SQLite names the columns, not the values, so the statement runs again with a
// trigger that notes each row before it is written, and is undone.
std::optional<std::string> duplicateKeyValue(sqlite3* db, SqliteStatement& statement,
                                             const SqliteError& error);

// Whether SQL Server ends the batch on the error, rather than only the statement: name
// resolution (208, 207), arithmetic (8134, 8115) and conversion (245, 8114) errors, and THROW.
bool endsBatch(const ServerError& error);

// The text SQLite is given for a division by zero, which the server's division raises.
extern const char* const divideByZero;

} // namespace velmora::tds
