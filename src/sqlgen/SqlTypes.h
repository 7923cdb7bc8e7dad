#pragma once
// The SQL type the templates write for a field.
#include "TableField.h"

#include <string>
#include <string_view>

namespace velmora::sqlgen {

// Marks an identity column; not a SQL type.
inline constexpr std::string_view AutoIncType = "autoinc";

// The SQL type for the field's type name, compared in lower case: "bit", "varchar",
// "uniqueidentifier", "int", "datetime", "autoinc" and "float" by the fixed table; every other
// name by the SQL Server type that holds such a field ("smallint", "nvarchar", "money",
// "decimal(12,2)", "text", "image", ...; "sql_variant" for what no column type holds).
std::string MapSqlType(const TTableField& field);

// Whether a parameter of the SQL type is declared with the field's size in parentheses.
bool DeclaredWithSize(std::string_view sqlType);

} // namespace velmora::sqlgen
