#include "SafeFile.h"

#include "FileSizeLimit.h"
#include "TestFolder.h"
#include "UnprivilegedUser.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace velmora::files;
namespace fs = std::filesystem;

namespace {

class SafeFileTest : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return Folder.PathOf(name); }
    void Put(const std::string& name, const std::string& bytes) const { Folder.Put(name, bytes); }

    std::string Content(const std::string& name) const {
        std::ifstream file(PathOf(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    mode_t ModeOf(const std::string& name) const {
        struct stat status {};
        ::stat(PathOf(name).c_str(), &status);
        return status.st_mode & 07777;
    }

    // Only the file the test wrote, no temporary left behind.
    std::size_t EntriesInDir() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(Dir), {}));
    }

    TTestFolder Folder;
    const fs::path Dir = Folder.Path();
};

std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EFileError& error) {
        return error.what();
    }
    return "no error";
}

// A child process that runs Body, which tells the parent what it has to say through the
// descriptor it is given, and then ends.
struct TChild {
    pid_t Pid = -1;
    int Reading = -1;
};

TChild StartChild(const std::function<void(int Telling)>& Body) {
    int channel[2];
    if (::pipe(channel) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(channel[0]);
        Body(channel[1]);
        ::_exit(0);
    }
    ::close(channel[1]);
    return {pid, channel[0]};
}

// Everything the child says, until it closes its end.
std::string HeardFrom(TChild& Child) {
    std::string heard;
    char buffer[512];
    for (ssize_t got; (got = ::read(Child.Reading, buffer, sizeof buffer)) > 0;)
        heard.append(buffer, static_cast<std::size_t>(got));
    ::close(Child.Reading);
    return heard;
}

} // namespace

TEST_F(SafeFileTest, WritesAndReadsBackEveryByte) {
    std::string bytes;
    for (int i = 0; i < 3 * 256; ++i)
        bytes += static_cast<char>(i % 256);
    WriteFileAtomically(PathOf("a.sql"), bytes, TNewFileMode::nfmShared);
    EXPECT_EQ(ReadRegularFile(PathOf("a.sql"), bytes.size()), bytes);
    WriteFileAtomically(PathOf("a.sql"), "", TNewFileMode::nfmShared);
    EXPECT_EQ(ReadRegularFile(PathOf("a.sql"), 10), "");
    EXPECT_EQ(EntriesInDir(), 1u);
}

// Content made in pieces arrives whole; a maker that fails part way leaves the old file and no
// temporary beside it.
TEST_F(SafeFileTest, PiecesArriveInOrderAndAFailedMakerChangesNothing) {
    WriteFileAtomicallyInPieces(
        PathOf("export.csv"),
        [](const TFileSink& Write) {
            for (int piece = 0; piece < 1000; ++piece)
                Write(std::to_string(piece) + "\r\n");
        },
        TNewFileMode::nfmShared);
    const std::string whole = ReadRegularFile(PathOf("export.csv"), 1 << 20);
    EXPECT_EQ(whole.substr(0, 6), "0\r\n1\r\n");
    EXPECT_EQ(whole.substr(whole.size() - 5), "999\r\n");

    EXPECT_THROW(WriteFileAtomicallyInPieces(
                     PathOf("export.csv"),
                     [](const TFileSink& Write) {
                         Write("half");
                         throw std::runtime_error("the result went away");
                     },
                     TNewFileMode::nfmShared),
                 std::runtime_error);
    EXPECT_EQ(ReadRegularFile(PathOf("export.csv"), 1 << 20), whole);
    EXPECT_EQ(EntriesInDir(), 1u);
}

TEST_F(SafeFileTest, NewFilesGetTheModeAskedFor) {
    const mode_t old = ::umask(022);
    WriteFileAtomically(PathOf("shared.sql"), "x", TNewFileMode::nfmShared);
    WriteFileAtomically(PathOf("secret.udl"), "x", TNewFileMode::nfmOwnerOnly);
    ::umask(old);
    EXPECT_EQ(ModeOf("shared.sql"), 0644u);
    EXPECT_EQ(ModeOf("secret.udl"), 0600u);
}

