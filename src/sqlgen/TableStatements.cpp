#include "TableStatements.h"

#include "SqlNames.h"
#include "SqlTypes.h"
#include "TemplateText.h"

namespace velmora::sqlgen {

std::string SelectAllStatement(std::string_view table) {
    return "SELECT * FROM " + SqlName(table);
}

std::string SelectExStatement(std::string_view table, const TFieldList& fields) {
    if (table.empty())
        return {};
    return Lines({"SELECT "}) + ListLines(ColumnNames(fields), "\t ", "\t,") +
           Lines({"FROM " + SqlName(table)}) + " WHERE ";
}

std::string InsertStatement(std::string_view table, const TFieldList& fields) {
    if (table.empty())
        return "INSERT INTO  ()" + std::string(CrLf) + " VALUES ()";
    return Lines({"INSERT INTO " + SqlName(table), "("}) +
           ListLines(ColumnNames(fields), "\t ", "\t,") + Lines({")", "VALUES", "("}) +
           ListLines(VariableNames(fields), "\t ", "\t,") + Lines({")"});
}

std::string UpdateStatement(std::string_view table, const TFieldList& fields) {
    if (table.empty())
        return "UPDATE  ()" + std::string(CrLf) + " SET WHERE";
    const std::vector<std::string> assignments = EachField(fields, [](const TTableField& field) {
        const std::string name = SqlName(field.Name);
        return name + " = " + name;
    });
    return Lines({"UPDATE " + SqlName(table) + " ", " SET "}) +
           ListLines(assignments, "\t", "\t,") + Lines({"WHERE"});
}

std::string DeleteStatement(std::string_view table) {
    return Lines({"DELETE FROM " + SqlName(table)}) + " WHERE ";
}

std::string TruncateStatement(std::string_view table) {
    return "TRUNCATE TABLE " + SqlName(table);
}

std::string CreateTableTemplate() {
    return Lines({"if exists (select * from sysobjects where id = object_id(N'[TableName]') and "
                  "OBJECTPROPERTY(id, N'IsUserTable') = 1)",
                  " drop table [TableName] ", "", "CREATE TABLE [TableName] (",
                  "   [FieldName1]  type (length),", "   [FieldName2]  type (length),",
                  " ) ON [PRIMARY]"});
}

std::string AlterTableListing(std::string_view table, const TFieldList& fields) {
    const std::vector<std::string> columns = EachField(fields, [](const TTableField& field) {
        return SqlName(field.Name) + " " + MapSqlType(field) + " [" + std::to_string(field.Size) +
               "]";
    });
    return Lines({"ALTER TABLE " + SqlName(table)}) + ListLines(columns, "    ", ",   ");
}

std::string DropTableStatement(std::string_view table) {
    return "DROP TABLE " + SqlName(table);
}

std::string HelpTextStatement(std::string_view procedure) {
    return "SP_HELPTEXT " + SqlName(procedure);
}

} // namespace velmora::sqlgen
