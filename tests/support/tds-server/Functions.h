#pragma once
// SQL Server's functions that scripts use and SQLite lacks: getdate(), sysdatetime(), newid(),
// len(), isnull(), concat(), db_name(), schema_id(), schema_name(), scope_identity(), and the
// functions @@version and @@trancount are rewritten to (tds_version(), tds_trancount()).
#include <sqlite3.h>

namespace velmora::tds {

class Engine;

void registerFunctions(sqlite3* db, Engine& engine);

} // namespace velmora::tds
