#pragma once
// What every database of the double holds besides its user's objects, as SQL Server has it:
// schemas (dbo, guest, INFORMATION_SCHEMA, sys and the user's own), the modules (procedures,
// functions, views as created), and the system views over SQLite's own schema.
//
// SQLite has no schemas: an object outside dbo is kept under the name "schema.name" (one
// identifier, dot included), a dbo object under its bare name. The system views are SQLite views
// named the same way ("sys.tables", "INFORMATION_SCHEMA.COLUMNS"); the server-wide ones
// (sys.databases, sys.sysdatabases) live in master only.
//   tds_schemas(schema_id, name)
//   tds_procedures(name, kind, definition, return_type)       kind: P, FN (scalar), V
//   tds_procedure_parameters(procedure_name, ordinal, name, type, is_output, default_value)
//   tds_databases(name, dbid, crdate, filename, cmptlevel)    master only
#include <sqlite3.h>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::tds {

// Creates the catalogue tables and the system views in a new database.
void createSystemCatalogue(sqlite3* db, bool master);

// An object's schema and name, and the name SQLite keeps it under.
struct ObjectName {
    std::string schema = "dbo";
    std::string name;

    std::string stored() const;
    bool inDbo() const;
};
ObjectName objectOfStoredName(std::string_view stored);

// A name as a statement or a procedure's argument writes it: "t", "dbo.t", "[Sales].[t]",
// "sample.Sales.t", "master..t"; the database part, when there is one, goes.
ObjectName parseObjectName(std::string_view text);

// The schemas of the database (dbo, sys, Sales, ...).
std::vector<std::string> schemasOf(sqlite3* db);
int schemaId(sqlite3* db, const std::string& schema); // 0 when there is none

// The views that every database shows but only master holds.
bool isServerWideView(const ObjectName& object);
const std::vector<ObjectName>& serverWideViews();

// The double's own tables (tds_*, sqlite_*), which the catalogue lists as system tables.
bool isInternalTable(std::string_view stored);

} // namespace velmora::tds
