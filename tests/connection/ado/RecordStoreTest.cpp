#include "RecordStore.h"

#include "ResultColumns.h"
#include "WideText.h"

#include <gtest/gtest.h>

using namespace velmora::ado;

namespace {

RowBuilder row(std::initializer_list<const char*> cells) {
    RowBuilder builder(cells.size());
    for (const char* cell : cells) {
        if (cell)
            builder.addValue(cell);
        else
            builder.addNull();
    }
    return builder;
}

} // namespace

TEST(RecordStore, KeepsValuesNullsAndEmptyStringsApart) {
    RecordStore store(3);
    store.appendRow(row({"a", nullptr, ""}));
    store.appendRow(row({nullptr, "bb", "ccc"}));
    EXPECT_EQ(store.rowCount(), 2u);
    EXPECT_EQ(store.value(0, 0), "a");
    EXPECT_TRUE(store.isNull(0, 1));
    EXPECT_FALSE(store.isNull(0, 2));
    EXPECT_EQ(store.value(0, 2), "");
    EXPECT_TRUE(store.isNull(1, 0));
    EXPECT_EQ(store.value(1, 2), "ccc");
}

TEST(RecordStore, HoldsBinaryAndRowsBeyondTheNarrowLimit) {
    RecordStore store(2);
    const std::string zeros("\0\x01\0", 3);
    const std::string big(100000, 'x');
    RowBuilder builder(2);
    builder.addValue(zeros);
    builder.addValue(big);
    store.appendRow(builder);
    RowBuilder tail(2);
    tail.addNull();
    tail.addValue("end");
    store.appendRow(tail);
    EXPECT_EQ(store.value(0, 0), zeros);
    EXPECT_EQ(store.value(0, 1), big);
    EXPECT_TRUE(store.isNull(1, 0));
    EXPECT_EQ(store.value(1, 1), "end");
}

TEST(RecordStore, EditsReplaceInsertAndErase) {
    RecordStore store(1);
    for (const char* value : {"1", "2", "3"})
        store.appendRow(row({value}));
    store.replaceRow(1, row({"two"}));
    store.insertRow(0, row({"zero"}));
    store.eraseRow(3);
    ASSERT_EQ(store.rowCount(), 3u);
    EXPECT_EQ(store.value(0, 0), "zero");
    EXPECT_EQ(store.value(1, 0), "1");
    EXPECT_EQ(store.value(2, 0), "two");
    RowBuilder copy;
    store.loadRow(2, copy);
    EXPECT_EQ(copy.value(0), "two");
}

TEST(RecordStore, ManySmallRowsStayCompact) {
    RecordStore store(2);
    for (int i = 0; i < 100000; ++i)
        store.appendRow(row({"12345678", "abcdefgh"}));
    const size_t rawBytes = 100000u * 16u;
    EXPECT_LE(store.memoryUsage(), rawBytes * 3 / 2 + 16u * 100000u);
    EXPECT_EQ(store.value(99999, 1), "abcdefgh");
}

TEST(FieldNames, UnnamedAndRepeatedColumnsGetTheSmallestFreeNumber) {
    EXPECT_EQ(uniqueFieldNames({"", ""}), (std::vector<std::string>{"COLUMN1", "COLUMN2"}));
    EXPECT_EQ(uniqueFieldNames({"x", "x", "X"}), (std::vector<std::string>{"x", "x_1", "X_2"}));
    EXPECT_EQ(uniqueFieldNames({"COLUMN1", "", "a", "a_1", "a"}),
              (std::vector<std::string>{"COLUMN1", "COLUMN2", "a", "a_1", "a_2"}));
}

TEST(WideText, RoundTripsAllPlanesAndReplacesBrokenSurrogates) {
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    const SqlWString wide = toSqlWide(text);
    EXPECT_EQ(wide.size(), 5u); // a, e-acute, euro, and a surrogate pair
    EXPECT_EQ(fromSqlWide(wide), text);
    const SQLWCHAR lone[] = {0xD800, 'x'};
    EXPECT_EQ(fromSqlWide(lone, 2), "\xEF\xBF\xBDx");
}

// Large chunks are rounded up and shared with the rows after them: nothing may overlap.
TEST(RecordStore, RowsInAndAfterLargeChunksKeepTheirValues) {
    RecordStore store(2);
    const std::string longValue(3 * 1024 * 1024 + 5, 'L');
    store.appendRow(row({"first", longValue.c_str()}));
    const int smallRows = 400000; // enough to need chunks of several megabytes
    for (int i = 0; i < smallRows; ++i) {
        const std::string number = std::to_string(i);
        store.appendRow(row({number.c_str(), "some text of a row"}));
    }
    store.appendRow(row({"last", longValue.c_str()}));
    ASSERT_EQ(store.rowCount(), static_cast<size_t>(smallRows) + 2);
    EXPECT_EQ(store.value(0, 1), longValue);
    EXPECT_EQ(store.value(smallRows + 1, 1), longValue);
    for (int i = 0; i < smallRows; i += 9973)
        EXPECT_EQ(store.value(static_cast<size_t>(i) + 1, 0), std::to_string(i));
    EXPECT_EQ(store.value(smallRows, 0), std::to_string(smallRows - 1));
}
