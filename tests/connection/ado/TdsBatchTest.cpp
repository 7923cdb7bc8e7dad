// Batches on the TDS test server as SQL Server runs them: parsed whole before anything runs,
// statements found without ";", errors with SQL Server's numbers, texts and lines, the errors
// that end a batch, variables and control of flow, OUTPUT parameters and the return status, and
// SET QUOTED_IDENTIFIER.
#include "TdsBatch.h"

#include "TdsRawMessages.h"
#include "TediousClient.h"

using namespace velmora;
using namespace velmora::test;
using Lines = std::vector<std::string>;

namespace {

class TdsBatches : public TdsBatchTest {
protected:
    Lines messages(const std::string& sql) {
        return TdsRawClient(*tdsServerPort(), "sample").messages(sql);
    }
    std::string own(const std::string& name) { return name + "_" + std::to_string(getpid()); }
};

} // namespace

TEST_F(TdsBatches, ASyntaxErrorOnTheThirdLineRunsNothingAndReportsLineThree) {
    const std::string table = own("go_line");
    const std::string batch =
        "create table " + table + " (id int)\ninsert into " + table + " values (1)\nGO\nselect 1";
    EXPECT_EQ(messages(batch),
              Lines{"Msg 102, Level 15, State 1, Line 3: Incorrect syntax near 'GO'."});
    EXPECT_EQ(run("select count(*) from sys.tables where name = '" + table + "'").firstColumn(),
              Lines{"0"});
    // A keyword out of place, an ELSE without IF, CREATE VIEW after another statement.
    EXPECT_EQ(messages("print 'a'\nselect * from from customers"),
              Lines{"Msg 156, Level 15, State 1, Line 2: Incorrect syntax near the keyword "
                    "'from'."});
    EXPECT_EQ(messages("print 'a'\n\nelse print 'b'"),
              Lines{"Msg 156, Level 15, State 1, Line 3: Incorrect syntax near the keyword "
                    "'else'."});
    EXPECT_EQ(messages("print 'a'\ncreate view v as select 1"),
              Lines{"Msg 111, Level 15, State 1, Line 2: 'CREATE VIEW' must be the first "
                    "statement in a query batch."});
    EXPECT_EQ(messages("print 'a'\ncreate procedure p as select 1"),
              Lines{"Msg 111, Level 15, State 1, Line 2: 'CREATE/ALTER PROCEDURE' must be the "
                    "first statement in a query batch."});
    EXPECT_EQ(messages("print 'it''s\n"),
              Lines{"Msg 105, Level 15, State 1, Line 1: Unclosed quotation mark after the "
                    "character string 'it''s\n'."});
}

TEST_F(TdsBatches, StatementsNeedNoSemicolons) {
    const TdsBatch batch = run("declare @n int = 2\nset @n = @n * 10\nselect @n as n\n"
                               "if @n > 10 print 'big' else print 'small'\n"
                               "select n from numbers where n <= 2 order by n\n"
                               "with few as (select n from numbers where n < 3) select count(*) "
                               "from few\nbegin print 'in a block' end");
    EXPECT_EQ(batch.firstColumn(), (Lines{"20", "1", "2", "2"}));
    EXPECT_EQ(batch.summaries(), (Lines{"Msg 0: big", "Msg 0: in a block"}));
    const std::string table = own("no_semicolons");
    run("create table " + table + " (id int, label varchar(10))\ninsert into " + table +
        " select n, 'n' from numbers where n <= 3\nupdate " + table +
        " set label = 'one' where id = 1\ndelete from " + table + " where id = 3");
    EXPECT_EQ(run("select label from " + table + " order by id").firstColumn(),
              (Lines{"one", "n"}));
    run("drop table " + table);
}

