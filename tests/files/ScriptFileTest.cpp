// Script files read into the editor's text and written back: encodings, line breaks, and the
// byte-for-byte round trip of a script saved unchanged.
#include "ScriptFile.h"

#include "SafeFile.h"
#include "TestFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <stdexcept>

using namespace velmora::files;
namespace fs = std::filesystem;

namespace {

class ScriptFileTest : public ::testing::Test {
protected:
    TTestFolder Folder;
};

// Every line break CR LF, none alone.
bool HasOnlyCrLfBreaks(std::u32string_view Text) {
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == U'\r' && (i + 1 == Text.size() || Text[i + 1] != U'\n'))
            return false;
        if (Text[i] == U'\n' && (i == 0 || Text[i - 1] != U'\r'))
            return false;
    }
    return true;
}

std::string Windows1252HighBytes() {
    std::string bytes = "select '";
    for (int b = 0x80; b <= 0xFF; ++b)
        bytes += static_cast<char>(b);
    return bytes + "'\r\n";
}

std::string TenMegabytes() {
    std::string bytes;
    bytes.reserve(10'500'000);
    for (int i = 0; bytes.size() < 10'000'000; ++i)
        bytes += "insert into dbo.t values (" + std::to_string(i) + ", N'Zürich')\n";
    return bytes;
}

} // namespace

TEST_F(ScriptFileTest, RealFilesComeBackByteForByte) {
    struct TCase {
        const char* Name;
        std::string Bytes;
        TTextEncoding Encoding;
        TLineBreak LineBreak;
    };
    const std::vector<TCase> cases = {
        {"utf8", "select N'Zürich €'\r\n-- 😀\r\n", TTextEncoding::teUtf8, TLineBreak::lbCrLf},
        {"utf8 bom", "\xEF\xBB\xBFselect 1\r\n", TTextEncoding::teUtf8Bom, TLineBreak::lbCrLf},
        {"1252", Windows1252HighBytes(), TTextEncoding::teWindows1252, TLineBreak::lbCrLf},
        {"lf", "select 1\ngo\n", TTextEncoding::teUtf8, TLineBreak::lbLf},
        {"cr", "select 1\rgo\r", TTextEncoding::teUtf8, TLineBreak::lbCr},
        {"no final break", "select 1\ngo", TTextEncoding::teUtf8, TLineBreak::lbLf},
        {"nul bytes", std::string("a\0b\r\n\0", 6), TTextEncoding::teUtf8, TLineBreak::lbCrLf},
        {"empty", "", TTextEncoding::teUtf8, TLineBreak::lbCrLf},
        {"only a break", "\n", TTextEncoding::teUtf8, TLineBreak::lbLf},
        {"utf16 le",
         std::string("\xFF\xFE"
                     "a\0\r\0\n\0",
                     8),
         TTextEncoding::teUtf16LE, TLineBreak::lbCrLf},
        {"utf16 be", std::string("\xFE\xFF\0a\0\n\xD8\x3D\xDE\x00", 10), TTextEncoding::teUtf16BE,
         TLineBreak::lbLf},
        {"ten megabytes", TenMegabytes(), TTextEncoding::teUtf8, TLineBreak::lbLf},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TScriptText script = ReadScriptFile(Folder.Put("script.sql", c.Bytes));
        EXPECT_EQ(script.Format.Encoding, c.Encoding);
        EXPECT_EQ(script.Format.LineBreak, c.LineBreak);
        EXPECT_TRUE(HasOnlyCrLfBreaks(script.Text.ToString()));
        EXPECT_EQ(EncodeScript(script.Text.ToString(), script.Format).Bytes, c.Bytes);
    }
}

TEST_F(ScriptFileTest, TheTextIsWhatTheBytesSay) {
    EXPECT_EQ(DecodeScript("\xEF\xBB\xBF"
                           "caf\xC3\xA9\n")
                  .Text,
              U"café\r\n");
    // 0x81 is undefined in Windows-1252: it stays the control character 0x81.
    EXPECT_EQ(DecodeScript("caf\xE9 \x80\x81\x9F").Text, U"café €\u0081Ÿ");
    EXPECT_EQ(DecodeScript(std::string("a\0\rb", 4)).Text, std::u32string(U"a\0\r\nb", 5));
    // CR CR LF is a lone CR and a CR LF; LF CR is two breaks.
    EXPECT_EQ(DecodeScript("a\r\r\nb\n\rc").Text, U"a\r\n\r\nb\r\n\r\nc");
}

