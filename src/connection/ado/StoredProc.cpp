#include "StoredProc.h"

#include "Connection.h"
#include "ConnectionString.h"
#include "DatabaseError.h"

#include <charconv>
#include <sqlext.h>

namespace velmora::ado {

namespace {

// SQLProcedureColumns' result columns (0-based).
enum ProcedureColumn {
    pcColumnName = 3,
    pcColumnType = 4,
    pcDataType = 5,
    pcColumnSize = 7,
    pcBufferLength = 8,
    pcDecimalDigits = 9
};

long numberAt(const TRecordset& rows, size_t row, size_t column) {
    if (column >= rows.columns.size() || rows.rows.isNull(row, column))
        return 0;
    const std::string_view text = rows.rows.value(row, column);
    long value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace

const TParameter* TParameters::FindParam(std::string_view name) const {
    for (const TParameter& parameter : items_)
        if (sameKey(parameter.Name, name))
            return &parameter;
    return nullptr;
}

std::optional<TParameterDirection> parameterDirection(int columnType) {
    switch (columnType) {
    case SQL_PARAM_INPUT:
        return pdInput;
    case SQL_PARAM_INPUT_OUTPUT:
        return pdInputOutput;
    case SQL_PARAM_OUTPUT:
        return pdOutput;
    case SQL_RETURN_VALUE:
        return pdReturnValue;
    case SQL_RESULT_COL:
        return std::nullopt;
    default:
        return pdUnknown;
    }
}

int parameterSize(DataTypeEnum adoType, const ColumnDescription& column, long octetLength) {
    switch (adoType) {
    case adChar:
    case adVarChar:
    case adWChar:
    case adVarWChar:
    case adBinary:
    case adVarBinary:
    case adLongVarChar:
    case adLongVarWChar:
    case adLongVarBinary:
        return static_cast<int>(std::min<SQLULEN>(column.columnSize, 0x7FFFFFFF));
    case adNumeric:
    case adDecimal:
    case adVarNumeric:
        return static_cast<int>(column.columnSize);
    default:
        return static_cast<int>(octetLength);
    }
}

void TADOStoredProc::SetProcedureName(const std::string& name) {
    if (name != procedureName_)
        parameters_.Clear();
    procedureName_ = name;
}

void TADOStoredProc::RefreshParameters() {
    if (!connection_)
        throw EDatabaseError(name_ + ": Missing Connection or ConnectionString");
    const TRecordset rows = connection_->ProcedureColumns(procedureName_);
    parameters_.Clear();
    for (size_t row = 0; row < rows.rows.rowCount(); ++row) {
        const auto direction =
            parameterDirection(static_cast<int>(numberAt(rows, row, pcColumnType)));
        if (!direction)
            continue;
        ColumnDescription column;
        column.sqlType = static_cast<SQLSMALLINT>(numberAt(rows, row, pcDataType));
        column.columnSize = static_cast<SQLULEN>(std::max(0L, numberAt(rows, row, pcColumnSize)));
        column.decimalDigits = static_cast<SQLSMALLINT>(numberAt(rows, row, pcDecimalDigits));
        const DataTypeEnum adoType = adoDataType(column);
        const long octets = numberAt(rows, row, pcBufferLength);
        parameters_.Add({std::string(rows.rows.value(row, pcColumnName)), *direction,
                         fieldTypeAndSize(adoType, column).type,
                         parameterSize(adoType, column, octets)});
    }
}

} // namespace velmora::ado