TEST_F(TdsBatches, ErrorsCarrySqlServersNumbersTextsAndLines) {
    const std::string table = own("errors");
    run("create table " + table +
        " (id int not null primary key, customer_id int references "
        "customers (id))");
    EXPECT_EQ(messages("declare @a int\nselect * from nosuch"),
              Lines{"Msg 208, Level 16, State 1, Line 2: Invalid object name 'nosuch'."});
    EXPECT_EQ(messages("select nosuch from customers"),
              Lines{"Msg 207, Level 16, State 1, Line 1: Invalid column name 'nosuch'."});
    EXPECT_EQ(messages("print 'x'\n\nselect 1 / 0"),
              (Lines{"Msg 0, Level 0, State 1, Line 1: x",
                     "Msg 8134, Level 16, State 1, Line 3: Divide by zero error encountered."}));
    EXPECT_EQ(messages("exec nowhere_procedure"),
              Lines{"Msg 2812, Level 16, State 1, Line 1: Could not find stored procedure "
                    "'nowhere_procedure'."});
    EXPECT_EQ(messages("insert into " + table + " (id) values (null)"),
              Lines{"Msg 515, Level 16, State 2, Line 1: Cannot insert the value NULL into "
                    "column 'id', table 'sample.dbo." +
                    table + "'; column does not allow nulls. INSERT fails."});
    EXPECT_EQ(messages("insert into " + table + " values (1, 999)"),
              Lines{"Msg 547, Level 16, State 0, Line 1: The INSERT statement conflicted with "
                    "the FOREIGN KEY constraint \"FK_" +
                    table +
                    "_customers\". The conflict occurred in database \"sample\", table "
                    "\"dbo.customers\", column 'id'."});
    run("insert into " + table + " values (1, 1)");
    EXPECT_EQ(messages("insert into " + table + " values (1, 1)"),
              Lines{"Msg 2627, Level 14, State 1, Line 1: Violation of PRIMARY KEY constraint "
                    "'PK_" +
                    table + "'. Cannot insert duplicate key in object 'dbo." + table +
                    "'. The duplicate key value is (1)."});
    run("drop table " + table);
}

TEST_F(TdsBatches, ADuplicateKeyNamesTheValueOfTheRowThatFailed) {
    const std::string table = own("keys");
    run("create table " + table +
        " (id int primary key, code varchar(10), region varchar(10), shelf int, "
        "unique (code, region))\ncreate unique index ix_" +
        table + "_shelf on " + table + " (shelf)\ninsert into " + table +
        " values (1, 'A-1', 'north', 10), (2, 'B-2', 'south', 20)");
    // The failing row of several, a compound unique key, a unique index (2601), an UPDATE.
    EXPECT_EQ(messages("insert into " + table +
                       " values (3, 'C-3', 'east', 30), (4, 'A-1', "
                       "'north', 40)"),
              Lines{"Msg 2627, Level 14, State 1, Line 1: Violation of UNIQUE KEY constraint "
                    "'UQ_" +
                    table + "_code'. Cannot insert duplicate key in object 'dbo." + table +
                    "'. The duplicate key value is (A-1, north)."});
    EXPECT_EQ(messages("update " + table + " set shelf = 10 where id = 2"),
              Lines{"Msg 2601, Level 14, State 1, Line 1: Cannot insert duplicate key row in "
                    "object 'dbo." +
                    table + "' with unique index 'ix_" + table +
                    "_shelf'. The duplicate key value is (10)."});
    // Nothing of the failed statements stayed, the noting of keys included.
    EXPECT_EQ(run("select id from " + table + " order by id").firstColumn(), (Lines{"1", "2"}));
    run("insert into " + table + " values (3, 'C-3', 'east', 30)");
    EXPECT_EQ(run("select count(*) from " + table).firstColumn(), Lines{"3"});
    run("drop table " + table);
}

TEST_F(TdsBatches, NameAndArithmeticErrorsEndTheBatchAndConstraintErrorsOnlyTheStatement) {
    EXPECT_EQ(run("print 'before'\nselect * from nosuch\nprint 'after'").summaries(),
              (Lines{"Msg 0: before", "Msg 208: Invalid object name 'nosuch'."}));
    EXPECT_EQ(run("print 'before'\nselect 1 / 0\nprint 'after'").summaries(),
              (Lines{"Msg 0: before", "Msg 8134: Divide by zero error encountered."}));
    EXPECT_EQ(run("print 'before'\nthrow 50001, 'Thrown', 1\nprint 'after'").summaries(),
              (Lines{"Msg 0: before", "Msg 50001: Thrown"}));
    const TdsBatch goesOn = run("print 'before'\ninsert into customers (name) values (null)\n"
                                "exec nowhere_procedure\nraiserror('raised', 16, 1)\n"
                                "print 'after'");
    ASSERT_EQ(goesOn.messages.size(), 5u);
    EXPECT_EQ(goesOn.messages[1].number, 515);
    EXPECT_EQ(goesOn.messages[2].number, 2812);
    EXPECT_EQ(goesOn.messages.back().text, "after");
}

