#include "Functions.h"

#include "Conversions.h"
#include "Engine.h"
#include "SqlErrors.h"
#include "SqlText.h"
#include "SystemCatalogue.h"
#include "Text.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <random>

namespace velmora::tds {

namespace {

void setText(sqlite3_context* context, const std::string& text) {
    sqlite3_result_text(context, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

std::string valueText(sqlite3_value* value) {
    return {reinterpret_cast<const char*>(sqlite3_value_text(value)),
            static_cast<size_t>(sqlite3_value_bytes(value))};
}

Engine& engineOf(sqlite3_context* context) {
    return *static_cast<Engine*>(sqlite3_user_data(context));
}

// The local time as datetime (3 fraction digits) or datetime2 (7) shows it.
void now(sqlite3_context* context, int digits) {
    timespec clock{};
    clock_gettime(CLOCK_REALTIME, &clock);
    tm local{};
    localtime_r(&clock.tv_sec, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%07ld", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  clock.tv_nsec / 100);
    setText(context, std::string(text, 20 + static_cast<size_t>(digits)));
}

void getDate(sqlite3_context* context, int, sqlite3_value**) {
    now(context, 3);
}

void sysDateTime(sqlite3_context* context, int, sqlite3_value**) {
    now(context, 7);
}

void newId(sqlite3_context* context, int, sqlite3_value**) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::string bytes(16, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    bytes[7] = static_cast<char>((bytes[7] & 0x0F) | 0x40); // version 4
    bytes[8] = static_cast<char>((bytes[8] & 0x3F) | 0x80);
    setText(context, formatGuid(bytes));
}

// Characters without trailing blanks, as LEN counts them.
void len(sqlite3_context* context, int, sqlite3_value** arguments) {
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    std::string text = valueText(arguments[0]);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    int64_t characters = 0;
    for (char c : text)
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    sqlite3_result_int64(context, characters);
}

// Division and remainder as SQL Server has them: integers stay integers (truncated toward
// zero), a zero divisor is an error (SqlErrors.h maps it to 8134), a null gives null.
template <bool remainder>
void divide(sqlite3_context* context, int, sqlite3_value** arguments) {
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL ||
        sqlite3_value_type(arguments[1]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    const bool integers = sqlite3_value_numeric_type(arguments[0]) == SQLITE_INTEGER &&
                          sqlite3_value_numeric_type(arguments[1]) == SQLITE_INTEGER;
    if (integers) {
        const int64_t a = sqlite3_value_int64(arguments[0]);
        const int64_t b = sqlite3_value_int64(arguments[1]);
        if (b == 0)
            return sqlite3_result_error(context, divideByZero, -1);
        if (b == -1)
            return sqlite3_result_int64(context, remainder ? 0 : -a);
        return sqlite3_result_int64(context, remainder ? a % b : a / b);
    }
    const double a = sqlite3_value_double(arguments[0]);
    const double b = sqlite3_value_double(arguments[1]);
    if (b == 0)
        return sqlite3_result_error(context, divideByZero, -1);
    sqlite3_result_double(context, remainder ? std::fmod(a, b) : a / b);
}

// CONCAT: its arguments as text, a null as nothing.
void concat(sqlite3_context* context, int count, sqlite3_value** arguments) {
    std::string text;
    for (int i = 0; i < count; ++i)
        if (sqlite3_value_type(arguments[i]) != SQLITE_NULL)
            text += valueText(arguments[i]);
    setText(context, text);
}

void dbName(sqlite3_context* context, int, sqlite3_value**) {
    setText(context, engineOf(context).database());
}

// SCHEMA_ID(name) and SCHEMA_NAME(id), from the current database's schemas.
void schemaIdOf(sqlite3_context* context, int, sqlite3_value** arguments) {
    const int id = schemaId(engineOf(context).db(), valueText(arguments[0]));
    if (id == 0)
        return sqlite3_result_null(context);
    sqlite3_result_int(context, id);
}

void schemaNameOf(sqlite3_context* context, int, sqlite3_value** arguments) {
    SqliteStatement row(engineOf(context).db(),
                        "select name from tds_schemas where schema_id = ?1");
    row.bind(1, valueOf(arguments[0]));
    if (!row.step())
        return sqlite3_result_null(context);
    setText(context, row.value(0).bytes);
}

// OBJECT_ID('[database.][schema.]name' [, 'type']): the id of a schema-scoped object of the
// current database, found by its name as written (dbo without a schema); null when there is none,
// when its type is not the one asked, or when the name is of another database.
void objectIdOf(sqlite3_context* context, int count, sqlite3_value** arguments) {
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    Engine& engine = engineOf(context);
    const std::string text = valueText(arguments[0]);
    std::vector<std::string> parts{""};
    for (const SqlToken& token : significant(text))
        if (token.isSymbol('.'))
            parts.emplace_back();
        else
            parts.back() += nameText(token);
    if (parts.size() > 4 || parts.back().empty())
        return sqlite3_result_null(context);
    if (parts.size() >= 3 && !parts[parts.size() - 3].empty() &&
        !equalsIgnoringCase(parts[parts.size() - 3], engine.database()))
        return sqlite3_result_null(context);
    const ObjectName object = parseObjectName(text);
    SqliteStatement row(engine.db(), "select object_id from tds_objects where stored_name = ?1 "
                                     "collate nocase and (?2 is null or type = upper(trim(?2)))");
    row.bind(1, Value::text(object.stored()));
    row.bind(2, count > 1 ? valueOf(arguments[1]) : Value());
    if (!row.step())
        return sqlite3_result_null(context);
    sqlite3_result_int64(context, row.value(0).integer);
}

// OBJECT_NAME(id): the name of an object of the current database, null for an unknown id.
void objectNameOf(sqlite3_context* context, int, sqlite3_value** arguments) {
    SqliteStatement row(engineOf(context).db(),
                        "select name from tds_objects where object_id = ?1");
    row.bind(1, valueOf(arguments[0]));
    if (!row.step())
        return sqlite3_result_null(context);
    setText(context, row.value(0).bytes);
}

// OBJECTPROPERTY(id, property) for the properties of the kinds of object the double has: 1 or 0
// for the Is... properties (0 for kinds it has none of: triggers, constraints, table functions),
// the schema and owner ids; null for an unknown id or property name.
void objectProperty(sqlite3_context* context, int, sqlite3_value** arguments) {
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL ||
        sqlite3_value_type(arguments[1]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    SqliteStatement row(engineOf(context).db(),
                        "select o.type, s.schema_id from tds_objects o join tds_schemas s on "
                        "s.name = o.schema_name where o.object_id = ?1");
    row.bind(1, valueOf(arguments[0]));
    if (!row.step())
        return sqlite3_result_null(context);
    const std::string type = row.value(0).bytes;
    const int64_t schema = row.value(1).integer;
    const std::string property = valueText(arguments[1]);
    struct Kind {
        const char* property;
        const char* types; // the object types for which it is 1, blank-separated
    };
    const Kind kinds[] = {{"IsProcedure", " P "},
                          {"IsUserTable", " U "},
                          {"IsTable", " U "},
                          {"IsView", " V "},
                          {"IsScalarFunction", " FN "},
                          {"IsExecuted", " P V FN "},
                          {"IsTableFunction", ""},
                          {"IsInlineFunction", ""},
                          {"IsTrigger", ""},
                          {"IsConstraint", ""},
                          {"IsPrimaryKey", ""},
                          {"IsForeignKey", ""},
                          {"IsCheckCnst", ""},
                          {"IsDefault", ""},
                          {"IsDefaultCnst", ""},
                          {"IsRule", ""},
                          {"IsExtendedProc", ""},
                          {"IsMSShipped", ""},
                          {"IsSystemTable", ""}};
    for (const Kind& kind : kinds)
        if (equalsIgnoringCase(property, kind.property))
            return sqlite3_result_int(
                context, std::string_view(kind.types).find(" " + type + " ") != std::string::npos);
    if (equalsIgnoringCase(property, "SchemaId"))
        return sqlite3_result_int64(context, schema);
    if (equalsIgnoringCase(property, "OwnerId"))
        return sqlite3_result_int(context, 1); // dbo, which owns every schema here
    sqlite3_result_null(context);
}

void scopeIdentity(sqlite3_context* context, int, sqlite3_value**) {
    sqlite3_result_int64(context, sqlite3_last_insert_rowid(engineOf(context).db()));
}

void version(sqlite3_context* context, int, sqlite3_value**) {
    setText(context, std::string("Velmora TDS test server 15.0.2000 (a protocol double over "
                                 "SQLite ") +
                         sqlite3_libversion() + ")");
}

void tranCount(sqlite3_context* context, int, sqlite3_value**) {
    sqlite3_result_int(context, engineOf(context).inTransaction() ? 1 : 0);
}

} // namespace

void registerFunctions(sqlite3* db, Engine& engine) {
    struct Function {
        const char* name;
        int arguments;
        void (*call)(sqlite3_context*, int, sqlite3_value**);
    };
    const Function functions[] = {{"getdate", 0, getDate},
                                  {"sysdatetime", 0, sysDateTime},
                                  {"newid", 0, newId},
                                  {"len", 1, len},
                                  {"concat", -1, concat},
                                  {"tds_divide", 2, divide<false>},
                                  {"tds_modulo", 2, divide<true>},
                                  {"db_name", 0, dbName},
                                  {"schema_id", 1, schemaIdOf},
                                  {"schema_name", 1, schemaNameOf},
                                  {"object_id", 1, objectIdOf},
                                  {"object_id", 2, objectIdOf},
                                  {"object_name", 1, objectNameOf},
                                  {"objectproperty", 2, objectProperty},
                                  {"scope_identity", 0, scopeIdentity},
                                  {"tds_version", 0, version},
                                  {"tds_trancount", 0, tranCount}};
    for (const Function& function : functions)
        sqlite3_create_function_v2(db, function.name, function.arguments, SQLITE_UTF8, &engine,
                                   function.call, nullptr, nullptr, nullptr);
}

} // namespace velmora::tds
