#pragma once
// Who may have written a file: files that decide what the program does (connection files) are
// trusted as they are only when the user, or the system, owns them and nobody else can change
// them.
#include <optional>
#include <string>

namespace velmora::files {

struct TForeignFile {
    std::string Owner;         // the user name (or "user id N") of the owner that is not the user
    bool OwnedByOther = false; // the file, or the symbolic link that names it, is another's
    bool WritableByOthers = false; // other users (a group's members, everyone) may change it
};

// Nothing when the file at Path (and the link Path is, if it is one) belongs to the user or to
// the system's administrator and only its owner may change it; nothing either when there is
// no such file, which whoever reads it reports. Otherwise who owns it and what is wrong.
std::optional<TForeignFile> ForeignFile(const std::string& Path);

} // namespace velmora::files
