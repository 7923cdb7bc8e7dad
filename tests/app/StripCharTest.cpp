#include "StripChar.h"

#include <gtest/gtest.h>

TEST(StripChar, RemovesEveryOccurrenceKeepingOrder) {
    EXPECT_EQ(StripChar("it's Bob's", "'"), "its Bobs");
    EXPECT_EQ(StripChar("&Open && go&", "&"), "Open  go");
}

TEST(StripChar, SecondArgumentOfOtherLengthRemovesNothing) {
    EXPECT_EQ(StripChar("a''b", "''"), "a''b");
    EXPECT_EQ(StripChar("a''b", ""), "a''b");
}

TEST(StripChar, NonAsciiCharactersCompareWhole) {
    EXPECT_EQ(StripChar(QString::fromUtf8("çaç"), QString::fromUtf8("ç")), "a");
}
