#include "SchemaCatalog.h"

#include "ObjectNames.h"

#include <algorithm>

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

// Column 1 of the catalogue functions' rows: the object's schema (TABLE_SCHEM, PROCEDURE_SCHEM;
// TABLE_OWNER, PROCEDURE_OWNER in ODBC 2's names); empty for an engine without schemas.
std::string SchemaOf(const ado::TCustomADODataSet& row) {
    return row.FieldCount() > 1 ? row.Fields(1).AsString() : std::string();
}

// Closes `table`, points it at the table and describes its fields without reading rows.
const ado::TFieldDefs& DescribeTable(ado::TADOTable& table, const std::string& tableName) {
    table.Close();
    table.SetTableName(DataSetObjectName(tableName));
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

namespace {

std::vector<std::string> DatabaseNamesFrom(ado::TADOQuery& query, const std::string& statement) {
    query.Close();
    query.SetSQL(statement);
    query.Open();
    // Part of the list would pass for all of it.
    if (query.FetchCancelled())
        throw ado::EDatabaseError(ado::cancelledMessage);
    std::vector<std::string> names = ColumnOfRows(query, "Name", [](auto&) { return true; });
    query.Close();
    return names;
}

} // namespace

std::vector<std::string> ReadDatabaseNames(ado::TADOQuery& query) {
    ado::TADOConnection* connection = query.Connection();
    const unsigned long cancelled = connection ? connection->CancelledCalls() : 0;
    try {
        return DatabaseNamesFrom(query, "select * from sysdatabases");
    } catch (const ado::EConnectionLost&) {
        throw;
    } catch (const ado::EDatabaseError&) {
        // Azure SQL Database has no sysdatabases; a cancel is not to be asked again.
        if (!connection || !connection->IsSqlServer() || connection->CancelledCalls() != cancelled)
            throw;
    }
    return DatabaseNamesFrom(query, "select name from sys.databases");
}

int CurrentDatabasePosition(const std::vector<std::string>& names, const std::string& current) {
    int position = 0;
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == current)
            position = static_cast<int>(i);
    return position;
}

TCatalogueView CatalogueViewOf(ado::TADOConnection& connection, bool showSystemObjects) {
    return {connection.DefaultSchema(), showSystemObjects};
}

std::vector<std::string> ReadTableNames(ado::TADOConnection& connection,
                                        const TCatalogueView& view) {
    ado::TADODataSet tables("tables");
    connection.OpenSchema(ado::siTables, tables);
    std::vector<std::string> names;
    for (tables.First(); !tables.Eof(); tables.Next()) {
        const std::string schema = SchemaOf(tables);
        const std::string name = tables.FieldByName("TABLE_NAME").AsString();
        if (IsListedTable(schema, name, tables.FieldByName("TABLE_TYPE").AsString(), view))
            names.push_back(ListedName(schema, name, view));
    }
    return names;
}

std::vector<std::string> ReadTableNames(ado::TADOConnection& connection) {
    return ReadTableNames(connection, CatalogueViewOf(connection, false));
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

std::vector<std::string> ReadProcedureNames(ado::TADOConnection& connection,
                                            const TCatalogueView& view) {
    ado::TADODataSet procedures("procedures");
    connection.OpenSchema(ado::siProcedures, procedures);
    std::vector<std::string> names;
    for (procedures.First(); !procedures.Eof(); procedures.Next()) {
        const std::string schema = SchemaOf(procedures);
        if (IsListedProcedure(schema, view))
            names.push_back(ListedName(
                schema, ProcedureNodeText(procedures.FieldByName("PROCEDURE_NAME").AsString()),
                view));
    }
    return names;
}

std::vector<std::string> ReadProcedureNames(ado::TADOConnection& connection) {
    return ReadProcedureNames(connection, CatalogueViewOf(connection, false));
}

std::vector<std::string> ReadParameterNodeTexts(ado::TADOStoredProc& procedure,
                                                const std::string& procedureName) {
    procedure.SetProcedureName(DataSetObjectName(procedureName));
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

std::string DataSetObjectName(std::string_view shownName) {
    return sqlgen::QualifiedSqlName(sqlgen::ReadObjectName(shownName));
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
