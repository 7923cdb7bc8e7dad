#include "Workspace.h"

#include "SafeFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace velmora::files {

namespace {

[[noreturn]] void fail(const std::string& Folder, const std::string& Reason) {
    throw EFileError("Cannot work in the folder \"" + Folder + "\". " + Reason);
}

std::string systemReason(int Error) {
    return std::string(std::strerror(Error)) + ".";
}

std::string homeOfUser() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr)
        return {};
    return found->pw_dir;
}

// mkdir -p, each new level 0700 whatever the umask.
void createFolders(const std::filesystem::path& Folder, const std::string& Shown) {
    std::filesystem::path built;
    for (const std::filesystem::path& part : Folder) {
        built /= part;
        if (::mkdir(built.c_str(), 0700) == 0) {
            ::chmod(built.c_str(), 0700); // the umask may have taken bits the user needs
            continue;
        }
        if (errno != EEXIST)
            fail(Shown, systemReason(errno));
    }
}

} // namespace

std::string UserWorkspaceFolder(const char* XdgDataHome, const char* Home) {
    std::filesystem::path base;
    if (XdgDataHome != nullptr && XdgDataHome[0] == '/')
        base = XdgDataHome;
    else if (Home != nullptr && Home[0] != '\0')
        base = std::filesystem::path(Home) / ".local" / "share";
    else
        base = std::filesystem::path(homeOfUser()) / ".local" / "share";
    return (base / "velmora2").lexically_normal().string();
}

void EnterWorkspace(const std::string& Folder) {
    if (Folder.empty())
        fail(Folder, "No folder was given.");
    if (Folder.find('\0') != std::string::npos)
        fail(Folder, "The folder name holds a NUL character.");
    struct stat status {};
    if (::stat(Folder.c_str(), &status) != 0) {
        if (errno != ENOENT)
            fail(Folder, systemReason(errno));
        createFolders(std::filesystem::absolute(Folder).lexically_normal(), Folder);
    } else if (!S_ISDIR(status.st_mode)) {
        fail(Folder, "It is not a folder.");
    }
    if (::chdir(Folder.c_str()) != 0)
        fail(Folder, systemReason(errno));
}

} // namespace velmora::files