TEST_F(ScriptFileTest, BytesThatAreNotValidUtf8AreWindows1252) {
    for (const std::string bytes : {"\xC0\x80",            // overlong NUL
                                    "\xED\xA0\x80",        // a surrogate
                                    "ok \xE2\x82",         // cut short
                                    "\x80 alone",          // a continuation byte without a lead
                                    "\xF4\x90\x80\x80"}) { // beyond U+10FFFF
        SCOPED_TRACE(bytes);
        const TScriptText script = DecodeScript(bytes);
        EXPECT_EQ(script.Format.Encoding, TTextEncoding::teWindows1252);
        EXPECT_EQ(script.Text.Length(), bytes.size());
        EXPECT_EQ(EncodeScript(script.Text.ToString(), script.Format).Bytes, bytes);
    }
    // A UTF-16 mark before a broken pair is no UTF-16 file.
    EXPECT_EQ(DecodeScript(std::string("\xFF\xFE\x00\xD8", 4)).Format.Encoding,
              TTextEncoding::teWindows1252);
}

TEST_F(ScriptFileTest, AnyBytesComeBackUnchanged) {
    // Pieces that stress the decoders and the line breaks, strung together at random.
    const std::vector<std::string> pieces = {"a",
                                             "\r",
                                             "\n",
                                             "\r\n",
                                             std::string(1, '\0'),
                                             "\xEF\xBB\xBF",
                                             "\xFF\xFE",
                                             "\xFE\xFF",
                                             "\xC3\xA9",
                                             "\xE2\x82\xAC",
                                             "\xF0\x9F\x98\x80",
                                             "\x80",
                                             "\x81",
                                             "\xC3",
                                             "\xED\xA0\x80",
                                             "\xD8",
                                             "\xDC",
                                             "\x00\xD8"};
    std::mt19937 random(20240601);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        const int count = static_cast<int>(random() % 24);
        for (int i = 0; i < count; ++i)
            bytes += pieces[random() % pieces.size()];
        const TScriptText script = DecodeScript(bytes);
        ASSERT_TRUE(HasOnlyCrLfBreaks(script.Text.ToString())) << testing::PrintToString(bytes);
        ASSERT_EQ(EncodeScript(script.Text.ToString(), script.Format).Bytes, bytes)
            << testing::PrintToString(bytes);
    }
}

TEST_F(ScriptFileTest, AnEditedScriptKeepsItsEncodingAndLineBreaks) {
    const TScriptText lf = DecodeScript("select 1\ngo\n");
    EXPECT_EQ(EncodeScript(lf.Text.ToString() + U"select 'é'", lf.Format).Bytes,
              "select 1\ngo\nselect '\xC3\xA9'");

    const TScriptText ansi = DecodeScript("-- caf\xE9\r");
    EXPECT_EQ(EncodeScript(ansi.Text.ToString() + U"select '€'\r\n", ansi.Format).Bytes,
              "-- caf\xE9\rselect '\x80'\r");

    TScriptText marked = DecodeScript("\xEF\xBB\xBFx");
    EXPECT_EQ(EncodeScript(U"y", marked.Format).Bytes, "\xEF\xBB\xBFy");

    EXPECT_EQ(EncodeScript(U"é\r\n", TScriptFormat{}).Bytes, "\xC3\xA9\r\n"); // a new script
}

