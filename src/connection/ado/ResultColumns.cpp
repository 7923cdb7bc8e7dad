#include "ResultColumns.h"

#include "ConnectionString.h"
#include "WideText.h"

#include <algorithm>
#include <iterator>
#include <sqlext.h>

namespace velmora::ado {

namespace {

std::string textAttribute(SQLHSTMT statement, SQLUSMALLINT column, SQLUSMALLINT attribute) {
    SQLWCHAR buffer[256] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLColAttributeW(statement, column, attribute, buffer, sizeof buffer,
                                        &length, nullptr)))
        return {};
    return fromSqlWideBuffer(buffer, std::size(buffer), reportedLength(length) / sizeof(SQLWCHAR));
}

SQLLEN numericAttribute(SQLHSTMT statement, SQLUSMALLINT column, SQLUSMALLINT attribute) {
    SQLLEN value = 0;
    if (!SQL_SUCCEEDED(SQLColAttributeW(statement, column, attribute, nullptr, 0, nullptr, &value)))
        return 0;
    return value;
}

bool isIntegerType(SQLSMALLINT sqlType) {
    return sqlType == SQL_TINYINT || sqlType == SQL_SMALLINT || sqlType == SQL_INTEGER ||
           sqlType == SQL_BIGINT;
}

ResultColumn describeColumn(const OdbcStatement& statement, SQLUSMALLINT number) {
    const SQLHSTMT handle = statement.handle();
    SQLWCHAR name[512] = {};
    SQLSMALLINT nameLength = 0;
    ResultColumn column;
    SQLSMALLINT nullable = SQL_NULLABLE_UNKNOWN;
    statement.check(SQLDescribeColW(handle, number, name, 512, &nameLength,
                                    &column.description.sqlType, &column.description.columnSize,
                                    &column.description.decimalDigits, &nullable),
                    "Describing a column");
    column.serverName = fromSqlWideBuffer(name, std::size(name), reportedLength(nameLength));
    column.nullable = nullable != SQL_NO_NULLS;
    // Drivers report "unsigned" for every non-numeric type; it only means something for integers.
    column.description.isUnsigned = isIntegerType(column.description.sqlType) &&
                                    numericAttribute(handle, number, SQL_DESC_UNSIGNED) == SQL_TRUE;
    column.description.autoIncrement =
        numericAttribute(handle, number, SQL_DESC_AUTO_UNIQUE_VALUE) == SQL_TRUE;
    column.baseTable = textAttribute(handle, number, SQL_DESC_BASE_TABLE_NAME);
    column.baseColumn = textAttribute(handle, number, SQL_DESC_BASE_COLUMN_NAME);
    column.adoType = adoDataType(column.description);
    const FieldTypeAndSize field = fieldTypeAndSize(column.adoType, column.description);
    column.fieldType = field.type;
    column.size = field.size;
    return column;
}

bool nameTaken(const std::vector<std::string>& names, const std::string& name) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& taken) { return sameKey(taken, name); });
}

std::string firstFreeName(const std::vector<std::string>& names, const std::string& stem) {
    for (int number = 1;; ++number) {
        std::string candidate = stem + std::to_string(number);
        if (!nameTaken(names, candidate))
            return candidate;
    }
}

} // namespace

bool ResultColumn::isLong() const {
    switch (adoType) {
    case adLongVarChar:
    case adLongVarWChar:
    case adLongVarBinary:
    case adVariant:
    case adEmpty:
        return true;
    default:
        return false;
    }
}

std::vector<ResultColumn> describeResultColumns(const OdbcStatement& statement) {
    SQLSMALLINT count = 0;
    statement.check(SQLNumResultCols(statement.handle(), &count), "Counting the columns");
    std::vector<ResultColumn> columns;
    std::vector<std::string> serverNames;
    for (SQLUSMALLINT number = 1; number <= count; ++number) {
        columns.push_back(describeColumn(statement, number));
        serverNames.push_back(columns.back().serverName);
    }
    const std::vector<std::string> names = uniqueFieldNames(serverNames);
    for (size_t i = 0; i < columns.size(); ++i)
        columns[i].name = names[i];
    return columns;
}

std::vector<std::string> uniqueFieldNames(const std::vector<std::string>& serverNames) {
    std::vector<std::string> names;
    for (const std::string& serverName : serverNames) {
        if (serverName.empty())
            names.push_back(firstFreeName(names, "COLUMN"));
        else if (nameTaken(names, serverName))
            names.push_back(firstFreeName(names, serverName + "_"));
        else
            names.push_back(serverName);
    }
    return names;
}

} // namespace velmora::ado
