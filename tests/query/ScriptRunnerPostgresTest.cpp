// Running scripts against PostgreSQL: what SQLite cannot show.
#include "AdoTestSupport.h"
#include "RunnerObjects.h"

#include <gtest/gtest.h>

using namespace velmora::ado;
using namespace velmora::query;
using namespace velmora::test;

namespace {

class ScriptRunnerOnPostgres : public PostgresFixture {
protected:
    RunnerObjects objects{connection};
    TScriptRunner& runner = objects.runner;
    std::string message() { return objects.message(); }
};

TEST_F(ScriptRunnerOnPostgres, CountsAndStatementsWithoutACount) {
    runner.ExecuteScript("create table t(x int)");
    // PostgreSQL's driver reports no count (-1) for a definition: no false "-1 affected".
    EXPECT_EQ(message(), "Command Executed. ");
    runner.ExecuteScript("insert into t values (1), (2), (3)");
    EXPECT_EQ(message(), "Executed : 3 affected ");
    runner.ExecuteScript("update t set x = x + 1 where x > 1");
    EXPECT_EQ(message(), "Executed : 2 affected ");
}

TEST_F(ScriptRunnerOnPostgres, ASyntaxErrorShowsTheServersTextWithoutApostrophes) {
    runner.ExecuteScript("selec 1");
    const std::string shown = message();
    EXPECT_NE(shown.find("syntax error at or near \"selec\""), std::string::npos) << shown;
    EXPECT_EQ(shown.find('\''), std::string::npos);
    // The message query itself is plain SQL: PostgreSQL folds its column name.
    EXPECT_EQ(objects.query.GetFieldNames(), std::vector<std::string>{"result"});
}

TEST_F(ScriptRunnerOnPostgres, AMessageWithQuotesBackslashesAndLineBreaksIsShownAsItIs) {
    runner.ShowResultMessage("a 'b' \\c\r\n\"d\"");
    EXPECT_EQ(message(), "a b \\c\r\n\"d\" ");
}

} // namespace

namespace {

class ScriptBatchesOnPostgres : public ScriptRunnerOnPostgres {
protected:
    void SetUp() override {
        ScriptRunnerOnPostgres::SetUp();
        runner.ShowOutcome = [this](TScriptOutcome& shown) { outcome = std::move(shown); };
    }

    std::vector<std::string> messages() const {
        std::vector<std::string> texts;
        for (size_t i = 0; i + 1 < outcome.Messages.size(); ++i)
            texts.push_back(outcome.Messages[i].Text);
        return texts;
    }

    TScriptOutcome outcome;
};

} // namespace

TEST_F(ScriptBatchesOnPostgres, BatchesRunInOrderAndAFailedOneDoesNotStopTheNext) {
    runner.ExecuteScript("create table t(x int)\r\nGO\r\n"
                         "insert into t values (1), (2)\r\nGO 2\r\n"
                         "insert into t values ('not a number')\r\nGO\r\n"
                         "select count(*) as n from t\r\nGO\r\n"
                         "select x from t order by x; select 'two' as second\r\n");
    EXPECT_EQ(outcome.Batches, 6u);
    EXPECT_EQ(outcome.FailedBatches, 1u);
    ASSERT_EQ(objects.source.DataSet(), &objects.query);
    EXPECT_EQ(objects.query.Fields(0).AsString(), "4");
    // The last batch's two result sets are both kept, for tabs of their own.
    ASSERT_EQ(outcome.LaterResults.size(), 2u);
    EXPECT_EQ(outcome.LaterResults[0].rows.rowCount(), 4u);
    EXPECT_EQ(outcome.LaterResults[1].rows.value(0, 0), "two");
    const std::vector<std::string> shown = messages();
    // PostgreSQL's driver counts 0 rows for a definition, and says so.
    ASSERT_EQ(shown.size(), 7u) << ::testing::PrintToString(shown);
    EXPECT_EQ(shown[0], "(0 rows affected)");
    EXPECT_EQ(shown[1], "(2 rows affected)");
    EXPECT_EQ(shown[2], "(2 rows affected)");
    EXPECT_EQ(shown[3].substr(0, 51), "Msg 1, SQLSTATE 22P02, in the batch at line 5\nERROR");
    EXPECT_EQ(shown[4], "(1 row affected)");
    EXPECT_EQ(shown[5], "(4 rows affected)");
    EXPECT_EQ(shown[6], "(1 row affected)");
}

TEST_F(ScriptBatchesOnPostgres, AStatementBeforeTheRowsNoLongerHidesThem) {
    run("create table t(x int)");
    runner.ExecuteScript("insert into t values (1), (2); select x * 10 as y from t order by x");
    ASSERT_EQ(objects.source.DataSet(), &objects.dataSet);
    EXPECT_EQ(objects.dataSet.Fields(0).AsString(), "10");
    EXPECT_EQ(messages(), (std::vector<std::string>{"(2 rows affected)", "(2 rows affected)"}));
    EXPECT_TRUE(outcome.ShowTabs);
    // One result alone leaves the grid as it always was.
    runner.ExecuteScript("select x from t order by x");
    EXPECT_FALSE(outcome.ShowTabs);
}
