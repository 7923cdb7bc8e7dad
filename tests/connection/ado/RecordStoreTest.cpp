#include "RecordStore.h"

#include "ResultColumns.h"
#include "WideText.h"

#include <cstring>
#include <gtest/gtest.h>
#include <limits>

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

namespace {

// A fetched row of one integer column and one text column, the integer as its driver binds it.
RowBuilder fetchedRow(int64_t number, const char* text) {
    RowBuilder builder(2);
    char bound[8];
    std::memcpy(bound, &number, sizeof bound);
    char* out = builder.beginCell(largestTypedCell);
    builder.finishCell(encodeCell(CellKind::Integer, bound, out));
    builder.addValue(text);
    return builder;
}

} // namespace

// Integers are kept in the fewest bytes that give them back: the edges of every width matter.
TEST(RecordStore, NativeIntegersReadBackAsTheirTextAtEveryWidth) {
    RecordStore store(2, {{CellKind::Integer}, {}});
    const std::vector<int64_t> numbers = {0,
                                          -1,
                                          127,
                                          128,
                                          -128,
                                          -129,
                                          32767,
                                          -32768,
                                          65535,
                                          8388607,
                                          -8388609,
                                          2147483647,
                                          -2147483648LL,
                                          4294967296LL,
                                          std::numeric_limits<int64_t>::max(),
                                          std::numeric_limits<int64_t>::min()};
    for (const int64_t number : numbers)
        store.appendRow(fetchedRow(number, "t"));
    std::string scratch;
    for (size_t i = 0; i < numbers.size(); ++i) {
        EXPECT_EQ(store.text(i, 0, scratch), std::to_string(numbers[i]));
        EXPECT_LE(store.value(i, 0).size(), 8u);
    }
    EXPECT_EQ(store.value(0, 0).size(), 1u);
    EXPECT_EQ(store.text(0, 1, scratch), "t");
}

// An edited row holds text, as the edit buffer does; the fetched rows around it stay native.
TEST(RecordStore, EditedRowsHoldTextBesideNativeRows) {
    RecordStore store(2, {{CellKind::Integer}, {}});
    store.appendRow(fetchedRow(7, "a"));
    store.appendRow(fetchedRow(-300, "b"));
    RowBuilder edited;
    store.loadRow(1, edited);
    EXPECT_EQ(edited.value(0), "-300");
    store.replaceRow(1, row({"12345678901", "c"}));
    store.insertRow(0, row({"5", "d"}));
    std::string scratch;
    EXPECT_EQ(store.text(0, 0, scratch), "5");
    EXPECT_EQ(store.text(1, 0, scratch), "7");
    EXPECT_EQ(store.text(2, 0, scratch), "12345678901");
    store.eraseRow(0);
    EXPECT_EQ(store.text(0, 0, scratch), "7");
    EXPECT_EQ(store.text(1, 0, scratch), "12345678901");
}

// A copy of the first rows keeps their values, nulls, wide rows, native and edited cells, and
// stays as it was when the store goes on changing.
TEST(RecordStore, TheFirstRowsCopiedStandOnTheirOwn) {
    RecordStore store(2, {{CellKind::Integer}, {}});
    store.appendRow(fetchedRow(-42, "a"));
    store.replaceRow(0, row({"12345678901", nullptr}));
    RowBuilder wide(2);
    wide.addNull();
    wide.addValue(std::string(70000, 'w'));
    store.insertRow(1, wide);
    store.appendRow(fetchedRow(9, ""));
    store.appendRow(fetchedRow(10, "not copied"));

    RecordStore copy = store.firstRows(3);
    store.replaceRow(0, row({"1", "changed"}));
    store.eraseRow(1);

    ASSERT_EQ(copy.rowCount(), 3u);
    std::string scratch;
    EXPECT_EQ(copy.text(0, 0, scratch), "12345678901");
    EXPECT_TRUE(copy.isNull(0, 1));
    EXPECT_TRUE(copy.isNull(1, 0));
    EXPECT_EQ(copy.value(1, 1), std::string(70000, 'w'));
    EXPECT_EQ(copy.text(2, 0, scratch), "9");
    EXPECT_FALSE(copy.isNull(2, 1));
    EXPECT_EQ(copy.value(2, 1), "");
    EXPECT_EQ(RecordStore(0).firstRows(0).rowCount(), 0u);
}
