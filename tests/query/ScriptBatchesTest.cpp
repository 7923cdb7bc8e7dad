// Scripts of several batches against SQLite: every batch runs in order, a failed one does not
// stop the next, a cancel stops the run, and every result set and message reaches the outcome.
#include "AdoTestSupport.h"
#include "RunnerObjects.h"

#include <gtest/gtest.h>

using namespace velmora::ado;
using namespace velmora::query;
using namespace velmora::test;
using Texts = std::vector<std::string>;

namespace {

class ScriptBatches : public SqliteFixture {
protected:
    void SetUp() override {
        SqliteFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        runner.WriteLog = [this](const std::string& line) { log.push_back(line); };
        runner.ShowOutcome = [this](TScriptOutcome& shown) { outcome = std::move(shown); };
    }

    // The messages of the run without its closing time and batch count.
    Texts messages() const {
        Texts texts;
        for (size_t i = 0; i + 1 < outcome.Messages.size(); ++i)
            texts.push_back(outcome.Messages[i].Text);
        return texts;
    }

    std::string scalar(const std::string& sql) {
        const TRecordset result = connection.Execute(sql);
        return result.rows.rowCount() > 0 ? std::string(result.rows.value(0, 0)) : "<none>";
    }

    RunnerObjects objects{connection};
    TScriptRunner& runner = objects.runner;
    Texts log;
    TScriptOutcome outcome;
};

} // namespace

TEST_F(ScriptBatches, AnInstallScriptsShapeRunsEndToEnd) {
    const std::string script =
        "-- Install script: don't run it twice, it's not idempotent\r\n"
        "/* Part one: the table. A GO here\r\nGO\r\nis a comment's text */\r\n"
        "create table [order lines] (id integer primary key, note varchar(40))\r\n"
        "go\r\n"
        "\r\n"
        "insert into [order lines] (note) values ('GO\r\nGO')\r\n"
        "GO 3 -- three rows\r\n"
        "create view line_notes as select note from [order lines]\r\n"
        "GO\r\n"
        "select count(*) as lines from line_notes\r\n"
        "GO\r\n";
    runner.ExecuteScript(script);
    EXPECT_EQ(objects.history, (Texts{script, HistorySeparator})); // the whole text, once
    EXPECT_EQ(outcome.Batches, 6u);
    EXPECT_EQ(outcome.FailedBatches, 0u);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(scalar("select count(*) from [order lines] where note = 'GO\r\nGO'"), "3");
    // The grid shows the one result set, through the query path its first word chose.
    ASSERT_EQ(objects.source.DataSet(), &objects.query);
    EXPECT_EQ(objects.query.SQL(), "select count(*) as lines from line_notes\r\n");
    EXPECT_EQ(objects.query.Fields(0).AsString(), "3");
    EXPECT_TRUE(outcome.LaterResults.empty());
}

TEST_F(ScriptBatches, ResultSetsAndCountsOfEveryBatchComeInOrder) {
    run("create table t(id integer primary key, name varchar(20))");
    runner.ExecuteScript("insert into t(name) values ('a'), ('b')\r\nGO\r\n"
                         "select name from t order by id\r\nGO\r\n"
                         "update t set name = upper(name)\r\nGO\r\n"
                         "select id from t order by id desc\r\n");
    EXPECT_EQ(messages(), (Texts{"(2 rows affected)", "(2 rows affected)", "(2 rows affected)",
                                 "(2 rows affected)"}));
    // The first result set is the grid's, through the query path; the second is a tab's.
    ASSERT_EQ(objects.source.DataSet(), &objects.query);
    EXPECT_EQ(objects.query.SQL(), "select name from t order by id\r\n");
    EXPECT_EQ(objects.query.Fields(0).AsString(), "a");
    ASSERT_EQ(outcome.LaterResults.size(), 1u);
    EXPECT_EQ(outcome.LaterResults[0].rows.value(0, 0), "2");
    EXPECT_TRUE(outcome.ShowTabs);
    EXPECT_EQ(outcome.Messages.back().Text.substr(0, 8), "Elapsed ");
    EXPECT_NE(outcome.Messages.back().Text.find(", 4 batches"), std::string::npos);
}

