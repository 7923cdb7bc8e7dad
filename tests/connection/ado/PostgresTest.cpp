// The data layer against a real PostgreSQL server through its ODBC driver.
#include "AdoTestSupport.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace velmora::ado;
using namespace velmora::test;
using Events = std::vector<std::string>;

namespace {

using Postgres = PostgresFixture;

} // namespace

TEST_F(Postgres, NoticesBecomeInfoMessagesBetweenTheExecuteNotifications) {
    NotificationRecorder recorder(connection);
    run("do $$ begin raise notice 'first %', 1; end $$");
    EXPECT_EQ(recorder.take(),
              (Events{"Will Execute", "Info Message (NOTICE: first 1)", "Execute Complete"}));
    // The driver hands several notices of one statement over as one record: one message.
    run("do $$ begin raise notice 'a'; raise notice 'b'; end $$");
    const Events events = recorder.take();
    ASSERT_EQ(events.size(), 3u) << ::testing::PrintToString(events);
    EXPECT_NE(events[1].find("a;NOTICE: b"), std::string::npos);
}

TEST_F(Postgres, RowCountsComeWithClosedResults) {
    run("create table t(x int); insert into t values (1), (2), (3)");
    TADOCommand command;
    command.SetConnection(&connection);
    long affected = -1;
    command.SetCommandText("update t set x = x * 10");
    EXPECT_FALSE(command.Execute(affected).IsOpen());
    EXPECT_EQ(affected, 3);
    command.SetCommandText("delete from t where x < 0");
    command.Execute(affected);
    EXPECT_EQ(affected, 0);
}

TEST_F(Postgres, ErrorsCarryTheServersTextAndTheConnectionStaysUsable) {
    EXPECT_NE(
        errorOf("select * from missing_table").find("relation \"missing_table\" does not exist"),
        std::string::npos);
    EXPECT_NE(errorOf("select 1; select 1/0").find("division by zero"), std::string::npos);
    TADOQuery query;
    query.SetConnection(&connection);
    query.SetSQL("select 41 + 1 as answer");
    query.Open();
    EXPECT_EQ(query.FieldByName("answer").AsString(), "42");
}

TEST_F(Postgres, ValuesLongerThanTheReportedSizeAreReadWholeInBlocks) {
    // An unlimited varchar is reported with 255 characters; values may be far longer.
    run("create table v(id serial primary key, s varchar, t text, b bytea)");
    run("insert into v(s, t, b) select repeat('x', 300 + i), repeat('y', i * 10), "
        "decode(repeat('ab', i), 'hex') from generate_series(1, 3000) i");
    TADOQuery query;
    query.SetConnection(&connection);
    query.SetSQL("select id, s, t, b from v order by id");
    query.Open();
    ASSERT_EQ(query.RecordCount(), 3000);
    EXPECT_EQ(query.CellText(0, 1), std::string(301, 'x'));
    EXPECT_EQ(query.CellText(2999, 1), std::string(3300, 'x'));
    EXPECT_EQ(query.CellText(2999, 2), std::string(30000, 'y'));
    EXPECT_EQ(query.CellBytes(2999, 3), std::string(3000, '\xAB'));
    EXPECT_EQ(query.FieldByName("id").DataType(), ftAutoInc);
}

TEST_F(Postgres, ProceduresAndTheirParameters) {
    run("create function add_tax(amount numeric(10,2), rate int, out total numeric(12,2), "
        "out label varchar(20)) as $$ select amount * (100 + rate) / 100, 'taxed' $$ language sql");
    TADODataSet procedures("procedures");
    connection.OpenSchema(siProcedures, procedures);
    bool found = false;
    for (procedures.First(); !procedures.Eof(); procedures.Next())
        found = found || procedures.FieldByName("PROCEDURE_NAME").AsString() == "add_tax;1";
    EXPECT_TRUE(found);

    TADOStoredProc procedure;
    procedure.SetConnection(&connection);
    procedure.SetProcedureName("add_tax;1");
    procedure.RefreshParameters();
    ASSERT_EQ(procedure.Parameters().Count(), 4);
    const TParameter& amount = procedure.Parameters()[0];
    EXPECT_EQ(amount.Name, "amount");
    EXPECT_EQ(amount.Direction, pdInput);
    EXPECT_EQ(amount.DataType, ftBCD);
    const TParameter& rate = procedure.Parameters()[1];
    EXPECT_EQ(rate.Direction, pdInput);
    EXPECT_EQ(rate.DataType, ftInteger);
    EXPECT_EQ(rate.Size, 4);
    const TParameter& label = procedure.Parameters()[3];
    EXPECT_EQ(label.Name, "label");
    EXPECT_EQ(label.Direction, pdOutput);
    EXPECT_EQ(label.DataType, ftWideString);
    EXPECT_EQ(label.Size, 255); // a function's arguments keep no length: the driver's default
    EXPECT_NE(procedure.Parameters().FindParam("TOTAL"), nullptr);
}

