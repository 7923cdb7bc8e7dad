#include "SqlTypes.h"

#include <algorithm>
#include <array>
#include <utility>

namespace velmora::sqlgen {

namespace {

using TMapping = std::pair<std::string_view, std::string_view>;

constexpr std::array<TMapping, 7> MappedTypes = {{
    {"bool", "bit"},
    {"string", "varchar"},
    {"guid", "uniqueidentifier"},
    {"integer", "int"},
    {"datetime", "datetime"},
    {"autoinc", AutoIncType},
    {"float", "float"},
}};

// The SQL Server types of the type names the table above lacks, where the name alone decides.
constexpr std::array<TMapping, 15> ServerTypes = {{
    {"smallint", "smallint"},
    {"largeint", "bigint"},
    {"currency", "money"},
    {"date", "date"},
    {"time", "time"},
    {"timestamp", "datetime2"},
    {"fixedchar", "char"},
    {"bytes", "binary"},
    {"varbytes", "varbinary"},
    {"blob", "image"},
    {"graphic", "image"},
    {"typebinary", "image"},
    {"orablob", "image"},
    {"paradoxole", "image"},
    {"dbaseole", "image"},
}};

// Parameters of these types take no size: SQL Server refuses a procedure that gives one (bit
// and uniqueidentifier report 0 and 38, which would make every generated procedure fail).
constexpr std::array<std::string_view, 16> TypesWithoutSize = {
    "int",  "datetime",        "float", "smallint", "tinyint", "bigint", "money",
    "date", "datetime2",       "time",  "text",     "ntext",   "image",  "sql_variant",
    "bit",  "uniqueidentifier"};

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::string_view Lookup(const auto& mappings, std::string_view typeName) {
    const auto found = std::find_if(mappings.begin(), mappings.end(),
                                    [&](const TMapping& m) { return m.first == typeName; });
    return found == mappings.end() ? std::string_view() : found->second;
}

// A decimal column with its precision and scale (the size), where the precision is known.
std::string DecimalType(const TTableField& field) {
    if (field.Precision <= 0)
        return "decimal";
    return "decimal(" + std::to_string(field.Precision) + "," + std::to_string(field.Size) + ")";
}

std::string ServerType(std::string_view typeName, const TTableField& field) {
    if (const std::string_view type = Lookup(ServerTypes, typeName); !type.empty())
        return std::string(type);
    if (typeName == "bcd" || typeName == "fmtbcd")
        return DecimalType(field);
    if (typeName == "word") // unsigned: tinyint holds 0 to 255, int the 16-bit rest
        return field.Precision > 0 && field.Precision <= 3 ? "tinyint" : "int";
    if (typeName == "widestring")
        return field.FixedLength ? "nchar" : "nvarchar";
    if (typeName == "memo" || typeName == "fmtmemo" || typeName == "oraclob")
        return field.Unicode ? "ntext" : "text";
    return "sql_variant";
}

} // namespace

std::string MapSqlType(const TTableField& field) {
    const std::string typeName = Lower(field.TypeName);
    if (const std::string_view type = Lookup(MappedTypes, typeName); !type.empty())
        return std::string(type);
    return ServerType(typeName, field);
}

bool DeclaredWithSize(std::string_view sqlType) {
    // decimal(p,s) carries its own precision.
    if (sqlType.find('(') != std::string_view::npos || sqlType == "decimal")
        return false;
    return std::find(TypesWithoutSize.begin(), TypesWithoutSize.end(), sqlType) ==
           TypesWithoutSize.end();
}

} // namespace velmora::sqlgen