TEST_F(TdsBatches, OutputParametersAndTheReturnStatusReachTheCaller) {
    run("create procedure " + own("outputs") +
        " @in int, @doubled int output, @label nvarchar(20) output as\n"
        "set @doubled = @in * 2\nset @label = concat('got ', @in)\nreturn 7");
    EXPECT_EQ(run("declare @d int, @l nvarchar(20), @rc int\nexec @rc = " + own("outputs") +
                  " 21, @d output, @l output\nselect @d, @l, @rc")
                  .results.back()
                  .rows,
              (std::vector<std::vector<std::string>>{{"42", "got 21", "7"}}));

    run("drop procedure " + own("outputs"));
}

// As a generated upsert procedure writes it: Windows line ends, a function call opening the
// condition, and each branch a block.
TEST_F(TdsBatches, AConditionThatCallsFunctionsChoosesItsBranch) {
    const std::string procedure = own("upsert");
    run("create procedure " + procedure +
        "\r\n\t @id \t\t\t\tint \r\nAS \r\nif IsNull(@id,0) = 0 and len(N'ab ') = 2 "
        "\r\nbegin\r\n\tselect 'insert' As 'branch'\r\nend\r\nelse\r\nbegin\r\n\t"
        "select 'update'\r\nend");
    EXPECT_EQ(run("exec " + procedure + " null").firstColumn(), Lines{"insert"});
    EXPECT_EQ(run("exec " + procedure + " 0").firstColumn(), Lines{"insert"});
    EXPECT_EQ(run("exec " + procedure + " 5").firstColumn(), Lines{"update"});
    EXPECT_EQ(
        run("if coalesce(nullif(1, 1), abs(-2)) = 2 print 'two' else print 'other'").summaries(),
        Lines{"Msg 0: two"});
    EXPECT_TRUE(run("drop procedure " + procedure).messages.empty());
}

TEST_F(TdsBatches, QuotedIdentifierOffMakesDoubleQuotesStrings) {
    EXPECT_EQ(run("select \"name\" from customers where id = 1").firstColumn(),
              Lines{"Ada Lovelace"});
    EXPECT_EQ(
        run("set quoted_identifier off\nselect \"name\" from customers where id = 1").firstColumn(),
        Lines{"name"});
    // It holds for the batches that follow, until it is set on again.
    EXPECT_EQ(run("select \"it's\"").firstColumn(), Lines{"it's"});
    EXPECT_EQ(run("set quoted_identifier on\nselect [name] from customers where \"id\" = 1")
                  .firstColumn(),
              Lines{"Ada Lovelace"});
}

// A procedure called with SQLBindParameter's output parameters: FreeTDS makes an RPC of an ODBC
// call (and an sp_executesql of an EXEC), and the RETURNVALUE tokens fill the caller's buffers
// once the results have been read.
struct RpcOutputs {
    SQLRETURN executed = SQL_ERROR;
    int rows = 0; // fetched, over every execution
    std::vector<std::string> messages;
    SQLINTEGER status = -1, doubled = -1;
    std::string label;
};

RpcOutputs callWithOutputs(ado::OdbcConnection& connection, const std::string& sql,
                           bool returnStatus, int executions = 1) {
    const auto owner = connection.createStatement();
    const SQLHSTMT statement = owner->handle();
    RpcOutputs outputs;
    SQLINTEGER in = 21;
    SQLWCHAR label[32] = {'g', 'o', 't', 0};
    SQLLEN statusLength = 0, inLength = 0, doubledLength = 0, labelLength = SQL_NTS;
    const ado::SqlWString call = ado::toSqlWide(sql);
    if (!SQL_SUCCEEDED(SQLPrepareW(statement, const_cast<SQLWCHAR*>(call.c_str()), SQL_NTS)))
        return outputs;
    SQLUSMALLINT next = 1;
    if (returnStatus)
        SQLBindParameter(statement, next++, SQL_PARAM_OUTPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0,
                         &outputs.status, 0, &statusLength);
    SQLBindParameter(statement, next++, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &in, 0,
                     &inLength);
    SQLBindParameter(statement, next++, SQL_PARAM_OUTPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0,
                     &outputs.doubled, 0, &doubledLength);
    SQLBindParameter(statement, next++, SQL_PARAM_INPUT_OUTPUT, SQL_C_WCHAR, SQL_WVARCHAR, 20, 0,
                     label, sizeof label, &labelLength);
    for (int execution = 0; execution < executions; ++execution) {
        // A call that returns no rows and counts none is SQL_NO_DATA to FreeTDS.
        SQLRETURN result = outputs.executed = SQLExecute(statement);
        TdsBatch failed;
        collectMessages(statement, failed);
        for (const std::string& line : failed.summaries())
            outputs.messages.push_back(line);
        while (SQL_SUCCEEDED(result)) {
            SQLSMALLINT columns = 0;
            SQLNumResultCols(statement, &columns);
            while (columns > 0 && SQL_SUCCEEDED(SQLFetch(statement)))
                ++outputs.rows;
            result = SQLMoreResults(statement);
            TdsBatch batch;
            collectMessages(statement, batch);
            for (const std::string& line : batch.summaries())
                outputs.messages.push_back(line);
        }
    }
    if (labelLength >= 0)
        outputs.label =
            ado::fromSqlWide(label, static_cast<size_t>(labelLength) / sizeof(SQLWCHAR));
    return outputs;
}

