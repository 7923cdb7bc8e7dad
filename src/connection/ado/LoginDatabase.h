#pragma once
// The database a SQL Server login opens. Some servers (Azure SQL Database) do not switch a
// session to another database with USE: a connection to another database is a new login that
// names it.
#include "ProviderTranslation.h"

#include <optional>
#include <string>

namespace velmora::ado {

// The database the target's connection string logs in to (its Database key), when it names one.
std::optional<std::string> loginDatabaseOf(const OdbcTarget& target);

// The target logging in to `database` instead.
void setLoginDatabase(OdbcTarget& target, const std::string& database);

} // namespace velmora::ado
