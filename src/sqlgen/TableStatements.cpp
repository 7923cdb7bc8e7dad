#include "TableStatements.h"

#include "SqlNames.h"
#include "SqlTypes.h"
#include "TemplateText.h"

namespace velmora::sqlgen {

std::string SelectAllStatement(const TObjectName& table) {
    return "SELECT * FROM " + QualifiedSqlName(table);
}

std::string SelectExStatement(const TObjectName& table, const TFieldList& fields) {
    if (table.Name.empty())
        return {};
    return Lines({"SELECT "}) + ListLines(ColumnNames(fields), "\t ", "\t,") +
           Lines({"FROM " + QualifiedSqlName(table)}) + " WHERE ";
}

std::string InsertStatement(const TObjectName& table, const TFieldList& fields) {
    if (table.Name.empty())
        return "INSERT INTO  ()" + std::string(CrLf) + " VALUES ()";
    return Lines({"INSERT INTO " + QualifiedSqlName(table), "("}) +
           ListLines(ColumnNames(fields), "\t ", "\t,") + Lines({")", "VALUES", "("}) +
           ListLines(VariableNames(fields), "\t ", "\t,") + Lines({")"});
}

std::string UpdateStatement(const TObjectName& table, const TFieldList& fields) {
    if (table.Name.empty())
        return "UPDATE  ()" + std::string(CrLf) + " SET WHERE";
    const std::vector<std::string> assignments = EachField(fields, [](const TTableField& field) {
        const std::string name = SqlName(field.Name);
        return name + " = " + name;
    });
    return Lines({"UPDATE " + QualifiedSqlName(table) + " ", " SET "}) +
           ListLines(assignments, "\t", "\t,") + Lines({"WHERE"});
}

std::string DeleteStatement(const TObjectName& table) {
    return Lines({"DELETE FROM " + QualifiedSqlName(table)}) + " WHERE ";
}

std::string TruncateStatement(const TObjectName& table) {
    return "TRUNCATE TABLE " + QualifiedSqlName(table);
}

std::string CreateTableTemplate() {
    return Lines({"if exists (select * from sysobjects where id = object_id(N'[TableName]') and "
                  "OBJECTPROPERTY(id, N'IsUserTable') = 1)",
                  " drop table [TableName] ", "", "CREATE TABLE [TableName] (",
                  "   [FieldName1]  type (length),", "   [FieldName2]  type (length),",
                  " ) ON [PRIMARY]"});
}

std::string AlterTableListing(const TObjectName& table, const TFieldList& fields) {
    const std::vector<std::string> columns = EachField(fields, [](const TTableField& field) {
        return SqlName(field.Name) + " " + MapSqlType(field) + " [" + std::to_string(field.Size) +
               "]";
    });
    return Lines({"ALTER TABLE " + QualifiedSqlName(table)}) + ListLines(columns, "    ", ",   ");
}

std::string DropTableStatement(const TObjectName& table) {
    return "DROP TABLE " + QualifiedSqlName(table);
}

std::string HelpTextStatement(const TObjectName& procedure) {
    if (procedure.Schema.empty())
        return "SP_HELPTEXT " + SqlName(procedure.Name);
    return "SP_HELPTEXT N'" + QuotedText(QualifiedSqlName(procedure)) + "'";
}

} // namespace velmora::sqlgen
