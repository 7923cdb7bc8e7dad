// The stored-procedure templates, byte for byte, and how the identity field shapes them.
#include "ProcedureTemplates.h"

#include <gtest/gtest.h>

using namespace velmora::sqlgen;

namespace {

const TFieldList Products = {{"id", "AutoInc", 0}, {"name", "String", 50}, {"price", "Float", 0}};

std::string Header(const std::string& procedure, const std::string& declarations) {
    return "if exists (select * from sysobjects where id = object_id(N'[" + procedure +
           "]') and OBJECTPROPERTY(id, N'IsProcedure') = 1)\r\n drop procedure [" + procedure +
           "] \r\n\r\nGO\r\n\r\ncreate procedure " + procedure + "\r\n" + declarations + "AS \r\n";
}

} // namespace

TEST(ProcedureHeader, DeclaresEveryFieldByItsSqlType) {
    const TFieldList fields = {{"id", "AutoInc", 0},  {"name", "String", 50},
                               {"price", "Float", 0}, {"added", "DateTime", 0},
                               {"qty", "Integer", 0}, {"active", "Bool", 0},
                               {"ref", "GUID", 38}};
    EXPECT_EQ(ProcedureHeader("Products", fields),
              Header("p_Products", "\t @id \t\t\t\tint \r\n"
                                   "\t,@name \t\t\t\tvarchar (50)\r\n"
                                   "\t,@price \t\t\t\tfloat\r\n"
                                   "\t,@added \t\t\t\tdatetime\r\n"
                                   "\t,@qty \t\t\t\tint\r\n"
                                   "\t,@active \t\t\t\tbit\r\n"
                                   "\t,@ref \t\t\t\tuniqueidentifier\r\n"));
    EXPECT_EQ(ProcedureHeader("t", {}), Header("p_t", ""));
}

TEST(ProcedureHeader, TypesOutsideTheTableAreDeclaredAsSqlServerTakesThem) {
    const TFieldList fields = {{"a", "SmallInt", 0},     {"b", "WideString", 40},
                               {"c", "BCD", 2, 12},      {"d", "Memo", 0},
                               {"e", "Blob", 0},         {"f", "LargeInt", 0},
                               {"g", "Currency", 4, 19}, {"h", "VarBytes", 16}};
    EXPECT_EQ(ProcedureHeader("t", fields), Header("p_t", "\t @a \t\t\t\tsmallint\r\n"
                                                          "\t,@b \t\t\t\tnvarchar (40)\r\n"
                                                          "\t,@c \t\t\t\tdecimal(12,2)\r\n"
                                                          "\t,@d \t\t\t\ttext\r\n"
                                                          "\t,@e \t\t\t\timage\r\n"
                                                          "\t,@f \t\t\t\tbigint\r\n"
                                                          "\t,@g \t\t\t\tmoney\r\n"
                                                          "\t,@h \t\t\t\tvarbinary (16)\r\n"));
}

TEST(ProcedureHeader, NamesThatNeedBracketsKeepTheStatementValid) {
    EXPECT_EQ(ProcedureHeader("order lines", {{"unit price", "Float", 0}}),
              "if exists (select * from sysobjects where id = object_id(N'[p_order lines]') and "
              "OBJECTPROPERTY(id, N'IsProcedure') = 1)\r\n drop procedure [p_order lines] \r\n"
              "\r\nGO\r\n\r\ncreate procedure [p_order lines]\r\n"
              "\t @unit_price \t\t\t\tfloat\r\nAS \r\n");
    // A leading digit is regular once "p_" stands before it; an apostrophe is doubled in the
    // literal.
    const std::string header = ProcedureHeader("O'Brien", {});
    EXPECT_NE(header.find("object_id(N'[p_O''Brien]')"), std::string::npos) << header;
    EXPECT_NE(header.find(" drop procedure [p_O'Brien] \r\n"), std::string::npos) << header;
    EXPECT_NE(header.find("create procedure [p_O'Brien]\r\n"), std::string::npos) << header;
    EXPECT_NE(ProcedureHeader("1990", {}).find("create procedure p_1990\r\n"), std::string::npos);
    EXPECT_NE(ProcedureHeader("a]b", {}).find("object_id(N'[p_a]]b]')"), std::string::npos);
}

