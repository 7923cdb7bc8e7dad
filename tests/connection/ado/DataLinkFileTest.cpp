#include "DataLinkFile.h"

#include "DatabaseError.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace velmora::ado;

namespace {

std::string utf16Le(const std::string& ascii, bool bom = true) {
    std::string bytes = bom ? "\xFF\xFE" : "";
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

const std::string standardText =
    "[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n"
    "Provider=SQLOLEDB.1;Data Source=.\r\n";

std::string errorOf(const std::string& bytes) {
    try {
        parseDataLinkBytes(bytes, "x.udl");
    } catch (const EDatabaseError& error) {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(DataLinkFile, ReadsUtf16WithByteOrderMark) {
    EXPECT_EQ(parseDataLinkBytes(utf16Le(standardText), "x.udl"),
              "Provider=SQLOLEDB.1;Data Source=.");
}

TEST(DataLinkFile, ReadsEightBitTextWithoutByteOrderMark) {
    EXPECT_EQ(parseDataLinkBytes(standardText, "x.udl"), "Provider=SQLOLEDB.1;Data Source=.");
    // Latin-1 bytes that are not UTF-8 keep their characters.
    const std::string latin1 = "[oledb]\n;c\nPassword=caf\xE9\n";
    EXPECT_EQ(parseDataLinkBytes(latin1, "x.udl"), "Password=caf\xC3\xA9");
}

TEST(DataLinkFile, NonAsciiUtf16RoundTripsThroughTheWriter) {
    const auto path = std::filesystem::temp_directory_path() / "velmora-udl-roundtrip.udl";
    const std::string connection =
        "Provider=MSDASQL.1;Extended Properties=\"Database=\xC3\xA9t\xC3\xA9.db\"";
    writeDataLinkFile(path.string(), connection);
    std::ifstream file(path, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFE[\0", 4));
    EXPECT_EQ(readDataLinkFile(path.string()), connection);
    std::filesystem::remove(path);
}

TEST(DataLinkFile, MalformedFilesAreErrorsNamingTheFile) {
    EXPECT_EQ(errorOf(""), "The data link file \"x.udl\" is empty.");
    std::string odd = utf16Le(standardText);
    odd.pop_back();
    EXPECT_EQ(errorOf(odd),
              "The data link file \"x.udl\" is not valid UTF-16 text (its length is odd).");
    EXPECT_NE(errorOf(utf16Le("[odbc]\r\n; x\r\nProvider=SQLOLEDB\r\n")).find("\"[oledb]\""),
              std::string::npos);
    EXPECT_NE(errorOf(utf16Le("[oledb]\r\nProvider=SQLOLEDB\r\n")).find("not a comment"),
              std::string::npos);
    EXPECT_EQ(
        errorOf(utf16Le("[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n")),
        "The data link file \"x.udl\" holds no connection string.");
}

TEST(DataLinkFile, MissingFileIsAnErrorNamingIt) {
    try {
        readDataLinkFile("/nonexistent/velmora.udl");
        FAIL() << "no error";
    } catch (const EDatabaseError& error) {
        EXPECT_STREQ(error.what(), "Cannot read file \"/nonexistent/velmora.udl\". No such file "
                                   "or directory.");
    }
}

class DataLinkFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }

    std::string PathOf(const std::string& name) const { return (Dir / name).string(); }

    mode_t ModeOf(const std::string& name) const {
        struct stat status {};
        ::stat(PathOf(name).c_str(), &status);
        return status.st_mode & 07777;
    }

    std::string ReadError(const std::string& name) const {
        try {
            readDataLinkFile(PathOf(name));
        } catch (const EDatabaseError& error) {
            return error.what();
        }
        return "no error";
    }

    const std::filesystem::path Dir =
        std::filesystem::temp_directory_path() / ("velmora-udl-" + std::to_string(::getpid()));
};

TEST_F(DataLinkFileOnDisk, ANewFileIsTheOwnersAndAResaveKeepsTheModeTheUserGaveIt) {
    const mode_t umask = ::umask(022);
    writeDataLinkFile(PathOf("new.udl"), "Provider=SQLOLEDB.1;Password=secret");
    EXPECT_EQ(ModeOf("new.udl"), 0600u); // it may hold a password

    writeDataLinkFile(PathOf("kept.udl"), "Provider=SQLOLEDB.1");
    ::chmod(PathOf("kept.udl").c_str(), 0640);
    writeDataLinkFile(PathOf("kept.udl"), "Provider=SQLOLEDB.1;Password=secret");
    ::umask(umask);
    EXPECT_EQ(ModeOf("kept.udl"), 0640u);
    EXPECT_EQ(readDataLinkFile(PathOf("kept.udl")), "Provider=SQLOLEDB.1;Password=secret");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir), {}), 2);
}

TEST_F(DataLinkFileOnDisk, SpecialAndHugeFilesAreRefusedWithoutBlocking) {
    ASSERT_EQ(::mkfifo(PathOf("pipe.udl").c_str(), 0600), 0); // a blocking open never returns
    EXPECT_NE(ReadError("pipe.udl").find("It is a pipe, not a regular file."), std::string::npos);
    std::filesystem::create_symlink("/dev/zero", PathOf("zero.udl")); // endless bytes
    EXPECT_NE(ReadError("zero.udl").find("It is a device"), std::string::npos);
    std::ofstream(PathOf("huge.udl"), std::ios::binary)
        << utf16Le(standardText) << std::string(maxDataLinkFileBytes, ' ');
    EXPECT_NE(ReadError("huge.udl").find("too large"), std::string::npos);
}