TEST_F(Postgres, DefaultDatabaseIsTheServersCurrentCatalog) {
    EXPECT_EQ(connection.DefaultDatabase(), "velmora");
    connection.SetDefaultDatabase("velmora"); // the same name changes nothing
    EXPECT_EQ(connection.DefaultDatabase(), "velmora");
}

TEST_F(Postgres, EditsOfATableRoundTrip) {
    run("create table items(id serial primary key, name varchar(20), price numeric(8,2))");
    run("insert into items(name, price) values ('pen', 1.50), ('ink', 7.25)");
    TADOTable table;
    table.SetConnection(&connection);
    table.SetTableName(schema + ".items");
    table.Open();
    table.Last();
    table.Edit();
    table.FieldByName("price").SetAsString("8.00");
    table.Post();
    table.Append();
    table.FieldByName("name").SetAsString("pad");
    table.Post();
    TADOQuery query;
    query.SetConnection(&connection);
    query.SetSQL("select name, price from items order by name");
    query.Open();
    ASSERT_EQ(query.RecordCount(), 3);
    EXPECT_EQ(query.CellText(0, 1), "8.00");
    EXPECT_EQ(query.CellText(1, 0), "pad");
    EXPECT_TRUE(query.CellIsNull(1, 1));
}

TEST_F(Postgres, AKilledBackendFailsTheQueryAndTheConnectionCanBeReopened) {
    std::thread killer([] {
        TADOConnection admin;
        admin.SetConnectionString(postgresConnectionString());
        admin.Open();
        for (int attempt = 0; attempt < 200; ++attempt) {
            const TRecordset killed = admin.Execute(
                "select pg_terminate_backend(pid) from pg_stat_activity "
                "where query like 'select pg_sleep(30)%' and pid <> pg_backend_pid()");
            if (killed.rows.rowCount() > 0)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    const auto started = std::chrono::steady_clock::now();
    const std::string error = errorOf("select pg_sleep(30)");
    killer.join();
    EXPECT_NE(error, "no error");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(25));
    connection.Close();
    connection.Open();
    TADOQuery query;
    query.SetConnection(&connection);
    query.SetSQL("select 'alive' as state");
    query.Open();
    EXPECT_EQ(query.Fields(0).AsString(), "alive");
}

TEST_F(Postgres, AConnectionEndedByTheServerIsReportedAsLostUntilItIsOpenedAgain) {
    TADOQuery backend;
    backend.SetConnection(&connection);
    backend.SetSQL("select pg_backend_pid()");
    backend.Open();
    TADOConnection admin;
    admin.SetConnectionString(postgresConnectionString());
    admin.Open();
    endPostgresSession(admin, backend.Fields(0).AsString());
    // First the server's own notice that it ended the session, then the driver's link failure.
    for (int attempt = 0; attempt < 2; ++attempt)
        EXPECT_THROW(run("select 1"), EConnectionLost) << attempt;
    EXPECT_THROW(run("select * from missing_table"), EConnectionLost);
    connection.Close();
    connection.Open();
    try {
        run("select * from missing_table");
        ADD_FAILURE() << "no error";
    } catch (const EConnectionLost&) {
        ADD_FAILURE() << "an error of the statement is no lost connection";
    } catch (const EDatabaseError&) {
    }
}
