// The data layer through the real FreeTDS driver against the TDS test server: login and
// database switching, batches with their rows, counts, messages and errors, the catalogue,
// every SQL Server type through table editing, and servers that hang, drop or die.
#include "AdoTestSupport.h"
#include "SqlServerTypeCases.h"
#include "WideText.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <sqlext.h>
#include <thread>

using namespace velmora::ado;
using namespace velmora::test;
using Events = std::vector<std::string>;

namespace {

using FreeTds = FreeTdsFixture;

std::vector<std::string> columnValues(TCustomADODataSet& dataSet, const std::string& field) {
    std::vector<std::string> values;
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next())
        values.push_back(
            dataSet.FieldByName(field).IsNull() ? "<null>" : dataSet.FieldByName(field).AsString());
    return values;
}

} // namespace

TEST_F(FreeTds, TheLoginOpensTheDatabaseAskedForAndSwitchingReportsTheServersMessage) {
    EXPECT_EQ(connection.DefaultDatabase(), "sample");
    NotificationRecorder recorder(connection);
    connection.SetDefaultDatabase("master");
    EXPECT_EQ(recorder.take(), (Events{"Info Message (Changed database context to 'master'.)"}));
    EXPECT_EQ(connection.DefaultDatabase(), "master");
    TADOQuery query;
    query.SetConnection(&connection);
    query.SetSQL("select name from sysdatabases order by dbid");
    query.Open();
    EXPECT_EQ(columnValues(query, "name"),
              (std::vector<std::string>{"master", "tempdb", "model", "msdb", "sample"}));
    // Names resolve in the current database only, as on SQL Server.
    EXPECT_EQ(errorOf("select * from customers"), "Invalid object name 'customers'.");
    EXPECT_NE(errorOf("use nowhere").find("Database 'nowhere' does not exist."), std::string::npos);
}

TEST_F(FreeTds, ABatchAnswersEachStatementInOrder) {
    const std::string table = ownTable("batch");
    TADOCommand command;
    command.SetConnection(&connection);
    long affected = -1;
    command.SetCommandText("create table " + table +
                           " (id int identity primary key, label "
                           "nvarchar(10), amount decimal(8,2))");
    EXPECT_FALSE(command.Execute(affected).IsOpen());
    EXPECT_EQ(affected, 0); // DDL reports no count
    command.SetCommandText("insert into " + table +
                           " (label, amount) values ('a', 1.5), "
                           "(N'\xC3\xA9t\xC3\xA9', null), ('c', -2)");
    command.Execute(affected);
    EXPECT_EQ(affected, 3);
    command.SetCommandText("update " + table + " set amount = amount * 2 where amount is not null");
    command.Execute(affected);
    EXPECT_EQ(affected, 2);

    // A statement without rows, PRINT too, gives a closed result of its own; so the first
    // statement is the query whose rows the command returns.
    NotificationRecorder recorder(connection);
    command.SetCommandText("select id, label, amount from " + table +
                           " order by id; print 'done'; select count(*) from " + table);
    TRecordset first = command.Execute(affected);
    ASSERT_TRUE(first.IsOpen());
    TADODataSet rows;
    rows.SetRecordset(std::move(first));
    EXPECT_EQ(columnValues(rows, "label"),
              (std::vector<std::string>{"a", "\xC3\xA9t\xC3\xA9", "c"}));
    EXPECT_EQ(columnValues(rows, "amount"), (std::vector<std::string>{"3.00", "<null>", "-4.00"}));
    EXPECT_EQ(recorder.take(), (Events{"Will Execute", "Info Message (done)", "Execute Complete"}));
}

TEST_F(FreeTds, ErrorsCarryTheServersTextAndTheConnectionStaysUsable) {
    EXPECT_EQ(errorOf("select * from nosuch"), "Invalid object name 'nosuch'.");
    EXPECT_EQ(errorOf("raiserror('Custom failure %d', 16, 3, 42)"), "Custom failure 42");
    EXPECT_EQ(errorOf("throw 50001, 'Thrown', 1"), "Thrown");
    TADOQuery query;
    query.SetConnection(&connection);
    query.SetSQL("select 41 + 1 as answer");
    query.Open();
    EXPECT_EQ(query.FieldByName("answer").AsString(), "42");
}

