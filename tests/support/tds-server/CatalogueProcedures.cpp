#include "CatalogueProcedures.h"

#include "Procedures.h"
#include "ServerError.h"
#include "Text.h"

#include <algorithm>
#include <array>
#include <functional>

namespace velmora::tds {

namespace {

const SqlType sysname = SqlType::of(TypeKind::NVarChar, 128);
const SqlType smallint = SqlType::of(TypeKind::SmallInt);
const SqlType integer = SqlType::of(TypeKind::Int);
const SqlType tinyint = SqlType::of(TypeKind::TinyInt);
const SqlType remarks = SqlType::of(TypeKind::VarChar, 254);

Value number(std::optional<int> value) {
    return value ? Value::of(int64_t{*value}) : Value::null();
}

// The arguments of one call, found by name or, when passed without one, by position in the
// procedure's documented parameter list.
class ArgumentList {
public:
    ArgumentList(const std::vector<Argument>& arguments,
                 const std::vector<std::string_view>& parameters)
        : arguments_(arguments), parameters_(parameters) {}

    // The argument's text; empty when it is missing or null.
    std::string text(std::string_view parameter) const {
        const Value* value = find(parameter);
        if (value == nullptr || value->kind == ValueKind::Null)
            return {};
        if (value->kind == ValueKind::Integer)
            return std::to_string(value->integer);
        return value->bytes;
    }
    // A pattern argument: missing means everything.
    std::string pattern(std::string_view parameter) const {
        const std::string value = text(parameter);
        return value.empty() ? "%" : value;
    }

private:
    const Value* find(std::string_view parameter) const {
        size_t position = 0;
        for (const Argument& argument : arguments_) {
            if (argument.name.empty()) {
                if (position < parameters_.size() && parameters_[position] == parameter)
                    return &argument.value;
                ++position;
            } else if (equalsIgnoringCase(argument.name, parameter)) {
                return &argument.value;
            }
        }
        return nullptr;
    }

