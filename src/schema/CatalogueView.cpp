#include "CatalogueView.h"

#include "ObjectNames.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace velmora::schema {

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

bool IsSystemSchema(std::string_view schema) {
    static constexpr std::array<std::string_view, 5> systemSchemas = {
        "sys", "INFORMATION_SCHEMA", "pg_catalog", "pg_toast", "information_schema"};
    return std::any_of(systemSchemas.begin(), systemSchemas.end(),
                       [&](std::string_view system) { return EqualsIgnoringCase(schema, system); });
}

bool IsListedTable(const std::string& schema, const std::string& name, const std::string& type,
                   const TCatalogueView& view) {
    if (IsSystemSchema(schema))
        return view.ShowSystemObjects;
    if (type == "SYSTEM TABLE" || type == "SYSTEM VIEW")
        return view.ShowSystemObjects && !schema.empty();
    if (type == "VIEW")
        // The database list comes from the server's system view "sysdatabases"; a database
        // that supplies a view of that name for a server without one (the demo, a test
        // server) holds a stand-in for the server's catalogue, not one of its own tables.
        return !EqualsIgnoringCase(name, "sysdatabases");
    return type == "TABLE";
}

bool IsListedProcedure(const std::string& schema, const TCatalogueView& view) {
    return view.ShowSystemObjects || !IsSystemSchema(schema);
}

std::string ListedName(const std::string& schema, const std::string& name,
                       const TCatalogueView& view) {
    const bool named = !schema.empty() && !EqualsIgnoringCase(schema, view.DefaultSchema);
    return sqlgen::ShownObjectName({named ? schema : std::string(), name});
}

} // namespace velmora::schema
