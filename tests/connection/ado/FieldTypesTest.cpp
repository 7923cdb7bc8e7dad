#include "FieldTypes.h"

#include <gtest/gtest.h>
#include <sqlext.h>

using namespace velmora::ado;

namespace {

FieldTypeAndSize fieldOf(SQLSMALLINT sqlType, SQLULEN size = 0, SQLSMALLINT digits = 0,
                         bool autoIncrement = false, bool isUnsigned = false) {
    const ColumnDescription column{sqlType, size, digits, isUnsigned, autoIncrement};
    return fieldTypeAndSize(adoDataType(column), column);
}

void expectField(FieldTypeAndSize actual, TFieldType type, int size) {
    EXPECT_EQ(actual.type, type);
    EXPECT_EQ(actual.size, size);
}

} // namespace

TEST(FieldTypes, SqlTypesMapThroughAdoTypesToFieldCodesAndSizes) {
    expectField(fieldOf(SQL_VARCHAR, 50), ftString, 50);
    expectField(fieldOf(SQL_CHAR, 10), ftFixedChar, 10);
    expectField(fieldOf(SQL_WVARCHAR, 40), ftWideString, 40);
    expectField(fieldOf(SQL_WCHAR, 3), ftWideString, 3);
    expectField(fieldOf(SQL_LONGVARCHAR, 65536), ftMemo, 0);
    expectField(fieldOf(SQL_WLONGVARCHAR), ftMemo, 0);
    expectField(fieldOf(SQL_SMALLINT), ftSmallint, 0);
    expectField(fieldOf(SQL_TINYINT), ftSmallint, 0);
    expectField(fieldOf(SQL_TINYINT, 3, 0, false, true), ftWord, 0);
    expectField(fieldOf(SQL_INTEGER), ftInteger, 0);
    expectField(fieldOf(SQL_INTEGER, 10, 0, true), ftAutoInc, 0);
    expectField(fieldOf(SQL_BIGINT, 19, 0, true), ftLargeint, 0);
    expectField(fieldOf(SQL_BIT), ftBoolean, 0);
    expectField(fieldOf(SQL_REAL), ftFloat, 0);
    expectField(fieldOf(SQL_DOUBLE), ftFloat, 0);
    expectField(fieldOf(SQL_DECIMAL, 19, 4), ftBCD, 4);
    expectField(fieldOf(SQL_NUMERIC, 9, 0), ftInteger, 0);
    expectField(fieldOf(SQL_NUMERIC, 10, 0), ftBCD, 0);
    expectField(fieldOf(SQL_NUMERIC, 5, -2), ftBCD, 4);
    expectField(fieldOf(SQL_TYPE_DATE), ftDate, 0);
    expectField(fieldOf(SQL_TYPE_TIME), ftTime, 0);
    expectField(fieldOf(SQL_TYPE_TIMESTAMP), ftDateTime, 0);
    expectField(fieldOf(SQL_TIMESTAMP), ftDateTime, 0);
    expectField(fieldOf(SQL_BINARY, 8), ftBytes, 8);
    expectField(fieldOf(SQL_VARBINARY, 16), ftVarBytes, 16);
    expectField(fieldOf(SQL_LONGVARBINARY), ftBlob, 0);
    expectField(fieldOf(SQL_GUID, 36), ftGuid, 38);
    expectField(fieldOf(-150), ftVariant, 0); // sql_variant
    expectField(fieldOf(SQL_INTERVAL_DAY), ftUnknown, 0);
}

TEST(FieldTypes, UnlimitedVariableColumnsAreLong) {
    expectField(fieldOf(SQL_VARCHAR, 0), ftMemo, 0);   // varchar(max)
    expectField(fieldOf(SQL_WVARCHAR, 0), ftMemo, 0);  // nvarchar(max)
    expectField(fieldOf(SQL_VARBINARY, 0), ftBlob, 0); // varbinary(max)
    expectField(fieldOf(-152), ftMemo, 0);             // xml
}

TEST(FieldTypes, NamesOfFieldTypesAndDirections) {
    EXPECT_EQ(fieldTypeName(0), "Unknown");
    EXPECT_EQ(fieldTypeName(ftString), "String");
    EXPECT_EQ(fieldTypeName(ftBoolean), "Bool");
    EXPECT_EQ(fieldTypeName(ftLargeint), "LargeInt");
    EXPECT_EQ(fieldTypeName(ftTypedBinary), "TypeBinary");
    EXPECT_EQ(fieldTypeName(37), "FMTBcd");
    EXPECT_EQ(fieldTypeName(38), "Unknown");
    EXPECT_EQ(fieldTypeName(-1), "Unknown");
    EXPECT_EQ(parameterDirectionName(pdInput), "Input");
    EXPECT_EQ(parameterDirectionName(pdInputOutput), "InputOutput");
    EXPECT_EQ(parameterDirectionName(pdReturnValue), "ReturnValue");
    EXPECT_EQ(parameterDirectionName(9), "Unknown");
}