TEST_F(FreeTds, AWrongPasswordIsRefusedWithTheServersMessage) {
    TADOConnection other;
    other.SetConnectionString(tdsConnectionString(*tdsServerPort(), "sa", "not the password"));
    // FreeTDS adds a line of its own to the server's message.
    EXPECT_EQ(velmora::test::errorOf([&] { other.Open(); }),
              "Login failed for user 'sa'.\nUnable to connect to data source");
    EXPECT_FALSE(other.Connected());
}

TEST_F(FreeTds, TheCatalogueListsTablesViewsProceduresAndParameters) {
    TADODataSet tables("tables");
    connection.OpenSchema(siTables, tables);
    std::vector<std::string> listed;
    for (tables.First(); !tables.Eof(); tables.Next())
        if (tables.FieldByName("TABLE_TYPE").AsString() != "SYSTEM TABLE")
            listed.push_back(tables.FieldByName("TABLE_NAME").AsString() + " " +
                             tables.FieldByName("TABLE_TYPE").AsString());
    for (const char* expected :
         {"customers TABLE", "orders TABLE", "products TABLE", "customer_totals VIEW"})
        EXPECT_NE(std::find(listed.begin(), listed.end(), expected), listed.end()) << expected;

    TADODataSet procedures("procedures");
    connection.OpenSchema(siProcedures, procedures);
    std::vector<std::string> names = columnValues(procedures, "PROCEDURE_NAME");
    // The server is shared: procedures other tests make for a while ("name_<pid>;1") are not
    // the sample's.
    std::erase_if(names, [](const std::string& name) {
        const size_t end = name.find(';');
        const size_t digits = name.find_last_not_of("0123456789", end - 1);
        return digits != std::string::npos && digits + 1 < end && name[digits] == '_';
    });
    // Every schema's, system procedures and functions too, ordered by owner and name.
    EXPECT_EQ(names, (std::vector<std::string>{
                         "add_customer;1", "customer_orders;1", "full_name;0", "product_count;1",
                         "CustomerOrders;1", "fn_helpcollations;0", "sp_columns;1",
                         "sp_executesql;1", "sp_helptext;1", "sp_pkeys;1", "sp_sproc_columns;1",
                         "sp_stored_procedures;1", "sp_tables;1"}));

    TADOStoredProc procedure;
    procedure.SetConnection(&connection);
    procedure.SetProcedureName("add_customer;1");
    procedure.RefreshParameters();
    std::vector<std::string> parameters;
    for (const TParameter& parameter : procedure.Parameters())
        parameters.push_back(parameter.Name + " " + std::to_string(parameter.DataType) + " " +
                             std::to_string(parameter.Size) + " " +
                             std::to_string(parameter.Direction));
    // SQL Server reports an OUTPUT parameter as input/output.
    EXPECT_EQ(parameters,
              (std::vector<std::string>{"@RETURN_VALUE 3 4 4", "@name 24 40 1", "@city 24 30 1",
                                        "@credit 8 12 1", "@new_id 3 4 3"}));
}

TEST_F(FreeTds, ColumnsAndProcedureTextComeInSqlServersShapes) {
    OdbcConnection odbc;
    odbc.connect(tdsOdbcConnectionString(*tdsServerPort(), "sample"), 15);
    const auto statement = odbc.createStatement();
    const SqlWString table = toSqlWide("orders");
    statement->check(SQLColumnsW(statement->handle(), nullptr, 0, nullptr, 0,
                                 const_cast<SQLWCHAR*>(table.c_str()), SQL_NTS, nullptr, 0),
                     "Reading the columns");
    TServerCall reading(TServerStage::Fetching, {}, {});
    const TRecordset columns = readCurrentResult(*statement, {}, reading);
    ASSERT_EQ(columns.columns.size(), 19u); // ODBC's 18 and SQL Server's SS_DATA_TYPE
    std::vector<std::string> described;
    for (size_t row = 0; row < columns.rows.rowCount(); ++row)
        described.push_back(std::string(columns.rows.value(row, 3)) + " " +
                            std::string(columns.rows.value(row, 5)) + " " +
                            std::string(columns.rows.value(row, 6)) + " " +
                            std::string(columns.rows.value(row, 17)));
    EXPECT_EQ(described,
              (std::vector<std::string>{"id int identity 10 NO", "customer_id int 10 NO",
                                        "product_id int 10 NO", "quantity tinyint 3 NO",
                                        "ordered datetime2 23 YES", "shipped date 10 YES",
                                        "reference uniqueidentifier 36 YES"}));

    // sp_helptext: the text as created, in lines that keep their line breaks.
    TADOQuery text;
    text.SetConnection(&connection);
    text.SetSQL("SP_HELPTEXT customer_orders");
    text.Open();
    std::string definition;
    for (text.First(); !text.Eof(); text.Next())
        definition += text.FieldByName("Text").AsString();
    EXPECT_EQ(text.RecordCount(), 6); // as the seed wrote it
    EXPECT_EQ(definition.rfind("create procedure customer_orders @customer_id int", 0), 0u);
    EXPECT_EQ(errorOf("sp_helptext customers"), "There is no text for object 'customers'.");
}

