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
