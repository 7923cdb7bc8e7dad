// Telling a select from a command by the script's first word.
#include "FirstWord.h"

#include <gtest/gtest.h>

using namespace velmora::query;

TEST(FirstWord, IsTheTrimmedTextUpToItsFirstSpace) {
    EXPECT_EQ(FirstWord("select * from t"), "select");
    EXPECT_EQ(FirstWord("\r\n\r\n  \tSELECT a from t\r\n"), "SELECT");
    EXPECT_EQ(FirstWord("exec\tp 1"), "exec\tp"); // a tab does not end the word
    EXPECT_EQ(FirstWord("select\r\n* from t"), "select\r\n*");
}

TEST(FirstWord, IsEmptyWithoutASpace) {
    EXPECT_EQ(FirstWord(""), "");
    EXPECT_EQ(FirstWord("select"), "");
    EXPECT_EQ(FirstWord("  select\t\r\n"), ""); // the trailing space is trimmed away first
    EXPECT_EQ(FirstWord("select\r\n*\r\nfrom\tt"), "");
}

TEST(FirstWord, TrimsControlCharactersButNotOtherText) {
    EXPECT_EQ(TrimBlanksAndControls("\x01\x1f select \x7f"), "select");
    EXPECT_EQ(TrimBlanksAndControls("\xC3\xA9t\xC3\xA9 "), "\xC3\xA9t\xC3\xA9");
}

TEST(IsSelectScript, AcceptsSelectInAnyCaseFollowedByASpace) {
    for (const char* script : {"select 1", "SELECT 1", "sElEcT  1", "\r\n\r\nselect 1"})
        EXPECT_TRUE(IsSelectScript(script)) << script;
}

TEST(IsSelectScript, SendsEverythingElseDownTheCommandPath) {
    for (const char* script :
         {"select\r\n1", "select\t1", "select*from t", "select", "", "update t set x = 1",
          "selected 1", "(select 1)", "s\xC3\xA9lect 1", "-- note\r\nselect 1"})
        EXPECT_FALSE(IsSelectScript(script)) << script;
}
