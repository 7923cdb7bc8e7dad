#include "SystemCatalogue.h"

#include "SqlText.h"
#include "Sqlite.h"
#include "Text.h"

namespace velmora::tds {

namespace {

// SQL Server's fixed schema ids; a database's own schemas are numbered from 5.
const char* const catalogueTables = R"(
create table if not exists tds_schemas (schema_id int primary key, name nvarchar(128) not null
    unique collate nocase);
insert or ignore into tds_schemas values (1, 'dbo'), (2, 'guest'), (3, 'INFORMATION_SCHEMA'),
    (4, 'sys');
create table if not exists tds_procedures (name nvarchar(128) primary key collate nocase,
    kind char(2) not null default 'P', definition ntext not null, return_type nvarchar(64));
create table if not exists tds_procedure_parameters (procedure_name nvarchar(128) not null
    collate nocase, ordinal int not null, name nvarchar(128) not null, type nvarchar(64) not null,
    is_output bit not null, default_value nvarchar(4000), primary key (procedure_name, ordinal));
)";

// The schema and the name of a stored name, in SQL.
#define SCHEMA_OF(n)                                                                               \
    "(case when instr(" n ", '.') > 0 then substr(" n ", 1, instr(" n ", '.') - 1) else 'dbo' "    \
    "end collate nocase)"
#define NAME_OF(n)                                                                                 \
    "(case when instr(" n ", '.') > 0 then substr(" n ", instr(" n ", '.') + 1) else " n           \
    " end collate nocase)"

// Every user object: tables and views from SQLite's schema, procedures and functions from the
// modules. Object ids are SQLite's row ids (modules from 1000000 on); types are SQL Server's
// without the blank of their char(2) ('U', 'V', 'P', 'FN'), as SQLite compares without padding.
const char* const objectsView =
    "create view tds_objects as "
    "select m.rowid as object_id, " SCHEMA_OF("m.name") " as schema_name, " NAME_OF(
        "m.name") " as name, case m.type when 'table' then 'U' else 'V' end as type, "
                  "case m.type when 'table' then 'USER_TABLE' else 'VIEW' end as type_desc, m.name "
                  "as "
                  "stored_name from sqlite_schema m where m.type in ('table', 'view') and m.name "
                  "not like "
                  "'sqlite\\_%' escape '\\' and m.name not like 'tds\\_%' escape '\\' and m.name "
                  "not like "
                  "'sys.%' and m.name not like 'INFORMATION\\_SCHEMA.%' escape '\\' "
                  "union all select 1000000 + p.rowid, " SCHEMA_OF("p.name") ", " NAME_OF(
                      "p.name") ", case p.kind when 'FN' then 'FN' else 'P' end, case p.kind when "
                                "'FN' then "
                                "'SQL_SCALAR_FUNCTION' else 'SQL_STORED_PROCEDURE' end, p.name "
                                "from tds_procedures p where "
                                "p.kind in ('P', 'FN')";

#undef SCHEMA_OF
#undef NAME_OF

const char* const systemViews[] = {
    R"(create view "sys.schemas" as select name, schema_id, 1 as principal_id from tds_schemas)",
    R"(create view "sys.objects" as select o.name, o.object_id, null as principal_id,
        s.schema_id, 0 as parent_object_id, o.type, o.type_desc, 0 as is_ms_shipped
        from tds_objects o join tds_schemas s on s.name = o.schema_name)",
    R"(create view "sys.tables" as select * from "sys.objects" where type = 'U')",
    R"(create view "sys.views" as select * from "sys.objects" where type = 'V')",
    R"(create view "sys.procedures" as select * from "sys.objects" where type = 'P')",
    R"(create view "sys.columns" as select o.object_id, c.name, c.cid + 1 as column_id,
        case when c."notnull" = 0 and c.pk = 0 then 1 else 0 end as is_nullable
        from tds_objects o join pragma_table_info(o.stored_name) c where o.type in ('U', 'V'))",
    R"(create view "INFORMATION_SCHEMA.SCHEMATA" as select db_name() as CATALOG_NAME,
        name as SCHEMA_NAME, 'dbo' as SCHEMA_OWNER from tds_schemas)",
    R"(create view "INFORMATION_SCHEMA.TABLES" as select db_name() as TABLE_CATALOG,
        schema_name as TABLE_SCHEMA, name as TABLE_NAME, case type when 'U' then 'BASE TABLE'
        else 'VIEW' end as TABLE_TYPE from tds_objects where type in ('U', 'V'))",
    R"(create view "INFORMATION_SCHEMA.VIEWS" as select db_name() as TABLE_CATALOG,
        o.schema_name as TABLE_SCHEMA, o.name as TABLE_NAME, p.definition as VIEW_DEFINITION
        from tds_objects o left join tds_procedures p on p.name = o.stored_name
        where o.type = 'V')",
    R"(create view "INFORMATION_SCHEMA.COLUMNS" as select db_name() as TABLE_CATALOG,
        o.schema_name as TABLE_SCHEMA, o.name as TABLE_NAME, c.name as COLUMN_NAME,
        c.cid + 1 as ORDINAL_POSITION, c.dflt_value as COLUMN_DEFAULT,
        case when c."notnull" = 0 and c.pk = 0 then 'YES' else 'NO' end as IS_NULLABLE,
        case lower(c.type) when 'integer' then 'int' else lower(trim(case when instr(c.type, '(')
        > 0 then substr(c.type, 1, instr(c.type, '(') - 1) else c.type end)) end as DATA_TYPE
        from tds_objects o join pragma_table_info(o.stored_name) c where o.type in ('U', 'V'))",
    R"(create view "INFORMATION_SCHEMA.ROUTINES" as select db_name() as ROUTINE_CATALOG,
        schema_name as ROUTINE_SCHEMA, name as ROUTINE_NAME, case type when 'FN' then 'FUNCTION'
        else 'PROCEDURE' end as ROUTINE_TYPE from tds_objects where type in ('P', 'FN'))",
    // The compatibility view of SQL Server 2000's sysobjects: xtype and type as sys.objects has
    // them; the columns SQL Server documents as reserved or for information only are 0.
    R"(create view "sys.sysobjects" as select o.name, o.object_id as id, o.type as xtype,
        s.schema_id as uid, 0 as info, 0 as status, 0 as base_schema_ver, 0 as replinfo,
        0 as parent_obj, 0 as ftcatid, 0 as schema_ver, 0 as stats_schema_ver, o.type as type,
        0 as userstat, 0 as sysstat, 0 as indexdel, 0 as version, 0 as deltrig, 0 as instrig,
        0 as updtrig, 0 as seltrig, 0 as category, 0 as cache
        from tds_objects o join tds_schemas s on s.name = o.schema_name)",
    // A table-valued system function, called as sys.fn_helpcollations().
    "create view \"sys.fn_helpcollations\" as select 'SQL_Latin1_General_CP1_CI_AS' as name, "
    "'Latin1-General, case-insensitive, accent-sensitive, kanatype-insensitive, width-insensitive "
    "for Unicode Data, SQL Server Sort Order 52 on Code Page 1252 for non-Unicode Data' as "
    "description",
};

