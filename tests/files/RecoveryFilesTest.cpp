#include "RecoveryFiles.h"

#include "RecoveryWriter.h"
#include "SafeFile.h"
#include "TestFolder.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace velmora::files;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

// Not a byte that UTF-8 or the editor's line breaks would keep by chance: a leading byte-order
// mark, a NUL, CR LF, a character beyond the Basic Multilingual Plane.
const std::u32string Tricky = U"\uFEFFselect 1\r\n\0go\r\n-- \u00e9\U0001F600"s;

mode_t ModeOf(const std::string& Path) {
    struct stat status {};
    ::stat(Path.c_str(), &status);
    return status.st_mode & 07777;
}

std::string Bytes(const std::string& Path) {
    return ReadRegularFile(Path, 1 << 20);
}

// A program of its own, which keeps Text in Folder and then waits to be killed.
class TRecoveringProgram {
public:
    TRecoveringProgram(const std::string& Folder, const std::u32string& Text) {
        int ready[2];
        EXPECT_EQ(::pipe(ready), 0);
        FPid = ::fork();
        if (FPid == 0) {
            ::close(ready[0]);
            TRecoveryFile file(Folder);
            try {
                file.Write(Text);
            } catch (...) {
                ::_exit(1);
            }
            const char done = 1;
            [[maybe_unused]] const ssize_t written = ::write(ready[1], &done, 1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char done = 0;
        EXPECT_EQ(::read(ready[0], &done, 1), 1) << "the program did not keep its script";
        ::close(ready[0]);
    }
    ~TRecoveringProgram() { Kill(); }
    TRecoveringProgram(const TRecoveringProgram&) = delete;
    TRecoveringProgram& operator=(const TRecoveringProgram&) = delete;

    void Kill() {
        if (FPid <= 0)
            return;
        ::kill(FPid, SIGKILL);
        ::waitpid(FPid, nullptr, 0);
        FPid = -1;
    }

private:
    pid_t FPid = -1;
};

class RecoveryFilesTest : public testing::Test {
protected:
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        if (fs::exists(Recovery))
            for (const fs::directory_entry& entry : fs::directory_iterator(Recovery))
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TTestFolder Folder;
    std::string Recovery = Folder.PathOf("recovery");
};

} // namespace

TEST(RecoveryText, EveryCharacterComesBackAndNoneIsDropped) {
    EXPECT_EQ(DecodeRecoveryText(EncodeRecoveryText(Tricky)), Tricky);
    EXPECT_EQ(DecodeRecoveryText(EncodeRecoveryText(U"")), U"");
    EXPECT_THROW(EncodeRecoveryText(U"a\xD800"), std::invalid_argument); // a broken pair
}

TEST_F(RecoveryFilesTest, AProgramsScriptIsItsOwnerAloneAndGoesWhenItEndsNormally) {
    TRecoveryFile file(Recovery);
    EXPECT_FALSE(fs::exists(Recovery)); // nothing before there is something to keep
    file.Write(Tricky);
    EXPECT_EQ(ModeOf(Recovery), 0700u);
    EXPECT_EQ(ModeOf(file.ScriptPath()), 0600u);
    EXPECT_EQ(Bytes(file.ScriptPath()), EncodeRecoveryText(Tricky));
    EXPECT_EQ(Entries().size(), 2u); // the script and its lock, no temporary file

    file.Write(U"select 2");
    EXPECT_EQ(Bytes(file.ScriptPath()), EncodeRecoveryText(U"select 2"));
    file.Remove();
    EXPECT_FALSE(fs::exists(file.ScriptPath()));
    file.Remove(); // nothing to remove: no error

    file.Close();
    EXPECT_FALSE(fs::exists(Recovery));
}

TEST_F(RecoveryFilesTest, AKilledProgramsScriptIsFoundByteForByteAndARunningOnesIsNot) {
    TRecoveringProgram running(Recovery, U"still being edited");
    TRecoveringProgram killed(Recovery, Tricky);
    TRecoveryFile mine(Recovery);
    mine.Write(U"mine");
    EXPECT_TRUE(FindLeftBehindScripts(Recovery).empty());

    killed.Kill();
    std::vector<TLeftBehindScript> found = FindLeftBehindScripts(Recovery);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].Read(), Tricky);
    EXPECT_LE(std::abs(std::time(nullptr) - found[0].WrittenAt()), 60);
    // While this program holds it, no other program is offered it.
    EXPECT_TRUE(FindLeftBehindScripts(Recovery).empty());
    // Let go without a decision, it waits for the next start.
    found.clear();
    EXPECT_EQ(FindLeftBehindScripts(Recovery).size(), 1u);

    running.Kill();
    found = FindLeftBehindScripts(Recovery);
    ASSERT_EQ(found.size(), 2u);
    const std::string killedPath =
        found[0].Read() == Tricky ? found[0].ScriptPath() : found[1].ScriptPath();
    for (TLeftBehindScript& script : found)
        script.Delete();
    EXPECT_FALSE(fs::exists(killedPath));
    EXPECT_TRUE(FindLeftBehindScripts(Recovery).empty());
    mine.Close();
    EXPECT_FALSE(fs::exists(Recovery)) << "files were left behind";
}

