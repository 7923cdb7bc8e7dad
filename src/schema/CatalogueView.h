#pragma once
// Which objects of the catalogue the browser lists, and by which names. An object in the
// schema that names need not mention (dbo on SQL Server) goes by its own name; any other by
// its schema and name. The system's own schemas (sys and INFORMATION_SCHEMA on SQL Server,
// pg_catalog and information_schema on PostgreSQL) are listed only when asked for. An engine
// without schemas reports none, and its objects are listed as they always were.
#include <string>
#include <string_view>

namespace velmora::schema {

struct TCatalogueView {
    std::string DefaultSchema; // the schema names need not mention; empty: none
    bool ShowSystemObjects = false;
};

// The system's own schemas, in any letter case.
bool IsSystemSchema(std::string_view schema);

// Whether a row of the tables rowset is listed: tables and views, those of the system's
// schemas and its system tables only with ShowSystemObjects, and never a view that stands in
// for the server's "sysdatabases" in a database of its own.
bool IsListedTable(const std::string& schema, const std::string& name, const std::string& type,
                   const TCatalogueView& view);

// Whether a procedure of the schema is listed.
bool IsListedProcedure(const std::string& schema, const TCatalogueView& view);

// The node text of an object of the schema (ShownObjectName).
std::string ListedName(const std::string& schema, const std::string& name,
                       const TCatalogueView& view);

} // namespace velmora::schema
