#include "FileOwnership.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace velmora::files {

namespace {

std::string UserName(uid_t Uid) {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(Uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
        return found->pw_name;
    return "user id " + std::to_string(Uid);
}

std::string GroupName(gid_t Gid) {
    std::vector<char> buffer(16384);
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(Gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
        return found->gr_name;
    return {};
}

// The administrator can change any file anyway: what it owns is as safe as the user's own.
bool Trusted(uid_t Owner) {
    return Owner == ::geteuid() || Owner == 0;
}

// A group that holds only the user, as the group of the user's own name is on most systems,
// lets nobody else write.
bool GroupOfUserAlone(gid_t Gid) {
    return Gid == ::getegid() && GroupName(Gid) == UserName(::geteuid());
}

} // namespace

std::optional<TForeignFile> ForeignFile(const std::string& Path) {
    struct stat link {};
    struct stat file {};
    if (::lstat(Path.c_str(), &link) != 0 || ::stat(Path.c_str(), &file) != 0)
        return std::nullopt;
    TForeignFile foreign;
    if (S_ISLNK(link.st_mode) && !Trusted(link.st_uid)) {
        foreign.OwnedByOther = true;
        foreign.Owner = UserName(link.st_uid);
    }
    if (!Trusted(file.st_uid)) {
        foreign.OwnedByOther = true;
        if (foreign.Owner.empty())
            foreign.Owner = UserName(file.st_uid);
    }
    foreign.WritableByOthers = (file.st_mode & S_IWOTH) != 0 ||
                               ((file.st_mode & S_IWGRP) != 0 && !GroupOfUserAlone(file.st_gid));
    if (!foreign.OwnedByOther && !foreign.WritableByOthers)
        return std::nullopt;
    if (foreign.Owner.empty())
        foreign.Owner = UserName(file.st_uid);
    return foreign;
}

} // namespace velmora::files
