#include "ConnectionString.h"

#include "DatabaseError.h"

#include <gtest/gtest.h>

using namespace velmora::ado;

TEST(OleDbConnectionString, ParsesPairsQuotesAndBlanks) {
    const auto items = parseConnectionString(
        "  Provider = SQLOLEDB.1 ;;Password=\"a;b\"\"c\";User ID='it''s';Key==x=v=w;Empty=");
    const ConnectionStringItems expected = {{"Provider", "SQLOLEDB.1"},
                                            {"Password", "a;b\"c"},
                                            {"User ID", "it's"},
                                            {"Key=x", "v=w"},
                                            {"Empty", ""}};
    EXPECT_EQ(items, expected);
}

TEST(OleDbConnectionString, LastOfARepeatedKeyCountsWhateverItsCase) {
    const auto items = parseConnectionString("Data Source=a;DATA SOURCE=b");
    EXPECT_EQ(findValue(items, "data source"), "b");
    EXPECT_EQ(findValue(items, "Initial Catalog"), std::nullopt);
}

TEST(OleDbConnectionString, MalformedTextIsRefused) {
    for (const char* text : {"Password=\"open", "NoEquals", "Password=\"x\" tail;", "=;"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(parseConnectionString(text), EDatabaseError);
    }
}

TEST(OleDbConnectionString, QuotingRoundTrips) {
    const ConnectionStringItems items = {{"Password", "x;Data Source=evil"},
                                         {"A", "say \"hi\""},
                                         {"B", "it's \"both\""},
                                         {"C", " padded "},
                                         {"K=ey", "plain"}};
    const std::string text = buildConnectionString(items);
    EXPECT_EQ(parseConnectionString(text), items);
    EXPECT_EQ(quoteConnectionStringValue("plain"), "plain");
    EXPECT_EQ(quoteConnectionStringValue("a;b"), "\"a;b\"");
    EXPECT_EQ(quoteConnectionStringValue("say \"hi\""), "'say \"hi\"'");
}

TEST(OdbcConnectionString, BracesKeepSeparatorsAndFirstKeyCounts) {
    const auto items =
        parseOdbcConnectionString("Driver={SQLite3};PWD={a;b}}c};pwd=other;Database=x.db");
    const ConnectionStringItems expected = {
        {"Driver", "SQLite3"}, {"PWD", "a;b}c"}, {"Database", "x.db"}};
    EXPECT_EQ(items, expected);
    EXPECT_EQ(buildOdbcConnectionString(items), "Driver=SQLite3;PWD={a;b}}c};Database=x.db;");
    EXPECT_THROW(parseOdbcConnectionString("PWD={open"), EDatabaseError);
}