TEST_F(FreeTds, EverySqlServerTypeHasItsFieldTypeAndRoundTripsThroughTableEditing) {
    const std::vector<SqlServerTypeCase> cases = sqlServerTypeCases();
    const std::string table = ownTable("types");
    run(createTypesTable(table));
    run("insert into " + table + " (c_int) values (null); insert into " + table +
        " (c_int) values (null)");

    TADOTable types;
    types.SetConnection(&connection);
    types.SetTableName(table);
    EXPECT_EQ(types.FieldDefs()[0].DataType, ftAutoInc);
    for (const SqlServerTypeCase& type : cases) {
        SCOPED_TRACE(type.type);
        const TFieldDef* def = types.FieldDefs().Find(type.column);
        ASSERT_NE(def, nullptr);
        EXPECT_EQ(def->DataType, type.fieldType);
        EXPECT_EQ(def->Size, type.size);
    }

    types.Open();
    types.Edit();
    for (const SqlServerTypeCase& type : cases)
        if (type.bytes)
            types.FieldByName(type.column).SetAsBytes(type.typed);
        else
            types.FieldByName(type.column).SetAsString(type.typed);
    types.Post();
    types.Close();
    types.Open();
    ASSERT_EQ(types.RecordCount(), 2);
    for (const SqlServerTypeCase& type : cases) {
        SCOPED_TRACE(type.type);
        const TField& field = types.FieldByName(type.column);
        EXPECT_EQ(type.bytes ? std::string(field.AsBytes()) : field.AsString(), type.shown);
    }
    // The other row kept its nulls.
    types.Last();
    for (const SqlServerTypeCase& type : cases)
        EXPECT_TRUE(types.FieldByName(type.column).IsNull()) << type.column;
}

// For the program's Cancel: the server answers an attention at once, in the middle of a wait,
// and the connection goes on.
TEST_F(FreeTds, ACancelledStatementEndsAndTheConnectionGoesOn) {
    OdbcConnection odbc;
    odbc.connect(tdsOdbcConnectionString(*tdsServerPort(), "sample"), 15);
    const auto statement = odbc.createStatement();
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        SQLCancel(statement->handle());
    });
    const SqlWString wait = toSqlWide("waitfor delay '00:01:00'");
    const SQLRETURN result =
        SQLExecDirectW(statement->handle(), const_cast<SQLWCHAR*>(wait.c_str()), SQL_NTS);
    canceller.join();
    EXPECT_EQ(result, SQL_ERROR);
    const std::vector<Diagnostic> why = readDiagnostics(SQL_HANDLE_STMT, statement->handle());
    ASSERT_FALSE(why.empty());
    EXPECT_EQ(why[0].sqlState, "HY008");
    const SqlWString next = toSqlWide("select 1");
    EXPECT_TRUE(SQL_SUCCEEDED(
        SQLExecDirectW(statement->handle(), const_cast<SQLWCHAR*>(next.c_str()), SQL_NTS)));
}

namespace {

std::string sqlLiteral(const std::string& text) {
    std::string quoted = "N'";
    for (char c : text)
        quoted += c == '\'' ? std::string("''") : std::string(1, c);
    return quoted + "'";
}

} // namespace

