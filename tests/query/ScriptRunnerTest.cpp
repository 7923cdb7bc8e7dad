// Running scripts against SQLite: which path a script takes, what the result shows, what the
// history gets, and which errors escape.
#include "AdoTestSupport.h"
#include "RunnerObjects.h"

#include <gtest/gtest.h>

using namespace velmora::ado;
using namespace velmora::query;
using namespace velmora::test;
using Texts = std::vector<std::string>;

namespace {

class ScriptRunner : public SqliteFixture {
protected:
    void SetUp() override {
        SqliteFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        run("create table t(id integer primary key, name varchar(20))");
        run("insert into t(name) values ('a'), ('b'), ('c')");
    }

    // The rows of the bound result, each row's values joined by "|".
    Texts shown() {
        TCustomADODataSet* result = source.DataSet();
        EXPECT_NE(result, nullptr);
        Texts rows;
        if (result == nullptr || !result->Active())
            return rows;
        for (result->First(); !result->Eof(); result->Next()) {
            std::string row;
            for (int i = 0; i < result->FieldCount(); ++i)
                row += (i ? "|" : "") + result->Fields(i).AsString();
            rows.push_back(row);
        }
        return rows;
    }

    // The one-row result of a message, named "Result".
    std::string message() {
        EXPECT_EQ(query.GetFieldNames(), Texts{"Result"});
        return objects.message();
    }

