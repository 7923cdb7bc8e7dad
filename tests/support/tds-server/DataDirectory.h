#pragma once
// The folder that holds the server's databases, one SQLite file per database ("master.db",
// "sample.db", ...). master also holds the logins (tds_users) and the record of every login
// attempt (tds_logins), and the list of databases (tds_databases).
#include <filesystem>
#include <optional>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace velmora::tds {

class DataDirectory {
public:
    explicit DataDirectory(std::filesystem::path folder) : folder_(std::move(folder)) {}

    const std::filesystem::path& folder() const { return folder_; }
    std::filesystem::path fileOf(const std::string& database) const {
        return folder_ / (database + ".db");
    }
    // master, tempdb, model and msdb, then the others by name.
    std::vector<std::string> databases() const;
    // The database's name as it is spelt, for a name in any letter case.
    std::optional<std::string> find(const std::string& name) const;

private:
    std::filesystem::path folder_;
};

// The other databases a statement names, attached to a session's SQLite connection while the
// statement lives. SQLite would otherwise look for unqualified names in every attached
// database, where SQL Server looks in the current one.
class AttachedDatabases {
public:
    AttachedDatabases(sqlite3* db, const DataDirectory& data,
                      const std::vector<std::string>& names);
    ~AttachedDatabases();
    AttachedDatabases(const AttachedDatabases&) = delete;
    AttachedDatabases& operator=(const AttachedDatabases&) = delete;

private:
    sqlite3* db_;
    std::vector<std::string> attached_;
};

} // namespace velmora::tds