    const std::vector<Argument>& arguments_;
    const std::vector<std::string_view>& parameters_;
};

struct CatalogueObject {
    std::string name;
    std::string type; // TABLE, VIEW, SYSTEM TABLE
    std::string sql;  // SQLite's CREATE text
};

bool isSystemTable(const std::string& name) {
    const std::string lower = lowerAscii(name);
    return lower.rfind("sqlite_", 0) == 0 || lower.rfind("tds_", 0) == 0 || lower == "sysdatabases";
}

std::vector<CatalogueObject> objectsOf(const Engine& engine) {
    SqliteStatement rows(engine.db(), "select name, type, sql from main.sqlite_schema where type "
                                      "in ('table', 'view') order by name");
    std::vector<CatalogueObject> objects;
    while (rows.step()) {
        CatalogueObject object{rows.value(0).bytes, "TABLE", rows.value(2).bytes};
        if (rows.value(1).bytes == "view")
            object.type = "VIEW";
        else if (isSystemTable(object.name))
            object.type = "SYSTEM TABLE";
        objects.push_back(std::move(object));
    }
    return objects;
}

// The current database's name must be the qualifier, when one is given.
void checkQualifier(const std::string& qualifier, const Engine& engine) {
    if (!qualifier.empty() && qualifier != "%" && !equalsIgnoringCase(qualifier, engine.database()))
        throw ServerError(15250, "The database name component of the object qualifier must be "
                                 "the name of the current database.");
}

// "'TABLE','VIEW'" or "TABLE, VIEW": the table types asked for; none means all.
std::vector<std::string> tableTypes(const std::string& list) {
    std::vector<std::string> types;
    std::string current;
    for (char c : list + ",") {
        if (c == ',') {
            if (!current.empty())
                types.push_back(current);
            current.clear();
        } else if (c != '\'' && !(c == ' ' && current.empty())) {
            current += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    for (std::string& type : types)
        while (!type.empty() && type.back() == ' ')
            type.pop_back();
    return types;
}

ResultTable spTables(const ArgumentList& arguments, const Engine& engine) {
    ResultTable table{{{"TABLE_QUALIFIER", sysname},
                       {"TABLE_OWNER", sysname},
                       {"TABLE_NAME", sysname},
                       {"TABLE_TYPE", SqlType::of(TypeKind::VarChar, 32)},
                       {"REMARKS", remarks}},
                      {}};
    const std::string qualifier = arguments.text("@table_qualifier");
    const std::string name = arguments.text("@table_name");
    const std::string owner = arguments.text("@table_owner");
    if (qualifier == "%" && name.empty() && owner.empty()) {
        // The list of databases (SQLTables with SQL_ALL_CATALOGS).
        for (const std::string& database : engine.data().databases())
            table.rows.push_back({Value::text(database), Value::null(), Value::null(),
                                  Value::null(), Value::null()});
        return table;
    }
    checkQualifier(qualifier, engine);
    if (!likeMatches("dbo", arguments.pattern("@table_owner")))
        return table;
    const std::vector<std::string> types = tableTypes(arguments.text("@table_type"));
    std::vector<CatalogueObject> objects = objectsOf(engine);
    std::stable_sort(objects.begin(), objects.end(),
                     [](const auto& a, const auto& b) { return a.type < b.type; });
    for (const CatalogueObject& object : objects) {
        if (!likeMatches(object.name, arguments.pattern("@table_name")))
            continue;
        if (!types.empty() && std::find(types.begin(), types.end(), object.type) == types.end())
            continue;
        table.rows.push_back({Value::text(engine.database()), Value::text("dbo"),
                              Value::text(object.name), Value::text(object.type), Value::null()});
    }
    return table;
}

// The columns SQL Server's sp_columns and sp_sproc_columns share, from DATA_TYPE on.
void addTypeColumns(ResultTable& table) {
    const std::vector<ResultColumn> columns = {
        {"DATA_TYPE", smallint},
        {"TYPE_NAME", sysname},
        {"PRECISION", integer},
        {"LENGTH", integer},
        {"SCALE", smallint},
        {"RADIX", smallint},
        {"NULLABLE", smallint},
        {"REMARKS", remarks},
        {"COLUMN_DEF", SqlType::of(TypeKind::NVarChar, 4000)},
        {"SQL_DATA_TYPE", smallint},
        {"SQL_DATETIME_SUB", smallint},
        {"CHAR_OCTET_LENGTH", integer},
        {"ORDINAL_POSITION", integer},
        {"IS_NULLABLE", remarks},
        {"SS_DATA_TYPE", tinyint}};
    table.columns.insert(table.columns.end(), columns.begin(), columns.end());
}

void addTypeValues(std::vector<Value>& row, const SqlType& type, bool nullable,
                   const Value& columnDefault, int ordinal, bool odbc2) {
    OdbcTypeInfo info = odbcTypeInfo(type);
    if (odbc2 && info.dataType >= 91 && info.dataType <= 93)
        info.dataType -= 82; // ODBC 2's date, time and timestamp codes
    row.push_back(Value::of(int64_t{info.dataType}));
    row.push_back(Value::text(type.typeName()));
    row.push_back(number(info.columnSize));
    row.push_back(number(info.bufferLength));
    row.push_back(number(info.decimalDigits));
    row.push_back(number(info.radix));
    row.push_back(Value::of(int64_t{nullable}));
    row.push_back(Value::null());
    row.push_back(columnDefault);
    row.push_back(Value::of(int64_t{info.sqlDataType}));
    row.push_back(number(info.dateTimeSub));
    row.push_back(number(info.charOctetLength));
    row.push_back(Value::of(int64_t{ordinal}));
    row.push_back(Value::text(nullable ? "YES" : "NO"));
    row.push_back(Value::of(int64_t{info.serverType}));
}

ResultTable spColumns(const ArgumentList& arguments, const Engine& engine) {
    ResultTable table{{{"TABLE_QUALIFIER", sysname},
                       {"TABLE_OWNER", sysname},
                       {"TABLE_NAME", sysname},
                       {"COLUMN_NAME", sysname}},
                      {}};
    addTypeColumns(table);
    checkQualifier(arguments.text("@table_qualifier"), engine);
    if (!likeMatches("dbo", arguments.pattern("@table_owner")))
        return table;
    const bool odbc2 = arguments.text("@ODBCVer") == "2";
    for (const CatalogueObject& object : objectsOf(engine)) {
        if (!likeMatches(object.name, arguments.pattern("@table_name")))
            continue;
        SqliteStatement columns(engine.db(), "select name, type, \"notnull\", dflt_value, pk from "
                                             "main.pragma_table_info(?1) order by cid");
        columns.bind(1, Value::text(object.name));
        int ordinal = 0;
        while (columns.step()) {
            const std::string column = columns.value(0).bytes;
            ++ordinal;
            if (!likeMatches(column, arguments.pattern("@column_name")))
                continue;
            SqlType type = parseDeclaredType(columns.value(1).bytes)
                               .value_or(SqlType::of(TypeKind::NVarChar, maxLength));
            int autoIncrement = 0;
            sqlite3_table_column_metadata(engine.db(), "main", object.name.c_str(), column.c_str(),
                                          nullptr, nullptr, nullptr, nullptr, &autoIncrement);
            type.identity = autoIncrement != 0;
            const bool nullable = columns.value(2).integer == 0 && columns.value(4).integer == 0;
            std::vector<Value> row{Value::text(engine.database()), Value::text("dbo"),
                                   Value::text(object.name), Value::text(column)};
            Value columnDefault = columns.value(3);
            if (columnDefault.kind != ValueKind::Null)
                columnDefault = Value::text("(" + columnDefault.bytes + ")");
            addTypeValues(row, type, nullable, columnDefault, ordinal, odbc2);
            table.rows.push_back(std::move(row));
        }
    }
    return table;
}

ResultTable spStoredProcedures(const ArgumentList& arguments, const Engine& engine) {
    ResultTable table{{{"PROCEDURE_QUALIFIER", sysname},
                       {"PROCEDURE_OWNER", sysname},
                       {"PROCEDURE_NAME", SqlType::of(TypeKind::NVarChar, 134)},
                       {"NUM_INPUT_PARAMS", integer},
                       {"NUM_OUTPUT_PARAMS", integer},
                       {"NUM_RESULT_SETS", integer},
                       {"REMARKS", remarks},
                       {"PROCEDURE_TYPE", smallint}},
                      {}};
    checkQualifier(arguments.text("@sp_qualifier"), engine);
    if (!likeMatches("dbo", arguments.pattern("@sp_owner")))
        return table;
    runSqlite(engine.db(), procedureCatalogueTables);
    SqliteStatement procedures(engine.db(), "select name from tds_procedures order by name");
    while (procedures.step()) {
        const std::string name = procedures.value(0).bytes;
        if (!likeMatches(name, arguments.pattern("@sp_name")))
            continue;
        // SQL Server reserves the three counts and reports -1; every procedure is of type 2.
        table.rows.push_back({Value::text(engine.database()), Value::text("dbo"),
                              Value::text(name + ";1"), Value::of(int64_t{-1}),
                              Value::of(int64_t{-1}), Value::of(int64_t{-1}), Value::null(),
                              Value::of(int64_t{2})});
    }
    return table;
}

ResultTable spSprocColumns(const ArgumentList& arguments, const Engine& engine) {
    ResultTable table{{{"PROCEDURE_QUALIFIER", sysname},
                       {"PROCEDURE_OWNER", sysname},
                       {"PROCEDURE_NAME", SqlType::of(TypeKind::NVarChar, 134)},
                       {"COLUMN_NAME", sysname},
                       {"COLUMN_TYPE", smallint}},
                      {}};
    addTypeColumns(table);
    checkQualifier(arguments.text("@procedure_qualifier"), engine);
    if (!likeMatches("dbo", arguments.pattern("@procedure_owner")))
        return table;
    const bool odbc2 = arguments.text("@ODBCVer") == "2";
    runSqlite(engine.db(), procedureCatalogueTables);
    SqliteStatement procedures(engine.db(), "select name from tds_procedures order by name");
    while (procedures.step()) {
        const std::string name = procedures.value(0).bytes;
        if (!likeMatches(name, arguments.pattern("@procedure_name")))
            continue;
        const auto add = [&](const std::string& column, int columnType, const SqlType& type,
                             int ordinal) {
            if (!likeMatches(column, arguments.pattern("@column_name")))
                return;
            std::vector<Value> row{Value::text(engine.database()), Value::text("dbo"),
                                   Value::text(name + ";1"), Value::text(column),
                                   Value::of(int64_t{columnType})};
            addTypeValues(row, type, columnType != 5, Value::null(), ordinal, odbc2);
            table.rows.push_back(std::move(row));
        };
        // ODBC's column types: 1 input, 2 input/output (SQL Server's OUTPUT), 5 return value.
        add("@RETURN_VALUE", 5, SqlType::of(TypeKind::Int), 0);
        SqliteStatement parameters(engine.db(),
                                   "select name, type, is_output from tds_procedure_parameters "
                                   "where procedure_name = ?1 order by ordinal");
        parameters.bind(1, Value::text(name));
        int ordinal = 0;
        while (parameters.step())
            add(parameters.value(0).bytes, parameters.value(2).integer != 0 ? 2 : 1,
                parseDeclaredType(parameters.value(1).bytes).value_or(SqlType{}), ++ordinal);
    }
    return table;
}

ResultTable spPkeys(const ArgumentList& arguments, const Engine& engine) {
    ResultTable table{{{"TABLE_QUALIFIER", sysname},
                       {"TABLE_OWNER", sysname},
                       {"TABLE_NAME", sysname},
                       {"COLUMN_NAME", sysname},
                       {"KEY_SEQ", smallint},
                       {"PK_NAME", sysname}},
                      {}};
    checkQualifier(arguments.text("@table_qualifier"), engine);
    const std::string name = arguments.text("@table_name");
    SqliteStatement keys(engine.db(), "select name, pk from main.pragma_table_info(?1) where pk "
                                      "> 0 order by pk");
    keys.bind(1, Value::text(name));
    while (keys.step())
        table.rows.push_back({Value::text(engine.database()), Value::text("dbo"), Value::text(name),
                              keys.value(0), keys.value(1), Value::text("PK_" + name)});
    return table;
}

// The object's definition in lines of at most 255 characters, each with its line break.
ResultTable spHelptext(const ArgumentList& arguments, const Engine& engine) {
    const std::string name = arguments.text("@objname");
    std::string definition;
    runSqlite(engine.db(), procedureCatalogueTables);
    SqliteStatement procedure(engine.db(), "select definition from tds_procedures where name = ?1");
    procedure.bind(1, Value::text(name));
    if (procedure.step()) {
        definition = procedure.value(0).bytes;
    } else {
        SqliteStatement object(engine.db(), "select type, sql from main.sqlite_schema where name "
                                            "= ?1 collate nocase");
        object.bind(1, Value::text(name));
        if (!object.step())
            throw ServerError(15009, "The object '" + name + "' does not exist in database '" +
                                         engine.database() +
                                         "' or is invalid for this "
                                         "operation.");
        if (object.value(0).bytes != "view" && object.value(0).bytes != "trigger")
            throw ServerError(15197, "There is no text for object '" + name + "'.");
        definition = object.value(1).bytes;
    }
    ResultTable table{{{"Text", SqlType::of(TypeKind::NVarChar, 255)}}, {}};
    size_t start = 0;
    while (start < definition.size()) {
        size_t end = definition.find('\n', start);
        end = end == std::string::npos ? definition.size() : end + 1;
        end = std::min(end, start + 255);
        table.rows.push_back({Value::text(definition.substr(start, end - start))});
        start = end;
    }
    return table;
}

struct CatalogueProcedure {
    std::string_view name;
    std::vector<std::string_view> parameters;
    std::function<ResultTable(const ArgumentList&, const Engine&)> run;
};

const std::array<CatalogueProcedure, 6>& catalogueProcedures() {
    static const std::array<CatalogueProcedure, 6> procedures = {{
        {"sp_tables",
         {"@table_name", "@table_owner", "@table_qualifier", "@table_type", "@fUsePattern"},
         spTables},
        {"sp_columns",
         {"@table_name", "@table_owner", "@table_qualifier", "@column_name", "@ODBCVer",
          "@fUsePattern"},
         spColumns},
        {"sp_stored_procedures",
         {"@sp_name", "@sp_owner", "@sp_qualifier", "@fUsePattern"},
         spStoredProcedures},
        {"sp_sproc_columns",
         {"@procedure_name", "@procedure_owner", "@procedure_qualifier", "@column_name", "@ODBCVer",
          "@fUsePattern"},
         spSprocColumns},
        {"sp_pkeys", {"@table_name", "@table_owner", "@table_qualifier"}, spPkeys},
        {"sp_helptext", {"@objname", "@columnname"}, spHelptext},
    }};
    return procedures;
}

} // namespace

bool likeMatches(std::string_view text, std::string_view pattern) {
    if (pattern.empty())
        return text.empty();
    const char p = pattern[0];
    if (p == '%') {
        for (size_t skip = 0; skip <= text.size(); ++skip)
            if (likeMatches(text.substr(skip), pattern.substr(1)))
                return true;
        return false;
    }
    if (text.empty())
        return false;
    const auto lower = [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    };
    if (p == '_')
        return likeMatches(text.substr(1), pattern.substr(1));
    if (p == '[') {
        const size_t close = pattern.find(']', 1);
        if (close != std::string_view::npos) {
            const std::string_view set = pattern.substr(1, close - 1);
            bool inSet = false;
            for (size_t i = 0; i < set.size(); ++i) {
                if (i + 2 < set.size() && set[i + 1] == '-') {
                    inSet = inSet || (lower(text[0]) >= lower(set[i]) &&
                                      lower(text[0]) <= lower(set[i + 2]));
                    i += 2;
                } else {
                    inSet = inSet || lower(set[i]) == lower(text[0]);
                }
            }
            return inSet && likeMatches(text.substr(1), pattern.substr(close + 1));
        }
    }
    if (p == '\\' && pattern.size() > 1)
        return lower(text[0]) == lower(pattern[1]) &&
               likeMatches(text.substr(1), pattern.substr(2));
    return lower(text[0]) == lower(p) && likeMatches(text.substr(1), pattern.substr(1));
}

bool isCatalogueProcedure(std::string_view name) {
    for (const CatalogueProcedure& procedure : catalogueProcedures())
        if (equalsIgnoringCase(procedure.name, name))
            return true;
    return false;
}

std::vector<ResultTable> runCatalogueProcedure(const std::string& name,
                                               const std::vector<Argument>& arguments,
                                               const Engine& engine) {
    for (const CatalogueProcedure& procedure : catalogueProcedures())
        if (equalsIgnoringCase(procedure.name, name))
            return {procedure.run(ArgumentList(arguments, procedure.parameters), engine)};
    throw ServerError(2812, "Could not find stored procedure '" + name + "'.");
}

} // namespace velmora::tds