TEST_F(SafeFileTest, AReplacedFileKeepsItsOwnMode) {
    Put("protected.udl", "old");
    ::chmod(PathOf("protected.udl").c_str(), 0600);
    WriteFileAtomically(PathOf("protected.udl"), "new", TNewFileMode::nfmShared);
    EXPECT_EQ(ModeOf("protected.udl"), 0600u);

    Put("group.sql", "old");
    ::chmod(PathOf("group.sql").c_str(), 0640);
    WriteFileAtomically(PathOf("group.sql"), "new", TNewFileMode::nfmOwnerOnly);
    EXPECT_EQ(ModeOf("group.sql"), 0640u);
    EXPECT_EQ(Content("group.sql"), "new");
}

TEST_F(SafeFileTest, ASymbolicLinkIsFollowedAndKept) {
    Put("real.sql", "old");
    fs::create_symlink(PathOf("real.sql"), PathOf("link.sql"));
    WriteFileAtomically(PathOf("link.sql"), "new", TNewFileMode::nfmShared);
    EXPECT_TRUE(fs::is_symlink(PathOf("link.sql")));
    EXPECT_EQ(Content("real.sql"), "new");
}

TEST_F(SafeFileTest, AFullDiskLeavesTheOldFileIntact) {
    Put("history.rtf", "the old history");
    const std::string big(64 * 1024, 'x');
    std::string message;
    {
        TFileSizeLimit limit(4096);
        message = MessageOf(
            [&] { WriteFileAtomically(PathOf("history.rtf"), big, TNewFileMode::nfmShared); });
    }
    EXPECT_NE(message.find("Cannot write file"), std::string::npos) << message;
    EXPECT_NE(message.find("history.rtf"), std::string::npos) << message;
    EXPECT_EQ(Content("history.rtf"), "the old history");
    EXPECT_EQ(EntriesInDir(), 1u);
}