TEST_F(FreeTds, APasswordReachesTheLoginPacketExactlyAsTyped) {
    const std::vector<std::string> passwords = {"x;Data Source=evil",
                                                "=secret",
                                                "==abc",
                                                "{braced}",
                                                "a}b",
                                                "a}}b",
                                                "{",
                                                "}",
                                                "say \"hi\"",
                                                "it's",
                                                " pad ",
                                                "\xC3\x9Cml\xC3\xA4ut \xE6\x97\xA5",
                                                "all;={}'\"\xC3\xA9"};
    const std::string user = "pw_" + std::to_string(getpid());
    for (const std::string& password : passwords) {
        SCOPED_TRACE(password);
        run("delete from master..tds_users where name = " + sqlLiteral(user) +
            "; insert into master..tds_users (name, password) values (" + sqlLiteral(user) + ", " +
            sqlLiteral(password) + ")");
        TADOConnection login;
        login.SetConnectionString(buildConnectionString(
            {{"Provider", "SQLOLEDB.1"},
             {"Password", password},
             {"User ID", user},
             {"Data Source", "127.0.0.1," + std::to_string(*tdsServerPort())}}));
        EXPECT_EQ(velmora::test::errorOf([&] { login.Open(); }), "no error");
        TADOQuery received;
        received.SetConnection(&connection);
        received.SetSQL("select password from master..tds_logins where user_name = " +
                        sqlLiteral(user) + " order by id desc");
        received.Open();
        EXPECT_EQ(received.FieldByName("password").AsString(), password);
    }
    // FreeTDS would read "};" as the end of the password: the login is refused, not sent.
    TADOConnection refused;
    refused.SetConnectionString(tdsConnectionString(*tdsServerPort(), user, "a};b"));
    EXPECT_NE(velmora::test::errorOf([&] { refused.Open(); }).find("cannot take a value"),
              std::string::npos);
    run("delete from master..tds_users where name = " + sqlLiteral(user));
}

namespace {

// A server of the test's own, for failures the shared one must not suffer.
class FreeTdsFailures : public ::testing::Test {
protected:
    void SetUp() override {
        VELMORA_REQUIRE(odbcDriverInstalled("FreeTDS"), "the FreeTDS ODBC driver");
        VELMORA_REQUIRE(std::getenv("VELMORA_TDS_SERVER") != nullptr, "the TDS test server");
    }
};

} // namespace

TEST_F(FreeTdsFailures, AServerThatNeverAnswersFailsTheLoginAfterTheConnectTimeout) {
    TTdsServerProcess stalled({"--stall"});
    TADOConnection connection;
    connection.SetConnectionString(tdsConnectionString(stalled.Port()) + ";Connect Timeout=1");
    auto attempt = std::async(std::launch::async,
                              [&] { return velmora::test::errorOf([&] { connection.Open(); }); });
    if (attempt.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
        stalled.Kill(); // lets the login end, so the test can
        FAIL() << "the login waits without bound: " << attempt.get();
    }
    EXPECT_EQ(attempt.get(), "Timeout expired\nUnable to connect to data source");
    EXPECT_FALSE(connection.Connected());
}

namespace {

// What a failure raised: "lost: <text>" for EConnectionLost, "error: <text>" for any other.
std::string failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EConnectionLost& error) {
        return std::string("lost: ") + error.what();
    } catch (const EDatabaseError& error) {
        return std::string("error: ") + error.what();
    }
    return "no error";
}

} // namespace

TEST_F(FreeTdsFailures, ASocketClosedMidResultIsALostConnection) {
    TTdsServerProcess dropping({"--drop-after-rows", "100"});
    TADOConnection connection;
    connection.SetConnectionString(
        tdsConnectionString(dropping.Port(), "sa", tdsSaPassword, "sample"));
    connection.Open();
    TADOQuery query;
    query.SetConnection(&connection);
    query.SetSQL("select n from numbers order by n");
    // FreeTDS's own error 20017, under SQLSTATE 01000.
    EXPECT_EQ(failureOf([&] { query.Open(); }), "lost: Unexpected EOF from the server");
    EXPECT_FALSE(query.Active());
}

