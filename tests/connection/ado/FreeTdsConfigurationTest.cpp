// The private freetds.conf of a checked connection: the user's alone, named by FREETDSCONF only
// while it is in use, and gone afterwards.
#include "FreeTdsConfiguration.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

using velmora::ado::TFreeTdsConfiguration;

namespace {

std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(FreeTdsConfiguration, IsPrivateWhileInUseAndGoneAfterwards) {
    setenv("FREETDSCONF", "/etc/freetds/freetds.conf", 1);
    std::filesystem::path path;
    {
        const TFreeTdsConfiguration configuration("[checked]\n\thost = db1\n");
        path = configuration.Path();
        EXPECT_EQ(std::string(std::getenv("FREETDSCONF")), path.string());
        EXPECT_EQ(fileText(path), "[checked]\n\thost = db1\n");
        struct stat info {};
        ASSERT_EQ(stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
        EXPECT_EQ(info.st_uid, geteuid());
        struct stat folder {};
        ASSERT_EQ(stat(path.parent_path().c_str(), &folder), 0);
        EXPECT_EQ(folder.st_mode & 077, 0u) << path.parent_path();
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(std::string(std::getenv("FREETDSCONF")), "/etc/freetds/freetds.conf");
    unsetenv("FREETDSCONF");
}

TEST(FreeTdsConfiguration, WithoutARuntimeDirectoryAPrivateFolderIsMadeAndRemoved) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = runtime ? runtime : "";
    unsetenv("XDG_RUNTIME_DIR");
    std::filesystem::path path;
    {
        const TFreeTdsConfiguration configuration("[global]\n");
        path = configuration.Path();
        EXPECT_NE(path.parent_path(), std::filesystem::temp_directory_path());
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(path.parent_path()));
    EXPECT_EQ(std::getenv("FREETDSCONF"), nullptr);
    if (!saved.empty())
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
}