// In a child process, as the program runs: the signal at its default action, a size limit set,
// then what the program does at its start.
TEST_F(SafeFileTest, ASaveBeyondTheFileSizeLimitFailsWithAMessageAndEndsNothing) {
    Put("big.sql", "the old script");
    TChild child = StartChild([&](int Telling) {
        ::signal(SIGXFSZ, SIG_DFL);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 4096;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        IgnoreFileSizeSignal();
        const std::string message = MessageOf([&] {
            WriteFileAtomically(PathOf("big.sql"), std::string(64 * 1024, 'x'),
                                TNewFileMode::nfmShared);
        });
        (void)!::write(Telling, message.data(), message.size());
    });
    ASSERT_GT(child.Pid, 0);
    const std::string message = HeardFrom(child);
    int status = 0;
    ASSERT_EQ(::waitpid(child.Pid, &status, 0), child.Pid);
    ASSERT_FALSE(WIFSIGNALED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(message, "Cannot write file \"" + PathOf("big.sql") +
                           "\". The file would exceed the size limit.");
    EXPECT_EQ(Content("big.sql"), "the old script");
    EXPECT_EQ(EntriesInDir(), 1u); // the temporary file went with the failure
}

// A writer that writes a file by name (a print engine) fills the replacement's temporary file:
// the old file stays until the commit, keeps its mode, and stays for good when the replacement
// is dropped or its file was moved away meanwhile.
TEST_F(SafeFileTest, AReplacementWrittenByNameTakesThePlaceOnlyWhenCommitted) {
    Put("report.pdf", "old");
    ::chmod(PathOf("report.pdf").c_str(), 0640);
    {
        TReplacementFile dropped(PathOf("report.pdf"), TNewFileMode::nfmShared);
        std::ofstream(dropped.TemporaryPath(), std::ios::binary) << "half";
        EXPECT_EQ(EntriesInDir(), 2u);
    }
    EXPECT_EQ(Content("report.pdf"), "old");
    EXPECT_EQ(EntriesInDir(), 1u);

    {
        TReplacementFile moved(PathOf("report.pdf"), TNewFileMode::nfmShared);
        std::ofstream(moved.TemporaryPath(), std::ios::binary) << "new";
        fs::rename(moved.TemporaryPath(), PathOf("elsewhere"));
        std::ofstream(moved.TemporaryPath(), std::ios::binary) << "planted";
        EXPECT_NE(MessageOf([&] { moved.Commit(); }).find("moved away"), std::string::npos);
    }
    EXPECT_EQ(Content("report.pdf"), "old");
    fs::remove(PathOf("elsewhere"));

    TReplacementFile replacement(PathOf("report.pdf"), TNewFileMode::nfmShared);
    std::ofstream(replacement.TemporaryPath(), std::ios::binary) << "new";
    EXPECT_EQ(Content("report.pdf"), "old");
    replacement.Commit();
    EXPECT_EQ(Content("report.pdf"), "new");
    EXPECT_EQ(ModeOf("report.pdf"), 0640u);
    EXPECT_EQ(EntriesInDir(), 1u);
}

// kill -9 in the middle of a save leaves its hidden temporary file; the next save of the same
// file removes it, but never one that a save still in progress is writing.
TEST_F(SafeFileTest, TemporaryFilesOfAKilledSaveGoAtTheNextSaveOfTheFile) {
    Put("a.sql", "old");
    Put(".a.sql.notes", "not a temporary file"); // a name of another shape stays
    Put(".b.sql.Ab12Cd", "another file's");
    TChild child = StartChild([&](int Telling) {
        WriteFileAtomicallyInPieces(
            PathOf("a.sql"),
            [&](const TFileSink& Write) {
                Write(std::string(1 << 20, 'x'));
                ::close(Telling); // halfway through
                ::pause();
            },
            TNewFileMode::nfmShared);
    });
    ASSERT_GT(child.Pid, 0);
    HeardFrom(child);
    ::kill(child.Pid, SIGKILL);
    ::waitpid(child.Pid, nullptr, 0);
    ASSERT_EQ(EntriesInDir(), 4u); // the killed save's temporary file is there

    // A save in progress (here, the outer one) keeps its temporary file through another save.
    WriteFileAtomicallyInPieces(
        PathOf("a.sql"),
        [&](const TFileSink& Write) {
            Write("outer");
            WriteFileAtomically(PathOf("a.sql"), "inner", TNewFileMode::nfmShared);
            EXPECT_EQ(Content("a.sql"), "inner");
            EXPECT_EQ(EntriesInDir(), 4u); // the stale file went, the outer save's stayed
        },
        TNewFileMode::nfmShared);
    EXPECT_EQ(Content("a.sql"), "outer");
    EXPECT_EQ(EntriesInDir(), 3u);
    EXPECT_EQ(Content(".a.sql.notes"), "not a temporary file");
    EXPECT_EQ(Content(".b.sql.Ab12Cd"), "another file's");
}

TEST_F(SafeFileTest, WritesThatCannotHappenChangeNothing) {
    fs::create_directory(Dir / "folder");
    EXPECT_NE(MessageOf([&] {
                  WriteFileAtomically(PathOf("folder"), "x", TNewFileMode::nfmShared);
              }).find("folder, not a file"),
              std::string::npos);

    fs::create_directory(Dir / "readonly");
    Put("readonly/kept.sql", "kept");
    fs::permissions(Dir / "readonly", fs::perms::owner_read | fs::perms::owner_exec |
                                          fs::perms::group_read | fs::perms::group_exec |
                                          fs::perms::others_read | fs::perms::others_exec);
    {
        TUnprivilegedUser nobody;
        EXPECT_EQ(MessageOf([&] {
                      WriteFileAtomically(PathOf("readonly/kept.sql"), "new",
                                          TNewFileMode::nfmShared);
                  }),
                  "Cannot write file \"" + PathOf("readonly/kept.sql") + "\". The folder \"" +
                      PathOf("readonly") +
                      "\" does not let you create files in it (Permission denied), and a save "
                      "writes the new content beside the file before it replaces it.");
    }
    EXPECT_EQ(Content("readonly/kept.sql"), "kept");
    fs::permissions(Dir / "readonly", fs::perms::owner_all);

    EXPECT_NE(MessageOf([&] {
                  WriteFileAtomically(PathOf("missing/x.sql"), "x", TNewFileMode::nfmShared);
              }),
              "no error");
}

TEST_F(SafeFileTest, ReadsRefuseWhatIsNotARegularFile) {
    ASSERT_EQ(::mkfifo(PathOf("pipe.udl").c_str(), 0600), 0);
    // Without a writer, a blocking open of a FIFO would never return.
    EXPECT_NE(MessageOf([&] { ReadRegularFile(PathOf("pipe.udl"), 1024); }).find("pipe"),
              std::string::npos);
    fs::create_symlink("/dev/zero", PathOf("zero.udl"));
    EXPECT_NE(MessageOf([&] { ReadRegularFile(PathOf("zero.udl"), 1024); }).find("device"),
              std::string::npos);
    EXPECT_NE(MessageOf([&] { ReadRegularFile(Dir.string(), 1024); }).find("folder"),
              std::string::npos);
    EXPECT_NE(MessageOf([&] { ReadRegularFile(PathOf("missing.udl"), 1024); }).find("missing.udl"),
              std::string::npos);
}

TEST_F(SafeFileTest, ReadsStopAtTheCap) {
    Put("big.dat", std::string(1001, 'x'));
    EXPECT_EQ(ReadRegularFile(PathOf("big.dat"), 1001).size(), 1001u);
    EXPECT_NE(MessageOf([&] { ReadRegularFile(PathOf("big.dat"), 1000); }).find("larger than 1000"),
              std::string::npos);
    fs::resize_file(PathOf("big.dat"), 2 * 1024 * 1024 + 1);
    EXPECT_NE(MessageOf([&] {
                  ReadRegularFile(PathOf("big.dat"), 2 * 1024 * 1024);
              }).find("larger than 2 MB"),
              std::string::npos);
    Put("real.dat", "through a link");
    fs::create_symlink(PathOf("real.dat"), PathOf("link.dat"));
    EXPECT_EQ(ReadRegularFile(PathOf("link.dat"), 100), "through a link");
}

TEST_F(SafeFileTest, AFileLargerThanItsSizeSaysIsReadToItsEndButNotPastTheCap) {
    // The system's own files say they are empty and are not.
    const std::string status = ReadRegularFile("/proc/self/status", 1024 * 1024);
    EXPECT_EQ(status.rfind("Name:", 0), 0u);
    EXPECT_NE(MessageOf([&] { ReadRegularFile("/proc/self/status", 10); }).find("larger than 10"),
              std::string::npos);
}

TEST_F(SafeFileTest, ANameWithANulIsRefusedRatherThanCutShort) {
    // The system would stop at the NUL and write "a" instead of the file named.
    const std::string name = PathOf("a") + std::string(1, '\0') + "/../b.udl";
    const std::string written =
        MessageOf([&] { WriteFileAtomically(name, "secret", TNewFileMode::nfmOwnerOnly); });
    EXPECT_NE(written.find("NUL character"), std::string::npos) << written;
    EXPECT_NE(written.find("a\\0/../b.udl"), std::string::npos) << written;
    EXPECT_EQ(EntriesInDir(), 0u);
    Put("a", "kept");
    EXPECT_NE(MessageOf([&] { ReadRegularFile(name, 100); }).find("NUL character"),
              std::string::npos);
}
