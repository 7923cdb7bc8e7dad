#include "ProcedureTemplates.h"

#include "SqlNames.h"
#include "SqlTypes.h"
#include "TemplateText.h"

#include <algorithm>

namespace velmora::sqlgen {

namespace {

bool IsIdentity(const TTableField& field) {
    return MapSqlType(field) == AutoIncType;
}

TFieldList NonIdentityFields(const TFieldList& fields) {
    TFieldList written;
    std::copy_if(fields.begin(), fields.end(), std::back_inserter(written),
                 [](const TTableField& field) { return !IsIdentity(field); });
    return written;
}

// The procedure the templates create for the table.
std::string ProcedureName(const TObjectName& table) {
    return "p_" + table.Name;
}

// "@name", a blank, four tabs, and the type as a parameter takes it.
std::string Declaration(const TTableField& field, const TVariableNames& variables) {
    const std::string sqlType = MapSqlType(field);
    std::string type = sqlType;
    if (sqlType == AutoIncType)
        type = "int ";
    else if (DeclaredWithSize(sqlType))
        type += " (" + std::to_string(field.Size) + ")";
    return variables.Of(field.Name) + " \t\t\t\t" + type;
}

// "(@name is null or name = @name)"
std::string MatchCondition(std::string_view name, const TVariableNames& variables) {
    const std::string variable = variables.Of(name);
    return "(" + variable + " is null or " + SqlName(name) + " = " + variable + ")";
}

} // namespace

std::string IdentityField(const TFieldList& fields) {
    const auto last = std::find_if(fields.rbegin(), fields.rend(), IsIdentity);
    return last == fields.rend() ? std::string(NoIdentityField) : last->Name;
}

std::string ProcedureHeader(const TObjectName& table, const TFieldList& fields) {
    const std::string procedure = ProcedureName(table);
    const TVariableNames variables(FieldNames(fields));
    return Lines({"if exists (select * from sysobjects where id = object_id(N'" +
                      QuotedText(BracketedName(procedure)) +
                      "') and OBJECTPROPERTY(id, N'IsProcedure') = 1)",
                  " drop procedure " + BracketedName(procedure) + " ", "", "GO", "",
                  "create procedure " + SqlName(procedure)}) +
           ListLines(
               EachField(fields,
                         [&](const TTableField& field) { return Declaration(field, variables); }),
               "\t ", "\t,") +
           Lines({"AS "});
}

std::string UpsertProcedureBody(const TObjectName& table, const TFieldList& fields) {
    const std::string key = IdentityField(fields);
    const std::string keyColumn = SqlName(key);
    const TVariableNames variables(FieldNames(fields));
    const std::string keyVariable = variables.Of(key);
    const std::string keyAlias = "'" + QuotedText(key) + "'";
    const std::string tableName = QualifiedSqlName(table);
    const TFieldList written = NonIdentityFields(fields);
    const std::vector<std::string> assignments = EachField(written, [&](const TTableField& field) {
        return SqlName(field.Name) + " = " + variables.Of(field.Name);
    });
    return Lines({"if IsNull(" + keyVariable + ",0) = 0 ", "begin", "\tinsert into " + tableName,
                  "\t("}) +
           ListLines(ColumnNames(written), "\t\t ", "\t\t,") + Lines({"\t)", "\tvalues ", "\t("}) +
           ListLines(EachField(written,
                               [&](const TTableField& field) { return variables.Of(field.Name); }),
                     "\t\t ", "\t\t,") +
           Lines({"\t)", "", "\tselect scope_identity() As " + keyAlias, "", "end", "else", "begin",
                  "\tupdate", "\t\t" + tableName}) +
           (fields.empty() ? "" : Lines({"\tset"})) + ListLines(assignments, "\t\t ", "\t\t,") +
           Lines({"\twhere", "\t\t" + keyColumn + " = " + keyVariable, "",
                  "\tselect " + keyVariable + " As " + keyAlias, "end"});
}

std::string SelectProcedureBody(const TObjectName& table, const TFieldList& fields) {
    const TVariableNames variables(FieldNames(fields));
    std::vector<std::string> conditions = {MatchCondition(IdentityField(fields), variables)};
    for (const TTableField& field : NonIdentityFields(fields))
        conditions.push_back(MatchCondition(field.Name, variables));
    return Lines({"select", "\t*", "from", "\t" + QualifiedSqlName(table) + " (nolock)", "where"}) +
           ListLines(conditions, "\t", "and \t");
}

} // namespace velmora::sqlgen
