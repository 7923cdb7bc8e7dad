// Stopping what waits on a PostgreSQL server: a running statement, rows on their way, a backend
// that no longer answers, a connect attempt to a server that never does.
#include "AdoTestSupport.h"
#include "SilentListener.h"

#include <csignal>
#include <gtest/gtest.h>

using namespace velmora::ado;
using namespace velmora::test;
using namespace std::chrono_literals;
using Action = ThreadedCallRunner::Action;
using Events = std::vector<std::string>;

namespace {

const char* const LostMessage =
    "The server did not answer the cancel request; the connection to it was cut off, so the "
    "server ends the session and rolls back what was not committed.";

// Cancels a call once it has run for `after`; gives it up when it is still running `grace` later.
ThreadedCallRunner CancelAfter(std::chrono::milliseconds after,
                               std::chrono::milliseconds grace = 5s) {
    return ThreadedCallRunner([=](const TServerCall&, auto elapsed) {
        if (elapsed >= after + grace)
            return Action::GiveUp;
        return elapsed >= after ? Action::Cancel : Action::Wait;
    });
}

class PostgresCancel : public PostgresFixture {
protected:
    long backendPid() {
        TADOQuery query;
        query.SetConnection(&connection);
        query.SetSQL("select pg_backend_pid() as pid");
        query.Open();
        return std::stol(query.Fields(0).AsString());
    }
};

TEST_F(PostgresCancel, ACancelledStatementEndsWithTheServersMessageAndTheConnectionGoesOn) {
    connection.SetCallRunner(CancelAfter(300ms));
    NotificationRecorder recorder(connection);
    const auto started = std::chrono::steady_clock::now();
    const std::string error = errorOf("select pg_sleep(30)");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s); // cancelled, not slept out
    EXPECT_NE(error.find("canceling statement due to user request"), std::string::npos) << error;
    EXPECT_EQ(recorder.take(), (Events{"Will Execute", "Execute Complete"}));

    connection.SetCallRunner(runOnCallingThread);
    EXPECT_EQ(connection.Execute("select 41 + 1").rows.value(0, 0), "42");
}

TEST_F(PostgresCancel, ACancelledFetchKeepsTheRowsReadUntilThenReadOnly) {
    run("create table big(id int primary key, name varchar(20))");
    run("insert into big select g, 'row ' || g from generate_series(1, 400000) g");
    // Cancels as soon as rows come.
    connection.SetCallRunner(ThreadedCallRunner([](const TServerCall& call, auto) {
        return call.RowsFetched() > 0 ? Action::Cancel : Action::Wait;
    }));
    long reported = -1;
    connection.OnFetchCancelled = [&](TADOConnection&, long rows) { reported = rows; };
    TADOTable table;
    table.SetConnection(&connection);
    table.SetTableName(schema + ".big");
    table.Open();
    EXPECT_TRUE(table.FetchCancelled());
    EXPECT_GT(table.RecordCount(), 0);
    EXPECT_LT(table.RecordCount(), 400000);
    EXPECT_EQ(reported, table.RecordCount());
    EXPECT_FALSE(table.CanModify());
    EXPECT_EQ(table.CellText(0, 1), "row " + table.CellText(0, 0));

    connection.SetCallRunner(runOnCallingThread);
    EXPECT_EQ(connection.Execute("select count(*) from big").rows.value(0, 0), "400000");
    table.Refresh(); // the whole table again, editable
    EXPECT_FALSE(table.FetchCancelled());
    EXPECT_EQ(table.RecordCount(), 400000);
    EXPECT_TRUE(table.CanModify());
}

TEST_F(PostgresCancel, ABackendThatNoLongerAnswersIsGivenUpAndTheConnectionClosed) {
    const long pid = backendPid();
    connection.SetCallRunner(CancelAfter(200ms, 1s));
    NotificationRecorder recorder(connection);
    ASSERT_EQ(kill(static_cast<pid_t>(pid), SIGSTOP), 0);
    const auto started = std::chrono::steady_clock::now();
    const std::string error = errorOf("select 42");
    const auto waited = std::chrono::steady_clock::now() - started;
    kill(static_cast<pid_t>(pid), SIGCONT);
    EXPECT_LT(waited, 10s); // given up: it would wait for ever
    EXPECT_EQ(error, LostMessage);
    EXPECT_FALSE(connection.Connected());
    EXPECT_EQ(recorder.take(), (Events{"Will Execute", "Before Disconnect", "Disconnect",
                                       "After Disconnect", "Execute Complete"}));
    // Every later command says why there is no connection, until it is opened again.
    EXPECT_EQ(errorOf("select 1"), LostMessage);
    connection.SetCallRunner(runOnCallingThread);
    connection.Open();
    EXPECT_EQ(connection.Execute("select 'again'").rows.value(0, 0), "again");
    EXPECT_NE(backendPid(), pid);
}

TEST_F(PostgresCancel, AConnectAttemptToAServerThatNeverAnswersIsGivenUp) {
    SilentListener silent;
    TADOConnection attempt;
    attempt.SetConnectionString("Provider=MSDASQL.1;Extended Properties=\"Driver={PostgreSQL "
                                "Unicode};Server=127.0.0.1;Port=" +
                                std::to_string(silent.port()) + ";Database=x;Uid=postgres;\"");
    attempt.SetCallRunner(ThreadedCallRunner([](const TServerCall& call, auto elapsed) {
        EXPECT_EQ(call.Stage(), TServerStage::Connecting);
        return elapsed >= 300ms ? Action::GiveUp : Action::Wait;
    }));
    NotificationRecorder recorder(attempt);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(velmora::test::errorOf([&] { attempt.Open(); }),
              "The connection attempt was cancelled.");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s); // given up, not timed out
    EXPECT_FALSE(attempt.Connected());
    EXPECT_EQ(recorder.take(),
              (Events{"Before Connect", "Will Connect", "Login", "Connect Complete"}));
}

} // namespace
