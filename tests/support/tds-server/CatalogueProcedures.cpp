#include "CatalogueProcedures.h"

#include "Procedures.h"
#include "ServerError.h"
#include "SystemCatalogue.h"
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
                 const std::vector<SystemParameter>& parameters)
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
                if (position < parameters_.size() && parameters_[position].name == parameter)
                    return &argument.value;
                ++position;
            } else if (equalsIgnoringCase(argument.name, parameter)) {
                return &argument.value;
            }
        }
        return nullptr;
    }

    const std::vector<Argument>& arguments_;
    const std::vector<SystemParameter>& parameters_;
};

struct CatalogueObject {
    ObjectName name;
    std::string type; // TABLE, VIEW, SYSTEM TABLE
};

// Case-insensitive, as the server's collation compares names.
bool lessIgnoringCase(const std::string& a, const std::string& b) {
    return lowerAscii(a) < lowerAscii(b);
}

// The tables and views of the current database, with the server-wide views master holds, in
// sp_tables's order: by type, owner and name.
std::vector<CatalogueObject> objectsOf(const Engine& engine) {
    SqliteStatement rows(engine.db(), "select name, type from main.sqlite_schema where type in "
                                      "('table', 'view')");
    std::vector<CatalogueObject> objects;
    while (rows.step()) {
        const std::string stored = rows.value(0).bytes;
        std::string type = rows.value(1).bytes == "view" ? "VIEW" : "TABLE";
        if (isInternalTable(stored))
            type = "SYSTEM TABLE";
        objects.push_back({objectOfStoredName(stored), type});
    }
    if (!equalsIgnoringCase(engine.database(), "master"))
        for (const ObjectName& view : serverWideViews())
            objects.push_back({view, "VIEW"});
    std::sort(objects.begin(), objects.end(), [](const auto& a, const auto& b) {
        if (a.type != b.type)
            return a.type < b.type;
        if (!equalsIgnoringCase(a.name.schema, b.name.schema))
            return lessIgnoringCase(a.name.schema, b.name.schema);
        return lessIgnoringCase(a.name.name, b.name.name);
    });
    return objects;
}

