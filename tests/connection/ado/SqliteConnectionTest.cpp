// The connection, command and schema operations against SQLite through its ODBC driver.
#include "AdoTestSupport.h"

#include <fstream>
#include <gtest/gtest.h>
#include <map>

using namespace velmora::ado;
using namespace velmora::test;
using Events = std::vector<std::string>;

namespace {

class SqliteConnection : public SqliteFixture {};

} // namespace

TEST_F(SqliteConnection, ConnectAndDisconnectRaiseTheirNotificationsInOrder) {
    connection.Close();
    NotificationRecorder recorder(connection);
    connection.Open();
    EXPECT_TRUE(connection.Connected());
    EXPECT_EQ(recorder.take(), (Events{"Before Connect", "Will Connect", "Login",
                                       "Connect Complete", "After Connect"}));
    connection.Open(); // already open: nothing happens
    EXPECT_TRUE(recorder.take().empty());
    connection.SetConnected(false);
    EXPECT_FALSE(connection.Connected());
    EXPECT_EQ(recorder.take(), (Events{"Before Disconnect", "Disconnect", "After Disconnect"}));
}

TEST_F(SqliteConnection, ExecuteIsBracketedByNotificationsAlsoWhenItFails) {
    NotificationRecorder recorder(connection);
    run("create table t(x int)");
    EXPECT_EQ(recorder.take(), (Events{"Will Execute", "Execute Complete"}));
    EXPECT_NE(errorOf([&] { run("select * from missing"); }).find("no such table: missing"),
              std::string::npos);
    EXPECT_EQ(recorder.take(), (Events{"Will Execute", "Execute Complete"}));
}

TEST_F(SqliteConnection, CommandReturnsAClosedResultWithTheRowsAffected) {
    run("create table t(x int)");
    run("insert into t values (1), (2), (3)");
    TADOCommand command;
    command.SetConnection(&connection);
    command.SetCommandText("update t set x = x + 1");
    long affected = 0;
    TRecordset result = command.Execute(affected);
    EXPECT_FALSE(result.IsOpen());
    EXPECT_EQ(affected, 3);

    TADODataSet dataSet;
    EXPECT_EQ(errorOf([&] { dataSet.SetRecordset(std::move(result)); }),
              "ADODataSet1: Recordset is not open");
    EXPECT_FALSE(dataSet.Active());

    command.SetCommandText("select x from t order by x");
    dataSet.SetRecordset(command.Execute(affected));
    ASSERT_TRUE(dataSet.Active());
    EXPECT_EQ(dataSet.RecordCount(), 3);
    EXPECT_EQ(dataSet.FieldByName("x").AsString(), "2");
}

TEST_F(SqliteConnection, EveryStatementOfABatchRuns) {
    run("create table t(x int); insert into t values (1); insert into t values (2)");
    TADOQuery query;
    query.SetConnection(&connection);
    query.SetSQL("select count(*) as n from t");
    query.Open();
    EXPECT_EQ(query.FieldByName("n").AsString(), "2");
}

TEST_F(SqliteConnection, ConnectionStringLosesItsPasswordOnceOpenedUnlessPersisted) {
    connection.Close();
    const std::string withPassword =
        "Provider=MSDASQL.1;Password=secret;Extended Properties=\"Driver=SQLite3;Database=" +
        databasePath().string() + ";PWD=hidden\"";
    connection.SetConnectionString(withPassword);
    EXPECT_EQ(connection.ConnectionString(), withPassword);
    connection.Open();
    const std::string shown = connection.ConnectionString();
    EXPECT_EQ(shown.find("secret"), std::string::npos);
    EXPECT_EQ(shown.find("hidden"), std::string::npos);
    EXPECT_NE(shown.find("Driver=SQLite3"), std::string::npos);
    connection.Close();
    connection.Open(); // the password is still known for reopening
    EXPECT_EQ(connection.Provider(), "MSDASQL.1");

    connection.Close();
    connection.SetConnectionString(withPassword + ";Persist Security Info=True");
    connection.Open();
    EXPECT_NE(connection.ConnectionString().find("secret"), std::string::npos);
}

TEST_F(SqliteConnection, VersionIsTheDriverManagersAndStringCannotChangeWhileOpen) {
    EXPECT_EQ(connection.Version().substr(0, 3), "03.");
    EXPECT_THROW(connection.SetConnectionString("Provider=MSDASQL"), EDatabaseError);
}