TEST_F(RecoveryFilesTest, ATakenOverScriptBecomesTheTakersOwn) {
    { TRecoveringProgram killed(Recovery, Tricky); }
    std::vector<TLeftBehindScript> found = FindLeftBehindScripts(Recovery);
    ASSERT_EQ(found.size(), 1u);
    const std::string theirs = found[0].ScriptPath();

    TRecoveryFile mine(Recovery);
    mine.TakeOver(found[0]);
    EXPECT_FALSE(fs::exists(theirs));
    EXPECT_EQ(Bytes(mine.ScriptPath()), EncodeRecoveryText(Tricky));
    EXPECT_TRUE(FindLeftBehindScripts(Recovery).empty()); // it is a running program's now
    EXPECT_EQ(Entries().size(), 2u);                      // their lock went with it
}

TEST_F(RecoveryFilesTest, WhatAGoneProgramLeftHalfDoneIsCleanedUpAndARunningOnesIsNot) {
    TRecoveryFile mine(Recovery);
    mine.Write(U"mine");
    const std::string myName = fs::path(mine.ScriptPath()).filename().string();
    // A write of this program in progress, and one a killed program never finished.
    const std::string myTemporary = Recovery + "/." + myName + ".Ab12Cd";
    const std::string goneTemporary = Recovery + "/.12345-0badf00d.sql.Zz9Yy8";
    Folder.Put("recovery/." + myName + ".Ab12Cd", "half");
    Folder.Put("recovery/.12345-0badf00d.sql.Zz9Yy8", "half");
    // A lock whose program had nothing left to recover when it was killed.
    Folder.Put("recovery/99999-0badcafe.lock", "");

    EXPECT_TRUE(FindLeftBehindScripts(Recovery).empty());
    EXPECT_TRUE(fs::exists(myTemporary));
    EXPECT_FALSE(fs::exists(goneTemporary));
    EXPECT_FALSE(fs::exists(Recovery + "/99999-0badcafe.lock"));
}

TEST_F(RecoveryFilesTest, AScriptWhoseLockWasRemovedIsStillOffered) {
    fs::create_directory(Recovery);
    Folder.Put("recovery/77777-00000001.sql", EncodeRecoveryText(U"select 7"));
    std::vector<TLeftBehindScript> found = FindLeftBehindScripts(Recovery);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].Read(), U"select 7");
    EXPECT_TRUE(FindLeftBehindScripts(Recovery).empty()); // and held while it is offered
}

namespace {

// Text for the writer, made on its thread.
TRecoveryWriter::TTextMaker Maker(std::u32string Text) {
    return [Text] { return Text; };
}

} // namespace

TEST_F(RecoveryFilesTest, TheWriterWritesTheNewestStateAndReportsAFailureOnce) {
    TRecoveryFile file(Recovery);
    {
        TRecoveryWriter writer(file);
        for (int i = 0; i < 50; ++i)
            writer.Write(Maker(U"select " + std::u32string(1, U'0' + i % 10)));
        writer.Write(Maker(Tricky));
        writer.Flush();
        EXPECT_TRUE(writer.Idle());
        EXPECT_EQ(Bytes(file.ScriptPath()), EncodeRecoveryText(Tricky));

        writer.Write(Maker(U"soon removed"));
        writer.Remove();
        writer.Flush();
        EXPECT_FALSE(fs::exists(file.ScriptPath()));
        EXPECT_EQ(writer.TakeError(), std::nullopt);

        writer.Write(Maker(U"kept when the writer stops"));
    }
    EXPECT_EQ(Bytes(file.ScriptPath()), EncodeRecoveryText(U"kept when the writer stops"));

    TRecoveryFile blocked(Folder.Put("not-a-folder", ""));
    TRecoveryWriter writer(blocked);
    writer.Write(Maker(U"select 1"));
    writer.Flush();
    const std::optional<std::string> error = writer.TakeError();
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("not-a-folder"), std::string::npos) << *error;
    EXPECT_EQ(writer.TakeError(), std::nullopt);
}