TEST(UpsertProcedureBody, InsertsOrUpdatesByTheIdentityField) {
    EXPECT_EQ(UpsertProcedureBody("Products", Products), "if IsNull(@id,0) = 0 \r\n"
                                                         "begin\r\n"
                                                         "\tinsert into Products\r\n"
                                                         "\t(\r\n"
                                                         "\t\t name\r\n"
                                                         "\t\t,price\r\n"
                                                         "\t)\r\n"
                                                         "\tvalues \r\n"
                                                         "\t(\r\n"
                                                         "\t\t @name\r\n"
                                                         "\t\t,@price\r\n"
                                                         "\t)\r\n"
                                                         "\r\n"
                                                         "\tselect scope_identity() As 'id'\r\n"
                                                         "\r\n"
                                                         "end\r\n"
                                                         "else\r\n"
                                                         "begin\r\n"
                                                         "\tupdate\r\n"
                                                         "\t\tProducts\r\n"
                                                         "\tset\r\n"
                                                         "\t\t name = @name\r\n"
                                                         "\t\t,price = @price\r\n"
                                                         "\twhere\r\n"
                                                         "\t\tid = @id\r\n"
                                                         "\r\n"
                                                         "\tselect @id As 'id'\r\n"
                                                         "end\r\n");
}

TEST(UpsertProcedureBody, WithoutAnIdentityTheKeyIsXyzAndEveryFieldIsWritten) {
    const std::string body = UpsertProcedureBody("t", {{"a", "Integer", 0}, {"b", "Integer", 0}});
    EXPECT_EQ(body.substr(0, body.find("\r\n")), "if IsNull(@XYZ,0) = 0 ");
    EXPECT_NE(body.find("\t(\r\n\t\t a\r\n\t\t,b\r\n\t)\r\n\tvalues "), std::string::npos);
    EXPECT_NE(body.find("\tselect scope_identity() As 'XYZ'\r\n"), std::string::npos);
    EXPECT_NE(body.find("\tset\r\n\t\t a = @a\r\n\t\t,b = @b\r\n"), std::string::npos);
    EXPECT_NE(body.find("\twhere\r\n\t\tXYZ = @XYZ\r\n\r\n\tselect @XYZ As 'XYZ'\r\nend\r\n"),
              std::string::npos);
}

TEST(UpsertProcedureBody, TheLastOfTwoIdentityFieldsIsTheKeyAndNeitherIsWritten) {
    const TFieldList fields = {{"a", "AutoInc", 0}, {"n", "String", 5}, {"b", "AutoInc", 0}};
    EXPECT_EQ(IdentityField(fields), "b");
    const std::string body = UpsertProcedureBody("t", fields);
    EXPECT_EQ(body.substr(0, body.find("\r\n")), "if IsNull(@b,0) = 0 ");
    EXPECT_NE(body.find("\t(\r\n\t\t n\r\n\t)\r\n\tvalues \r\n\t(\r\n\t\t @n\r\n\t)\r\n"),
              std::string::npos);
    EXPECT_NE(body.find("\tset\r\n\t\t n = @n\r\n\twhere\r\n\t\tb = @b\r\n"), std::string::npos);
    EXPECT_NE(ProcedureHeader("t", fields)
                  .find("\t @a \t\t\t\tint \r\n\t,@n \t\t\t\tvarchar (5)\r\n"
                        "\t,@b \t\t\t\tint \r\n"),
              std::string::npos);
}

TEST(UpsertProcedureBody, OnlyAnIdentityKeepsTheEmptyListsAndSet) {
    const std::string body = UpsertProcedureBody("t", {{"id", "AutoInc", 0}});
    EXPECT_NE(body.find("\tinsert into t\r\n\t(\r\n\t)\r\n\tvalues \r\n\t(\r\n\t)\r\n"),
              std::string::npos);
    EXPECT_NE(body.find("\t\tt\r\n\tset\r\n\twhere\r\n"), std::string::npos);
}

