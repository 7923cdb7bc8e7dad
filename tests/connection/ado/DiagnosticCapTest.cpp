// What is kept of many diagnostic records: the first and last thousand, the rest counted.
#include "OdbcDiagnostics.h"

#include <gtest/gtest.h>

using namespace velmora::ado;

namespace {

std::vector<Diagnostic> numbered(int from, int to) {
    std::vector<Diagnostic> records;
    for (int i = from; i <= to; ++i)
        records.emplace_back("01000", i, std::to_string(i));
    return records;
}

std::vector<std::string> messages(const TDiagnosticCap& cap) {
    std::vector<std::string> texts;
    for (const Diagnostic& record : cap.records())
        texts.push_back(record.message);
    return texts;
}

} // namespace

TEST(DiagnosticCap, UpToTwoThousandRecordsAreKeptWhole) {
    TDiagnosticCap cap;
    cap.add(numbered(1, 2000));
    const std::vector<std::string> kept = messages(cap);
    ASSERT_EQ(kept.size(), 2000u);
    EXPECT_EQ(kept.front(), "1");
    EXPECT_EQ(kept.back(), "2000");
    EXPECT_EQ(cap.omitted(), 0u);
}

TEST(DiagnosticCap, MoreKeepTheirEndsAndCountTheMiddleAcrossBatches) {
    TDiagnosticCap cap;
    // As a call reports them: a block at a time.
    for (int from = 1; from <= 10000; from += 700)
        cap.add(numbered(from, std::min(from + 699, 10000)));
    const std::vector<std::string> kept = messages(cap);
    ASSERT_EQ(kept.size(), 2001u);
    EXPECT_EQ(kept[999], "1000");
    EXPECT_EQ(kept[1000], "(8000 more messages)");
    EXPECT_EQ(kept[1001], "9001");
    EXPECT_EQ(kept[2000], "10000");

    // Records the reader skipped unread count with those dropped.
    TDiagnosticCap skipping;
    skipping.add(numbered(1, 1000));
    skipping.skip(5);
    skipping.add(numbered(1006, 2006));
    EXPECT_EQ(messages(skipping)[1000], "(6 more messages)");
    EXPECT_EQ(messages(skipping)[1001], "1007");

    // A capped list joins another as what it stands for, its gap included.
    TDiagnosticCap joined;
    joined.add(cap.records());
    joined.add(skipping.records());
    EXPECT_EQ(joined.omitted(), 8000u + 1000 + 6 + 1000);
    EXPECT_EQ(messages(joined)[1001], "1007");
}
