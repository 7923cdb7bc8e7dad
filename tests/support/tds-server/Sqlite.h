#pragma once
// Thin RAII over the sqlite3 C library, for the server's engine.
#include "ServerError.h"
#include "Values.h"

#include <chrono>
#include <map>
#include <sqlite3.h>
#include <string>
#include <string_view>

namespace velmora::tds {

// What SQLite said of a statement it could not prepare or run, and where in its text.
struct SqliteError : ServerError {
    SqliteError(const std::string& message, int offset)
        : ServerError(50000, "TDS test server (SQLite): " + message), sqliteMessage(message),
          errorOffset(offset) {}
    std::string sqliteMessage;
    int errorOffset; // -1 when SQLite names no place
};

// Values bound to a statement's named parameters ("@id"), compared without regard to case.
using Bindings = std::map<std::string, Value>;

// Sets a declared variable (or parameter); 137 when there is none of the name.
void assignVariable(Bindings& variables, const std::string& name, const Value& value);

// How long a session waits for another's lock before its statement fails, as SQL Server's lock
// waits would.
inline constexpr std::chrono::milliseconds busyTimeout{10'000};

class SqliteStatement {
public:
    // Throws the engine's error when SQLite cannot prepare the text; `rest` gets what follows
    // the first statement.
    SqliteStatement(sqlite3* db, std::string_view sql, std::string_view* rest = nullptr);
    ~SqliteStatement() { sqlite3_finalize(statement_); }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    sqlite3_stmt* get() const { return statement_; }
    bool empty() const { return statement_ == nullptr; } // the text held only blanks
    void bind(const Bindings& bindings);
    void bind(int index, const Value& value);
    // True with a row to read, false when done; throws the engine's error.
    bool step();
    // Ends the statement's read before the connection writes: an open read would make the
    // write fail at once when another session has written since (SQLite's WAL snapshot).
    void finish() { sqlite3_reset(statement_); }
    int columns() const { return sqlite3_column_count(statement_); }
    Cell cell(int column) const;
    Value value(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
    bool rowsRead_ = false;
};

// The argument of an SQL function, and its result.
Value valueOf(sqlite3_value* value);
void setResult(sqlite3_context* context, const Value& value);

// Runs statements that return nothing (DDL, PRAGMA) and throws the engine's error.
void runSqlite(sqlite3* db, const std::string& sql);

} // namespace velmora::tds
