#include "DataDirectory.h"

#include "Text.h"

#include <algorithm>

namespace velmora::tds {

std::vector<std::string> DataDirectory::databases() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_))
        if (entry.is_regular_file() && entry.path().extension() == ".db")
            names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return (a == "master") != (b == "master") ? a == "master" : a < b;
    });
    return names;
}

std::optional<std::string> DataDirectory::find(const std::string& name) const {
    for (const std::string& database : databases())
        if (equalsIgnoringCase(database, name))
            return database;
    return std::nullopt;
}

} // namespace velmora::tds
