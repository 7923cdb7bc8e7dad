#pragma once
// Names of objects that live in a schema ("Sales.Customer"). An object of the schema that names
// need not mention (dbo on SQL Server) has no schema here and goes by its own name, exactly as
// it is; any other is written schema, ".", name, each part bracketed only where it needs it:
// `Sales.Customer`, `[Order Data].Customer`. Names are UTF-8.
#include <string>
#include <string_view>
#include <utility>

namespace velmora::sqlgen {

struct TObjectName {
    TObjectName() = default;
    // An object named without its schema.
    TObjectName(std::string_view name) : Name(name) {}
    TObjectName(const char* name) : Name(name) {}
    TObjectName(std::string name) : Name(std::move(name)) {}
    TObjectName(std::string_view schema, std::string_view name) : Schema(schema), Name(name) {}

    std::string Schema; // empty: the schema names need not mention
    std::string Name;

    bool operator==(const TObjectName&) const = default;
};

// The name as a statement writes it: SqlName of each part, joined by ".".
std::string QualifiedSqlName(const TObjectName& object);

// The name as the browser shows it and the templates are given it: an object without a schema
// by its own name exactly (bracketed only when that name would read as a qualified one:
// "a.b", "[x]"), any other as QualifiedSqlName. ReadObjectName reads it back.
std::string ShownObjectName(const TObjectName& object);

// A shown name read back: "Sales.Customer" and "[Sales].[Customer]" name Customer in Sales,
// "[a.b]" the object a.b; any other text is an object's own name, as it stands.
TObjectName ReadObjectName(std::string_view text);

} // namespace velmora::sqlgen