TEST_F(FreeTdsFailures, AKilledServerIsALostConnection) {
    TTdsServerProcess server;
    TADOConnection connection;
    connection.SetConnectionString(
        tdsConnectionString(server.Port(), "sa", tdsSaPassword, "sample"));
    connection.Open();
    server.Kill();
    const std::string failure = failureOf([&] { connection.Execute("select 1"); });
    EXPECT_EQ(failure.rfind("lost: ", 0), 0u) << failure;
}

// Dates before 1753 (the first year of datetime) in datetime2 and date columns.
TEST_F(FreeTds, EarlyDatesRoundTripThroughTableEditing) {
    const std::string table = ownTable("early_dates");
    run("create table " + table + " (id int identity primary key, d2 datetime2, d date)");
    run("insert into " + table + " (d2, d) values ('2000-01-01 00:00:00', '2000-01-01')");
    TADOTable dates;
    dates.SetConnection(&connection);
    dates.SetTableName(table);
    const std::vector<std::pair<std::string, std::string>> values = {
        {"0001-01-01 00:00:00.0000000", "0001-01-01"},
        {"1752-12-31 23:59:59.1234567", "1000-06-15"},
        {"1600-02-29 12:30:00.5000000", "1752-09-10"}};
    for (const auto& [dateTime, date] : values) {
        SCOPED_TRACE(dateTime + " " + date);
        dates.Open();
        dates.Edit();
        dates.FieldByName("d2").SetAsString(dateTime);
        dates.FieldByName("d").SetAsString(date);
        dates.Post();
        dates.Close();
        dates.Open();
        EXPECT_EQ(dates.FieldByName("d2").AsString(), dateTime);
        EXPECT_EQ(dates.FieldByName("d").AsString(), date);
        dates.Close();
    }
}

// Integers, floats, reals, dates, timestamps and GUIDs are fetched in their C types and kept
// natively; their text must be what FreeTDS itself writes, which a read of every cell as text
// shows: for the floating types their limits, subnormals, and values whose shortest text is not
// the one the driver writes.
TEST_F(FreeTds, NativelyFetchedValuesReadAsTheDriversOwnText) {
    const std::string table = ownTable("extremes");
    run("create table " + table +
        " (n int identity primary key, ti tinyint, si smallint, i int, bi bigint, b bit, "
        "dt datetime, dt2 datetime2, d date, g uniqueidentifier, m decimal(38,10), f float, r "
        "real)");
    run("insert into " + table +
        " (ti, si, i, bi, b, dt, dt2, d, g, m, f, r) values "
        "(0, -32768, -2147483648, -9223372036854775808, 0, '1753-01-01 00:00:00.000', "
        "'0001-01-01 00:00:00.0000000', '0001-01-01', '00000000-0000-0000-0000-000000000000', "
        "-9999999999999999999999999999.9999999999, -1.7976931348623157e308, -3.4028235e38), "
        "(255, 32767, 2147483647, 9223372036854775807, 1, '9999-12-31 23:59:59.997', "
        "'9999-12-31 23:59:59.9999999', '9999-12-31', 'ffffffff-ffff-ffff-ffff-ffffffffffff', "
        "9999999999999999999999999999.9999999999, 2.2250738585072014e-308, 1.17549435e-38), "
        "(1, -1, 127, -129, 1, '2024-02-29 12:00:00.003', '1600-02-29 12:30:00.5000000', "
        "'0999-02-03', '6f9619ff-8b86-d011-b42d-00c04fc964ff', 0.0000000001, 0.1, 0.1), "
        "(2, 3, 4, 5, 0, null, null, null, null, null, 123456789012345678, 16777216), "
        "(2, 3, 4, 5, 0, null, null, null, null, null, 4.9406564584124654e-324, 1e-45), "
        "(2, 3, 4, 5, 0, null, null, null, null, null, 1e15, 1e7), "
        "(2, 3, 4, 5, 0, null, null, null, null, null, 1e16, 1e-5), "
        "(2, 3, 4, 5, 0, null, null, null, null, null, -0.0, 2.5), "
        "(2, 3, 4, 5, 0, null, null, null, null, null, 0.30000000000000004, 0.3), "
        "(2, 3, 4, 5, 0, null, null, null, null, null, 1e-5, 123456.7), "
        "(2, 3, 4, 5, 0, null, null, null, null, null, 1e22, null)");
    const std::string select = "select * from " + table + " order by n";

    OdbcConnection odbc;
    odbc.connect(tdsOdbcConnectionString(*tdsServerPort(), "sample"), 15);
    const auto statement = odbc.createStatement();
    TServerCall reading(TServerStage::Fetching, {}, {});
    const TRecordset asText = executeDirect(*statement, select, {}, reading);
    ASSERT_EQ(asText.rows.rowCount(), 11u);

    TADOQuery query;
    query.SetConnection(&connection);
    query.SetSQL(select);
    query.Open();
    ASSERT_EQ(query.RecordCount(), 11);
    for (int row = 0; row < 11; ++row)
        for (int column = 0; column < query.FieldCount(); ++column) {
            SCOPED_TRACE(query.Fields(column).FieldName() + " row " + std::to_string(row));
            EXPECT_EQ(query.CellText(row, column), asText.rows.value(row, column));
        }
    EXPECT_EQ(query.CellText(0, 4), "-9223372036854775808");
    EXPECT_EQ(query.CellBytes(0, 4).size(), 8u); // kept natively, not as its 20 characters
    EXPECT_EQ(query.CellText(2, 7), "1600-02-29 12:30:00.5000000");
    EXPECT_EQ(query.CellText(2, 8), "0999-02-03");
    EXPECT_EQ(query.CellText(2, 9), "6F9619FF-8B86-D011-B42D-00C04FC964FF");
    EXPECT_EQ(query.CellText(2, 11), "0.10000000000000001");
    EXPECT_EQ(query.CellBytes(2, 11).size(), 8u);
    EXPECT_EQ(query.CellText(2, 12), "0.100000001");
    EXPECT_EQ(query.CellBytes(2, 12).size(), 4u);
}

