// Searching the editor's stored characters: plain text with and without case, whole words,
// regular expressions, forward and backward, across the gap of the buffer and in every width.
#include "TextSearch.h"

#include <gtest/gtest.h>

namespace sourceedit {
namespace {

memo::TTextBuffer BufferOf(std::u32string_view Text) {
    memo::TTextBuffer buffer;
    buffer.Replace(0, 0, Text);
    return buffer;
}

// Every match from the start, one after another.
std::vector<TTextMatch> AllMatches(const TTextSearch& Search, const memo::TTextBuffer& Text) {
    std::vector<TTextMatch> out;
    for (TTextMatch m = Search.Next(Text, 0, Text.Length()); m.Found();
         m = Search.Next(Text, m.End(), Text.Length()))
        out.push_back(m);
    return out;
}

TEST(TextSearchTest, PlainTextWithAndWithoutCase) {
    memo::TTextBuffer text = BufferOf(U"Select a FROM t; select b from u");
    TTextSearch anyCase(U"SELECT", {});
    EXPECT_EQ(AllMatches(anyCase, text), (std::vector<TTextMatch>{{0, 6}, {17, 6}}));
    TTextSearch exact(U"from", {.MatchCase = true});
    EXPECT_EQ(AllMatches(exact, text), (std::vector<TTextMatch>{{26, 4}}));
    EXPECT_FALSE(TTextSearch(U"FROM t;x", {}).Next(text, 0, text.Length()).Found());
}

TEST(TextSearchTest, LatinLettersFoldWithoutCase) {
    memo::TTextBuffer text = BufferOf(U"-- Überblick: ÉTAT ×");
    EXPECT_EQ(TTextSearch(U"überblick", {}).Next(text, 0, text.Length()), (TTextMatch{3, 9}));
    EXPECT_EQ(TTextSearch(U"état", {}).Next(text, 0, text.Length()), (TTextMatch{14, 4}));
    // The multiplication sign is no capital letter: it does not fold onto ÷.
    EXPECT_FALSE(TTextSearch(U"÷", {}).Next(text, 0, text.Length()).Found());
}

TEST(TextSearchTest, WholeWordsSkipMatchesInsideWords) {
    memo::TTextBuffer text = BufferOf(U"id, valid_id, id2, [id]");
    TTextSearch word(U"id", {.WholeWord = true});
    EXPECT_EQ(AllMatches(word, text), (std::vector<TTextMatch>{{0, 2}, {20, 2}}));
    EXPECT_EQ(word.Previous(text, text.Length()), (TTextMatch{20, 2}));
    EXPECT_EQ(word.Previous(text, 20), (TTextMatch{0, 2}));
}

TEST(TextSearchTest, MatchesAcrossTheBufferGap) {
    memo::TTextBuffer text = BufferOf(U"select * from needle_table");
    // Typing and deleting inside "needle" leaves the gap in the middle of the word.
    text.Replace(17, 0, U"Z");
    text.Replace(17, 1, U"");
    for (bool matchCase : {false, true}) {
        TTextSearch search(U"needle", {.MatchCase = matchCase});
        EXPECT_EQ(search.Next(text, 0, text.Length()), (TTextMatch{14, 6}));
        EXPECT_EQ(search.Previous(text, text.Length()), (TTextMatch{14, 6}));
    }
}

TEST(TextSearchTest, WideCharactersInEveryStoredWidth) {
    memo::TTextBuffer bmp = BufferOf(U"x = N'Ωμέγα' -- Ωμέγα");
    ASSERT_EQ(bmp.CharWidth(), 2);
    EXPECT_EQ(AllMatches(TTextSearch(U"Ωμέγα", {.MatchCase = true}), bmp),
              (std::vector<TTextMatch>{{6, 5}, {16, 5}}));
    memo::TTextBuffer astral = BufferOf(U"a🙂b🙂");
    ASSERT_EQ(astral.CharWidth(), 4);
    EXPECT_EQ(TTextSearch(U"🙂", {}).Previous(astral, astral.Length()), (TTextMatch{3, 1}));
    // A character the text's width cannot hold is not in the text.
    EXPECT_FALSE(TTextSearch(U"Ω", {}).Next(BufferOf(U"plain"), 0, 5).Found());
}

TEST(TextSearchTest, BoundsOfForwardAndBackwardSearches) {
    memo::TTextBuffer text = BufferOf(U"abcabcabc");
    TTextSearch search(U"abc", {.MatchCase = true});
    EXPECT_EQ(search.Next(text, 1, 9), (TTextMatch{3, 3}));
    EXPECT_FALSE(search.Next(text, 1, 5).Found()); // the match would end past the limit
    EXPECT_EQ(search.Previous(text, 6), (TTextMatch{3, 3}));
    EXPECT_EQ(search.Previous(text, 4), (TTextMatch{3, 3}));
    EXPECT_FALSE(search.Previous(text, 6, 4).Found());
    EXPECT_FALSE(search.Previous(text, 0).Found());
}

TEST(TextSearchTest, EmptyAndBrokenPatternsFindNothing) {
    memo::TTextBuffer text = BufferOf(U"select 1");
    TTextSearch empty(U"", {});
    EXPECT_FALSE(empty.Valid());
    EXPECT_FALSE(empty.Next(text, 0, text.Length()).Found());
    TTextSearch broken(U"(select", {.RegularExpression = true});
    EXPECT_FALSE(broken.Valid());
    EXPECT_NE(broken.Error().find("at character"), std::string::npos);
    EXPECT_FALSE(broken.Next(text, 0, text.Length()).Found());
}

TEST(TextSearchTest, RegularExpressionsMatchWithinLines) {
    memo::TTextBuffer text = BufferOf(U"create table t1\r\nCREATE VIEW v2\r\n\r\ndrop table t3");
    TTextSearch names(U"^\\w+ (table|view) (\\w+)$", {.RegularExpression = true});
    EXPECT_EQ(AllMatches(names, text), (std::vector<TTextMatch>{{0, 15}, {17, 14}, {35, 13}}));
    EXPECT_EQ(names.Previous(text, 35), (TTextMatch{17, 14}));
    TTextSearch exact(U"table t\\d", {.MatchCase = true, .RegularExpression = true});
    EXPECT_EQ(exact.Previous(text, text.Length()), (TTextMatch{40, 8}));
    // No match runs over a line break, and none is empty.
    EXPECT_FALSE(TTextSearch(U"t1\\s+CREATE", {.RegularExpression = true})
                     .Next(text, 0, text.Length())
                     .Found());
    EXPECT_FALSE(
        TTextSearch(U"x*", {.RegularExpression = true}).Next(text, 0, text.Length()).Found());
}

TEST(TextSearchTest, RegularExpressionWholeWordsAndGroups) {
    memo::TTextBuffer text = BufferOf(U"set @total = @total_2 + @total");
    TTextSearch word(U"@\\w+l", {.WholeWord = true, .RegularExpression = true});
    EXPECT_EQ(AllMatches(word, text), (std::vector<TTextMatch>{{4, 6}, {24, 6}}));
    TTextSearch groups(U"@(\\w+)", {.RegularExpression = true});
    EXPECT_EQ(groups.Substitute(text, {13, 8}, U"[$1] $$"), U"[total_2] $");
    EXPECT_THROW(groups.Substitute(text, {13, 8}, U"$7"), std::invalid_argument);
    // Plain text replaces as it is.
    EXPECT_EQ(TTextSearch(U"@total", {}).Substitute(text, {4, 6}, U"$1"), U"$1");
}

TEST(TextSearchTest, CostlyExpressionsAreGivenUpNotHung) {
    memo::TTextBuffer text = BufferOf(std::u32string(60, U'a') + U"!");
    TTextSearch catastrophic(U"^(a|aa)+$", {.RegularExpression = true});
    EXPECT_FALSE(catastrophic.Next(text, 0, text.Length()).Found());
    EXPECT_TRUE(catastrophic.GaveUp());
}

TEST(TextSearchTest, OverlappingMatchesOfAStretch) {
    memo::TTextBuffer text = BufferOf(U"abc abc abc\r\nabc");
    std::vector<TTextMatch> plain;
    TTextSearch(U"abc", {}).Overlapping(text, 5, 9, plain);
    EXPECT_EQ(plain, (std::vector<TTextMatch>{{4, 3}, {8, 3}}));
    std::vector<TTextMatch> regex;
    TTextSearch(U"^abc", {.RegularExpression = true}).Overlapping(text, 1, text.Length(), regex);
    EXPECT_EQ(regex, (std::vector<TTextMatch>{{0, 3}, {13, 3}}));
    // The start of a long line lies beyond the reach: ^ is not taken for the stretch's start.
    std::u32string longLine = std::u32string(10000, U'x') + U"abc";
    memo::TTextBuffer wide = BufferOf(longLine);
    std::vector<TTextMatch> none;
    TTextSearch(U"^x", {.RegularExpression = true}).Overlapping(wide, 9990, 10003, none);
    EXPECT_TRUE(none.empty());
}

} // namespace
} // namespace sourceedit
