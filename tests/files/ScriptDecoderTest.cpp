// Bytes decoded straight into narrow characters: the fewest bytes a character that hold the whole
// text, the line breaks made CR LF and tallied on the way.
#include "ScriptDecoder.h"

#include <gtest/gtest.h>

namespace velmora::files {
namespace {

TEST(ScriptDecoder, StoresEachTextInTheFewestBytesThatHoldIt) {
    struct TCase {
        const char* Name;
        std::string Bytes;
        TTextEncoding Encoding;
        int Width;
        std::u32string Text;
    };
    const TCase cases[] = {
        {"ASCII", "select 1", TTextEncoding::teUtf8, 1, U"select 1"},
        {"Latin-1 in UTF-8", "caf\xC3\xA9", TTextEncoding::teUtf8, 1, U"caf\u00E9"},
        // The euro sign lies beyond Latin-1: the characters before it are widened, not lost.
        {"Windows-1252 euro late", "\xE9t\xE9 \x80", TTextEncoding::teWindows1252, 2,
         U"\u00E9t\u00E9 \u20AC"},
        {"UTF-8 emoji after Latin-1", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80x",
         TTextEncoding::teUtf8, 4, U"\u00E9\u20AC\U0001F600x"},
        {"UTF-16 LE pair",
         std::string("\xFF\xFE"
                     "a\x00\x3D\xD8\x00\xDE",
                     8),
         TTextEncoding::teUtf16LE, 4, U"a\U0001F600"},
        {"UTF-16 BE", std::string("\xFE\xFF\x00\xE9\x20\xAC", 6), TTextEncoding::teUtf16BE, 2,
         U"\u00E9\u20AC"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TDetectedText detected = DecodeNarrowDetected(c.Bytes);
        EXPECT_EQ(detected.Encoding, c.Encoding);
        EXPECT_EQ(detected.Text.Width, c.Width);
        EXPECT_EQ(detected.Text, c.Text);
    }
}

TEST(ScriptDecoder, MakesLineBreaksCrLfAndTalliesThemAsTheyWere) {
    TLineBreakTally tally;
    const auto text = DecodeNarrow("a\nb\r\nc\rd\r", TTextEncoding::teUtf8, &tally);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, U"a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(tally.Counts, (TBreakCounts{1, 1, 2}));
    // Mixed: every break in order, the first ones listed back once the second kind showed.
    EXPECT_EQ(tally.Breaks, (std::vector<TLineBreak>{TLineBreak::lbLf, TLineBreak::lbCrLf,
                                                     TLineBreak::lbCr, TLineBreak::lbCr}));

    // One kind only: counted, not listed.
    ASSERT_TRUE(DecodeNarrow("a\nb\n", TTextEncoding::teUtf8, &tally));
    EXPECT_EQ(tally.Counts, (TBreakCounts{0, 2, 0}));
    EXPECT_TRUE(tally.Breaks.empty());

    // Without a tally the characters stay as they are.
    EXPECT_EQ(*DecodeNarrow("a\nb\r", TTextEncoding::teUtf8), U"a\nb\r");
}

TEST(ScriptDecoder, ReadsBreaksAndWideCharactersAtEveryPlaceOfALongAsciiRun) {
    // ASCII is read eight bytes at a time: whatever ends a run must end it at any offset.
    for (const std::string stop : {"\r", "\n", "\r\n", "\xC3\xA9", "\x7F"}) {
        for (std::size_t at = 0; at < 20; ++at) {
            std::string bytes(24, 'a');
            bytes.insert(at, stop);
            std::u32string expected(at, U'a');
            expected += stop == "\xC3\xA9" ? U"\u00E9" : stop == "\x7F" ? U"\x7F" : U"\r\n";
            expected += std::u32string(24 - at, U'a');
            SCOPED_TRACE(testing::PrintToString(bytes));
            TLineBreakTally tally;
            const auto text = DecodeNarrow(bytes, TTextEncoding::teUtf8, &tally);
            ASSERT_TRUE(text);
            EXPECT_EQ(*text, expected);
            const std::size_t breaks = tally.Counts[0] + tally.Counts[1] + tally.Counts[2];
            EXPECT_EQ(breaks, stop.find_first_of("\r\n") == 0 ? 1u : 0u);
        }
    }
}

TEST(ScriptDecoder, LeavesRoomToTypeInAndRefusesBytesNotOfTheEncoding) {
    TLineBreakTally tally;
    const auto text = DecodeNarrow("x\ny", TTextEncoding::teUtf8, &tally);
    ASSERT_TRUE(text);
    EXPECT_GT(text->Latin1.capacity(), text->Latin1.size());

    EXPECT_FALSE(DecodeNarrow("caf\xE9", TTextEncoding::teUtf8));
    EXPECT_FALSE(DecodeNarrow("x", TTextEncoding::teUtf8Bom));
    EXPECT_FALSE(DecodeNarrow(std::string("\xFF\xFE\x3D\xD8", 4), TTextEncoding::teUtf16LE));
    EXPECT_FALSE(DecodeNarrow(std::string("\xFF\xFE"
                                          "a",
                                          3),
                              TTextEncoding::teUtf16LE));
    // A failed try leaves the tally of the next one clean.
    ASSERT_TRUE(DecodeNarrow("\xEF\xBB\xBFz\r\n", TTextEncoding::teUtf8Bom, &tally));
    EXPECT_EQ(tally.Counts, (TBreakCounts{1, 0, 0}));
}

} // namespace
} // namespace velmora::files
