#pragma once
// The table statement skeletons of the script editor's table menu. Each takes the remembered
// table (an empty name when none was chosen) and, where it lists columns, the table's fields,
// and returns the text to append to the script: lines broken by CR LF, list lines indented by a
// tab with the comma leading.
#include "ObjectNames.h"
#include "TableField.h"

#include <string>
#include <string_view>

namespace velmora::sqlgen {

// "SELECT * FROM table"
std::string SelectAllStatement(const TObjectName& table);
// The fields one per line, then FROM and an open WHERE; empty for no table.
std::string SelectExStatement(const TObjectName& table, const TFieldList& fields);
// Every field and a variable named after each; a bare skeleton for no table.
std::string InsertStatement(const TObjectName& table, const TFieldList& fields);
// Every field assigned to itself; a bare skeleton for no table.
std::string UpdateStatement(const TObjectName& table, const TFieldList& fields);
std::string DeleteStatement(const TObjectName& table);
std::string TruncateStatement(const TObjectName& table);
// A fixed example that names no real table.
std::string CreateTableTemplate();
// The fields with their SQL types and sizes, to be edited into an ALTER statement.
std::string AlterTableListing(const TObjectName& table, const TFieldList& fields);
std::string DropTableStatement(const TObjectName& table);
// "SP_HELPTEXT procedure"; a procedure in a schema is named by a string, which the procedure
// reads as a qualified name.
std::string HelpTextStatement(const TObjectName& procedure);

} // namespace velmora::sqlgen
