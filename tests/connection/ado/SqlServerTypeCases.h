#pragma once
// Every SQL Server type the TDS test server serves, for the tests that take values of each
// through editing: how the column is declared, the field type and size the data layer gives it,
// a value as it is typed (bytes for the binary long ones) and as the driver gives it back.
#include "FieldTypes.h"

#include <string>
#include <vector>

namespace velmora::test {

struct SqlServerTypeCase {
    std::string column;
    std::string type;
    ado::TFieldType fieldType;
    int size;
    std::string typed;
    std::string shown;
    bool bytes = false; // set and read as bytes, not text
};

inline std::vector<SqlServerTypeCase> sqlServerTypeCases() {
    using namespace ado;
    const std::string longText(9000, 'L');
    std::string longWide;
    for (int i = 0; i < 3000; ++i)
        longWide += "\xC3\xA9\xE2\x82\xAC"; // é€
    const std::string longBytes(20000, '\x5A');
    return {
        {"c_tinyint", "tinyint", ftWord, 0, "200", "200"},
        {"c_smallint", "smallint", ftSmallint, 0, "-12345", "-12345"},
        {"c_int", "int", ftInteger, 0, "2147483647", "2147483647"},
        {"c_bigint", "bigint", ftLargeint, 0, "-9223372036854775808", "-9223372036854775808"},
        {"c_bit", "bit", ftBoolean, 0, "1", "1"},
        {"c_decimal", "decimal(12,2)", ftBCD, 2, "-1234567890.12", "-1234567890.12"},
        {"c_numeric", "numeric(18,4)", ftBCD, 4, "12345678.5", "12345678.5000"},
        {"c_money", "money", ftBCD, 4, "922337.5807", "922337.5807"},
        {"c_float", "float", ftFloat, 0, "-2.5", "-2.5"},
        {"c_real", "real", ftFloat, 0, "0.125", "0.125"},
        {"c_datetime", "datetime", ftDateTime, 0, "2024-02-29 23:59:59.997",
         "2024-02-29 23:59:59.997"},
        {"c_datetime2", "datetime2", ftDateTime, 0, "1999-12-31 08:07:06.1234567",
         "1999-12-31 08:07:06.1234567"},
        // Before 1753, and before the year 1000: FreeTDS would move the one into 1900 and
        // write the other's year without its leading zero.
        {"c_date", "date", ftDate, 0, "0999-02-03", "0999-02-03"},
        {"c_guid", "uniqueidentifier", ftGuid, 38, "6F9619FF-8B86-D011-B42D-00C04FC964FF",
         "6F9619FF-8B86-D011-B42D-00C04FC964FF"},
        {"c_char", "char(5)", ftFixedChar, 5, "ab", "ab   "},
        {"c_varchar", "varchar(20)", ftString, 20,
         "Gr\xC3\xBC\xC3\x9F"
         "e \xE2\x82\xAC",
         "Gr\xC3\xBC\xC3\x9F"
         "e \xE2\x82\xAC"},
        {"c_nchar", "nchar(5)", ftWideString, 5, "\xCE\xB6", "\xCE\xB6    "},
        {"c_nvarchar", "nvarchar(20)", ftWideString, 20,
         "\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80", "\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80"},
        {"c_varchar_max", "varchar(max)", ftMemo, 0, longText, longText},
        {"c_nvarchar_max", "nvarchar(max)", ftMemo, 0, longWide, longWide},
        {"c_text", "text", ftMemo, 0, "plain text", "plain text"},
        {"c_ntext", "ntext", ftMemo, 0, "\xCE\xA9mega", "\xCE\xA9mega"},
        {"c_binary", "binary(4)", ftBytes, 4, "0102", "0x01020000"},
        {"c_varbinary", "varbinary(10)", ftVarBytes, 10, "00FF10", "0x00FF10"},
        {"c_varbinary_max", "varbinary(max)", ftBlob, 0, longBytes, longBytes, true},
        {"c_image", "image", ftBlob, 0, longBytes, longBytes, true},
    };
}

// A table with an identity key and a column of every type.
inline std::string createTypesTable(const std::string& name) {
    std::string columns;
    for (const SqlServerTypeCase& type : sqlServerTypeCases())
        columns += ", " + type.column + " " + type.type;
    return "create table " + name + " (id int identity(1,1) primary key" + columns + ")";
}

} // namespace velmora::test
