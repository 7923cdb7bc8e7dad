// Names and databases on SQL Server through the real FreeTDS driver against the TDS test
// server: statements the layer writes bracket names, a table outside dbo is found by its
// schema, and a server that refuses USE (Azure SQL Database) switches databases by a new login.
#include "AdoTestSupport.h"
#include "LoginDatabase.h"

#include <gtest/gtest.h>

using namespace velmora::ado;
using namespace velmora::test;

namespace {

using SqlServerNames = FreeTdsFixture;

// A connection to a server of the test's own that answers as Azure SQL Database.
class AzureDatabases : public ::testing::Test {
protected:
    void SetUp() override {
        VELMORA_REQUIRE(odbcDriverInstalled("FreeTDS"), "the FreeTDS ODBC driver");
        connection.OnReconnectToDatabase = [this](TADOConnection&, const std::string& database) {
            reconnects.push_back(database);
        };
        connection.SetConnectionString(
            tdsConnectionString(server.Port(), "sa", tdsSaPassword, "sample"));
    }
    std::string currentDatabase() {
        TADOQuery query;
        query.SetConnection(&connection);
        query.SetSQL("select db_name() as current_database");
        query.Open();
        return query.Fields(0).AsString();
    }

    TTdsServerProcess server{{"--azure"}};
    TADOConnection connection;
    std::vector<std::string> reconnects;
};

} // namespace

TEST(LoginDatabase, TheDatabaseKeyIsReadAndReplacedWhateverTheDriversBraces) {
    OdbcTarget target = translateConnectionString(
        "Provider=SQLOLEDB;Data Source=db1;User ID=sa;Password=\"p;w\";Initial Catalog=sample");
    EXPECT_EQ(loginDatabaseOf(target), "sample");
    setLoginDatabase(target, "my db");
    EXPECT_EQ(loginDatabaseOf(target), "my db");
    EXPECT_NE(target.odbcConnectionString.find("Database=my db;"), std::string::npos);
    EXPECT_EQ(target.odbcConnectionString.find("sample"), std::string::npos);
    EXPECT_NE(target.odbcConnectionString.find("PWD={p;w};"), std::string::npos)
        << target.odbcConnectionString;
    EXPECT_EQ(loginDatabaseOf(translateConnectionString("Provider=SQLOLEDB;Data Source=db1")),
              std::nullopt);
}

TEST_F(SqlServerNames, NamesAreBracketedAndFoundByTheirSchema) {
    EXPECT_TRUE(connection.IsSqlServer());
    EXPECT_EQ(connection.DefaultSchema(), "dbo");
    EXPECT_EQ(connection.QuoteIdentifier("a]b"), "[a]]b]");
    EXPECT_EQ(connection.QuoteTableName("Sales.Customer"), "[Sales].[Customer]");
    EXPECT_EQ(connection.QuoteTableName("[My Schema].[a]]b]"), "[My Schema].[a]]b]");
    EXPECT_EQ(connection.QuoteTableName("\"x.y\""), "[x.y]");
    EXPECT_EQ(connection.PrimaryKeyColumns("Sales.Customer"),
              std::vector<std::string>{"CustomerID"});
    TADOTable table;
    table.SetConnection(&connection);
    table.SetTableName("Sales.Customer");
    table.Open();
    EXPECT_EQ(table.RecordCount(), 4);
    table.Close();
    table.SetTableName("Customer"); // dbo's
    table.Open();
    EXPECT_EQ(table.RecordCount(), 1);
}

TEST_F(AzureDatabases, ADatabaseIsSwitchedToByANewLoginThatNamesIt) {
    connection.Open();
    EXPECT_EQ(connection.DefaultDatabase(), "sample");
    EXPECT_FALSE(connection.UseDatabase("master"));
    EXPECT_EQ(connection.DefaultDatabase(), "sample");
    EXPECT_TRUE(reconnects.empty());
    connection.SetDefaultDatabase("master");
    EXPECT_EQ(reconnects, std::vector<std::string>{"master"});
    EXPECT_EQ(connection.DefaultDatabase(), "master");
    EXPECT_EQ(currentDatabase(), "master");
    // A database the server does not have: the connection goes back to where it was.
    EXPECT_NE(errorOf([&] { connection.SetDefaultDatabase("nowhere"); }), "no error");
    EXPECT_TRUE(connection.Connected());
    EXPECT_EQ(currentDatabase(), "master");
    // A transaction would not survive the new login.
    connection.BeginTrans();
    EXPECT_NE(errorOf([&] { connection.SetDefaultDatabase("sample"); }), "no error");
    connection.RollbackTrans();
    EXPECT_EQ(currentDatabase(), "master");
}

TEST_F(AzureDatabases, ADatabaseChosenWhileClosedIsWhereTheConnectionOpens) {
    connection.SetDefaultDatabase("master");
    connection.Open();
    EXPECT_EQ(currentDatabase(), "master");
    EXPECT_EQ(reconnects, std::vector<std::string>{"master"});
}

TEST_F(AzureDatabases, TheStringsInitialCatalogWinsOverANameSetBeforeIt) {
    TADOConnection other;
    other.SetDefaultDatabase("master");
    other.SetConnectionString(tdsConnectionString(server.Port(), "sa", tdsSaPassword, "sample"));
    other.Open();
    EXPECT_EQ(other.DefaultDatabase(), "sample");
}
