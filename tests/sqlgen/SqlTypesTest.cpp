// The SQL types written for field types, inside and outside the fixed mapping table.
#include "SqlTypes.h"

#include <gtest/gtest.h>

using namespace velmora::sqlgen;

namespace {

std::string SqlTypeOf(const std::string& typeName, int size = 0, int precision = 0,
                      bool unicode = false, bool fixedLength = false) {
    return MapSqlType({"f", typeName, size, precision, unicode, fixedLength});
}

} // namespace

TEST(MapSqlType, TheFixedTableInAnyLetterCase) {
    EXPECT_EQ(SqlTypeOf("Bool"), "bit");
    EXPECT_EQ(SqlTypeOf("String", 50), "varchar");
    EXPECT_EQ(SqlTypeOf("GUID", 38), "uniqueidentifier");
    EXPECT_EQ(SqlTypeOf("Integer"), "int");
    EXPECT_EQ(SqlTypeOf("DateTime"), "datetime");
    EXPECT_EQ(SqlTypeOf("AutoInc"), "autoinc");
    EXPECT_EQ(SqlTypeOf("Float"), "float");
    EXPECT_EQ(SqlTypeOf("INTEGER"), "int");
    EXPECT_EQ(SqlTypeOf("autoinc"), "autoinc");
}

TEST(MapSqlType, OtherNamesByTheSqlServerTypeThatHoldsThem) {
    EXPECT_EQ(SqlTypeOf("SmallInt"), "smallint");
    EXPECT_EQ(SqlTypeOf("Word", 0, 3), "tinyint");
    EXPECT_EQ(SqlTypeOf("Word", 0, 5), "int");
    EXPECT_EQ(SqlTypeOf("LargeInt"), "bigint");
    EXPECT_EQ(SqlTypeOf("Currency", 4, 19), "money");
    EXPECT_EQ(SqlTypeOf("BCD", 2, 12), "decimal(12,2)");
    EXPECT_EQ(SqlTypeOf("FMTBcd", 0, 38), "decimal(38,0)");
    EXPECT_EQ(SqlTypeOf("BCD", 4), "decimal");
    EXPECT_EQ(SqlTypeOf("FixedChar", 10), "char");
    EXPECT_EQ(SqlTypeOf("WideString", 40), "nvarchar");
    EXPECT_EQ(SqlTypeOf("WideString", 40, 0, true, true), "nchar");
    EXPECT_EQ(SqlTypeOf("Memo"), "text");
    EXPECT_EQ(SqlTypeOf("Memo", 0, 0, true), "ntext");
    EXPECT_EQ(SqlTypeOf("Blob"), "image");
    EXPECT_EQ(SqlTypeOf("Bytes", 16), "binary");
    EXPECT_EQ(SqlTypeOf("VarBytes", 16), "varbinary");
    EXPECT_EQ(SqlTypeOf("Date"), "date");
    EXPECT_EQ(SqlTypeOf("Time"), "time");
    EXPECT_EQ(SqlTypeOf("TimeStamp"), "datetime2");
    EXPECT_EQ(SqlTypeOf("Variant"), "sql_variant");
    EXPECT_EQ(SqlTypeOf("Unknown"), "sql_variant");
}
