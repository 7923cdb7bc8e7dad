#include "LoginDatabase.h"

#include <algorithm>

namespace velmora::ado {

std::optional<std::string> loginDatabaseOf(const std::string& odbcConnectionString) {
    const ConnectionStringItems items = parseOdbcConnectionString(odbcConnectionString);
    // In an ODBC string the first of a repeated key counts.
    const auto found =
        std::find_if(items.begin(), items.end(), [](const ConnectionStringItem& item) {
            return sameKey(item.key, "Database");
        });
    if (found == items.end() || found->value.empty())
        return std::nullopt;
    return found->value;
}

std::string withLoginDatabase(const std::string& odbcConnectionString, const std::string& database,
                              OdbcBraces braces) {
    ConnectionStringItems items = parseOdbcConnectionString(odbcConnectionString);
    removeKeys(items, {"Database"});
    items.push_back({"Database", database});
    return buildOdbcConnectionString(items, braces);
}

} // namespace velmora::ado
