#pragma once
// TADOStoredProc: a procedure's name and its parameters as the driver reports them.
#include "FieldTypes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::ado {

class TADOConnection;

struct TParameter {
    std::string Name;
    TParameterDirection Direction = pdUnknown;
    TFieldType DataType = ftUnknown;
    int Size = 0;
};

class TParameters {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    const TParameter& operator[](int index) const { return items_.at(static_cast<size_t>(index)); }
    const TParameter* FindParam(std::string_view name) const;
    void Clear() { items_.clear(); }
    void Add(TParameter parameter) { items_.push_back(std::move(parameter)); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::vector<TParameter> items_;
};

class TADOStoredProc {
public:
    explicit TADOStoredProc(std::string name = "ADOStoredProc1") : name_(std::move(name)) {}

    const std::string& Name() const { return name_; }
    TADOConnection* Connection() const { return connection_; }
    void SetConnection(TADOConnection* connection) { connection_ = connection; }
    const std::string& ProcedureName() const { return procedureName_; }
    // A new name empties the parameters until they are refreshed.
    void SetProcedureName(const std::string& name);

    TParameters& Parameters() { return parameters_; }
    // Reads the parameters from the driver, the return value included.
    void RefreshParameters();

private:
    std::string name_;
    TADOConnection* connection_ = nullptr;
    std::string procedureName_;
    TParameters parameters_;
};

// ODBC's parameter kinds (SQLProcedureColumns' COLUMN_TYPE) as ADO directions; result columns
// are not parameters and give nothing.
std::optional<TParameterDirection> parameterDirection(int columnType);
// ADO's Size of a parameter: characters or bytes for text and binary, digits for numbers with
// a scale, and the byte size of a fixed-size type.
int parameterSize(DataTypeEnum adoType, const ColumnDescription& column, long octetLength);

} // namespace velmora::ado
