#pragma once
// The table statement skeletons of the script editor's table menu. Each takes the remembered
// table's name (empty when none was chosen) and, where it lists columns, the table's fields,
// and returns the text to append to the script: lines broken by CR LF, list lines indented by a
// tab with the comma leading.
#include "TableField.h"

#include <string>
#include <string_view>

namespace velmora::sqlgen {

// "SELECT * FROM table"
std::string SelectAllStatement(std::string_view table);
// The fields one per line, then FROM and an open WHERE; empty for no table.
std::string SelectExStatement(std::string_view table, const TFieldList& fields);
// Every field and a variable named after each; a bare skeleton for no table.
std::string InsertStatement(std::string_view table, const TFieldList& fields);
// Every field assigned to itself; a bare skeleton for no table.
std::string UpdateStatement(std::string_view table, const TFieldList& fields);
std::string DeleteStatement(std::string_view table);
std::string TruncateStatement(std::string_view table);
// A fixed example that names no real table.
std::string CreateTableTemplate();
// The fields with their SQL types and sizes, to be edited into an ALTER statement.
std::string AlterTableListing(std::string_view table, const TFieldList& fields);
std::string DropTableStatement(std::string_view table);
// "SP_HELPTEXT procedure"
std::string HelpTextStatement(std::string_view procedure);

} // namespace velmora::sqlgen
