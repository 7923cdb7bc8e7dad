#include "SchemaCatalog.h"

#include <algorithm>
#include <cctype>

namespace velmora::schema {

namespace {

// A schema rowset's column, row by row, for the rows that `keep` accepts.
template <typename Keep>
std::vector<std::string> ColumnOfRows(ado::TCustomADODataSet& rows, std::string_view column,
                                      Keep keep) {
    std::vector<std::string> values;
    for (rows.First(); !rows.Eof(); rows.Next())
        if (keep(rows))
            values.push_back(rows.FieldByName(column).AsString());
    return values;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

bool IsTableOrView(const ado::TCustomADODataSet& row) {
    const std::string type = row.FieldByName("TABLE_TYPE").AsString();
    if (type == "VIEW")
        // The database list comes from the server's system view "sysdatabases"; a database
        // that supplies a view of that name for a server without one (the demo, a test
        // server) holds a stand-in for the server's catalogue, not one of its own tables.
        return !EqualsIgnoringCase(row.FieldByName("TABLE_NAME").AsString(), "sysdatabases");
    return type == "TABLE";
}

// Closes `table`, points it at the table and describes its fields without reading rows.
const ado::TFieldDefs& DescribeTable(ado::TADOTable& table, const std::string& tableName) {
    table.Close();
    table.SetTableName(tableName);
    return table.FieldDefs();
}

bool IsOneOf(ado::DataTypeEnum type, std::initializer_list<ado::DataTypeEnum> types) {
    return std::find(types.begin(), types.end(), type) != types.end();
}

// The digits of a number column, as the driver describes them; 0 for other columns.
int Precision(const ado::ResultColumn& column) {
    using namespace ado;
    if (!IsOneOf(column.adoType, {adTinyInt, adUnsignedTinyInt, adSmallInt, adUnsignedSmallInt,
                                  adInteger, adUnsignedInt, adBigInt, adUnsignedBigInt, adNumeric,
                                  adDecimal, adVarNumeric, adCurrency}))
        return 0;
    return static_cast<int>(std::min<SQLULEN>(column.description.columnSize, 0x7FFFFFFF));
}

sqlgen::TTableField TableField(const ado::TFieldDef& def) {
    const ado::ResultColumn& column = def.Column;
    return {
        def.Name,
        ado::fieldTypeName(def.DataType),
        def.Size,
        Precision(column),
        IsOneOf(column.adoType, {ado::adWChar, ado::adVarWChar, ado::adLongVarWChar, ado::adBSTR}),
        IsOneOf(column.adoType, {ado::adChar, ado::adWChar, ado::adBinary})};
}

// "name [Type] (size)"
std::string TypedNameText(const std::string& name, ado::TFieldType type, int size) {
    return name + " [" + ado::fieldTypeName(type) + "] (" + std::to_string(size) + ")";
}

} // namespace

std::vector<std::string> ReadDatabaseNames(ado::TADOQuery& query) {
    query.Close();
    query.SetSQL("select * from sysdatabases");
    query.Open();
    // Part of the list would pass for all of it.
    if (query.FetchCancelled())
        throw ado::EDatabaseError(ado::cancelledMessage);
    std::vector<std::string> names = ColumnOfRows(query, "Name", [](auto&) { return true; });
    query.Close();
    return names;
}

int CurrentDatabasePosition(const std::vector<std::string>& names, const std::string& current) {
    int position = 0;
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == current)
            position = static_cast<int>(i);
    return position;
}

std::vector<std::string> ReadTableNames(ado::TADOConnection& connection) {
    ado::TADODataSet tables("tables");
    connection.OpenSchema(ado::siTables, tables);
    return ColumnOfRows(tables, "TABLE_NAME", IsTableOrView);
}

std::vector<std::string> ReadFieldNodeTexts(ado::TADOTable& table, const std::string& tableName) {
    std::vector<std::string> texts;
    for (const ado::TFieldDef& field : DescribeTable(table, tableName))
        texts.push_back(FieldNodeText(field));
    return texts;
}

sqlgen::TFieldList ReadTableFields(ado::TADOTable& table, const std::string& tableName) {
    // Closing the table would drop the edit.
    if (table.State() == ado::dsEdit || table.State() == ado::dsInsert)
        table.Post();
    sqlgen::TFieldList fields;
    for (const ado::TFieldDef& field : DescribeTable(table, tableName))
        fields.push_back(TableField(field));
    return fields;
}

std::vector<std::string> ReadProcedureNames(ado::TADOConnection& connection) {
    ado::TADODataSet procedures("procedures");
    connection.OpenSchema(ado::siProcedures, procedures);
    std::vector<std::string> names =
        ColumnOfRows(procedures, "PROCEDURE_NAME", [](auto&) { return true; });
    for (std::string& name : names)
        name = ProcedureNodeText(name);
    return names;
}

std::vector<std::string> ReadParameterNodeTexts(ado::TADOStoredProc& procedure,
                                                const std::string& procedureName) {
    procedure.SetProcedureName(procedureName);
    procedure.RefreshParameters();
    std::vector<std::string> texts;
    for (const ado::TParameter& parameter : procedure.Parameters())
        texts.push_back(ParameterNodeText(parameter));
    return texts;
}

std::string ProcedureSourceText(ado::TCustomADODataSet& rows) {
    std::string source;
    for (const std::string& line : ColumnOfRows(rows, "Text", [](auto&) { return true; }))
        source += line;
    return source;
}

std::string FieldNodeText(const ado::TFieldDef& field) {
    return TypedNameText(field.Name, field.DataType, field.Size);
}

std::string ParameterNodeText(const ado::TParameter& parameter) {
    return TypedNameText(parameter.Name, parameter.DataType, parameter.Size) + " " +
           ado::parameterDirectionName(parameter.Direction);
}

std::string ProcedureNodeText(std::string_view reportedName) {
    return std::string(reportedName.substr(0, reportedName.find(';')));
}

} // namespace velmora::schema
