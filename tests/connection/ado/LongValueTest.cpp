// Long text and binary values from the SQLite driver, read whole in a few calls. The driver goes
// through the whole value again for every piece it hands out, so the number of pieces decides
// whether a 16 MB value takes a moment or minutes; this test counts them (no timing).
#include "AdoTestSupport.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sql.h>

namespace {

int getDataCalls = 0;

} // namespace

// Counts the calls the data layer makes and passes each on to the driver manager: the data
// layer is linked statically into this program, so its calls come here first.
extern "C" SQLRETURN SQL_API SQLGetData(SQLHSTMT Statement, SQLUSMALLINT Column,
                                        SQLSMALLINT TargetType, SQLPOINTER Target,
                                        SQLLEN BufferLength, SQLLEN* Indicator) {
    using TGetData =
        SQLRETURN (*)(SQLHSTMT, SQLUSMALLINT, SQLSMALLINT, SQLPOINTER, SQLLEN, SQLLEN*);
    static const auto driverManager = reinterpret_cast<TGetData>(dlsym(RTLD_NEXT, "SQLGetData"));
    ++getDataCalls;
    return driverManager(Statement, Column, TargetType, Target, BufferLength, Indicator);
}

namespace {

using namespace velmora::ado;
using velmora::test::SqliteFixture;

class LongValues : public SqliteFixture {
protected:
    // The value of the one cell of Sql, and how many calls reading it took.
    std::pair<std::string, int> ReadCell(const std::string& Sql) {
        TADOQuery query;
        query.SetConnection(&connection);
        query.SetSQL(Sql);
        getDataCalls = 0;
        query.Open();
        return {std::string(query.Fields(0).AsBytes()), getDataCalls};
    }
};

TEST_F(LongValues, EightMillionCharactersAndSixteenMegabytesComeInAFewPieces) {
    run("create table t(text_value text, bytes_value blob)");
    run("insert into t values (replace(hex(zeroblob(4000000)), '00', 'a' || char(233)), "
        "zeroblob(16000000))");

    const auto [text, textCalls] = ReadCell("select text_value from t");
    EXPECT_EQ(text.size(), 12'000'000u); // 8 M characters, every second one two bytes of UTF-8
    EXPECT_EQ(text.substr(0, 3), "a\xC3\xA9");
    EXPECT_EQ(text.substr(text.size() - 3), "a\xC3\xA9");
    // With 64 KB pieces it took 245; growing pieces take a handful whatever the size.
    EXPECT_LE(textCalls, 12);

    const auto [bytes, bytesCalls] = ReadCell("select bytes_value from t");
    EXPECT_EQ(bytes.size(), 16'000'000u);
    EXPECT_EQ(bytes.find_first_not_of('\0'), std::string::npos);
    EXPECT_LE(bytesCalls, 12);

    const auto [small, smallCalls] = ReadCell("select 'short'");
    EXPECT_EQ(small, "short");
}

} // namespace
