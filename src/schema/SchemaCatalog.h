#pragma once
// What the schema browser shows, read from the server's catalogue through the data module's
// objects: database, table and procedure names, the node texts of fields and parameters, a
// table's fields for the templates and a procedure's source. Every call asks the server again;
// nothing is cached.
#include "Ado.h"
#include "TableField.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora::schema {

// Column "Name" of every row of "select * from sysdatabases", in the server's order. Runs on
// `query`, which is closed again afterwards; cancelled while the rows come, it fails.
std::vector<std::string> ReadDatabaseNames(ado::TADOQuery& query);

// The position of the database the browser opens: the last name equal to `current` (letter case
// counts), or 0 when none is.
int CurrentDatabasePosition(const std::vector<std::string>& names, const std::string& current);

// The tables and views of the connection's current database, in the provider's order; system
// tables, other kinds of object and a view that stands in for the server's "sysdatabases" are
// left out.
std::vector<std::string> ReadTableNames(ado::TADOConnection& connection);

// One node text per field of the table, from its field definitions (no rows are read). `table`
// is closed first and left pointing at the table.
std::vector<std::string> ReadFieldNodeTexts(ado::TADOTable& table, const std::string& tableName);

// The table's fields for the templates, from its field definitions (no rows are read). An edit
// of `table` not yet posted is posted first; `table` is then closed and left pointing at the
// table.
sqlgen::TFieldList ReadTableFields(ado::TADOTable& table, const std::string& tableName);

// The procedures of the connection's current database, in the provider's order, as node texts.
std::vector<std::string> ReadProcedureNames(ado::TADOConnection& connection);

// One node text per parameter the provider reports for the procedure, the return value included.
std::vector<std::string> ReadParameterNodeTexts(ado::TADOStoredProc& procedure,
                                                const std::string& procedureName);

// A procedure's source from the rows that SP_HELPTEXT returns: column "Text" of every row from
// the first, joined as they stand (each row carries its own line break).
std::string ProcedureSourceText(ado::TCustomADODataSet& rows);

// "name [Type] (size)"
std::string FieldNodeText(const ado::TFieldDef& field);
// "name [Type] (size) Direction"
std::string ParameterNodeText(const ado::TParameter& parameter);
// The reported name up to its first ";" (SQL Server adds ";" and a group number).
std::string ProcedureNodeText(std::string_view reportedName);

} // namespace velmora::schema
