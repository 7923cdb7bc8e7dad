#include "SqlErrors.h"

#include "Batch.h"
#include "SystemCatalogue.h"
#include "Text.h"

#include <cstdio>
#include <optional>

namespace velmora::tds {

const char* const divideByZero = "Divide by zero error encountered.";

namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// "main.t", "\"Sales.Customer\"": the object SQLite named, as SQL Server would.
std::string sqliteName(std::string_view name) {
    if (startsWith(name, "main."))
        name.remove_prefix(5);
    std::string bare(name);
    std::erase(bare, '"');
    return bare;
}

// The name as the statement wrote it, brackets gone ("[dbo].[nosuch]" is "dbo.nosuch"): the
// dotted name whose last part is the object SQLite could not find.
std::string writtenName(std::string_view statement, const NameScope& scope,
                        const std::string& object) {
    const std::string last = objectOfStoredName(object).name;
    const std::vector<SqlToken> tokens = significant(statement, scope.quotedIdentifiers);
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].isName() || !equalsIgnoringCase(nameText(tokens[i]), last))
            continue;
        size_t first = i;
        while (first >= 2 && tokens[first - 1].isSymbol('.') &&
               (tokens[first - 2].isName() || tokens[first - 2].isSymbol('.')))
            first -= tokens[first - 2].isName() ? 2 : 1;
        std::string written;
        for (size_t j = first; j <= i; ++j)
            written += tokens[j].isSymbol('.') ? "." : nameText(tokens[j]);
        return written;
    }
    return object;
}

// "t.c" of "NOT NULL constraint failed: t.c", and the statement's verb.
struct ColumnOfTable {
    std::string table;
    std::string column;
};

ColumnOfTable columnOf(std::string_view text) {
    const size_t dot = text.rfind('.');
    return {std::string(text.substr(0, dot)), std::string(text.substr(dot + 1))};
}

std::string verbOf(std::string_view statement) {
    const std::vector<SqlToken> tokens = significant(statement);
    std::string verb = tokens.empty() ? "INSERT" : lowerAscii(tokens[0].text);
    for (char& c : verb)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return verb;
}

std::string qualified(const std::string& stored) {
    const ObjectName object = objectOfStoredName(stored);
    return object.schema + "." + object.name;
}

ServerError notNull(std::string_view detail, std::string_view statement, const NameScope& scope) {
    const ColumnOfTable failed = columnOf(detail);
    return ServerError(515,
                       "Cannot insert the value NULL into column '" + failed.column + "', table '" +
                           scope.database + "." + qualified(failed.table) +
                           "'; column does not allow nulls. " + verbOf(statement) + " fails.",
                       16, 2);
}

bool isPrimaryKey(sqlite3* db, const ColumnOfTable& failed) {
    SqliteStatement key(db, "select pk from pragma_table_info(?1) where name = ?2");
    key.bind(1, Value::text(failed.table));
    key.bind(2, Value::text(failed.column));
    return key.step() && key.value(0).integer > 0;
}

// "t.a, t.b" of "UNIQUE constraint failed: t.a, t.b": the table and its key's columns.
struct FailedKey {
    std::string table;
    std::vector<std::string> columns;
};

FailedKey failedKey(std::string_view detail) {
    FailedKey key;
    while (!detail.empty()) {
        const size_t comma = detail.find(", ");
        const ColumnOfTable part = columnOf(detail.substr(0, comma));
        key.table = part.table;
        key.columns.push_back(part.column);
        detail = comma == std::string_view::npos ? std::string_view() : detail.substr(comma + 2);
    }
    return key;
}

constexpr std::string_view uniqueFailed = "UNIQUE constraint failed: ";

// The index made with CREATE UNIQUE INDEX on exactly the key's columns, if the key is one.
std::optional<std::string> uniqueIndexOf(sqlite3* db, const FailedKey& key) {
    SqliteStatement indexes(db, "select name from pragma_index_list(?1) where \"unique\" = 1 "
                                "and origin = 'c'");
    indexes.bind(1, Value::text(key.table));
    while (indexes.step()) {
        const std::string name = indexes.value(0).bytes;
        SqliteStatement columns(db, "select name from pragma_index_info(?1) order by seqno");
        columns.bind(1, Value::text(name));
        std::vector<std::string> names;
        while (columns.step())
            names.push_back(columns.value(0).bytes);
        if (names == key.columns)
            return name;
    }
    return std::nullopt;
}