TEST_F(ScriptFileTest, MixedLineBreaksStayWithTheirLines) {
    // Two LFs, one CR LF, one CR: new lines get LF, the most common.
    const TScriptText script = DecodeScript("a\nb\r\nc\rd\ne");
    EXPECT_EQ(script.Text, U"a\r\nb\r\nc\r\nd\r\ne");
    EXPECT_EQ(script.Format.LineBreak, TLineBreak::lbLf);

    // A line inserted in the middle, one at the top and one at the end.
    const TEncodedScript inserted =
        EncodeScript(U"top\r\na\r\nb\r\nnew\r\nc\r\nd\r\ne\r\nend", script.Format);
    EXPECT_EQ(inserted.Bytes, "top\na\nb\r\nnew\nc\rd\ne\nend");
    // The next save starts from what this one wrote.
    EXPECT_EQ(EncodeScript(U"top\r\na\r\nb\r\nnew\r\nc\r\nd\r\ne\r\nend", inserted.Format).Bytes,
              inserted.Bytes);

    // A line changed, a line deleted.
    EXPECT_EQ(EncodeScript(U"a\r\nB\r\nc\r\nd\r\ne", script.Format).Bytes, "a\nB\nc\rd\ne");
    EXPECT_EQ(EncodeScript(U"a\r\nb\r\nd\r\ne", script.Format).Bytes, "a\nb\r\nd\ne");

    // Once only one kind is left, the file is no longer mixed.
    const TEncodedScript plain = EncodeScript(U"a\r\nd\r\ne", script.Format);
    EXPECT_EQ(plain.Bytes, "a\nd\ne");
    EXPECT_TRUE(plain.Format.Mixed.Breaks.empty());
    EXPECT_EQ(plain.Format.LineBreak, TLineBreak::lbLf);
}

namespace {

// The lines of a text with CR LF line breaks.
std::vector<std::u32string> LinesOf(std::u32string_view Text) {
    std::vector<std::u32string> lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = Text.find(U"\r\n", start);
        lines.emplace_back(
            Text.substr(start, end == std::u32string_view::npos ? end : end - start));
        if (end == std::u32string_view::npos)
            return lines;
        start = end + 2;
    }
}

std::u32string TextOf(const std::vector<std::u32string>& Lines) {
    std::u32string text;
    for (std::size_t i = 0; i < Lines.size(); ++i)
        text += (i > 0 ? U"\r\n" : U"") + Lines[i];
    return text;
}

} // namespace

TEST_F(ScriptFileTest, AnEditedMixedScriptReopensWithTheEditorsLines) {
    // A lone CR before an empty line ended by LF would be written as one CR LF.
    const TScriptText script = DecodeScript("a\rx\n\nz\r\n");
    const std::u32string edited = U"a\r\n\r\nz\r\n"; // x deleted
    const TEncodedScript saved = EncodeScript(edited, script.Format);
    EXPECT_EQ(DecodeScript(saved.Bytes).Text, edited);
    EXPECT_EQ(saved.Bytes.substr(0, 2), "a\r") << "the untouched line keeps its CR";
    EXPECT_EQ(EncodeScript(edited, saved.Format).Bytes, saved.Bytes) << "and the next save too";
    // A new empty line after a CR line, in a file whose most common break is LF.
    const TScriptText lf = DecodeScript("a\rb\nc\nd");
    const std::u32string inserted = U"a\r\n\r\nb\r\nc\r\nd";
    EXPECT_EQ(DecodeScript(EncodeScript(inserted, lf.Format).Bytes).Text, inserted);

    // Random single-line edits of random mixed files, each saved and reopened.
    const std::vector<std::string> breaks = {"\r", "\n", "\r\n"};
    const std::vector<std::u32string> texts = {U"", U"", U"go", U"a", U"select 1"};
    std::mt19937 random(9157);
    for (int round = 0; round < 4000; ++round) {
        std::string bytes;
        const int count = 2 + static_cast<int>(random() % 10);
        for (int i = 0; i < count; ++i) {
            const std::u32string& line = texts[random() % texts.size()];
            bytes += std::string(line.begin(), line.end()) + breaks[random() % breaks.size()];
        }
        const TScriptText opened = DecodeScript(bytes);
        std::vector<std::u32string> lines = LinesOf(opened.Text.ToString());
        const std::size_t at = random() % lines.size();
        switch (random() % 3) {
        case 0:
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), texts[random() % 5]);
            break;
        case 1:
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
            break;
        default:
            lines[at] = texts[random() % texts.size()];
        }
        const std::u32string text = TextOf(lines);
        const TEncodedScript once = EncodeScript(text, opened.Format);
        ASSERT_EQ(DecodeScript(once.Bytes).Text, text) << testing::PrintToString(bytes);
        ASSERT_EQ(DecodeScript(EncodeScript(text, once.Format).Bytes).Text, text)
            << testing::PrintToString(bytes);
    }
}

