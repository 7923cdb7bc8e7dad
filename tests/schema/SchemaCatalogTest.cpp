// Reading the browser's lists from SQLite databases the tests make, and the node texts.
#include "SchemaCatalog.h"

#include "AdoTestSupport.h"

#include <gtest/gtest.h>

using namespace velmora::ado;
using namespace velmora::schema;
using namespace velmora::test;
using Texts = std::vector<std::string>;

namespace {

class SchemaCatalog : public SqliteFixture {};

} // namespace

TEST_F(SchemaCatalog, DatabaseNamesComeInTheServersOrderAndTheQueryIsClosedAgain) {
    run("create table names(Name varchar(30)); "
        "insert into names values ('zeta'), ('alpha'), ('Alpha'); "
        "create view sysdatabases as select Name from names");
    TADOQuery query;
    query.SetConnection(&connection);
    EXPECT_EQ(ReadDatabaseNames(query), (Texts{"zeta", "alpha", "Alpha"}));
    EXPECT_FALSE(query.Active());
    EXPECT_EQ(query.SQL(), "select * from sysdatabases");
}

TEST_F(SchemaCatalog, AServerWithoutTheDatabaseListFails) {
    TADOQuery query;
    query.SetConnection(&connection);
    EXPECT_NE(errorOf([&] { ReadDatabaseNames(query); }).find("sysdatabases"), std::string::npos);
}

TEST_F(SchemaCatalog, ADatabaseListCancelledWhileItsRowsComeFails) {
    run("create view sysdatabases as with recursive n(i) as (select 1 union all select i + 1 "
        "from n where i < 500000) select 'db' || i as Name from n");
    connection.SetCallRunner(ThreadedCallRunner([](const TServerCall& call, auto) {
        return call.RowsFetched() > 0 ? ThreadedCallRunner::Action::Cancel
                                      : ThreadedCallRunner::Action::Wait;
    }));
    TADOQuery query;
    query.SetConnection(&connection);
    // Part of the list would pass for the whole of it.
    EXPECT_EQ(errorOf([&] { ReadDatabaseNames(query); }), cancelledMessage);
}

TEST(CurrentDatabasePosition, IsTheLastExactlyEqualNameOrTheFirstPosition) {
    EXPECT_EQ(CurrentDatabasePosition({"a", "shop", "b"}, "shop"), 1);
    EXPECT_EQ(CurrentDatabasePosition({"shop", "Shop", "SHOP"}, "Shop"), 1);
    EXPECT_EQ(CurrentDatabasePosition({"x", "y"}, "Shop"), 0);
    EXPECT_EQ(CurrentDatabasePosition({"shop", "x", "shop"}, "shop"), 2);
    EXPECT_EQ(CurrentDatabasePosition({}, "shop"), 0);
}

TEST_F(SchemaCatalog, TablesAndViewsInProviderOrderWithoutSystemTables) {
    EXPECT_EQ(ReadTableNames(connection), Texts{});
    run("create table zebra(id integer primary key autoincrement); create table apple(x int); "
        "create view middle as select x from apple; insert into zebra default values");
    const Texts names = ReadTableNames(connection);
    EXPECT_EQ(names, (Texts{"zebra", "apple", "middle"}));
}

TEST_F(SchemaCatalog, AStandInForTheServersDatabaseListIsNotAmongTheTables) {
    // A view of that name stands in for the server's own list, whatever its letter case; a
    // table of that name is the database's.
    run("create table databases(name varchar(30)); "
        "create view SysDatabases as select name from databases; "
        "create view sysdatabases_copy as select name from databases");
    EXPECT_EQ(ReadTableNames(connection), (Texts{"databases", "sysdatabases_copy"}));
    run("drop view SysDatabases; create table sysdatabases(name varchar(30))");
    EXPECT_EQ(ReadTableNames(connection),
              (Texts{"databases", "sysdatabases_copy", "sysdatabases"}));
}

TEST_F(SchemaCatalog, FieldTextsNameTypeAndSizeWithoutOpeningTheTable) {
    run("create table items(id integer primary key autoincrement, name varchar(60) not null, "
        "code char(4), qty int, price float, added datetime, note text, photo longvarbinary); "
        "insert into items(name) values ('pen')");
    TADOTable table;
    table.SetConnection(&connection);
    EXPECT_EQ(ReadFieldNodeTexts(table, "items"),
              (Texts{"id [AutoInc] (0)", "name [String] (60)", "code [String] (4)",
                     "qty [Integer] (0)", "price [Float] (0)", "added [DateTime] (0)",
                     "note [Memo] (0)", "photo [Blob] (0)"}));
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(table.TableName(), "items");
}