namespace {

// A batch's items as lines: "rows 0", "count 2", "message text", "error 208 text".
std::vector<std::string> itemLines(const TBatchOutput& output) {
    std::vector<std::string> lines;
    for (const TBatchItem& item : output.items) {
        const Diagnostic& d = item.diagnostic;
        switch (item.kind) {
        case TBatchItem::biResult:
            lines.push_back("rows " + std::to_string(item.result));
            break;
        case TBatchItem::biCount:
            lines.push_back("count " + std::to_string(item.count));
            break;
        case TBatchItem::biMessage:
            lines.push_back("message " + d.message);
            break;
        case TBatchItem::biError:
            // FreeTDS passes on no severity, state or line (SQL_DIAG_SS_*).
            lines.push_back("error " + std::to_string(d.nativeError) + " " + d.message);
            break;
        }
    }
    return lines;
}

} // namespace

TEST_F(FreeTds, EveryResultSetCountMessageAndErrorOfABatchComesInOrder) {
    const std::string table = ownTable("answers");
    TADOCommand command;
    command.SetConnection(&connection);
    command.SetCommandText("create table " + table + " (id int)");
    command.Execute();
    connection.TakeLastBatch();
    command.SetCommandText("insert into " + table + " values (1), (2)\nselect id from " + table +
                           "\nprint 'between'\nraiserror('bad %d', 16, 2, 7)\nselect count(*) "
                           "as n from " +
                           table);
    TRecordset first = command.Execute();
    ASSERT_TRUE(first.IsOpen());
    EXPECT_EQ(first.rows.rowCount(), 2u);
    TBatchOutput output = connection.TakeLastBatch();
    EXPECT_EQ(itemLines(output),
              (std::vector<std::string>{"count 2", "rows 0", "count 2", "message between",
                                        "error 50000 bad 7", "rows 1", "count 1"}));
    ASSERT_EQ(output.results.size(), 1u);
    TADODataSet second;
    second.SetRecordset(std::move(output.results[0]));
    EXPECT_EQ(second.FieldByName("n").AsString(), "2");
    // Without a result set the first error is raised, and the items are still there.
    EXPECT_EQ(errorOf("print 'first'\nselect * from nowhere_at_all"),
              "Invalid object name 'nowhere_at_all'.");
    EXPECT_EQ(itemLines(connection.TakeLastBatch()),
              (std::vector<std::string>{"message first",
                                        "error 208 Invalid object name 'nowhere_at_all'."}));
}
