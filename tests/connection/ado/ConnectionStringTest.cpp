#include "ConnectionString.h"

#include "DatabaseError.h"

#include <gtest/gtest.h>
#include <random>

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

namespace {

// Random texts made of the characters that connection strings give meaning to.
class TrickyTexts {
public:
    std::string next() {
        static const std::vector<std::string> pieces = {
            "=", ";", "'", "\"", "{", "}", " ", "\t", "a", "Z", "0", "\xC3\xA9", "\xE6\x97\xA5"};
        std::uniform_int_distribution<size_t> length(0, 10);
        std::uniform_int_distribution<size_t> piece(0, pieces.size() - 1);
        std::string text;
        for (size_t n = length(random_); n > 0; --n)
            text += pieces[piece(random_)];
        return text;
    }

private:
    std::mt19937 random_{20240612};
};

// The value FreeTDS 1.3 reads for a key, by the rules seen in its login packets (a braced
// value runs to the first "}" that ";" or the end follows, "}}" staying two braces; any other
// value runs to its ";" with its blanks).
std::string freeTdsReads(std::string_view odbc, std::string_view key) {
    const std::string prefix = std::string(key) + "=";
    const size_t start = odbc.find(prefix);
    if (start == std::string_view::npos)
        return "<missing>";
    std::string_view rest = odbc.substr(start + prefix.size());
    if (!rest.empty() && rest.front() == '{') {
        for (size_t i = 1; i < rest.size(); ++i)
            if (rest[i] == '}' && (i + 1 == rest.size() || rest[i + 1] == ';'))
                return std::string(rest.substr(1, i - 1));
        return std::string(rest.substr(1));
    }
    return std::string(rest.substr(0, rest.find(';')));
}

} // namespace

TEST(OleDbConnectionString, ValuesStartingWithEqualsSignsAreQuoted) {
    for (const char* password : {"=secret", "==abc", "=", "a==b="}) {
        SCOPED_TRACE(password);
        const std::string text = buildConnectionString({{"Password", password}, {"User ID", "sa"}});
        const auto items = parseConnectionString(text);
        EXPECT_EQ(findValue(items, "Password"), password);
        EXPECT_EQ(findValue(items, "User ID"), "sa");
        EXPECT_EQ(items.size(), 2u) << text;
    }
}

TEST(OleDbConnectionString, AnyKeysAndValuesSurviveBuildingAndParsing) {
    TrickyTexts texts;
    for (int round = 0; round < 2000; ++round) {
        // Keys have no ";" and no blanks at their ends; values may hold anything.
        std::string key = "K" + texts.next();
        std::erase(key, ';');
        while (key.back() == ' ' || key.back() == '\t')
            key.pop_back();
        const ConnectionStringItems items = {{key, texts.next()}, {"Password", texts.next()}};
        const std::string text = buildConnectionString(items);
        SCOPED_TRACE(text);
        ASSERT_EQ(parseConnectionString(text), items);
    }
}

TEST(OdbcConnectionString, AnyValueSurvivesStandardBraces) {
    TrickyTexts texts;
    for (int round = 0; round < 2000; ++round) {
        const std::string value = texts.next();
        const std::string text = buildOdbcConnectionString({{"PWD", value}, {"UID", "u"}});
        SCOPED_TRACE(text);
        ASSERT_EQ(findValue(parseOdbcConnectionString(text), "PWD"), value);
    }
}

TEST(OdbcConnectionString, FreeTdsGetsEveryValueAsTypedOrARefusal) {
    TrickyTexts texts;
    for (int round = 0; round < 2000; ++round) {
        const std::string value = texts.next();
        SCOPED_TRACE(value);
        if (value.find("};") != std::string::npos) {
            EXPECT_THROW(quoteOdbcValue(value, OdbcBraces::FreeTds), EDatabaseError);
            continue;
        }
        const std::string text =
            buildOdbcConnectionString({{"PWD", value}, {"UID", "u"}}, OdbcBraces::FreeTds);
        ASSERT_EQ(freeTdsReads(text, "PWD"), value) << text;
        ASSERT_EQ(freeTdsReads(text, "UID"), "u") << text;
    }
    // A doubled brace would reach the server doubled.
    EXPECT_EQ(quoteOdbcValue("a}b;", OdbcBraces::FreeTds), "{a}b;}");
    EXPECT_EQ(quoteOdbcValue("a}b", OdbcBraces::FreeTds), "a}b");
    EXPECT_EQ(quoteOdbcValue("a}b", OdbcBraces::Standard), "{a}}b}");
}