// An owner argument: a pattern when given; otherwise, as SQL Server looks for an object of the
// caller (dbo here) before the database owner's, dbo.
bool ownerMatches(const std::string& owner, const std::string& schema) {
    return owner.empty() ? equalsIgnoringCase(schema, "dbo") : likeMatches(schema, owner);
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
    const std::vector<std::string> types = tableTypes(arguments.text("@table_type"));
    for (const CatalogueObject& object : objectsOf(engine)) {
        if (!likeMatches(object.name.name, arguments.pattern("@table_name")) ||
            !likeMatches(object.name.schema, arguments.pattern("@table_owner")))
            continue;
        if (!types.empty() && std::find(types.begin(), types.end(), object.type) == types.end())
            continue;
        table.rows.push_back({Value::text(engine.database()), Value::text(object.name.schema),
                              Value::text(object.name.name), Value::text(object.type),
                              Value::null()});
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
    const bool odbc2 = arguments.text("@ODBCVer") == "2";
    for (const CatalogueObject& object : objectsOf(engine)) {
        if (!likeMatches(object.name.name, arguments.pattern("@table_name")) ||
            !ownerMatches(arguments.text("@table_owner"), object.name.schema))
            continue;
        const std::string stored = object.name.stored();
        SqliteStatement columns(engine.db(), "select name, type, \"notnull\", dflt_value, pk from "
                                             "main.pragma_table_info(?1) order by cid");
        columns.bind(1, Value::text(stored));
        int ordinal = 0;
        while (columns.step()) {
            const std::string column = columns.value(0).bytes;
            ++ordinal;
            if (!likeMatches(column, arguments.pattern("@column_name")))
                continue;
            SqlType type = parseDeclaredType(columns.value(1).bytes)
                               .value_or(SqlType::of(TypeKind::NVarChar, maxLength));
            int autoIncrement = 0;
            sqlite3_table_column_metadata(engine.db(), "main", stored.c_str(), column.c_str(),
                                          nullptr, nullptr, nullptr, nullptr, &autoIncrement);
            type.identity = autoIncrement != 0;
            const bool nullable = columns.value(2).integer == 0 && columns.value(4).integer == 0;
            std::vector<Value> row{Value::text(engine.database()), Value::text(object.name.schema),
                                   Value::text(object.name.name), Value::text(column)};
            Value columnDefault = columns.value(3);
            if (columnDefault.kind != ValueKind::Null)
                columnDefault = Value::text("(" + columnDefault.bytes + ")");
            addTypeValues(row, type, nullable, columnDefault, ordinal, odbc2);
            table.rows.push_back(std::move(row));
        }
    }
    return table;
}

// A procedure or function as the catalogue lists it: the user's from the modules, the
// system's from the server's own list.
struct ListedProcedure {
    ObjectName name;
    bool function = false;
    std::optional<SqlType> returnType; // a scalar function's
    std::vector<ProcedureParameter> parameters;
};

std::vector<ListedProcedure> proceduresOf(const Engine& engine) {
    std::vector<ListedProcedure> listed;
    SqliteStatement modules(engine.db(), "select name, kind, return_type from tds_procedures "
                                         "where kind in ('P', 'FN')");
    while (modules.step()) {
        ListedProcedure procedure{objectOfStoredName(modules.value(0).bytes),
                                  modules.value(1).bytes == "FN",
                                  parseDeclaredType(modules.value(2).bytes),
                                  {}};
        SqliteStatement parameters(engine.db(),
                                   "select name, type, is_output from tds_procedure_parameters "
                                   "where procedure_name = ?1 order by ordinal");
        parameters.bind(1, modules.value(0));
        while (parameters.step())
            procedure.parameters.push_back(
                {parameters.value(0).bytes,
                 parseDeclaredType(parameters.value(1).bytes).value_or(SqlType{}),
                 parameters.value(2).integer != 0,
                 {}});
        listed.push_back(std::move(procedure));
    }
    for (const SystemProcedure& system : systemProcedures()) {
        ListedProcedure procedure{{"sys", std::string(system.name)}, system.function, {}, {}};
        for (const SystemParameter& parameter : system.parameters)
            procedure.parameters.push_back(
                {std::string(parameter.name), *parseDeclaredType(parameter.type), false, {}});
        listed.push_back(std::move(procedure));
    }
    std::sort(listed.begin(), listed.end(), [](const auto& a, const auto& b) {
        if (!equalsIgnoringCase(a.name.schema, b.name.schema))
            return lessIgnoringCase(a.name.schema, b.name.schema);
        return lessIgnoringCase(a.name.name, b.name.name);
    });
    return listed;
}

// "name;1" for a procedure, "name;0" for a function, as SQL Server reports them.
std::string reportedName(const ListedProcedure& procedure) {
    return procedure.name.name + (procedure.function ? ";0" : ";1");
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
    for (const ListedProcedure& procedure : proceduresOf(engine)) {
        if (!likeMatches(procedure.name.name, arguments.pattern("@sp_name")) ||
            !likeMatches(procedure.name.schema, arguments.pattern("@sp_owner")))
            continue;
        // SQL Server reserves the three counts and reports -1; every procedure is of type 2.
        table.rows.push_back({Value::text(engine.database()), Value::text(procedure.name.schema),
                              Value::text(reportedName(procedure)), Value::of(int64_t{-1}),
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
    const bool odbc2 = arguments.text("@ODBCVer") == "2";
    // The name may come with its group number ("add_customer;1").
    std::string pattern = arguments.pattern("@procedure_name");
    pattern = pattern.substr(0, pattern.find(';'));
    const std::string owner = arguments.text("@procedure_owner");
    for (const ListedProcedure& procedure : proceduresOf(engine)) {
        const bool visible = owner.empty() ? procedure.name.inDbo() ||
                                                 equalsIgnoringCase(procedure.name.schema, "sys")
                                           : likeMatches(procedure.name.schema, owner);
        if (!visible || !likeMatches(procedure.name.name, pattern))
            continue;
        const auto add = [&](const std::string& column, int columnType, const SqlType& type,
                             int ordinal) {
            if (!likeMatches(column, arguments.pattern("@column_name")))
                return;
            std::vector<Value> row{Value::text(engine.database()),
                                   Value::text(procedure.name.schema),
                                   Value::text(reportedName(procedure)), Value::text(column),
                                   Value::of(int64_t{columnType})};
            addTypeValues(row, type, columnType != 5, Value::null(), ordinal, odbc2);
            table.rows.push_back(std::move(row));
        };
        // ODBC's column types: 1 input, 2 input/output (SQL Server's OUTPUT), 5 return value.
        add("@RETURN_VALUE", 5, procedure.returnType.value_or(SqlType::of(TypeKind::Int)), 0);
        int ordinal = 0;
        for (const ProcedureParameter& parameter : procedure.parameters)
            add(parameter.name, parameter.output ? 2 : 1, parameter.type, ++ordinal);
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
    ObjectName object{arguments.text("@table_owner"), arguments.text("@table_name")};
    if (object.schema.empty())
        object.schema = "dbo";
    SqliteStatement keys(engine.db(), "select name, pk from main.pragma_table_info(?1) where pk "
                                      "> 0 order by pk");
    keys.bind(1, Value::text(object.stored()));
    while (keys.step())
        table.rows.push_back({Value::text(engine.database()), Value::text(object.schema),
                              Value::text(object.name), keys.value(0), keys.value(1),
                              Value::text("PK_" + object.name)});
    return table;
}

// The object's definition in lines of at most 255 characters, each with its line break: a
// module's as it was created, or SQLite's text of a view or trigger made otherwise.
ResultTable spHelptext(const ArgumentList& arguments, const Engine& engine) {
    const std::string written = arguments.text("@objname");
    const std::string stored = parseObjectName(written).stored();
    std::string definition;
    SqliteStatement module(engine.db(), "select definition from tds_procedures where name = ?1");
    module.bind(1, Value::text(stored));
    if (module.step()) {
        definition = module.value(0).bytes;
    } else {
        SqliteStatement object(engine.db(), "select type, sql from main.sqlite_schema where name "
                                            "= ?1 collate nocase");
        object.bind(1, Value::text(stored));
        if (!object.step())
            throw ServerError(15009, "The object '" + written + "' does not exist in database '" +
                                         engine.database() + "' or is invalid for this operation.");
        if (object.value(0).bytes != "view" && object.value(0).bytes != "trigger")
            throw ServerError(15197, "There is no text for object '" + written + "'.");
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
    std::function<ResultTable(const ArgumentList&, const Engine&)> run;
};

const std::array<CatalogueProcedure, 6>& catalogueProcedures() {
    static const std::array<CatalogueProcedure, 6> procedures = {{
        {"sp_tables", spTables},
        {"sp_columns", spColumns},
        {"sp_stored_procedures", spStoredProcedures},
        {"sp_sproc_columns", spSprocColumns},
        {"sp_pkeys", spPkeys},
        {"sp_helptext", spHelptext},
    }};
    return procedures;
}

const SystemProcedure& systemProcedure(std::string_view name) {
    for (const SystemProcedure& procedure : systemProcedures())
        if (equalsIgnoringCase(procedure.name, name))
            return procedure;
    throw ServerError(2812, "Could not find stored procedure '" + std::string(name) + "'.");
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
            return {
                procedure.run(ArgumentList(arguments, systemProcedure(name).parameters), engine)};
    throw ServerError(2812, "Could not find stored procedure '" + name + "'.");
}

const std::vector<SystemProcedure>& systemProcedures() {
    // Parameters as Microsoft documents each procedure's.
    static const std::vector<SystemProcedure> procedures = {
        {"fn_helpcollations", true, {}},
        {"sp_columns",
         false,
         {{"@table_name", "nvarchar(384)"},
          {"@table_owner", "nvarchar(384)"},
          {"@table_qualifier", "sysname"},
          {"@column_name", "nvarchar(384)"},
          {"@ODBCVer", "int"},
          {"@fUsePattern", "bit"}}},
        {"sp_executesql", false, {{"@statement", "nvarchar(max)"}, {"@params", "nvarchar(max)"}}},
        {"sp_helptext", false, {{"@objname", "nvarchar(776)"}, {"@columnname", "sysname"}}},
        {"sp_pkeys",
         false,
         {{"@table_name", "sysname"},
          {"@table_owner", "sysname"},
          {"@table_qualifier", "sysname"}}},
        {"sp_sproc_columns",
         false,
         {{"@procedure_name", "nvarchar(390)"},
          {"@procedure_owner", "nvarchar(384)"},
          {"@procedure_qualifier", "sysname"},
          {"@column_name", "nvarchar(384)"},
          {"@ODBCVer", "int"},
          {"@fUsePattern", "bit"}}},
        {"sp_stored_procedures",
         false,
         {{"@sp_name", "nvarchar(390)"},
          {"@sp_owner", "nvarchar(384)"},
          {"@sp_qualifier", "sysname"},
          {"@fUsePattern", "bit"}}},
        {"sp_tables",
         false,
         {{"@table_name", "nvarchar(384)"},
          {"@table_owner", "nvarchar(384)"},
          {"@table_qualifier", "sysname"},
          {"@table_type", "varchar(100)"},
          {"@fUsePattern", "bit"}}},
    };
    return procedures;
}

} // namespace velmora::tds
