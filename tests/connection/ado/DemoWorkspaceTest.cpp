// The demo workspace opens through its data link file and holds what the program shows first.
#include "AdoTestSupport.h"

#include <gtest/gtest.h>

using namespace velmora::ado;
using namespace velmora::test;

TEST(DemoWorkspace, OpensThroughItsDataLinkFileFromAnyDirectoryAndListsItsDatabasesAndTables) {
    VELMORA_REQUIRE(odbcDriverInstalled("SQLite3"), "the SQLite3 ODBC driver");
    const std::filesystem::path workspace = VELMORA_DEMO_WORKSPACE;
    ASSERT_TRUE(std::filesystem::exists(workspace / "demo.db"));
    // Elsewhere: the data link names the database by its full path, so no empty one is made here.
    TempDirectory elsewhere;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere.path());

    TADOConnection connection;
    connection.SetConnectionString("FILE NAME=" + (workspace / "demo.udl").string());
    connection.Open();
    EXPECT_EQ(connection.Provider(), "MSDASQL.1");
    TADOQuery query;
    query.SetConnection(&connection);
    query.SetSQL("select * from sysdatabases");
    query.Open();
    EXPECT_EQ(query.FieldByName("Name").AsString(), "main");

    TADODataSet tables("tables");
    connection.OpenSchema(siTables, tables);
    std::vector<std::string> names;
    for (tables.First(); !tables.Eof(); tables.Next())
        names.push_back(tables.FieldByName("TABLE_NAME").AsString() + " " +
                        tables.FieldByName("TABLE_TYPE").AsString());
    for (const char* expected : {"customers TABLE", "products TABLE", "order_totals VIEW"})
        EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;

    TADOTable products;
    products.SetConnection(&connection);
    products.SetTableName("products");
    const TFieldDefs& defs = products.FieldDefs();
    EXPECT_EQ(defs[0].DataType, ftAutoInc);
    EXPECT_EQ(defs.Find("picture")->DataType, ftBlob);
    EXPECT_EQ(defs.Find("description")->DataType, ftMemo);
    connection.Close();
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path()));
    std::filesystem::current_path(previous);
}