TEST_F(ScriptBatches, AFailedBatchShowsItsLineAndTheNextStillRuns) {
    runner.ExecuteScript("create table t(id integer)\r\nGO\r\n"
                         "\r\ninsert into nowhere values (1)\r\nGO\r\n"
                         "insert into t values (7)\r\nGO\r\n");
    EXPECT_EQ(scalar("select id from t"), "7");
    EXPECT_EQ(outcome.FailedBatches, 1u);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].substr(0, 26), "Batch 2 at line 3 failed: ");
    EXPECT_NE(log[0].find("no such table: nowhere"), std::string::npos);
    // SQLite gives no line of its own: the message points at the batch's first line.
    const auto error = std::find_if(outcome.Messages.begin(), outcome.Messages.end(),
                                    [](const TRunMessage& message) { return message.Error; });
    ASSERT_NE(error, outcome.Messages.end());
    EXPECT_EQ(error->ScriptLine, 3u);
    EXPECT_NE(error->Text.find(", in the batch at line 3\n"), std::string::npos) << error->Text;
    // No rows at all: the grid shows the first error.
    EXPECT_NE(objects.message().find("no such table: nowhere"), std::string::npos);
}

TEST_F(ScriptBatches, LinesCountFromWhereTheTextStartsInTheEditor) {
    runner.ExecuteScript("select 1 as a\r\nGO\r\nselect * from nowhere\r\n", 10);
    const auto error = std::find_if(outcome.Messages.begin(), outcome.Messages.end(),
                                    [](const TRunMessage& message) { return message.Error; });
    ASSERT_NE(error, outcome.Messages.end());
    EXPECT_EQ(error->ScriptLine, 12u);
    // A text that is not the editor's points at none of its lines.
    runner.ExecuteScript("select 1 as a\r\nGO\r\nselect * from nowhere\r\n", 0);
    for (const TRunMessage& message : outcome.Messages)
        EXPECT_EQ(message.ScriptLine, 0u) << message.Text;
}

TEST_F(ScriptBatches, ACancelledBatchEndsTheRun) {
    run("create table t(id integer)");
    int calls = 0;
    connection.SetCallRunner([&](const std::shared_ptr<TServerCall>& call) {
        if (++calls == 2)
            call->Cancel(); // as Esc would while the second batch waits
        call->Run();
        return true;
    });
    runner.ExecuteScript("insert into t values (1)\r\nGO\r\ninsert into t values (2)\r\nGO\r\n"
                         "insert into t values (3)\r\n");
    connection.SetCallRunner(runOnCallingThread);
    EXPECT_TRUE(outcome.Cancelled);
    EXPECT_EQ(outcome.Batches, 2u);
    EXPECT_EQ(scalar("select group_concat(id) from t"), "1");
    EXPECT_EQ(outcome.Messages.back().Text.substr(0, 16), "Cancelled after ");
}

TEST_F(ScriptBatches, AScriptWithoutGoRunsAsOneBatchAndShowsNoTabsForOneResult) {
    run("create table t(id integer)");
    runner.ExecuteScript("insert into t values (1), (2)");
    EXPECT_EQ(objects.message(), "Executed : 2 affected ");
    EXPECT_EQ(outcome.Batches, 1u);
    EXPECT_EQ(messages(), (Texts{"(2 rows affected)"}));
    EXPECT_FALSE(outcome.ShowTabs);
    runner.ExecuteScript("select id from t order by id");
    EXPECT_FALSE(outcome.ShowTabs);
    EXPECT_EQ(messages(), (Texts{"(2 rows affected)"}));
}

TEST_F(ScriptBatches, EmptyBatchesAreNotSent) {
    runner.ExecuteScript("GO\r\n-- nothing\r\nGO\r\n\r\nGO\r\n");
    EXPECT_EQ(outcome.Batches, 0u);
    EXPECT_EQ(objects.message(), "Command Executed. ");
}