    RunnerObjects objects{connection};
    TScriptRunner& runner = objects.runner;
    TADOCommand& command = objects.command;
    TADOQuery& query = objects.query;
    TADODataSet& dataSet = objects.dataSet;
    TDataSource& source = objects.source;
    Texts& history = objects.history;
};

TEST_F(ScriptRunner, ASelectFollowedByASpaceOpensTheQuery) {
    runner.ExecuteScript("\r\n\r\nSeLeCt name from t order by id");
    EXPECT_EQ(source.DataSet(), &query);
    EXPECT_EQ(query.SQL(), "\r\n\r\nSeLeCt name from t order by id");
    EXPECT_EQ(shown(), (Texts{"a", "b", "c"}));
}

TEST_F(ScriptRunner, ASelectFollowedByALineBreakTabOrStarRunsAsACommandAndStillShowsRows) {
    for (const char* script : {"select\r\nname from t order by id",
                               "select\tname from t order by id", "select*from t order by id"}) {
        runner.ExecuteScript(script);
        EXPECT_EQ(source.DataSet(), &dataSet) << script;
        EXPECT_EQ(command.CommandText(), script);
        EXPECT_EQ(shown().size(), 3u) << script;
    }
}

TEST_F(ScriptRunner, AnUpdateShowsItsCount) {
    runner.ExecuteScript("update t set name = upper(name)");
    EXPECT_EQ(message(), "Executed : 3 affected ");
    runner.ExecuteScript("update t set name = 'x' where id = 2");
    EXPECT_EQ(message(), "Executed : 1 affected ");
}

TEST_F(ScriptRunner, AStatementWithoutRowsOrCountShowsCommandExecuted) {
    runner.ExecuteScript("delete from t where id > 10");
    EXPECT_EQ(message(), "Command Executed. ");
    runner.ExecuteScript("create table u(x int)");
    EXPECT_EQ(message(), "Command Executed. ");
}

TEST_F(ScriptRunner, ErrorsShowTheProvidersMessageWithoutApostrophes) {
    runner.ExecuteScript("select * from missing_table");
    const std::string queryError = message();
    EXPECT_NE(queryError.find("no such table: missing_table"), std::string::npos) << queryError;
    EXPECT_EQ(queryError.back(), ' ');

    runner.ExecuteScript("insert into t(id, name) values (1, 'it''s taken')");
    const std::string commandError = message();
    EXPECT_NE(commandError.find("UNIQUE constraint failed"), std::string::npos) << commandError;

    runner.ShowResultMessage("it's 'quoted'");
    EXPECT_EQ(message(), "its quoted ");
}

TEST_F(ScriptRunner, AnEmptyScriptEndsAsTheProvidersMessage) {
    runner.ExecuteScript("");
    EXPECT_EQ(source.DataSet(), &query);
    EXPECT_EQ(query.GetFieldNames(), Texts{"Result"});
    EXPECT_EQ(history, (Texts{"", "========================"}));
}

TEST_F(ScriptRunner, BatchSeparatorLinesEndBatchesThatRunOneAfterAnother) {
    runner.ExecuteScript("update t set name = 'x'\r\nGO\r\nupdate t set name = 'y' where id = 2");
    // Each batch went down the command path; without rows, the grid shows the last one's count.
    EXPECT_EQ(command.CommandText(), "update t set name = 'y' where id = 2");
    EXPECT_EQ(message(), "Executed : 1 affected ");
    EXPECT_EQ(history,
              (Texts{"update t set name = 'x'\r\nGO\r\nupdate t set name = 'y' where id = 2",
                     "========================"}));
    runner.ExecuteScript("select group_concat(name) from t");
    EXPECT_EQ(shown(), Texts{"x,y,x"});
}

TEST_F(ScriptRunner, EveryRunPutsItsScriptAndASeparatorAtTheTopOfTheHistory) {
    runner.ExecuteScript("select name from t");
    runner.ExecuteScript("select * from missing_table");
    runner.ExecuteScript("select name from t");
    EXPECT_EQ(
        history,
        (Texts{"select name from t", "========================", "select * from missing_table",
               "========================", "select name from t", "========================"}));
}

TEST_F(ScriptRunner, ColumnsWithoutNamesOrWithTheSameNameAreNumbered) {
    runner.ExecuteScript("select 1 as \"\", 2 as \"\", 3 as x, 4 as x, 5 as X");
    EXPECT_EQ(query.GetFieldNames(), (Texts{"COLUMN1", "COLUMN2", "x", "x_1", "X_2"}));
}

TEST_F(ScriptRunner, TheChosenDatabaseIsAppliedFirstAndAnEmptyNameKeepsTheCurrentOne) {
    std::vector<std::string> seen;
    runner.ChosenDatabase = [&] {
        seen.push_back(connection.DefaultDatabase());
        return std::string("main");
    };
    runner.ExecuteScript("select 1 as one");
    EXPECT_EQ(connection.DefaultDatabase(), "main");
    runner.ChosenDatabase = [] { return std::string(); };
    runner.ExecuteScript("select 1 as one");
    EXPECT_EQ(connection.DefaultDatabase(), "main");
    EXPECT_EQ(seen, Texts{""});
}

TEST_F(ScriptRunner, TheWindowsRepaintBetweenClosingAndOpeningTheMessage) {
    runner.ExecuteScript("select name from t");
    std::vector<bool> activeWhileRepainting;
    runner.ProcessPendingRepaints = [&] {
        activeWhileRepainting.push_back(query.Active());
        EXPECT_EQ(query.SQL(), "select 'done ' As Result");
    };
    runner.ShowResultMessage("done");
    EXPECT_EQ(activeWhileRepainting, std::vector<bool>{false});
    EXPECT_EQ(message(), "done ");
}

TEST_F(ScriptRunner, WithoutAConnectionTheMessageFailsTooAndTheHistoryEntryStays) {
    connection.Close();
    EXPECT_THROW(runner.ExecuteScript("select name from t"), EDatabaseError);
    EXPECT_EQ(history, (Texts{"select name from t", "========================"}));
    EXPECT_THROW(runner.ExecuteScript("update t set name = 'x'"), EDatabaseError);
    EXPECT_EQ(history.size(), 4u);
}

TEST_F(ScriptRunner, AFailingDatabaseChoiceEndsTheRunBeforeTheHistory) {
    runner.ChosenDatabase = []() -> std::string { throw EDatabaseError("no such database"); };
    EXPECT_THROW(runner.ExecuteScript("select 1 as one"), EDatabaseError);
    EXPECT_TRUE(history.empty());
}

} // namespace