TEST_F(TdsBatches, OutputParametersOfAnRpcReachTheDriversBuffers) {
    const std::string procedure = own("rpc_outputs");
    run("create procedure " + procedure +
        " @in int, @doubled int output, @label nvarchar(20) output as\n"
        "select n from numbers where n <= 2\n"
        "set @doubled = @in * 2\nset @label = concat(@label, ' ', @in)\nreturn 7");
    for (const auto& [sql, returnStatus] :
         std::vector<std::pair<std::string, bool>>{{"{? = call " + procedure + "(?, ?, ?)}", true},
                                                   {"{call " + procedure + "(?, ?, ?)}", false}}) {
        SCOPED_TRACE(sql);
        const RpcOutputs outputs = callWithOutputs(connection, sql, returnStatus);
        EXPECT_TRUE(SQL_SUCCEEDED(outputs.executed));
        EXPECT_EQ(outputs.messages, Lines{});
        EXPECT_EQ(outputs.rows, 2);
        if (returnStatus) {
            EXPECT_EQ(outputs.status, 7);
        }
        EXPECT_EQ(outputs.doubled, 42);
        EXPECT_EQ(outputs.label, "got 21");
    }
    // An EXEC prepared with parameters goes as sp_prepexec, then sp_execute with the handle
    // the server gave. FreeTDS declares its parameters without OUTPUT, so, as on SQL Server,
    // the procedure's outputs stay inside and the buffers keep what they held; and an EXEC
    // inside a request sends no RETURNVALUE of its own.
    const RpcOutputs prepared =
        callWithOutputs(connection, "exec " + procedure + " ?, ? output, ? output", false, 2);
    EXPECT_EQ(prepared.messages, Lines{});
    EXPECT_EQ(prepared.rows, 4);
    EXPECT_EQ(prepared.doubled, -1);
    run("drop procedure " + procedure);
}

// Tedious calls a procedure as an RPC of its own, and sends a statement with parameters as
// sp_executesql with @params that declares the OUTPUT ones: both get their values back, each
// held to its declared type (tedious declares the label nvarchar(3), as long as "got").
TEST_F(TdsBatches, TediousGetsTheOutputsOfAProcedureCallAndOfSpExecutesql) {
    VELMORA_REQUIRE(tediousAvailable(), "node with tedious (scripts/setup installs it)");
    const std::string procedure = own("tedious_outputs");
    run("create procedure " + procedure +
        " @in int, @doubled int output, @label nvarchar(20) output as\n"
        "set @doubled = @in * 2\nset @label = concat(@label, ' ', @in)\nreturn 7");
    const std::vector<TTediousParameter> parameters = {{"in", "Int", "21", false},
                                                       {"doubled", "Int", std::nullopt, true},
                                                       {"label", "NVarChar", "\"got\"", true}};
    TTediousPlan plan;
    plan.Port = *tdsServerPort();
    plan.Password = tdsSaPassword;
    plan.Steps = {
        TTediousStep::Call(procedure, parameters),
        TTediousStep::WithParameters(
            "set @doubled = @in * 3\nset @label = concat(@label, ' and ', @in)", parameters)};
    EXPECT_EQ(runTedious(plan),
              (Lines{"connected 7_4", "output doubled: 42", "output label: got 21", "rows 0",
                     "output doubled: 63", "output label: got", "rows 0"}));
    run("drop procedure " + procedure);
}
