#pragma once
// The database a SQL Server login opens. Some servers (Azure SQL Database) do not switch a
// session to another database with USE: a connection to another database is a new login that
// names it.
#include "ConnectionString.h"

#include <optional>
#include <string>

namespace velmora::ado {

// The database an ODBC connection string logs in to (its Database key), when it names one.
std::optional<std::string> loginDatabaseOf(const std::string& odbcConnectionString);

// The same string logging in to `database` instead.
std::string withLoginDatabase(const std::string& odbcConnectionString, const std::string& database,
                              OdbcBraces braces);

} // namespace velmora::ado
