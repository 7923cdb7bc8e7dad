#include "Sqlite.h"

#include "ServerError.h"
#include "Text.h"

#include <thread>

namespace velmora::tds {

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql, std::string_view* rest)
    : db_(db) {
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement_, &tail) !=
        SQLITE_OK)
        throw SqliteError(sqlite3_errmsg(db), sqlite3_error_offset(db));
    if (rest != nullptr)
        *rest = sql.substr(static_cast<size_t>(tail - sql.data()));
}

void SqliteStatement::bind(const Bindings& bindings) {
    for (int index = 1; index <= sqlite3_bind_parameter_count(statement_); ++index) {
        const char* name = sqlite3_bind_parameter_name(statement_, index);
        if (name == nullptr)
            continue;
        for (const auto& [bound, value] : bindings)
            if (equalsIgnoringCase(bound, name))
                bind(index, value);
    }
}

void SqliteStatement::bind(int index, const Value& value) {
    switch (value.kind) {
    case ValueKind::Null:
        sqlite3_bind_null(statement_, index);
        break;
    case ValueKind::Integer:
        sqlite3_bind_int64(statement_, index, value.integer);
        break;
    case ValueKind::Real:
        sqlite3_bind_double(statement_, index, value.real);
        break;
    case ValueKind::Text:
        sqlite3_bind_text(statement_, index, value.bytes.data(),
                          static_cast<int>(value.bytes.size()), SQLITE_TRANSIENT);
        break;
    case ValueKind::Blob:
        sqlite3_bind_blob(statement_, index, value.bytes.data(),
                          static_cast<int>(value.bytes.size()), SQLITE_TRANSIENT);
        break;
    }
}

bool SqliteStatement::step() {
    // A write that meets another session's newer snapshot is refused at once, whatever the busy
    // timeout. SQL Server waits for the lock instead: a statement that nothing before it depends
    // on (before its first row, outside a transaction or first in one) starts again on a fresh
    // snapshot, for as long as the busy timeout would have waited. The transaction it is first
    // in holds nothing yet but that snapshot, so it is begun again too.
    const bool firstInTransaction = !rowsRead_ && sqlite3_get_autocommit(db_) == 0 &&
                                    sqlite3_txn_state(db_, nullptr) == SQLITE_TXN_NONE;
    const auto deadline = std::chrono::steady_clock::now() + busyTimeout;
    for (;;) {
        const int result = sqlite3_step(statement_);
        if (result == SQLITE_ROW) {
            rowsRead_ = true;
            return true;
        }
        if (result == SQLITE_DONE)
            return false;
        const bool retry = (result & 0xFF) == SQLITE_BUSY && !rowsRead_ &&
                           (sqlite3_get_autocommit(db_) != 0 || firstInTransaction) &&
                           std::chrono::steady_clock::now() < deadline;
        if (!retry)
            throw SqliteError(sqlite3_errmsg(db_), -1);
        sqlite3_reset(statement_);
        if (firstInTransaction)
            sqlite3_exec(db_, "rollback; begin", nullptr, nullptr, nullptr);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

Cell SqliteStatement::cell(int column) const {
    Cell cell;
    switch (sqlite3_column_type(statement_, column)) {
    case SQLITE_INTEGER:
        cell.kind = ValueKind::Integer;
        cell.integer = sqlite3_column_int64(statement_, column);
        break;
    case SQLITE_FLOAT:
        cell.kind = ValueKind::Real;
        cell.real = sqlite3_column_double(statement_, column);
        break;
    case SQLITE_TEXT:
        cell.kind = ValueKind::Text;
        cell.bytes = {reinterpret_cast<const char*>(sqlite3_column_text(statement_, column)),
                      static_cast<size_t>(sqlite3_column_bytes(statement_, column))};
        break;
    case SQLITE_BLOB:
        cell.kind = ValueKind::Blob;
        cell.bytes = {static_cast<const char*>(sqlite3_column_blob(statement_, column)),
                      static_cast<size_t>(sqlite3_column_bytes(statement_, column))};
        break;
    default:
        break;
    }
    return cell;
}

Value SqliteStatement::value(int column) const {
    const Cell view = cell(column);
    return {view.kind, view.integer, view.real, std::string(view.bytes)};
}

Value valueOf(sqlite3_value* value) {
    const auto bytes = [&](const void* data) {
        return std::string(static_cast<const char*>(data),
                           static_cast<size_t>(sqlite3_value_bytes(value)));
    };
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        return Value::of(static_cast<int64_t>(sqlite3_value_int64(value)));
    case SQLITE_FLOAT:
        return Value::of(sqlite3_value_double(value));
    case SQLITE_TEXT:
        return Value::text(bytes(sqlite3_value_text(value)));
    case SQLITE_BLOB:
        return Value::blob(bytes(sqlite3_value_blob(value)));
    default:
        return Value::null();
    }
}

void setResult(sqlite3_context* context, const Value& value) {
    switch (value.kind) {
    case ValueKind::Null:
        return sqlite3_result_null(context);
    case ValueKind::Integer:
        return sqlite3_result_int64(context, value.integer);
    case ValueKind::Real:
        return sqlite3_result_double(context, value.real);
    case ValueKind::Text:
        return sqlite3_result_text(context, value.bytes.data(),
                                   static_cast<int>(value.bytes.size()), SQLITE_TRANSIENT);
    case ValueKind::Blob:
        return sqlite3_result_blob(context, value.bytes.data(),
                                   static_cast<int>(value.bytes.size()), SQLITE_TRANSIENT);
    }
}

// The variable's value; 137 when the batch or procedure has not declared it.
void assignVariable(Bindings& variables, const std::string& name, const Value& value) {
    for (auto& [declared, current] : variables)
        if (equalsIgnoringCase(declared, name)) {
            current = value;
            return;
        }
    throw ServerError(137, "Must declare the scalar variable \"" + name + "\".", 15, 2);
}

void runSqlite(sqlite3* db, const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message != nullptr ? message : "unknown error";
        sqlite3_free(message);
        throw engineError(text);
    }
}

} // namespace velmora::tds