TEST(UpsertProcedureBody, NoFieldsHaveNoSetLine) {
    const std::string body = UpsertProcedureBody("t", {});
    EXPECT_NE(body.find("\tupdate\r\n\t\tt\r\n\twhere\r\n\t\tXYZ = @XYZ\r\n"), std::string::npos);
}

TEST(UpsertProcedureBody, BracketsNamesAndMakesVariablesOfThem) {
    const std::string body =
        UpsertProcedureBody("order lines", {{"line id", "AutoInc", 0}, {"qty", "Integer", 0}});
    EXPECT_EQ(body.substr(0, body.find("\r\n")), "if IsNull(@line_id,0) = 0 ");
    EXPECT_NE(body.find("\tinsert into [order lines]\r\n"), std::string::npos);
    EXPECT_NE(body.find("\tselect scope_identity() As 'line id'\r\n"), std::string::npos);
    EXPECT_NE(body.find("\t\t[line id] = @line_id\r\n"), std::string::npos);
    EXPECT_NE(body.find("\tselect @line_id As 'line id'\r\n"), std::string::npos);
}

TEST(ProcedureTemplates, FieldsThatMakeTheSameVariableGetOneEach) {
    // "a b" and "a_b" both make @a_b; "A_B" too, as variables ignore case; "a_b_2" is taken.
    const TFieldList fields = {{"id", "AutoInc", 0},
                               {"a b", "Integer", 0},
                               {"a_b", "Integer", 0},
                               {"A_B", "Integer", 0},
                               {"a_b_2", "Integer", 0}};
    EXPECT_EQ(ProcedureHeader("t", fields),
              Header("p_t", "\t @id \t\t\t\tint \r\n\t,@a_b \t\t\t\tint\r\n"
                            "\t,@a_b_3 \t\t\t\tint\r\n\t,@A_B_4 \t\t\t\tint\r\n"
                            "\t,@a_b_2 \t\t\t\tint\r\n"));
    const std::string upsert = UpsertProcedureBody("t", fields);
    EXPECT_NE(upsert.find("\t\t @a_b\r\n\t\t,@a_b_3\r\n\t\t,@A_B_4\r\n\t\t,@a_b_2\r\n"),
              std::string::npos);
    EXPECT_NE(upsert.find("\t\t [a b] = @a_b\r\n\t\t,a_b = @a_b_3\r\n\t\t,A_B = @A_B_4\r\n"
                          "\t\t,a_b_2 = @a_b_2\r\n"),
              std::string::npos);
    const std::string select = SelectProcedureBody("t", fields);
    EXPECT_NE(select.find("and \t(@a_b_3 is null or a_b = @a_b_3)\r\n"), std::string::npos);
    EXPECT_NE(select.find("and \t(@A_B_4 is null or A_B = @A_B_4)\r\n"), std::string::npos);
}

TEST(SelectProcedureBody, FiltersOnEveryParameterGivenIdentityFirst) {
    EXPECT_EQ(SelectProcedureBody("Products", Products),
              "select\r\n\t*\r\nfrom\r\n\tProducts (nolock)\r\nwhere\r\n"
              "\t(@id is null or id = @id)\r\n"
              "and \t(@name is null or name = @name)\r\n"
              "and \t(@price is null or price = @price)\r\n");
    EXPECT_EQ(
        SelectProcedureBody("t", {}),
        "select\r\n\t*\r\nfrom\r\n\tt (nolock)\r\nwhere\r\n\t(@XYZ is null or XYZ = @XYZ)\r\n");
    EXPECT_EQ(SelectProcedureBody("my t", {{"a b", "Integer", 0}}),
              "select\r\n\t*\r\nfrom\r\n\t[my t] (nolock)\r\nwhere\r\n"
              "\t(@XYZ is null or XYZ = @XYZ)\r\n"
              "and \t(@a_b is null or [a b] = @a_b)\r\n");
}
