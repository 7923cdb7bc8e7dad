// The table menu's statements, byte for byte: blanks, tabs and CR LF.
#include "TableStatements.h"

#include <gtest/gtest.h>

using namespace velmora::sqlgen;

namespace {

const TFieldList Customers = {
    {"id", "AutoInc", 0}, {"name", "String", 60}, {"joined", "DateTime", 0}};
const TFieldList OneField = {{"code", "String", 4}};

} // namespace

TEST(TableStatements, SelectAllNamesTheTableOrNothing) {
    EXPECT_EQ(SelectAllStatement("Customers"), "SELECT * FROM Customers");
    EXPECT_EQ(SelectAllStatement(""), "SELECT * FROM ");
}

TEST(TableStatements, SelectExListsTheFieldsWithTheCommaLeading) {
    EXPECT_EQ(SelectExStatement("Customers", Customers),
              "SELECT \r\n\t id\r\n\t,name\r\n\t,joined\r\nFROM Customers\r\n WHERE ");
    EXPECT_EQ(SelectExStatement("t", OneField), "SELECT \r\n\t code\r\nFROM t\r\n WHERE ");
    EXPECT_EQ(SelectExStatement("t", {}), "SELECT \r\nFROM t\r\n WHERE ");
    EXPECT_EQ(SelectExStatement("", Customers), "");
}

TEST(TableStatements, InsertListsEveryFieldAndAVariableForEach) {
    EXPECT_EQ(InsertStatement("Customers", Customers),
              "INSERT INTO Customers\r\n(\r\n\t id\r\n\t,name\r\n\t,joined\r\n)\r\nVALUES\r\n"
              "(\r\n\t @id\r\n\t,@name\r\n\t,@joined\r\n)\r\n");
    EXPECT_EQ(InsertStatement("t", OneField),
              "INSERT INTO t\r\n(\r\n\t code\r\n)\r\nVALUES\r\n(\r\n\t @code\r\n)\r\n");
    EXPECT_EQ(InsertStatement("t", {}), "INSERT INTO t\r\n(\r\n)\r\nVALUES\r\n(\r\n)\r\n");
    EXPECT_EQ(InsertStatement("", {}), "INSERT INTO  ()\r\n VALUES ()");
}

TEST(TableStatements, UpdateAssignsEveryFieldToItself) {
    EXPECT_EQ(UpdateStatement("Customers", Customers),
              "UPDATE Customers \r\n SET \r\n\tid = id\r\n\t,name = name\r\n\t,joined = joined\r\n"
              "WHERE\r\n");
    EXPECT_EQ(UpdateStatement("t", {}), "UPDATE t \r\n SET \r\nWHERE\r\n");
    EXPECT_EQ(UpdateStatement("", {}), "UPDATE  ()\r\n SET WHERE");
}

TEST(TableStatements, DeleteTruncateAndDropNameTheTable) {
    EXPECT_EQ(DeleteStatement("Customers"), "DELETE FROM Customers\r\n WHERE ");
    EXPECT_EQ(DeleteStatement(""), "DELETE FROM \r\n WHERE ");
    EXPECT_EQ(TruncateStatement("Customers"), "TRUNCATE TABLE Customers");
    EXPECT_EQ(TruncateStatement(""), "TRUNCATE TABLE ");
    EXPECT_EQ(DropTableStatement("Customers"), "DROP TABLE Customers");
}

TEST(TableStatements, CreateTableIsAFixedExample) {
    EXPECT_EQ(CreateTableTemplate(),
              "if exists (select * from sysobjects where id = object_id(N'[TableName]') and "
              "OBJECTPROPERTY(id, N'IsUserTable') = 1)\r\n"
              " drop table [TableName] \r\n"
              "\r\n"
              "CREATE TABLE [TableName] (\r\n"
              "   [FieldName1]  type (length),\r\n"
              "   [FieldName2]  type (length),\r\n"
              " ) ON [PRIMARY]\r\n");
}

TEST(TableStatements, AlterTableListsSqlTypesWithTheSizeInBrackets) {
    const TFieldList fields = {
        {"id", "AutoInc", 0}, {"name", "String", 60}, {"price", "BCD", 2, 12}, {"flag", "Bool", 0}};
    EXPECT_EQ(AlterTableListing("Products", fields),
              "ALTER TABLE Products\r\n    id autoinc [0]\r\n,   name varchar [60]\r\n"
              ",   price decimal(12,2) [2]\r\n,   flag bit [0]\r\n");
    EXPECT_EQ(AlterTableListing("t", {}), "ALTER TABLE t\r\n");
}

TEST(TableStatements, SpHelpTextNamesTheProcedure) {
    EXPECT_EQ(HelpTextStatement("p_Orders"), "SP_HELPTEXT p_Orders");
    EXPECT_EQ(HelpTextStatement(""), "SP_HELPTEXT ");
    EXPECT_EQ(HelpTextStatement("monthly report"), "SP_HELPTEXT [monthly report]");
}

TEST(TableStatements, NamesThatAreNotRegularIdentifiersAreBracketed) {
    const TFieldList fields = {{"order date", "DateTime", 0}, {"2nd", "Integer", 0}};
    EXPECT_EQ(SelectAllStatement("order lines"), "SELECT * FROM [order lines]");
    EXPECT_EQ(SelectExStatement("select", fields),
              "SELECT \r\n\t [order date]\r\n\t,[2nd]\r\nFROM [select]\r\n WHERE ");
    EXPECT_EQ(InsertStatement("a]b", fields),
              "INSERT INTO [a]]b]\r\n(\r\n\t [order date]\r\n\t,[2nd]\r\n)\r\nVALUES\r\n"
              "(\r\n\t @order_date\r\n\t,@2nd\r\n)\r\n");
    EXPECT_EQ(UpdateStatement("t", fields),
              "UPDATE t \r\n SET \r\n\t[order date] = [order date]\r\n\t,[2nd] = [2nd]\r\n"
              "WHERE\r\n");
    EXPECT_EQ(DeleteStatement("1990"), "DELETE FROM [1990]\r\n WHERE ");
    EXPECT_EQ(TruncateStatement("my table"), "TRUNCATE TABLE [my table]");
    EXPECT_EQ(DropTableStatement("my table"), "DROP TABLE [my table]");
    EXPECT_EQ(AlterTableListing("my table", fields),
              "ALTER TABLE [my table]\r\n    [order date] datetime [0]\r\n,   [2nd] int [0]\r\n");
}