TEST_F(ScriptFileTest, UntouchedLinesKeepTheirBreaksWhateverTheNumberOfEdits) {
    // Mostly CRs, every seventh line LF; then every third line edited, far more edits than a
    // shortest edit script is searched for.
    constexpr int Lines = 6000;
    auto breakOf = [](int Line) { return Line % 7 == 0 ? std::string("\n") : std::string("\r"); };
    std::string bytes;
    for (int i = 0; i < Lines; ++i)
        bytes += "insert into t values (" + std::to_string(i) + ")" + breakOf(i);
    const TScriptText script = DecodeScript(bytes);
    ASSERT_EQ(script.Format.LineBreak, TLineBreak::lbCr);

    std::u32string text;
    std::string expected;
    for (int i = 0; i < Lines; ++i) {
        const bool edited = i % 3 == 1;
        const std::string line =
            (edited ? "update t set n = " : "insert into t values (") + std::to_string(i) + ")";
        text += std::u32string(line.begin(), line.end()) + U"\r\n";
        expected += line + (edited ? std::string("\r") : breakOf(i));
    }
    const TEncodedScript saved = EncodeScript(text, script.Format);
    EXPECT_EQ(saved.Bytes, expected);
    EXPECT_EQ(DecodeScript(saved.Bytes).Text, text);
}

TEST_F(ScriptFileTest, TextReadsBackInTheEncodingItWasSavedIn) {
    // As Windows-1252 "\u00C3\u00A9" is the bytes C3 A9, which only a remembered encoding reads
    // back as written: on their own they would be UTF-8 "\u00E9".
    TScriptFormat ansi;
    ansi.Encoding = TTextEncoding::teWindows1252;
    const TEncodedScript saved = EncodeScript(U"select '\u00C3\u00A9'", ansi);
    EXPECT_EQ(saved.Bytes, "select '\xC3\xA9'");
    EXPECT_EQ(DecodeScript(saved.Bytes, TTextEncoding::teWindows1252).Text,
              U"select '\u00C3\u00A9'");
    EXPECT_EQ(DecodeScript(saved.Bytes).Text, U"select '\u00E9'");
    // A UTF-8 script that starts with U+FEFF keeps it when read as UTF-8 without a mark.
    const TEncodedScript marked = EncodeScript(U"\uFEFFselect 1", TScriptFormat{});
    EXPECT_EQ(DecodeScript(marked.Bytes, TTextEncoding::teUtf8).Text, U"\uFEFFselect 1");
}

TEST_F(ScriptFileTest, CharactersAnEncodingCannotHoldAreFoundAndNeverDropped) {
    EXPECT_EQ(FindUnencodable(U"caf\u00E9 \u20AC \u0081", TTextEncoding::teWindows1252),
              std::u32string_view::npos);
    EXPECT_EQ(FindUnencodable(U"ab\u03A9c\u0080", TTextEncoding::teWindows1252), 2u);
    EXPECT_EQ(FindUnencodable(U"\U0001F600", TTextEncoding::teWindows1252), 0u);
    EXPECT_EQ(FindUnencodable(U"\U0001F600", TTextEncoding::teUtf8), std::u32string_view::npos);
    const std::u32string surrogate(1, char32_t{0xD800});
    EXPECT_EQ(FindUnencodable(surrogate, TTextEncoding::teUtf16LE), 0u);

    TScriptFormat ansi;
    ansi.Encoding = TTextEncoding::teWindows1252;
    EXPECT_THROW(EncodeScript(U"\u03A9", ansi), std::invalid_argument);
    EXPECT_THROW(EncodeScript(surrogate, TScriptFormat{}), std::invalid_argument);
}

TEST_F(ScriptFileTest, ScriptsLargerThanTheCapAreRefusedWithAClearMessage) {
    const std::string path = Folder.Put("huge.sql", "");
    fs::resize_file(path, MaxScriptFileBytes + 1);
    try {
        ReadScriptFile(path);
        FAIL() << "a file over the cap was read";
    } catch (const EFileError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot read file \"" + path +
                                                 "\". It is larger than 64 MB, too large for "
                                                 "this file.");
    }
}