ServerError duplicateKey(std::string_view detail, sqlite3* db,
                         const std::optional<std::string>& value) {
    const FailedKey key = failedKey(detail);
    const std::string table = objectOfStoredName(key.table).name;
    const std::string shown =
        value ? " The duplicate key value is (" + *value + ")." : std::string();
    if (const auto index = uniqueIndexOf(db, key))
        return ServerError(2601,
                           "Cannot insert duplicate key row in object '" + qualified(key.table) +
                               "' with unique index '" + *index + "'." + shown,
                           14, 1);
    if (isPrimaryKey(db, {key.table, key.columns[0]}))
        return ServerError(2627,
                           "Violation of PRIMARY KEY constraint 'PK_" + table +
                               "'. Cannot insert duplicate key in object '" + qualified(key.table) +
                               "'." + shown,
                           14, 1);
    return ServerError(2627,
                       "Violation of UNIQUE KEY constraint 'UQ_" + table + "_" + key.columns[0] +
                           "'. Cannot insert duplicate key in object '" + qualified(key.table) +
                           "'." + shown,
                       14, 1);
}

// The trigger's function: the row's key, as the error shows it.
void noteKey(sqlite3_context* context, int count, sqlite3_value** values) {
    std::string& key = *static_cast<std::string*>(sqlite3_user_data(context));
    key.clear();
    for (int i = 0; i < count; ++i) {
        const Value value = valueOf(values[i]);
        key += i > 0 ? ", " : "";
        switch (value.kind) {
        case ValueKind::Null:
            key += "<NULL>";
            break;
        case ValueKind::Integer:
            key += std::to_string(value.integer);
            break;
        case ValueKind::Real: {
            char text[32];
            std::snprintf(text, sizeof text, "%.15g", value.real);
            key += text;
            break;
        }
        case ValueKind::Text:
            key += value.bytes;
            break;
        case ValueKind::Blob:
            key += "0x";
            for (unsigned char byte : value.bytes) {
                static const char digits[] = "0123456789ABCDEF";
                key += digits[byte >> 4];
                key += digits[byte & 0x0F];
            }
            break;
        }
    }
}

// SQLite does not say which key: the first of the changed table's (INSERT, UPDATE) or the
// first that refers to it (DELETE).
ServerError brokenForeignKey(std::string_view statement, const NameScope& scope, sqlite3* db) {
    const std::string verb = verbOf(statement);
    const std::vector<SqlToken> tokens = significant(statement, scope.quotedIdentifiers);
    size_t at = 1;
    while (at < tokens.size() && (tokens[at].isWord("into") || tokens[at].isWord("from")))
        ++at;
    std::string table;
    for (bool name = true;
         at < tokens.size() && (name ? tokens[at].isName() : tokens[at].isSymbol('.'));
         ++at, name = !name)
        table += name ? nameText(tokens[at]) : ".";
    const std::string stored = parseObjectName(table).stored();
    const bool deleting = verb == "DELETE";
    SqliteStatement key(db, deleting
                                ? "select m.name, f.\"from\", f.\"table\" from sqlite_schema m "
                                  "join pragma_foreign_key_list(m.name) f where m.type = 'table' "
                                  "and f.\"table\" = ?1 collate nocase"
                                : "select f.\"table\", f.\"to\", ?1 from "
                                  "pragma_foreign_key_list(?1) f");
    key.bind(1, Value::text(stored));
    if (!key.step())
        return ServerError(547,
                           "The " + verb +
                               " statement conflicted with a FOREIGN KEY "
                               "constraint.",
                           16, 0);
    const std::string referenced = key.value(0).bytes; // the table the conflict occurred in
    const std::string column = key.value(1).bytes;
    const std::string constraint = "FK_" + objectOfStoredName(deleting ? referenced : stored).name +
                                   "_" + objectOfStoredName(deleting ? stored : referenced).name;
    return ServerError(547,
                       "The " + verb + " statement conflicted with the " +
                           (deleting ? "REFERENCE" : "FOREIGN KEY") + " constraint \"" +
                           constraint + "\". The conflict occurred in database \"" +
                           scope.database + "\", table \"" + qualified(referenced) +
                           "\", column '" + column + "'.",
                       16, 0);
}

// The statement's token that SQLite's text has at its error offset.
std::optional<SqlToken> tokenAt(std::string_view statement, const SqliteText& translated,
                                int offset, bool quotedIdentifiers) {
    if (offset < 0)
        return std::nullopt;
    const size_t origin = translated.originOf(static_cast<size_t>(offset));
    for (const SqlToken& token : significant(statement, quotedIdentifiers))
        if (static_cast<size_t>(token.text.data() - statement.data()) >= origin)
            return token;
    return std::nullopt;
}

} // namespace

