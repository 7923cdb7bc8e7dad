// Real programs that keep their script for recovery, ended as a session ends them: by SIGTERM or
// SIGHUP, by SIGKILL, or by the user through File > Exit.
#include "RecoveryFiles.h"
#include "TestFolder.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace velmora::files;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

extern char** environ;

namespace {

// A recovering_program, started with its script's text; killed when the object goes.
class TProgram {
public:
    TProgram(const std::string& Folder, int IntervalMs, const std::string& Text,
             bool Leave = false) {
        int output[2];
        EXPECT_EQ(::pipe(output), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, output[0]);
        std::vector<std::string> arguments = {VELMORA_RECOVERING_PROGRAM, Folder,
                                              std::to_string(IntervalMs), Text};
        if (Leave)
            arguments.push_back("exit");
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        EXPECT_EQ(::posix_spawn(&FPid, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(output[1]);
        FOutput = output[0];
    }
    ~TProgram() {
        if (FPid > 0) {
            ::kill(FPid, SIGKILL);
            ::waitpid(FPid, nullptr, 0);
        }
        ::close(FOutput);
    }
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    // Whether it said "ready" within a generous time.
    bool Ready() {
        std::string said;
        pollfd ready{FOutput, POLLIN, 0};
        while (said.find("ready\n") == std::string::npos && ::poll(&ready, 1, 30000) == 1) {
            char buffer[64];
            const ssize_t got = ::read(FOutput, buffer, sizeof buffer);
            if (got <= 0)
                return false;
            said.append(buffer, static_cast<std::size_t>(got));
        }
        return said.find("ready\n") != std::string::npos;
    }
    // Sends Signal and waits for the program to end; its wait status.
    int EndWith(int Signal) {
        ::kill(FPid, Signal);
        return Wait();
    }
    int Wait() {
        int status = 0;
        ::waitpid(FPid, &status, 0);
        FPid = -1;
        return status;
    }

private:
    pid_t FPid = -1;
    int FOutput = -1;
};

class RecoveryProcessTest : public testing::Test {
protected:
    std::size_t KeptCount() const {
        std::size_t count = 0;
        if (fs::exists(Recovery))
            for (const fs::directory_entry& entry : fs::directory_iterator(Recovery))
                count += entry.path().extension() == ".sql" ? 1 : 0;
        return count;
    }
    // Waits until Count scripts are kept.
    bool WaitForKept(std::size_t Count) const {
        const auto giveUp = std::chrono::steady_clock::now() + 30s;
        while (KeptCount() < Count && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(10ms);
        return KeptCount() >= Count;
    }
    std::vector<std::u32string> LeftBehind() const {
        std::vector<std::u32string> texts;
        for (const TLeftBehindScript& script : FindLeftBehindScripts(Recovery))
            texts.push_back(script.Read());
        std::sort(texts.begin(), texts.end());
        return texts;
    }

    TTestFolder Folder;
    std::string Recovery = Folder.PathOf("recovery");
};

} // namespace

TEST_F(RecoveryProcessTest, TerminationSignalsKeepTheLatestScriptAndEndTheProgramByThem) {
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        // Never kept on its own in time: only the signal keeps it.
        TProgram program(Recovery, 3600 * 1000, "select 'caf\xc3\xa9'\nunsaved");
        ASSERT_TRUE(program.Ready());
        EXPECT_EQ(KeptCount(), 0u);
        const int status = program.EndWith(signal);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(LeftBehind(), std::vector<std::u32string>{U"select 'caf\u00e9'\r\nunsaved"});
        for (TLeftBehindScript& script : FindLeftBehindScripts(Recovery))
            script.Delete();
    }
}

TEST_F(RecoveryProcessTest, RunningProgramsKeepTheirOwnScriptsAndAKilledOnesWaitForTheNextStart) {
    TProgram first(Recovery, 20, "first");
    TProgram second(Recovery, 20, "second");
    ASSERT_TRUE(first.Ready() && second.Ready());
    ASSERT_TRUE(WaitForKept(2));
    EXPECT_TRUE(LeftBehind().empty());
    first.EndWith(SIGKILL);
    EXPECT_EQ(LeftBehind(), std::vector<std::u32string>{U"first"});
    second.EndWith(SIGKILL);
    EXPECT_EQ(LeftBehind(), (std::vector<std::u32string>{U"first", U"second"}));
}

TEST_F(RecoveryProcessTest, LeavingThroughFileExitLeavesNothing) {
    TProgram program(Recovery, 20, "discarded on purpose", true);
    ASSERT_TRUE(program.Ready());
    const int status = program.Wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(fs::exists(Recovery));
}