TEST_F(SqliteConnection, DefaultDatabaseIsKeptClientSideWithoutCatalogs) {
    connection.SetDefaultDatabase("master");
    EXPECT_EQ(connection.DefaultDatabase(), "master");
    connection.Close();
    connection.SetDefaultDatabase("other");
    connection.Open();
    EXPECT_EQ(connection.DefaultDatabase(), "other");
    // An empty name (a chooser with nothing highlighted) keeps the database, open or closed.
    connection.SetDefaultDatabase("");
    EXPECT_EQ(connection.DefaultDatabase(), "other");
    connection.Close();
    connection.SetDefaultDatabase("");
    connection.Open();
    EXPECT_EQ(connection.DefaultDatabase(), "other");
}

TEST_F(SqliteConnection, SchemaRowsetsListTablesViewsInDriverOrder) {
    run("create table b_table(x int); create table a_table(y int); create view v as select 1 as z");
    TADODataSet tables("tables");
    connection.OpenSchema(siTables, tables);
    std::vector<std::pair<std::string, std::string>> rows;
    for (tables.First(); !tables.Eof(); tables.Next())
        rows.emplace_back(tables.FieldByName("TABLE_NAME").AsString(),
                          tables.FieldByName("TABLE_TYPE").AsString());
    EXPECT_NE(std::find(rows.begin(), rows.end(),
                        std::pair<std::string, std::string>("a_table", "TABLE")),
              rows.end());
    EXPECT_NE(std::find(rows.begin(), rows.end(), std::pair<std::string, std::string>("v", "VIEW")),
              rows.end());
    TADODataSet procedures("procedures");
    connection.OpenSchema(siProcedures, procedures);
    EXPECT_TRUE(procedures.Active());
    EXPECT_NE(procedures.FindField("PROCEDURE_NAME"), nullptr);
}

TEST_F(SqliteConnection, SqlitesOwnTablesAreSystemTables) {
    run("create table counted(id integer primary key autoincrement); create table plain(x int)");
    TADODataSet tables("tables");
    connection.OpenSchema(siTables, tables);
    std::map<std::string, std::string> types;
    for (tables.First(); !tables.Eof(); tables.Next())
        types[tables.FieldByName("TABLE_NAME").AsString()] =
            tables.FieldByName("TABLE_TYPE").AsString();
    EXPECT_EQ(types["sqlite_sequence"], "SYSTEM TABLE");
    EXPECT_EQ(types["counted"], "TABLE");
    EXPECT_EQ(types["plain"], "TABLE");
}

TEST_F(SqliteConnection, TransactionsNotifyAndRollBack) {
    run("create table t(x int)");
    NotificationRecorder recorder(connection);
    connection.BeginTrans();
    connection.Execute("insert into t values (1)");
    connection.RollbackTrans();
    connection.BeginTrans();
    connection.Execute("insert into t values (2)");
    connection.CommitTrans();
    EXPECT_EQ(recorder.take(),
              (Events{"Begin Transaction Complete", "Will Execute", "Execute Complete",
                      "Rollback Transaction Complete", "Begin Transaction Complete", "Will Execute",
                      "Execute Complete", "Commit Transaction Complete"}));
    TADOQuery query;
    query.SetConnection(&connection);
    query.SetSQL("select x from t");
    query.Open();
    EXPECT_EQ(query.RecordCount(), 1);
    EXPECT_EQ(query.Fields(0).AsString(), "2");
    EXPECT_THROW(connection.CommitTrans(), EDatabaseError);
}

TEST_F(SqliteConnection, DataLinkFilesOpenTheirConnection) {
    connection.Close();
    const auto udl = directory.path() / "demo.udl";
    writeDataLinkFile(udl.string(), sqliteConnectionString(databasePath()));
    connection.SetConnectionString("FILE NAME=" + udl.string());
    connection.Open();
    EXPECT_TRUE(connection.Connected());
    EXPECT_EQ(connection.Provider(), "MSDASQL.1");
    connection.Close();

    connection.SetConnectionString("FILE NAME=" + (directory.path() / "missing.udl").string());
    NotificationRecorder recorder(connection);
    EXPECT_NE(errorOf([&] { connection.Open(); }).find("missing.udl\". No such file"),
              std::string::npos);
    EXPECT_EQ(recorder.take(),
              (Events{"Before Connect", "Will Connect", "Login", "Connect Complete"}));
    EXPECT_FALSE(connection.Connected());
}

