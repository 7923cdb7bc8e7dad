#pragma once
// Stored-procedure templates for a table: a procedure "p_" + the table's own name (in the default
// schema) with one parameter per field, and the bodies that insert or update a row by its identity
// field or select the rows that match every parameter given. Lines are broken by CR LF; every line
// ends with one.
#include "ObjectNames.h"
#include "TableField.h"

#include <string>
#include <string_view>

namespace velmora::sqlgen {

// Stands for the identity field of a table that has none.
inline constexpr std::string_view NoIdentityField = "XYZ";

// The name of the last field whose SQL type marks an identity column, else NoIdentityField.
std::string IdentityField(const TFieldList& fields);

// Drop-if-exists, "GO", the create line and a parameter declaration per field.
std::string ProcedureHeader(const TObjectName& table, const TFieldList& fields);
// Inserts a row and returns its new identity when the identity parameter is null or 0, else
// updates the row with that identity.
std::string UpsertProcedureBody(const TObjectName& table, const TFieldList& fields);
// Selects the rows that match every parameter that is not null.
std::string SelectProcedureBody(const TObjectName& table, const TFieldList& fields);

} // namespace velmora::sqlgen
