#pragma once
// The scripts opened or saved last, for File > Reopen: a list file of their paths, one a line,
// the newest first. Programs running at the same moment share it, so each change reads the list
// and replaces it whole under a lock.
#include <cstddef>
#include <string>
#include <vector>

namespace velmora::files {

inline constexpr std::size_t MaxRecentFiles = 8;

// The paths in the list at ListPath, the newest first, at most MaxRecentFiles; a missing list is
// empty. Throws EFileError when the list is no regular file or too large to be one.
std::vector<std::string> ReadRecentFiles(const std::string& ListPath);

// Puts Path first in the list, where it appears once; the oldest beyond MaxRecentFiles go. A
// path holding a line break cannot be listed and is left out. Throws EFileError when the list
// cannot be read or written.
void RememberRecentFile(const std::string& ListPath, const std::string& Path);

// Removes Path from the list.
void ForgetRecentFile(const std::string& ListPath, const std::string& Path);

} // namespace velmora::files
