#pragma once
// A fresh folder for the running test in the system's temporary folder, removed with all it
// holds when the test ends (also when the test made it read-only).
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

class TTestFolder {
public:
    TTestFolder() {
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        FPath = std::filesystem::temp_directory_path() /
                ("velmora-" + std::string(test->test_suite_name()) + "-" + test->name() + "-" +
                 std::to_string(::getpid()));
        std::filesystem::remove_all(FPath);
        std::filesystem::create_directories(FPath);
    }
    ~TTestFolder() {
        std::error_code ignored;
        std::filesystem::permissions(FPath, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(FPath, ignored);
    }
    TTestFolder(const TTestFolder&) = delete;
    TTestFolder& operator=(const TTestFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    std::string PathOf(const std::string& Name) const { return (FPath / Name).string(); }
    // Writes Bytes into the file Name and returns its path.
    std::string Put(const std::string& Name, const std::string& Bytes) const {
        std::ofstream(PathOf(Name), std::ios::binary) << Bytes;
        return PathOf(Name);
    }

private:
    std::filesystem::path FPath;
};

// Makes a folder the current directory while it lives: the workspace of the window under test,
// where it keeps its lists.
class TCurrentFolder {
public:
    explicit TCurrentFolder(const std::filesystem::path& Folder)
        : FPrevious(std::filesystem::current_path()) {
        std::filesystem::current_path(Folder);
    }
    ~TCurrentFolder() {
        std::error_code ignored;
        std::filesystem::current_path(FPrevious, ignored);
    }
    TCurrentFolder(const TCurrentFolder&) = delete;
    TCurrentFolder& operator=(const TCurrentFolder&) = delete;

private:
    std::filesystem::path FPrevious;
};
