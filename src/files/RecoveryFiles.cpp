#include "RecoveryFiles.h"

#include "SafeFile.h"
#include "ScriptFile.h"
#include "TextEncodings.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace velmora::files {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view ScriptSuffix = ".sql";
constexpr std::string_view LockSuffix = ".lock";
// A lock file is made under this name, locked, and only then linked under its own, so that every
// lock file found under its own name is locked as long as its program lives.
constexpr std::string_view NewLockPrefix = ".new-lock-";

// The largest script the editor opens, once every character takes the most UTF-8 bytes a
// Windows-1252 character can.
constexpr std::size_t MaxRecoveryFileBytes = 3 * MaxScriptFileBytes + 3;

[[noreturn]] void fail(const std::string& What, const std::string& Path) {
    throw EFileError("Cannot " + What + " \"" + Path + "\". " + std::strerror(errno) + ".");
}

bool endsWith(std::string_view Text, std::string_view End) {
    return Text.size() >= End.size() && Text.substr(Text.size() - End.size()) == End;
}

std::string lockPathFor(const std::string& ScriptPath) {
    return ScriptPath.substr(0, ScriptPath.size() - ScriptSuffix.size()) + std::string(LockSuffix);
}

void closeLock(int& Fd) {
    if (Fd >= 0)
        ::close(Fd);
    Fd = -1;
}

// The lock on the file at Path, when its program is gone; -1 while it runs. The descriptor must
// still be the file at Path once locked: a program that took it over may have removed it.
int lockOfGoneProgram(const std::string& Path) {
    int fd = ::open(Path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return -1;
    struct stat opened {};
    struct stat named {};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &opened) != 0 ||
        ::stat(Path.c_str(), &named) != 0 || opened.st_ino != named.st_ino ||
        opened.st_dev != named.st_dev)
        closeLock(fd);
    return fd;
}

// A new lock file at Path in Folder, locked before it gets that name; -1, with errno EEXIST, when
// another program's lock has it.
int createLock(const std::string& Folder, const std::string& Path) {
    std::string pattern = Folder + "/" + std::string(NewLockPrefix) + "XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        fail("create a recovery file in", Folder);
    const bool made =
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::link(pattern.c_str(), Path.c_str()) == 0;
    const int error = errno;
    ::unlink(pattern.c_str());
    if (made)
        return fd;
    ::close(fd);
    errno = error;
    return -1;
}

std::string newInstanceName() {
    static std::random_device device;
    char name[40];
    std::snprintf(name, sizeof name, "%ld-%08x", static_cast<long>(::getpid()),
                  static_cast<unsigned>(device()));
    return name;
}

void makeFolder(const std::string& Folder) {
    if (::mkdir(Folder.c_str(), 0700) == 0 || errno == EEXIST)
        return;
    fail("create the recovery folder", Folder);
}

// What a program that is gone left half done: a write cut short (".<name>.sql.XXXXXX"), a lock
// file never named.
void removeLeftovers(const std::string& Folder, const std::string& Name) {
    const std::string path = Folder + "/" + Name;
    if (Name.starts_with(NewLockPrefix)) {
        const int lock = lockOfGoneProgram(path);
        if (lock >= 0) {
            ::unlink(path.c_str());
            ::close(lock);
        }
        return;
    }
    const std::size_t suffix = Name.find(std::string(ScriptSuffix) + ".");
    if (suffix == std::string::npos || suffix < 2)
        return;
    const std::string owner = Folder + "/" + Name.substr(1, suffix - 1) + std::string(LockSuffix);
    int lock = lockOfGoneProgram(owner);
    if (lock >= 0 || ::access(owner.c_str(), F_OK) != 0)
        ::unlink(path.c_str());
    closeLock(lock);
}

} // namespace

std::string EncodeRecoveryText(std::u32string_view Text) {
    const TTextEncoder encoder(TTextEncoding::teUtf8Bom);
    std::string bytes;
    bytes.reserve(Text.size() + 3);
    encoder.AppendByteOrderMark(bytes);
    for (const char32_t c : Text)
        encoder.Append(c, bytes);
    return bytes;
}

std::u32string DecodeRecoveryText(std::string_view Bytes) {
    return DecodeText(Bytes).Text;
}

TRecoveryFile::TRecoveryFile(std::string Folder) : FFolder(std::move(Folder)) {}

TRecoveryFile::~TRecoveryFile() {
    closeLock(FLock);
}

void TRecoveryFile::Open() {
    if (FLock >= 0)
        return;
    makeFolder(FFolder);
    for (;;) {
        const std::string stem = FFolder + "/" + newInstanceName();
        const std::string lockPath = stem + std::string(LockSuffix);
        FLock = createLock(FFolder, lockPath);
        if (FLock >= 0) {
            FLockPath = lockPath;
            FScriptPath = stem + std::string(ScriptSuffix);
            return;
        }
        if (errno != EEXIST)
            fail("create a recovery file in", FFolder);
    }
}

