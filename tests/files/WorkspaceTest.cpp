#include "Workspace.h"

#include "SafeFile.h"
#include "TestFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace velmora::files;
namespace fs = std::filesystem;

namespace {

mode_t ModeOf(const fs::path& Path) {
    struct stat status {};
    ::stat(Path.c_str(), &status);
    return status.st_mode & 07777;
}

// Restores the current directory and the umask the test changes.
class WorkspaceTest : public testing::Test {
protected:
    ~WorkspaceTest() override {
        fs::current_path(Previous);
        ::umask(PreviousMask);
    }

    TTestFolder Folder;
    fs::path Previous = fs::current_path();
    mode_t PreviousMask = ::umask(022);
};

} // namespace

TEST(UserWorkspaceFolder, FollowsTheBaseDirectoryRules) {
    EXPECT_EQ(UserWorkspaceFolder("/data/me", "/home/me"), "/data/me/velmora2");
    EXPECT_EQ(UserWorkspaceFolder("/data/me/", "/home/me"), "/data/me/velmora2");
    // Unset, empty and relative values are ignored.
    for (const char* ignored : {static_cast<const char*>(nullptr), "", "relative/data"})
        EXPECT_EQ(UserWorkspaceFolder(ignored, "/home/me"), "/home/me/.local/share/velmora2");
    // Without $HOME, the user's home from the user database.
    const std::string home = UserWorkspaceFolder(nullptr, nullptr);
    EXPECT_TRUE(home.ends_with("/.local/share/velmora2")) << home;
    EXPECT_EQ(UserWorkspaceFolder(nullptr, ""), home);
}

TEST_F(WorkspaceTest, AMissingWorkspaceIsMadeForTheUserAloneWithTheFoldersAboveIt) {
    ::umask(0); // would make a new folder open to everyone
    const fs::path workspace = Folder.Path() / "data" / "velmora2";
    EnterWorkspace(workspace.string());
    EXPECT_EQ(fs::current_path(), workspace);
    EXPECT_EQ(ModeOf(workspace), 0700u);
    EXPECT_EQ(ModeOf(workspace.parent_path()), 0700u);

    // Entered again, it is used as it is: a mode the user chose stays.
    fs::permissions(workspace,
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    fs::current_path(Folder.Path());
    EnterWorkspace("data/velmora2"); // relative to the current directory
    EXPECT_EQ(fs::current_path(), workspace);
    EXPECT_EQ(ModeOf(workspace), 0750u);
}

TEST_F(WorkspaceTest, AWorkspaceThatCannotBeUsedIsRefusedWithItsNameAndReason) {
    const std::string file = Folder.Put("plain-file", "x");
    const auto expectRefused = [this](const std::string& Workspace, const std::string& Reason) {
        try {
            EnterWorkspace(Workspace);
            ADD_FAILURE() << Workspace << " was entered";
        } catch (const EFileError& error) {
            EXPECT_EQ(std::string(error.what()),
                      "Cannot work in the folder \"" + Workspace + "\". " + Reason);
        }
        EXPECT_EQ(fs::current_path(), Previous);
    };
    expectRefused(file, "It is not a folder.");
    expectRefused(file + "/inside", "Not a directory.");
    expectRefused("", "No folder was given.");
}
