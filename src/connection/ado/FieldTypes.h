#pragma once
// Data types: the field type enumeration of the layer, the ADO data types that columns are
// described with, and the mapping from ODBC's SQL types through ADO's types to field types.
#include <sql.h>
#include <string>

namespace velmora::ado {

enum TFieldType {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary,
    ftCursor,
    ftFixedChar,
    ftWideString,
    ftLargeint,
    ftADT,
    ftArray,
    ftReference,
    ftDataSet,
    ftOraBlob,
    ftOraClob,
    ftVariant,
    ftInterface,
    ftIDispatch,
    ftGuid,
    ftTimeStamp,
    ftFMTBcd
};

// ADO's DataTypeEnum codes.
enum DataTypeEnum {
    adEmpty = 0,
    adSmallInt = 2,
    adInteger = 3,
    adSingle = 4,
    adDouble = 5,
    adCurrency = 6,
    adDate = 7,
    adBSTR = 8,
    adIDispatch = 9,
    adError = 10,
    adBoolean = 11,
    adVariant = 12,
    adIUnknown = 13,
    adDecimal = 14,
    adTinyInt = 16,
    adUnsignedTinyInt = 17,
    adUnsignedSmallInt = 18,
    adUnsignedInt = 19,
    adBigInt = 20,
    adUnsignedBigInt = 21,
    adFileTime = 64,
    adGUID = 72,
    adBinary = 128,
    adChar = 129,
    adWChar = 130,
    adNumeric = 131,
    adUserDefined = 132,
    adDBDate = 133,
    adDBTime = 134,
    adDBTimeStamp = 135,
    adChapter = 136,
    adDBFileTime = 137,
    adPropVariant = 138,
    adVarNumeric = 139,
    adVarChar = 200,
    adLongVarChar = 201,
    adVarWChar = 202,
    adLongVarWChar = 203,
    adVarBinary = 204,
    adLongVarBinary = 205
};

// ADO's ParameterDirectionEnum codes.
enum TParameterDirection {
    pdUnknown = 0,
    pdInput = 1,
    pdOutput = 2,
    pdInputOutput = 3,
    pdReturnValue = 4
};

// What a driver says about a column or a procedure parameter.
struct ColumnDescription {
    SQLSMALLINT sqlType = SQL_UNKNOWN_TYPE;
    SQLULEN columnSize = 0; // characters, digits or bytes, as ODBC defines it
    SQLSMALLINT decimalDigits = 0;
    bool isUnsigned = false;
    bool autoIncrement = false;
};

DataTypeEnum adoDataType(const ColumnDescription& column);

struct FieldTypeAndSize {
    TFieldType type;
    int size;
};

FieldTypeAndSize fieldTypeAndSize(DataTypeEnum adoType, const ColumnDescription& column);

// Fields whose content is read whole and may be replaced through a blob stream.
bool isBlobType(TFieldType type);
// Fields whose content is bytes rather than text.
bool isBinaryType(TFieldType type);

std::string fieldTypeName(int code);
std::string parameterDirectionName(int code);

} // namespace velmora::ado