TEST_F(SqliteConnection, AConnectionStringHoldingANulNeverReachesTheDriver) {
    connection.Close();
    // The driver would stop reading at the NUL and open (creating it) the database "cut".
    const std::string cut = (directory.path() / "cut").string();
    const auto udl = directory.path() / "nul.udl";
    writeDataLinkFile(udl.string(), sqliteConnectionString(cut + std::string(1, '\0') + ".db"));
    connection.SetConnectionString("FILE NAME=" + udl.string());
    EXPECT_EQ(errorOf([&] { connection.Open(); }),
              "The connection string holds a NUL character, which no driver can take.");
    EXPECT_FALSE(connection.Connected());
    EXPECT_FALSE(std::filesystem::exists(cut));

    connection.SetConnectionString(sqliteConnectionString(databasePath()) + '\0' + ";x=y");
    EXPECT_NE(errorOf([&] { connection.Open(); }).find("NUL character"), std::string::npos);
}

TEST_F(SqliteConnection, UnknownDriversAndProvidersAreNamedInTheError) {
    connection.Close();
    connection.SetConnectionString("Provider=MSDASQL;Extended Properties=\"Driver=NoSuchDriver\"");
    EXPECT_EQ(errorOf([&] { connection.Open(); }),
              "The ODBC driver \"NoSuchDriver\" is not installed: unixODBC does not know it. "
              "Install the driver and register it with odbcinst.");
    connection.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb");
    EXPECT_NE(errorOf([&] { connection.Open(); }).find("\"Microsoft.Jet.OLEDB.4.0\""),
              std::string::npos);
}

TEST_F(SqliteConnection, ClosingTheConnectionClosesItsDatasets) {
    run("create table t(x int)");
    TADOQuery query;
    query.SetConnection(&connection);
    query.SetSQL("select * from t");
    query.Open();
    connection.Close();
    EXPECT_FALSE(query.Active());
    EXPECT_EQ(errorOf([&] { query.Open(); }),
              "Operation is not allowed when the object is closed.");
}

// SQLite's driver cannot be stopped from another thread, so it is never asked to: reading rows
// stops at once, and a statement still executing is given up with its connection. The driver
// runs a query whole before the first row comes.
TEST_F(SqliteConnection, ACancelledFetchKeepsItsRowsAndAnExecutingStatementIsGivenUp) {
    const auto numbers = [](int last) {
        return "with recursive n(i) as (select 1 union all select i + 1 from n where i < " +
               std::to_string(last) + ") ";
    };
    connection.SetCallRunner(ThreadedCallRunner([](const TServerCall& call, auto) {
        return call.RowsFetched() > 0 ? ThreadedCallRunner::Action::Cancel
                                      : ThreadedCallRunner::Action::Wait;
    }));
    const TRecordset some = connection.Execute(numbers(300000) + "select i from n");
    EXPECT_TRUE(some.fetchCancelled);
    EXPECT_GT(some.rows.rowCount(), 0u);
    EXPECT_LT(some.rows.rowCount(), 300000u);
    EXPECT_EQ(some.rows.value(0, 0), "1");

    // A write waiting for another connection's lock executes for as long as the lock is held,
    // on a fast machine as on a slow one.
    run("create table t(x int)");
    TADOConnection locker;
    locker.SetConnectionString(sqliteConnectionString(databasePath()));
    locker.Open();
    locker.BeginTrans();
    locker.Execute("insert into t values (1)");
    connection.SetCallRunner(ThreadedCallRunner([](const TServerCall&, auto elapsed) {
        using Action = ThreadedCallRunner::Action;
        if (elapsed > std::chrono::milliseconds(600))
            return Action::GiveUp;
        return elapsed > std::chrono::milliseconds(100) ? Action::Cancel : Action::Wait;
    }));
    EXPECT_EQ(errorOf([&] { run("insert into t values (2)"); }),
              "The server did not answer the cancel request; the connection was closed.");
    EXPECT_FALSE(connection.Connected());
    locker.CommitTrans(); // the given-up write then ends by itself
    connection.SetCallRunner(runOnCallingThread);
    connection.Open();
    EXPECT_EQ(connection.Execute("select 6 * 7").rows.value(0, 0), "42");
}