const char* const masterViews[] = {
    R"(create table if not exists tds_databases (name nvarchar(128) not null, dbid smallint not
        null, crdate datetime, filename nvarchar(260), cmptlevel tinyint))",
    R"(create view "sys.sysdatabases" as select name, dbid, crdate, filename, cmptlevel
        from tds_databases)",
    R"(create view "sys.databases" as select name, dbid as database_id, crdate as create_date,
        cmptlevel as compatibility_level, 'ONLINE' as state_desc, 0 as is_read_only
        from tds_databases)",
};

} // namespace

void createSystemCatalogue(sqlite3* db, bool master) {
    runSqlite(db, catalogueTables);
    runSqlite(db, objectsView);
    for (const char* view : systemViews)
        runSqlite(db, view);
    if (master)
        for (const char* view : masterViews)
            runSqlite(db, view);
}

std::string ObjectName::stored() const {
    return inDbo() ? name : schema + "." + name;
}

bool ObjectName::inDbo() const {
    return schema.empty() || equalsIgnoringCase(schema, "dbo");
}

ObjectName objectOfStoredName(std::string_view stored) {
    const size_t dot = stored.find('.');
    if (dot == std::string_view::npos)
        return {"dbo", std::string(stored)};
    return {std::string(stored.substr(0, dot)), std::string(stored.substr(dot + 1))};
}

ObjectName parseObjectName(std::string_view text) {
    std::vector<std::string> parts{""};
    for (const SqlToken& token : significant(text)) {
        if (token.isSymbol('.'))
            parts.emplace_back();
        else
            parts.back() += nameText(token);
    }
    ObjectName object;
    object.name = parts.back();
    if (parts.size() >= 2 && !parts[parts.size() - 2].empty())
        object.schema = parts[parts.size() - 2];
    return object;
}

std::vector<std::string> schemasOf(sqlite3* db) {
    SqliteStatement rows(db, "select name from tds_schemas order by schema_id");
    std::vector<std::string> schemas;
    while (rows.step())
        schemas.push_back(rows.value(0).bytes);
    return schemas;
}

int schemaId(sqlite3* db, const std::string& schema) {
    SqliteStatement row(db, "select schema_id from tds_schemas where name = ?1");
    row.bind(1, Value::text(schema));
    return row.step() ? static_cast<int>(row.value(0).integer) : 0;
}

const std::vector<ObjectName>& serverWideViews() {
    static const std::vector<ObjectName> views = {{"sys", "databases"}, {"sys", "sysdatabases"}};
    return views;
}

bool isServerWideView(const ObjectName& object) {
    for (const ObjectName& view : serverWideViews())
        if (equalsIgnoringCase(view.schema, object.schema) &&
            equalsIgnoringCase(view.name, object.name))
            return true;
    return false;
}

bool isInternalTable(std::string_view stored) {
    const std::string lower = lowerAscii(stored);
    return lower.rfind("sqlite_", 0) == 0 || lower.rfind("tds_", 0) == 0;
}

} // namespace velmora::tds