void TRecoveryFile::Write(std::u32string_view Text) {
    const std::string bytes = EncodeRecoveryText(Text);
    Open();
    WriteFileAtomically(FScriptPath, bytes, TNewFileMode::nfmOwnerOnly);
}

void TRecoveryFile::Remove() {
    if (!FScriptPath.empty() && ::unlink(FScriptPath.c_str()) != 0 && errno != ENOENT)
        fail("remove the recovery file", FScriptPath);
}

void TRecoveryFile::Close() {
    if (FLock < 0)
        return;
    Remove();
    ::unlink(FLockPath.c_str());
    closeLock(FLock);
    ::rmdir(FFolder.c_str()); // only when empty: other programs' files stay
}

void TRecoveryFile::TakeOver(TLeftBehindScript& Script) {
    Open();
    if (::rename(Script.FScriptPath.c_str(), FScriptPath.c_str()) != 0)
        fail("take over the recovery file", Script.FScriptPath);
    Script.Delete();
}

TLeftBehindScript::TLeftBehindScript(std::string ScriptPath, std::string LockPath, int Lock,
                                     std::time_t WrittenAt)
    : FScriptPath(std::move(ScriptPath)), FLockPath(std::move(LockPath)), FLock(Lock),
      FWrittenAt(WrittenAt) {}

TLeftBehindScript::TLeftBehindScript(TLeftBehindScript&& Other) noexcept
    : FScriptPath(std::move(Other.FScriptPath)), FLockPath(std::move(Other.FLockPath)),
      FLock(std::exchange(Other.FLock, -1)), FWrittenAt(Other.FWrittenAt) {}

TLeftBehindScript& TLeftBehindScript::operator=(TLeftBehindScript&& Other) noexcept {
    if (this != &Other) {
        Release();
        FScriptPath = std::move(Other.FScriptPath);
        FLockPath = std::move(Other.FLockPath);
        FLock = std::exchange(Other.FLock, -1);
        FWrittenAt = Other.FWrittenAt;
    }
    return *this;
}

TLeftBehindScript::~TLeftBehindScript() {
    Release();
}

void TLeftBehindScript::Release() {
    closeLock(FLock);
}

std::u32string TLeftBehindScript::Read() const {
    return DecodeRecoveryText(ReadRegularFile(FScriptPath, MaxRecoveryFileBytes));
}

void TLeftBehindScript::Delete() {
    if (::unlink(FScriptPath.c_str()) != 0 && errno != ENOENT)
        fail("remove the recovery file", FScriptPath);
    ::unlink(FLockPath.c_str());
    Release();
}

std::vector<TLeftBehindScript> FindLeftBehindScripts(const std::string& Folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator entry(Folder, error), end; !error && entry != end;
         entry.increment(error))
        names.push_back(entry->path().filename().string());
    if (error && error != std::errc::no_such_file_or_directory)
        throw EFileError("Cannot read the recovery folder \"" + Folder + "\". " + error.message() +
                         ".");

    std::vector<TLeftBehindScript> scripts;
    for (const std::string& name : names) {
        if (name.starts_with('.')) {
            removeLeftovers(Folder, name);
            continue;
        }
        const std::string path = Folder + "/" + name;
        const bool isScript = endsWith(name, ScriptSuffix);
        if (!isScript && !endsWith(name, LockSuffix))
            continue;
        const std::string lockPath = isScript ? lockPathFor(path) : path;
        int lock = lockOfGoneProgram(lockPath);
        if (lock < 0 && isScript && errno == ENOENT) // a script whose lock someone removed
            lock = createLock(Folder, lockPath);
        if (lock < 0)
            continue;
        struct stat status {};
        if (!isScript) { // a lock whose program had nothing to recover, or a script's, seen then
            const std::string scriptPath =
                path.substr(0, path.size() - LockSuffix.size()) + std::string(ScriptSuffix);
            if (::lstat(scriptPath.c_str(), &status) != 0)
                ::unlink(path.c_str());
            ::close(lock);
            continue;
        }
        if (::lstat(path.c_str(), &status) != 0) { // taken over or discarded meanwhile
            ::unlink(lockPath.c_str());
            ::close(lock);
            continue;
        }
        if (!S_ISREG(status.st_mode)) {
            ::close(lock);
            continue;
        }
        scripts.emplace_back(path, lockPath, lock, status.st_mtime);
    }
    std::stable_sort(scripts.begin(), scripts.end(),
                     [](const auto& A, const auto& B) { return A.WrittenAt() > B.WrittenAt(); });
    return scripts;
}

} // namespace velmora::files
