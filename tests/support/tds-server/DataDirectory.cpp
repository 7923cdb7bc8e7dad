#include "DataDirectory.h"

#include "Sqlite.h"
#include "Text.h"

#include <algorithm>

namespace velmora::tds {

std::vector<std::string> DataDirectory::databases() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_))
        if (entry.is_regular_file() && entry.path().extension() == ".db")
            names.push_back(entry.path().stem().string());
    // The system databases first, in the order of their ids, as sysdatabases has them.
    const auto rank = [](const std::string& name) {
        static const char* const system[] = {"master", "tempdb", "model", "msdb"};
        for (int i = 0; i < 4; ++i)
            if (name == system[i])
                return i;
        return 4;
    };
    std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        return rank(a) != rank(b) ? rank(a) < rank(b) : a < b;
    });
    return names;
}

std::optional<std::string> DataDirectory::find(const std::string& name) const {
    for (const std::string& database : databases())
        if (equalsIgnoringCase(database, name))
            return database;
    return std::nullopt;
}

AttachedDatabases::AttachedDatabases(sqlite3* db, const DataDirectory& data,
                                     const std::vector<std::string>& names)
    : db_(db) {
    for (const std::string& name : names) {
        const std::optional<std::string> database = data.find(name);
        if (!database || sqlite3_db_filename(db, database->c_str()) != nullptr)
            continue; // unknown (SQLite says so), or attached already
        runSqlite(db, "attach database '" + data.fileOf(*database).string() + "' as \"" +
                          *database + "\"");
        attached_.push_back(*database);
    }
}

AttachedDatabases::~AttachedDatabases() {
    for (const std::string& name : attached_)
        sqlite3_exec(db_, ("detach database \"" + name + "\"").c_str(), nullptr, nullptr, nullptr);
}

} // namespace velmora::tds
