#include "RecentFiles.h"

#include "SafeFile.h"
#include "TestFolder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using namespace velmora::files;

namespace {

class RecentFilesTest : public testing::Test {
protected:
    std::vector<std::string> Listed() const { return ReadRecentFiles(List); }

    TTestFolder Folder;
    std::string List = Folder.PathOf("recent.dat");
};

} // namespace

TEST_F(RecentFilesTest, TheNewestComesFirstOnceAndTheOldestBeyondEightGo) {
    EXPECT_TRUE(Listed().empty()); // no list yet
    for (int i = 1; i <= 10; ++i)
        RememberRecentFile(List, "/scripts/" + std::to_string(i) + ".sql");
    const std::vector<std::string> expected = {
        "/scripts/10.sql", "/scripts/9.sql", "/scripts/8.sql", "/scripts/7.sql",
        "/scripts/6.sql",  "/scripts/5.sql", "/scripts/4.sql", "/scripts/3.sql"};
    EXPECT_EQ(Listed(), expected);

    RememberRecentFile(List, "/scripts/5.sql"); // again: moves to the front, still once
    const std::vector<std::string> again = Listed();
    EXPECT_EQ(again.front(), "/scripts/5.sql");
    EXPECT_EQ(std::count(again.begin(), again.end(), "/scripts/5.sql"), 1);
    EXPECT_EQ(again.size(), MaxRecentFiles);

    ForgetRecentFile(List, "/scripts/5.sql");
    ForgetRecentFile(List, "/scripts/never-listed.sql");
    EXPECT_EQ(Listed().size(), MaxRecentFiles - 1);
    EXPECT_EQ(Listed().front(), "/scripts/10.sql");
}

TEST_F(RecentFilesTest, ANameThatCannotBeOneLineIsLeftOutAndBlanksAndSpacesStay) {
    RememberRecentFile(List, "/scripts/two\nlines.sql");
    RememberRecentFile(List, "");
    EXPECT_TRUE(Listed().empty());
    RememberRecentFile(List, "/my scripts/ä €.sql");
    EXPECT_EQ(Listed(), std::vector<std::string>{"/my scripts/ä €.sql"});
}

TEST_F(RecentFilesTest, TheListIsTheUsersAloneAndABrokenOneIsReported) {
    RememberRecentFile(List, "/private/plans.sql");
    struct stat status {};
    ASSERT_EQ(::stat(List.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    // A list edited by hand: blank lines and a missing last line break are no entries.
    Folder.Put("recent.dat", "/a.sql\n\n/b.sql");
    EXPECT_EQ(Listed(), (std::vector<std::string>{"/a.sql", "/b.sql"}));

    std::filesystem::remove(List);
    std::filesystem::create_directory(List);
    EXPECT_THROW(Listed(), EFileError);
    EXPECT_THROW(RememberRecentFile(List, "/c.sql"), EFileError);
}

TEST_F(RecentFilesTest, ProgramsRememberingAtOnceKeepEachOthersScripts) {
    std::vector<std::thread> programs;
    for (int i = 0; i < static_cast<int>(MaxRecentFiles); ++i)
        programs.emplace_back([this, i] {
            for (int round = 0; round < 20; ++round)
                RememberRecentFile(List, "/scripts/" + std::to_string(i) + ".sql");
        });
    for (std::thread& program : programs)
        program.join();
    std::vector<std::string> listed = Listed();
    std::sort(listed.begin(), listed.end());
    std::vector<std::string> expected;
    for (int i = 0; i < static_cast<int>(MaxRecentFiles); ++i)
        expected.push_back("/scripts/" + std::to_string(i) + ".sql");
    EXPECT_EQ(listed, expected);
}
