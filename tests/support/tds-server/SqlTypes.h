#pragma once
// SQL Server's column types as this server reports them: parsed from the type a SQLite column
// was declared with ("nvarchar(40)", "decimal(12,2)", "varbinary(-1)" for max), described on
// the wire (TYPE_INFO), and the ODBC attributes the catalogue procedures report.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::tds {

enum class TypeKind {
    TinyInt,
    SmallInt,
    Int,
    BigInt,
    Bit,
    Decimal,
    Numeric,
    Money,
    SmallMoney,
    Float,
    Real,
    DateTime,
    SmallDateTime,
    DateTime2,
    Date,
    Time,
    UniqueIdentifier,
    Char,
    VarChar,
    NChar,
    NVarChar,
    Text,
    NText,
    Binary,
    VarBinary,
    Image
};

constexpr int maxLength = -1; // varchar(max), nvarchar(max), varbinary(max)

struct SqlType {
    TypeKind kind = TypeKind::Int;
    int length = 0;    // characters of a character type, bytes of a binary type; or maxLength
    int precision = 0; // decimal and numeric
    int scale = 0;     // decimal, numeric, datetime2, time
    bool identity = false;

    static SqlType of(TypeKind kind, int length = 0) { return {kind, length, 0, 0, false}; }
    static SqlType decimal(int precision, int scale) {
        return {TypeKind::Decimal, 0, precision, scale, false};
    }

    bool isMax() const { return length == maxLength; }
    bool isUnicode() const;   // nchar, nvarchar, ntext
    bool isCharacter() const; // the six character types
    bool isBinary() const;    // binary, varbinary, image
    bool isLong() const;      // max types and text, ntext, image

    // "nvarchar", "int identity", as the catalogue's TYPE_NAME.
    std::string typeName() const;
    // "nvarchar(40)", "decimal(12,2)", "varbinary(max)", as sp_help would show it.
    std::string declaration() const;
};

// The type of a declared column, or nothing for a column declared without a type. Names
// SQL Server does not have fall back on SQLite's affinity rules.
std::optional<SqlType> parseDeclaredType(std::string_view declared);

// What ODBC's catalogue functions report of a type (ODBC 3 codes).
struct OdbcTypeInfo {
    int dataType = 0;
    std::optional<int> columnSize;
    std::optional<int> bufferLength;
    std::optional<int> decimalDigits;
    std::optional<int> radix;
    int sqlDataType = 0;
    std::optional<int> dateTimeSub;
    std::optional<int> charOctetLength;
    int serverType = 0; // SS_DATA_TYPE
};
OdbcTypeInfo odbcTypeInfo(const SqlType& type);

} // namespace velmora::tds