bool isDuplicateKey(const SqliteError& error) {
    return startsWith(error.sqliteMessage, uniqueFailed);
}

std::optional<std::string> duplicateKeyValue(sqlite3* db, SqliteStatement& statement,
                                             const SqliteError& error) {
    if (!isDuplicateKey(error))
        return std::nullopt;
    const FailedKey key =
        failedKey(std::string_view(error.sqliteMessage).substr(uniqueFailed.size()));
    std::string columns;
    for (const std::string& column : key.columns)
        columns += (columns.empty() ? "new." : ", new.") + quotedName(column);
    std::string noted;
    bool found = false;
    sqlite3_create_function_v2(db, "tds_note_key", -1, SQLITE_UTF8, &noted, noteKey, nullptr,
                               nullptr, nullptr);
    try {
        // Undone with what the statement wrote, the triggers included.
        runSqlite(db, "savepoint tds_duplicate_key");
        for (const char* verb : {"insert", "update"})
            runSqlite(db, std::string("create temp trigger tds_note_") + verb + " before " + verb +
                              " on main." + quotedName(key.table) + " begin select tds_note_key(" +
                              columns + "); end");
        statement.finish();
        try {
            while (statement.step()) {
            }
        } catch (const SqliteError& again) {
            found = isDuplicateKey(again) && !noted.empty();
        }
        runSqlite(db, "rollback to tds_duplicate_key");
        runSqlite(db, "release tds_duplicate_key");
    } catch (const ServerError&) {
        sqlite3_exec(db, "rollback to tds_duplicate_key", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "release tds_duplicate_key", nullptr, nullptr, nullptr);
        found = false;
    }
    sqlite3_create_function_v2(db, "tds_note_key", -1, SQLITE_UTF8, nullptr, nullptr, nullptr,
                               nullptr, nullptr);
    return found ? std::optional<std::string>(noted) : std::nullopt;
}

ServerError sqlServerError(const SqliteError& error, std::string_view statement,
                           const SqliteText& translated, const NameScope& scope, sqlite3* db,
                           const std::optional<std::string>& duplicateKeyShown) {
    const std::string_view message = error.sqliteMessage;
    const auto after = [&](std::string_view prefix) { return message.substr(prefix.size()); };
    if (startsWith(message, "no such table: "))
        return ServerError(
            208, "Invalid object name '" +
                     writtenName(statement, scope, sqliteName(after("no such table: "))) + "'.");
    if (startsWith(message, "no such column: ")) {
        const std::string column = sqliteName(after("no such column: "));
        return ServerError(207,
                           "Invalid column name '" + column.substr(column.rfind('.') + 1) + "'.");
    }
    if (startsWith(message, "no such function: "))
        return ServerError(195,
                           "'" + std::string(after("no such function: ")) +
                               "' is not a recognized built-in function name.",
                           15);
    if (startsWith(message, "NOT NULL constraint failed: "))
        return notNull(after("NOT NULL constraint failed: "), statement, scope);
    if (startsWith(message, uniqueFailed))
        return duplicateKey(after(uniqueFailed), db, duplicateKeyShown);
    if (message == "FOREIGN KEY constraint failed")
        return brokenForeignKey(statement, scope, db);
    if (message == divideByZero)
        return ServerError(8134, divideByZero);
    if (startsWith(message, "unknown database ")) {
        std::string schema(after("unknown database "));
        std::erase(schema, '"');
        return ServerError(2760, "The specified schema name \"" + schema +
                                     "\" either does not exist or you do not have permission "
                                     "to use it.");
    }
    const std::vector<SqlToken> tokens = significant(statement, scope.quotedIdentifiers);
    if (message == "incomplete input")
        return syntaxErrorAtEnd(statement, tokens);
    if (message.find("syntax error") != std::string_view::npos ||
        startsWith(message, "unrecognized token")) {
        if (const auto token =
                tokenAt(statement, translated, error.errorOffset, scope.quotedIdentifiers))
            return syntaxErrorNear(statement, *token);
        return syntaxErrorAtEnd(statement, tokens);
    }
    return error;
}

bool endsBatch(const ServerError& error) {
    switch (error.number) {
    case 207:
    case 208:
    case 245:
    case 8114:
    case 8115:
    case 8134:
        return true;
    default:
        // THROW's errors (50000 and above) end the batch; RAISERROR's do not (state 0 marks
        // them below).
        return false;
    }
}

} // namespace velmora::tds
