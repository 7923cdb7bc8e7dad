#include "LoginDatabase.h"

#include <algorithm>

namespace velmora::ado {

std::optional<std::string> loginDatabaseOf(const OdbcTarget& target) {
    // In an ODBC string the first of a repeated key counts.
    const auto found = std::find_if(
        target.odbcItems.begin(), target.odbcItems.end(),
        [](const ConnectionStringItem& item) { return sameKey(item.key, "Database"); });
    if (found == target.odbcItems.end() || found->value.empty())
        return std::nullopt;
    return found->value;
}

void setLoginDatabase(OdbcTarget& target, const std::string& database) {
    removeKeys(target.odbcItems, {"Database"});
    target.odbcItems.push_back({"Database", database});
    target.odbcConnectionString =
        buildOdbcConnectionString(target.odbcItems, bracesOfDriver(target.driver));
}

} // namespace velmora::ado
