// The encodings the workspace remembers for scripts whose bytes alone would be read in another
// one, and reading bytes in a remembered encoding.
#include "EncodingMemory.h"

#include "ScriptFile.h"
#include "TestFolder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace velmora::files;
namespace fs = std::filesystem;

namespace {

class EncodingMemoryTest : public testing::Test {
protected:
    std::optional<TTextEncoding> Remembered(const std::string& Path,
                                            const TFileIdentity& Identity) const {
        return RememberedEncoding(List, Path, Identity);
    }

    TTestFolder Folder;
    std::string List = Folder.PathOf("encodings.dat");
    TFileIdentity First{1, 2, 3, 4};
};

} // namespace

TEST_F(EncodingMemoryTest, AnEncodingIsRememberedForTheSameFileOnly) {
    EXPECT_EQ(Remembered("/s/a.sql", First), std::nullopt); // no list yet
    RememberEncoding(List, "/s/a.sql", First, TTextEncoding::teWindows1252, true);
    EXPECT_EQ(Remembered("/s/a.sql", First), TTextEncoding::teWindows1252);
    EXPECT_EQ(Remembered("/s/b.sql", First), std::nullopt);
    for (TFileIdentity other : {TFileIdentity{9, 2, 3, 4}, TFileIdentity{1, 9, 3, 4},
                                TFileIdentity{1, 2, 9, 4}, TFileIdentity{1, 2, 3, 9}})
        EXPECT_EQ(Remembered("/s/a.sql", other), std::nullopt); // another file by now

    // A save whose bytes tell their own encoding forgets the file; one that needs nothing
    // remembered does not even write the list.
    RememberEncoding(List, "/s/a.sql", First, TTextEncoding::teUtf8, false);
    EXPECT_EQ(Remembered("/s/a.sql", First), std::nullopt);
    fs::remove(List);
    RememberEncoding(List, "/s/c.sql", First, TTextEncoding::teUtf8, false);
    EXPECT_FALSE(fs::exists(List));
}

TEST_F(EncodingMemoryTest, TheListKeepsTheNewestAndSurvivesDamage) {
    for (std::size_t i = 0; i < MaxRememberedEncodings + 6; ++i)
        RememberEncoding(List, "/s/" + std::to_string(i) + ".sql", First, TTextEncoding::teUtf8Bom,
                         true);
    EXPECT_EQ(Remembered("/s/0.sql", First), std::nullopt);
    EXPECT_EQ(Remembered("/s/6.sql", First), TTextEncoding::teUtf8Bom);
    EXPECT_EQ(Remembered("/s/" + std::to_string(MaxRememberedEncodings + 5) + ".sql", First),
              TTextEncoding::teUtf8Bom);

    // Lines that are no entries are passed over; paths with tabs are kept whole.
    std::ofstream(List, std::ios::app) << "garbage\nKOI8-R\t1\t2\t3\t4\t/s/x.sql\n"
                                       << "Windows-1252\t1\t2\t3\tfour\t/s/y.sql\n";
    RememberEncoding(List, "/s/tab\there.sql", First, TTextEncoding::teWindows1252, true);
    EXPECT_EQ(Remembered("/s/tab\there.sql", First), TTextEncoding::teWindows1252);
    EXPECT_EQ(Remembered("/s/x.sql", First), std::nullopt);
    EXPECT_EQ(Remembered("/s/y.sql", First), std::nullopt);

    // A list that cannot be read remembers nothing, and reading does not fail.
    fs::remove(List);
    fs::create_directory(List);
    EXPECT_EQ(Remembered("/s/6.sql", First), std::nullopt);
}

TEST_F(EncodingMemoryTest, BytesAreReadInTheRememberedEncodingWhenTheyAreValidInIt) {
    // Windows-1252 bytes that are valid UTF-8.
    EXPECT_EQ(DetectEncoding("caf\xC3\xA9"), TTextEncoding::teUtf8);
    EXPECT_EQ(DecodeScript("caf\xC3\xA9", TTextEncoding::teWindows1252).Text, U"caf\u00C3\u00A9");
    EXPECT_EQ(DecodeScript("caf\xC3\xA9").Text, U"caf\u00E9");
    // UTF-8 without a byte-order mark keeps a text's leading U+FEFF.
    EXPECT_EQ(DecodeScript("\xEF\xBB\xBFx", TTextEncoding::teUtf8).Text, U"\uFEFFx");
    EXPECT_EQ(DecodeScript("\xEF\xBB\xBFx").Text, U"x");
    // Windows-1252 text that starts with "ÿþ" looks like UTF-16.
    EXPECT_EQ(DetectEncoding(std::string_view("\xFF\xFEx\0", 4)), TTextEncoding::teUtf16LE);
    // Bytes that are not valid in the remembered encoding: the bytes decide.
    const TScriptText broken = DecodeScript("caf\xE9", TTextEncoding::teUtf8);
    EXPECT_EQ(broken.Text, U"caf\u00E9");
    EXPECT_EQ(broken.Format.Encoding, TTextEncoding::teWindows1252);
    EXPECT_EQ(DecodeScript("\xFF\xFEx", TTextEncoding::teUtf16LE).Format.Encoding,
              TTextEncoding::teWindows1252); // odd length
}
