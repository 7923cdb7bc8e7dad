#pragma once
// What the schema browser shows, read from the server's catalogue through the data module's
// objects: database, table and procedure names, the node texts of fields and parameters, a
// table's fields for the templates and a procedure's source. Every call asks the server again;
// nothing is cached.
#include "Ado.h"
#include "CatalogueView.h"
#include "TableField.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora::schema {

// Column "Name" of every row of "select * from sysdatabases", in the server's order (on a SQL
// Server without it, Azure SQL Database, of sys.databases). Runs on `query`, which is closed
// again afterwards; cancelled while the rows come, it fails.
std::vector<std::string> ReadDatabaseNames(ado::TADOQuery& query);

// The position of the database the browser opens: the last name equal to `current` (letter case
// counts), or 0 when none is.
int CurrentDatabasePosition(const std::vector<std::string>& names, const std::string& current);

// How the connection's catalogue is listed: its default schema, and whether system objects are.
TCatalogueView CatalogueViewOf(ado::TADOConnection& connection, bool showSystemObjects);

// The tables and views of the connection's current database, in the provider's order, as node
// texts; what is left out, and how objects outside the default schema are named: see
// CatalogueView.h.
std::vector<std::string> ReadTableNames(ado::TADOConnection& connection,
                                        const TCatalogueView& view);
// The same without the system objects.
std::vector<std::string> ReadTableNames(ado::TADOConnection& connection);

// One node text per field of the table (by its shown name), from its field definitions (no rows are
// read). `table` is closed first and left pointing at the table.
std::vector<std::string> ReadFieldNodeTexts(ado::TADOTable& table, const std::string& tableName);

// The table's fields for the templates, from its field definitions (no rows are read). An edit
// of `table` not yet posted is posted first; `table` is then closed and left pointing at the
// table.
sqlgen::TFieldList ReadTableFields(ado::TADOTable& table, const std::string& tableName);

// The procedures of the connection's current database, in the provider's order, as node texts
// (see CatalogueView.h).
std::vector<std::string> ReadProcedureNames(ado::TADOConnection& connection,
                                            const TCatalogueView& view);
// The same without the system objects.
std::vector<std::string> ReadProcedureNames(ado::TADOConnection& connection);

// One node text per parameter the provider reports for the procedure, the return value included.
std::vector<std::string> ReadParameterNodeTexts(ado::TADOStoredProc& procedure,
                                                const std::string& procedureName);

// A procedure's source from the rows that SP_HELPTEXT returns: column "Text" of every row from
// the first, joined as they stand (each row carries its own line break).
std::string ProcedureSourceText(ado::TCustomADODataSet& rows);

// The name a dataset is pointed at for an object the browser shows by this name (a node text,
// LastTable): schema and name as a statement writes them ("Sales.Customer", "[order lines]").
std::string DataSetObjectName(std::string_view shownName);

// "name [Type] (size)"
std::string FieldNodeText(const ado::TFieldDef& field);
// "name [Type] (size) Direction"
std::string ParameterNodeText(const ado::TParameter& parameter);
// The reported name up to its first ";" (SQL Server adds ";" and a group number).
std::string ProcedureNodeText(std::string_view reportedName);

} // namespace velmora::schema
