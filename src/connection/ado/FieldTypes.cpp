#include "FieldTypes.h"

#include <array>
#include <sqlext.h>

namespace velmora::ado {

namespace {

// SQL Server's ODBC drivers report these types of their own.
constexpr SQLSMALLINT sqlSsVariant = -150;
constexpr SQLSMALLINT sqlSsXml = -152;
constexpr SQLSMALLINT sqlSsTime2 = -154;
constexpr SQLSMALLINT sqlSsTimestampOffset = -155;

// Longest character and binary columns that are not "max"/long types.
constexpr SQLULEN longestVarBytes = 8000;
constexpr SQLULEN longestVarWChars = 4000;

struct SqlTypeMapping {
    SQLSMALLINT sqlType;
    DataTypeEnum adoType;
    DataTypeEnum unsignedAdoType;
};

// ODBC's SQL types and the ADO types that describe them.
constexpr std::array<SqlTypeMapping, 27> sqlTypeMappings = {{
    {SQL_CHAR, adChar, adChar},
    {SQL_VARCHAR, adVarChar, adVarChar},
    {SQL_LONGVARCHAR, adLongVarChar, adLongVarChar},
    {SQL_WCHAR, adWChar, adWChar},
    {SQL_WVARCHAR, adVarWChar, adVarWChar},
    {SQL_WLONGVARCHAR, adLongVarWChar, adLongVarWChar},
    {SQL_DECIMAL, adNumeric, adNumeric},
    {SQL_NUMERIC, adNumeric, adNumeric},
    {SQL_SMALLINT, adSmallInt, adUnsignedSmallInt},
    {SQL_INTEGER, adInteger, adUnsignedInt},
    {SQL_REAL, adSingle, adSingle},
    {SQL_FLOAT, adDouble, adDouble},
    {SQL_DOUBLE, adDouble, adDouble},
    {SQL_BIT, adBoolean, adBoolean},
    {SQL_TINYINT, adTinyInt, adUnsignedTinyInt},
    {SQL_BIGINT, adBigInt, adUnsignedBigInt},
    {SQL_BINARY, adBinary, adBinary},
    {SQL_VARBINARY, adVarBinary, adVarBinary},
    {SQL_LONGVARBINARY, adLongVarBinary, adLongVarBinary},
    {SQL_TYPE_DATE, adDBDate, adDBDate},
    {SQL_TYPE_TIME, adDBTime, adDBTime},
    {SQL_TYPE_TIMESTAMP, adDBTimeStamp, adDBTimeStamp},
    {SQL_GUID, adGUID, adGUID},
    {sqlSsVariant, adVariant, adVariant},
    {sqlSsXml, adLongVarWChar, adLongVarWChar},
    {sqlSsTime2, adDBTime, adDBTime},
    {sqlSsTimestampOffset, adDBTimeStamp, adDBTimeStamp},
}};

// The ODBC 2 codes of the date and time types.
SQLSMALLINT odbc3Type(SQLSMALLINT sqlType) {
    switch (sqlType) {
    case SQL_DATE:
        return SQL_TYPE_DATE;
    case SQL_TIME:
        return SQL_TYPE_TIME;
    case SQL_TIMESTAMP:
        return SQL_TYPE_TIMESTAMP;
    default:
        return sqlType;
    }
}

// A variable-length column without a limit ("max") is a long column.
DataTypeEnum longFormOf(DataTypeEnum adoType, SQLULEN size) {
    const bool unlimited = size == 0;
    switch (adoType) {
    case adVarChar:
        return unlimited || size > longestVarBytes ? adLongVarChar : adoType;
    case adVarWChar:
        return unlimited || size > longestVarWChars ? adLongVarWChar : adoType;
    case adVarBinary:
        return unlimited || size > longestVarBytes ? adLongVarBinary : adoType;
    default:
        return adoType;
    }
}

int definedSize(const ColumnDescription& column) {
    return column.columnSize > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(column.columnSize);
}

FieldTypeAndSize decimalField(const ColumnDescription& column) {
    return {ftBCD, column.decimalDigits < 0 ? 4 : column.decimalDigits};
}

constexpr std::array<const char*, 38> fieldTypeNames = {
    "Unknown",    "String",    "SmallInt",  "Integer",    "Word",     "Bool",       "Float",
    "Currency",   "BCD",       "Date",      "Time",       "DateTime", "Bytes",      "VarBytes",
    "AutoInc",    "Blob",      "Memo",      "Graphic",    "FmtMemo",  "ParadoxOle", "DBaseOle",
    "TypeBinary", "Cursor",    "FixedChar", "WideString", "LargeInt", "ADT",        "Array",
    "Reference",  "DataSet",   "OraBlob",   "OraClob",    "Variant",  "Interface",  "IDispatch",
    "GUID",       "TimeStamp", "FMTBcd"};

constexpr std::array<const char*, 5> parameterDirectionNames = {"Unknown", "Input", "Output",
                                                                "InputOutput", "ReturnValue"};

} // namespace

DataTypeEnum adoDataType(const ColumnDescription& column) {
    const SQLSMALLINT sqlType = odbc3Type(column.sqlType);
    for (const SqlTypeMapping& mapping : sqlTypeMappings)
        if (mapping.sqlType == sqlType)
            return longFormOf(column.isUnsigned ? mapping.unsignedAdoType : mapping.adoType,
                              column.columnSize);
    return adEmpty;
}

FieldTypeAndSize fieldTypeAndSize(DataTypeEnum adoType, const ColumnDescription& column) {
    switch (adoType) {
    case adVarChar:
        return {ftString, definedSize(column)};
    case adSmallInt:
    case adTinyInt:
        return {ftSmallint, 0};
    case adInteger:
    case adError:
    case adUnsignedInt:
        return {column.autoIncrement ? ftAutoInc : ftInteger, 0};
    case adUnsignedTinyInt:
    case adUnsignedSmallInt:
        return {ftWord, 0};
    case adBoolean:
        return {ftBoolean, 0};
    case adSingle:
    case adDouble:
        return {ftFloat, 0};
    case adCurrency:
    case adDecimal:
    case adVarNumeric:
        return decimalField(column);
    case adNumeric:
        if (column.decimalDigits == 0 && column.columnSize < 10)
            return {ftInteger, 0};
        return decimalField(column);
    case adDBDate:
        return {ftDate, 0};
    case adDBTime:
        return {ftTime, 0};
    case adDate:
    case adFileTime:
    case adDBTimeStamp:
    case adDBFileTime:
        return {ftDateTime, 0};
    case adBinary:
        return {ftBytes, definedSize(column)};
    case adVarBinary:
        return {ftVarBytes, definedSize(column)};
    case adLongVarBinary:
        return {ftBlob, 0};
    case adLongVarChar:
    case adLongVarWChar:
        return {ftMemo, 0};
    case adChar:
        return {ftFixedChar, definedSize(column)};
    case adBSTR:
    case adWChar:
    case adVarWChar:
        return {ftWideString, definedSize(column)};
    case adBigInt:
    case adUnsignedBigInt:
        return {ftLargeint, 0};
    case adChapter:
        return {ftDataSet, 0};
    case adVariant:
    case adPropVariant:
        return {ftVariant, 0};
    case adIUnknown:
        return {ftInterface, 0};
    case adIDispatch:
        return {ftIDispatch, 0};
    case adGUID:
        return {ftGuid, 38};
    default:
        return {ftUnknown, 0};
    }
}

bool isBlobType(TFieldType type) {
    return type == ftBlob || type == ftMemo || type == ftGraphic || type == ftFmtMemo ||
           type == ftParadoxOle || type == ftDBaseOle || type == ftTypedBinary ||
           type == ftOraBlob || type == ftOraClob;
}

bool isBinaryType(TFieldType type) {
    return type == ftBytes || type == ftVarBytes || type == ftBlob || type == ftGraphic ||
           type == ftTypedBinary || type == ftOraBlob;
}

std::string fieldTypeName(int code) {
    if (code < 0 || code >= static_cast<int>(fieldTypeNames.size()))
        return fieldTypeNames[0];
    return fieldTypeNames[static_cast<size_t>(code)];
}

std::string parameterDirectionName(int code) {
    if (code < 0 || code >= static_cast<int>(parameterDirectionNames.size()))
        return parameterDirectionNames[0];
    return parameterDirectionNames[static_cast<size_t>(code)];
}

} // namespace velmora::ado
