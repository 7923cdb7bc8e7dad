// Names of objects in schemas: how they are shown, read back and written in statements.
#include "ObjectNames.h"

#include "ProcedureTemplates.h"
#include "TableStatements.h"

#include <gtest/gtest.h>

using namespace velmora::sqlgen;

TEST(ObjectNames, PartsAreBracketedOnlyWhereTheyNeedIt) {
    EXPECT_EQ(QualifiedSqlName({"Sales", "Customer"}), "Sales.Customer");
    EXPECT_EQ(QualifiedSqlName({"Order Data", "Customer"}), "[Order Data].Customer");
    EXPECT_EQ(QualifiedSqlName({"Sales", "order lines"}), "Sales.[order lines]");
    EXPECT_EQ(QualifiedSqlName({"a]b", "select"}), "[a]]b].[select]");
    EXPECT_EQ(QualifiedSqlName({"", "order lines"}), "[order lines]");
    EXPECT_EQ(QualifiedSqlName({"", "customers"}), "customers");
}

TEST(ObjectNames, AnObjectWithoutASchemaIsShownByItsOwnNameExactly) {
    for (const char* name : {"customers", "order lines", "select", "a b.c", "O'Brien", "Größe", ""})
        EXPECT_EQ(ShownObjectName({"", name}), name) << name;
    EXPECT_EQ(ShownObjectName({"Sales", "Customer"}), "Sales.Customer");
    EXPECT_EQ(ShownObjectName({"My Schema", "Customer"}), "[My Schema].Customer");
    // Names that would read as another object's.
    EXPECT_EQ(ShownObjectName({"", "Sales.Customer"}), "[Sales.Customer]");
    EXPECT_EQ(ShownObjectName({"", "[x]"}), "[[x]]]");
}

TEST(ObjectNames, EveryShownNameReadsBackAsItsObject) {
    const TObjectName objects[] = {
        {"", "customers"}, {"", "order lines"},  {"", "a b.c"},         {"", "Sales.Customer"},
        {"", "[x]"},       {"", "a]b"},          {"Sales", "Customer"}, {"My Schema", "a.b"},
        {"x]y", "[z]"},    {"Person", "Person"}, {"Заказы", "Größe"},   {"", ""},
    };
    for (const TObjectName& object : objects)
        EXPECT_EQ(ReadObjectName(ShownObjectName(object)), object)
            << object.Schema << " / " << object.Name;
    EXPECT_EQ(ReadObjectName("[Sales].[Customer]"), (TObjectName{"Sales", "Customer"}));
    EXPECT_EQ(ReadObjectName("Sales.[Customer"), TObjectName("Sales.[Customer"));
    EXPECT_EQ(ReadObjectName("a.b.c"), TObjectName("a.b.c"));
    EXPECT_EQ(ReadObjectName("Sales."), TObjectName("Sales."));
}

TEST(ObjectNames, TemplatesNameTheTableWithItsSchema) {
    const TObjectName customer{"Sales", "Customer"};
    const TFieldList fields = {{"CustomerID", "AutoInc", 0}, {"AccountNumber", "String", 10}};
    EXPECT_EQ(SelectAllStatement(customer), "SELECT * FROM Sales.Customer");
    EXPECT_EQ(DeleteStatement(customer), "DELETE FROM Sales.Customer\r\n WHERE ");
    EXPECT_EQ(TruncateStatement({"Order Data", "x"}), "TRUNCATE TABLE [Order Data].x");
    EXPECT_EQ(InsertStatement(customer, fields).substr(0, 26), "INSERT INTO Sales.Customer");
    // The procedure is named after the table's own name, in the default schema.
    const std::string header = ProcedureHeader(customer, fields);
    EXPECT_NE(header.find("object_id(N'[p_Customer]')"), std::string::npos) << header;
    EXPECT_NE(header.find("\r\ncreate procedure p_Customer\r\n"), std::string::npos) << header;
    const std::string upsert = UpsertProcedureBody(customer, fields);
    EXPECT_NE(upsert.find("\tinsert into Sales.Customer\r\n"), std::string::npos) << upsert;
    EXPECT_NE(upsert.find("\tupdate\r\n\t\tSales.Customer\r\n"), std::string::npos) << upsert;
    EXPECT_NE(SelectProcedureBody(customer, fields).find("\tSales.Customer (nolock)\r\n"),
              std::string::npos);
}

TEST(ObjectNames, SpHelpTextNamesAProcedureInASchemaByAString) {
    EXPECT_EQ(HelpTextStatement({"Sales", "CustomerOrders"}),
              "SP_HELPTEXT N'Sales.CustomerOrders'");
    EXPECT_EQ(HelpTextStatement({"O'Hara", "my proc"}), "SP_HELPTEXT N'[O''Hara].[my proc]'");
    EXPECT_EQ(HelpTextStatement({"", "customer_orders"}), "SP_HELPTEXT customer_orders");
}
