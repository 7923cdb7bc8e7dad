#include "RecentFiles.h"

#include "FolderLock.h"
#include "SafeFile.h"

#include <algorithm>
#include <filesystem>
#include <functional>

namespace velmora::files {

namespace {

// Eight paths of the longest kind take 32 KB; anything far larger is not this list.
constexpr std::size_t MaxListBytes = 1 << 20;

std::vector<std::string> SplitLines(const std::string& Content) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < Content.size()) {
        std::size_t end = Content.find('\n', start);
        if (end == std::string::npos)
            end = Content.size();
        if (end > start)
            lines.push_back(Content.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> ReadAll(const std::string& ListPath) {
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(ListPath, error)))
        return {};
    return SplitLines(ReadRegularFile(ListPath, MaxListBytes));
}

std::string FolderOf(const std::string& Path) {
    const std::filesystem::path folder = std::filesystem::absolute(Path).parent_path();
    return folder.string();
}

// Reads the list, lets Change edit it and writes it back when it changed, under the lock.
void Update(const std::string& ListPath,
            const std::function<void(std::vector<std::string>&)>& Change) {
    const TFolderLock lock(FolderOf(ListPath));
    std::vector<std::string> paths = ReadAll(ListPath);
    const std::vector<std::string> before = paths;
    Change(paths);
    if (paths.size() > MaxRecentFiles)
        paths.resize(MaxRecentFiles);
    if (paths == before)
        return;
    std::string content;
    for (const std::string& path : paths)
        content += path + '\n';
    WriteFileAtomically(ListPath, content, TNewFileMode::nfmOwnerOnly);
}

void Erase(std::vector<std::string>& Paths, const std::string& Path) {
    Paths.erase(std::remove(Paths.begin(), Paths.end(), Path), Paths.end());
}

} // namespace

std::vector<std::string> ReadRecentFiles(const std::string& ListPath) {
    std::vector<std::string> paths = ReadAll(ListPath);
    if (paths.size() > MaxRecentFiles)
        paths.resize(MaxRecentFiles);
    return paths;
}

void RememberRecentFile(const std::string& ListPath, const std::string& Path) {
    if (Path.empty() || Path.find('\n') != std::string::npos ||
        Path.find('\0') != std::string::npos)
        return;
    Update(ListPath, [&Path](std::vector<std::string>& Paths) {
        Erase(Paths, Path);
        Paths.insert(Paths.begin(), Path);
    });
}

void ForgetRecentFile(const std::string& ListPath, const std::string& Path) {
    Update(ListPath, [&Path](std::vector<std::string>& Paths) { Erase(Paths, Path); });
}

} // namespace velmora::files