TEST_F(SchemaCatalog, FieldTextsCloseTheTableFirstAndFailForAMissingTable) {
    run("create table a(x int); create table b(y varchar(5))");
    TADOTable table;
    table.SetConnection(&connection);
    table.SetTableName("a");
    table.Open();
    EXPECT_EQ(ReadFieldNodeTexts(table, "b"), Texts{"y [String] (5)"});
    EXPECT_NE(errorOf([&] { ReadFieldNodeTexts(table, "missing"); }), "no error");
}

// "name Type size precision" and the letters U (Unicode) and F (fixed length) where they apply.
std::string Describe(const velmora::sqlgen::TTableField& field) {
    return field.Name + " " + field.TypeName + " " + std::to_string(field.Size) + " " +
           std::to_string(field.Precision) + (field.Unicode ? " U" : "") +
           (field.FixedLength ? " F" : "");
}

Texts Described(const velmora::sqlgen::TFieldList& fields) {
    Texts texts;
    for (const auto& field : fields)
        texts.push_back(Describe(field));
    return texts;
}

TEST_F(SchemaCatalog, TableFieldsCarryTheirTypeSizeAndPrecision) {
    // SQLite's driver reports its own digits for integers; decimals it reports as text.
    run("create table goods(id integer primary key autoincrement, name varchar(20), "
        "qty smallint, big bigint, note text, photo longvarbinary)");
    TADOTable table;
    table.SetConnection(&connection);
    EXPECT_EQ(Described(ReadTableFields(table, "goods")),
              (Texts{"id AutoInc 0 10", "name String 20 0", "qty SmallInt 0 6", "big LargeInt 0 20",
                     "note Memo 0 0", "photo Blob 0 0"}));
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(table.TableName(), "goods");
    EXPECT_NE(errorOf([&] { ReadTableFields(table, "missing"); }), "no error");
}

TEST_F(SchemaCatalog, ReadingTableFieldsPostsAPendingEditFirst) {
    run("create table a(x int); insert into a values (1); create table b(y varchar(5))");
    TADOTable table;
    table.SetConnection(&connection);
    table.SetTableName("a");
    table.Open();
    table.Edit();
    table.Fields(0).SetAsString("2");
    EXPECT_EQ(Described(ReadTableFields(table, "b")), Texts{"y String 5 0"});
    TADOQuery query;
    query.SetConnection(&connection);
    query.SetSQL("select x from a");
    query.Open();
    EXPECT_EQ(query.Fields(0).AsString(), "2");
}

TEST_F(SchemaCatalog, AProceduresSourceIsTheTextOfEveryRowJoined) {
    run("create table help(n int, Text varchar(80)); insert into help values "
        "(1, 'create procedure p_x' || char(13, 10)), (2, 'as' || char(13, 10)), "
        "(3, char(9) || 'select 1')");
    TADOQuery rows;
    rows.SetConnection(&connection);
    rows.SetSQL("select Text from help order by n");
    rows.Open();
    rows.Last();
    EXPECT_EQ(ProcedureSourceText(rows), "create procedure p_x\r\nas\r\n\tselect 1");
    rows.Close();
    rows.SetSQL("select 'Incorrect syntax ' As Result");
    rows.Open();
    EXPECT_EQ(errorOf([&] { ProcedureSourceText(rows); }), "ADOQuery1: Field 'Text' not found");
}

TEST(NodeTexts, FieldsAndParametersShowTypeSizeAndDirection) {
    TFieldDef field;
    field.Name = "Amount";
    field.DataType = ftBCD;
    field.Size = 4;
    EXPECT_EQ(FieldNodeText(field), "Amount [BCD] (4)");
    field.DataType = ftUnknown; // what a column of a type the layer does not map gets
    EXPECT_EQ(FieldNodeText(field), "Amount [Unknown] (4)");
    EXPECT_EQ(ParameterNodeText({"@RETURN_VALUE", pdReturnValue, ftInteger, 0}),
              "@RETURN_VALUE [Integer] (0) ReturnValue");
    EXPECT_EQ(ParameterNodeText({"@Name", pdInputOutput, ftString, 50}),
              "@Name [String] (50) InputOutput");
    EXPECT_EQ(ParameterNodeText({"", pdReturnValue, ftInteger, 4}), " [Integer] (4) ReturnValue");
}

TEST(NodeTexts, ProcedureNamesEndBeforeTheFirstSemicolon) {
    EXPECT_EQ(ProcedureNodeText("p_Orders;1"), "p_Orders");
    EXPECT_EQ(ProcedureNodeText("odd;name;2"), "odd");
    EXPECT_EQ(ProcedureNodeText("bare"), "bare");
    EXPECT_EQ(ProcedureNodeText(""), "");
}
