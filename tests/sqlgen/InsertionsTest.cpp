// GUIDs and date-time literals for the script.
#include "Insertions.h"

#include <gtest/gtest.h>
#include <regex>

using namespace velmora::sqlgen;

TEST(Guid, TextIsBracedUpperCaseHexInTheStandardGroups) {
    TGuid guid;
    for (size_t i = 0; i < guid.size(); ++i)
        guid[i] = static_cast<std::uint8_t>(i * 0x11);
    EXPECT_EQ(GuidText(guid), "{00112233-4455-6677-8899-AABBCCDDEEFF}");
}

TEST(Guid, NewOnesAreRandomVersion4AndDiffer) {
    const std::regex form(
        R"(\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\})");
    const std::string first = GuidText(NewGuid());
    const std::string second = GuidText(NewGuid());
    EXPECT_EQ(first.size(), 38u);
    EXPECT_TRUE(std::regex_match(first, form)) << first;
    EXPECT_TRUE(std::regex_match(second, form)) << second;
    EXPECT_NE(first, second);
}

TEST(DateTimeLiteral, IsQuotedAndZeroPadded) {
    std::tm time{};
    time.tm_year = 2026 - 1900;
    time.tm_mon = 2;
    time.tm_mday = 7;
    time.tm_hour = 9;
    time.tm_min = 5;
    time.tm_sec = 3;
    EXPECT_EQ(DateTimeLiteral(time), "'2026-03-07 09:05:03'");
    time.tm_hour = 23;
    time.tm_min = 59;
    time.tm_sec = 59;
    time.tm_mon = 11;
    time.tm_mday = 31;
    EXPECT_EQ(DateTimeLiteral(time), "'2026-12-31 23:59:59'");
}
