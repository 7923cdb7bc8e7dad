// Names beyond ASCII through SQLite's driver, under a UTF-8 locale as the program runs (Qt sets
// one): the driver manager then hands the driver's UTF-8 to the program as UTF-16 but reports
// each length in UTF-8 bytes. The locale must be set before the first ODBC environment exists,
// so this program sets it before any test runs.
#include "AdoTestSupport.h"

#include <clocale>
#include <gtest/gtest.h>

using namespace velmora::ado;
using namespace velmora::test;

namespace {

const bool Utf8Locale = std::setlocale(LC_ALL, "C.UTF-8") != nullptr;

class SqliteNames : public SqliteFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(Utf8Locale) << "the C.UTF-8 locale is missing";
        SqliteFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        run("create table \"caf\xC3\xA9\"(\"na\xC3\xAFve\" int primary key, \"\xE2\x82\xAC\" "
            "text)");
        run("insert into \"caf\xC3\xA9\" values (1, 'x')");
    }
};

} // namespace

TEST_F(SqliteNames, ColumnNamesEndWhereTheNameEnds) {
    TADOTable table;
    table.SetConnection(&connection);
    table.SetTableName("caf\xC3\xA9");
    table.Open();
    EXPECT_EQ(table.GetFieldNames(), (std::vector<std::string>{"na\xC3\xAFve", "\xE2\x82\xAC"}));
    // An edit is written back by the table and column names the driver gives for each field.
    table.Edit();
    table.FieldByName("\xE2\x82\xAC").SetAsString("y");
    table.Post();

    TADOQuery query;
    query.SetConnection(&connection);
    query.SetSQL("select \"na\xC3\xAFve\" as \"\xC3\xA9\", \"\xE2\x82\xAC\" from \"caf\xC3\xA9\"");
    query.Open();
    ASSERT_EQ(query.FieldCount(), 2);
    EXPECT_EQ(query.Fields(0).FieldName(), "\xC3\xA9");
    EXPECT_EQ(query.Fields(1).FieldName(), "\xE2\x82\xAC");
    EXPECT_EQ(query.Fields(1).AsString(), "y");
}

TEST_F(SqliteNames, ErrorMessagesEndWhereTheMessageEnds) {
    try {
        run("select * from \"th\xC3\xA9\"");
        FAIL() << "a missing table was found";
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(std::string(error.what()), "[SQLite]no such table: th\xC3\xA9 (1)");
    }
}
