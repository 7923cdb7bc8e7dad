#include "SafeFile.h"

#include "HugePages.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace velmora::files {

namespace {

[[noreturn]] void fail(const char* what, const std::string& path, const std::string& reason) {
    std::string shown = path; // a NUL would end the message early
    for (std::size_t at = shown.find('\0'); at != std::string::npos; at = shown.find('\0', at))
        shown.replace(at, 1, "\\0");
    throw EFileError("Cannot " + std::string(what) + " file \"" + shown + "\". " + reason);
}

std::string systemReason(int error) {
    // What the system says, "File too large", sounds as if the file were the problem.
    if (error == EFBIG)
        return "The file would exceed the size limit.";
    std::string reason = std::strerror(error);
    return reason + ".";
}

// A save makes a new file beside the old one: a folder that lets nobody create files is the
// cause, although the file itself may be writable.
std::string folderReason(int error, const std::filesystem::path& folder) {
    if (error == EACCES || error == EPERM)
        return "The folder \"" + folder.string() + "\" does not let you create files in it (" +
               std::strerror(error) +
               "), and a save writes the new content beside the file before it replaces it.";
    if (error == EROFS)
        return "The folder \"" + folder.string() + "\" is on a read-only file system.";
    return systemReason(error);
}

// Closes the descriptor when it goes out of scope, unless it was released.
class TDescriptor {
public:
    explicit TDescriptor(int Fd) : FFd(Fd) {}
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    ~TDescriptor() {
        if (FFd >= 0)
            ::close(FFd);
    }
    int Get() const { return FFd; }
    int Release() {
        const int fd = FFd;
        FFd = -1;
        return fd;
    }
    // Closes now and reports whether the close itself succeeded (it can report a write error).
    bool Close() {
        const int fd = FFd;
        FFd = -1;
        return ::close(fd) == 0;
    }

private:
    int FFd;
};

std::string describeKind(mode_t mode) {
    if (S_ISDIR(mode))
        return "It is a folder, not a file.";
    if (S_ISFIFO(mode))
        return "It is a pipe, not a regular file.";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "It is a device, not a regular file.";
    if (S_ISSOCK(mode))
        return "It is a socket, not a regular file.";
    return "It is not a regular file.";
}

// A name with a NUL in it would be cut short there by the system and name another file.
void checkPathName(const char* what, const std::string& path) {
    if (path.empty())
        fail(what, path, "No file name was given.");
    if (path.find('\0') != std::string::npos)
        fail(what, path, "The file name holds a NUL character.");
}

// A whole number of megabytes reads better as such: "64 MB" rather than "67108864 bytes".
std::string sizeLimitReason(std::size_t maxBytes) {
    constexpr std::size_t megabyte = 1024 * 1024;
    const std::string limit = maxBytes >= megabyte && maxBytes % megabyte == 0
                                  ? std::to_string(maxBytes / megabyte) + " MB"
                                  : std::to_string(maxBytes) + " bytes";
    return "It is larger than " + limit + ", too large for this file.";
}

void writeAll(int fd, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            fail("write", path, systemReason(errno));
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

mode_t sharedModeForNewFile() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The file the write replaces: a link is followed, so the link itself survives the save.
std::filesystem::path resolveTarget(const std::string& path) {
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    return error ? std::filesystem::path(path) : resolved;
}

struct TTargetInfo {
    bool Exists = false;
    struct stat Status {};
};

TTargetInfo inspectTarget(const std::filesystem::path& target, const std::string& path) {
    TTargetInfo info;
    if (::stat(target.c_str(), &info.Status) == 0) {
        info.Exists = true;
        if (!S_ISREG(info.Status.st_mode))
            fail("write", path, describeKind(info.Status.st_mode));
    } else if (errno == EACCES) {
        fail("write", path,
             "A folder on the way to it does not let you in (" + std::string(std::strerror(errno)) +
                 ").");
    } else if (errno != ENOENT) {
        fail("write", path, systemReason(errno));
    }
    return info;
}

// The temporary files of the saves of target: "." + its name + "." + six characters of mkstemp.
bool isTemporaryOf(const std::string& entry, const std::string& name) {
    const std::size_t prefix = name.size() + 2;
    if (entry.size() != prefix + 6 || entry[0] != '.' || entry.compare(1, name.size(), name) != 0 ||
        entry[prefix - 1] != '.')
        return false;
    return std::all_of(
        entry.begin() + static_cast<std::ptrdiff_t>(prefix), entry.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        });
}

// Removes the temporary files a killed program left of earlier saves of target. A save holds a
// lock on its temporary file for as long as it writes it, and the lock goes with the program:
// a file nobody holds is stale. Only the user's own regular files are touched.
void removeStaleTemporaries(const std::filesystem::path& target, const std::string& own) {
    const std::string name = target.filename().string();
    const std::filesystem::path folder = target.parent_path();
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string entryName = entry->path().filename().string();
        if (!isTemporaryOf(entryName, name) || entry->path().string() == own)
            continue;
        const std::string path = entry->path().string();
        TDescriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat status {};
        if (file.Get() < 0 || ::fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode) ||
            status.st_uid != ::geteuid())
            continue;
        if (::flock(file.Get(), LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.c_str());
    }
}

TFileIdentity identityOf(const struct stat& status) {
    return {static_cast<unsigned long long>(status.st_dev),
            static_cast<unsigned long long>(status.st_ino), static_cast<long long>(status.st_size),
            static_cast<long long>(status.st_mtim.tv_sec) * 1000000000LL + status.st_mtim.tv_nsec};
}

void syncDirectory(const std::filesystem::path& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return; // the rename has happened; a directory that cannot be synced is no failure
    ::fsync(fd);
    ::close(fd);
}

} // namespace

void IgnoreFileSizeSignal() {
    ::signal(SIGXFSZ, SIG_IGN);
}

std::optional<TFileIdentity> IdentityOf(const std::string& Path) {
    struct stat status {};
    if (Path.find('\0') != std::string::npos || ::stat(Path.c_str(), &status) != 0)
        return std::nullopt;
    return identityOf(status);
}

std::string ReadRegularFile(const std::string& Path, std::size_t MaxBytes,
                            TFileIdentity* Identity) {
    checkPathName("read", Path);
    // Non-blocking, so that opening a FIFO returns at once instead of waiting for a writer.
    TDescriptor file(::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.Get() < 0)
        fail("read", Path, systemReason(errno));
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0)
        fail("read", Path, systemReason(errno));
    if (!S_ISREG(status.st_mode))
        fail("read", Path, describeKind(status.st_mode));
    if (static_cast<std::uintmax_t>(status.st_size) > MaxBytes)
        fail("read", Path, sizeLimitReason(MaxBytes));

    std::string content;
    // One byte more than the file has: the read that finds its end needs room, and a buffer
    // doubled for it would cost more than the read itself.
    content.reserve(static_cast<std::size_t>(status.st_size) + 1);
    velmora::AdviseHugePages(content.data(), content.capacity());
    content.resize(static_cast<std::size_t>(status.st_size) + 1);
    std::size_t filled = 0;
    // The file may grow while it is read: read on to its end, but never past the cap.
    for (;;) {
        if (filled == content.size()) {
            if (content.size() > MaxBytes)
                fail("read", Path, sizeLimitReason(MaxBytes));
            content.resize(std::min(MaxBytes + 1, std::max<std::size_t>(content.size() * 2, 4096)));
        }
        const ssize_t got = ::read(file.Get(), content.data() + filled, content.size() - filled);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            fail("read", Path, systemReason(errno));
        }
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    if (filled > MaxBytes)
        fail("read", Path, sizeLimitReason(MaxBytes));
    content.resize(filled);
    if (Identity != nullptr) {
        // As the file is now it was read to its end: a change while it was read counts as one.
        if (::fstat(file.Get(), &status) != 0)
            fail("read", Path, systemReason(errno));
        *Identity = identityOf(status);
    }
    return content;
}

TFileIdentity WriteFileAtomically(const std::string& Path, std::string_view Bytes,
                                  TNewFileMode NewFileMode) {
    return WriteFileAtomicallyInPieces(
        Path, [Bytes](const TFileSink& Write) { Write(Bytes); }, NewFileMode);
}

TFileIdentity WriteFileAtomicallyInPieces(const std::string& Path, const TFileProducer& Produce,
                                          TNewFileMode NewFileMode) {
    TReplacementFile replacement(Path, NewFileMode);
    Produce([&replacement](std::string_view Bytes) { replacement.Write(Bytes); });
    return replacement.Commit();
}

TReplacementFile::TReplacementFile(const std::string& Path, TNewFileMode NewFileMode)
    : FPath(Path) {
    checkPathName("write", Path);
    const std::filesystem::path target = resolveTarget(Path);
    FTarget = target.string();
    const TTargetInfo old = inspectTarget(target, Path);

    // mkstemp creates the file exclusively with mode 0600: nothing planted at its name is
    // followed, and nobody else can read the bytes before the final mode is set.
    std::string pattern =
        (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    TDescriptor temporary(::mkstemp(name.data()));
    if (temporary.Get() < 0)
        fail("write", Path, folderReason(errno, target.parent_path()));
    const std::string temporaryPath(name.data());
    // Held until the program ends or the save does: it tells this save's file from stale ones.
    (void)::flock(temporary.Get(), LOCK_EX | LOCK_NB);
    removeStaleTemporaries(target, temporaryPath);

    const mode_t mode = old.Exists                                  ? (old.Status.st_mode & 07777)
                        : NewFileMode == TNewFileMode::nfmOwnerOnly ? mode_t{0600}
                                                                    : sharedModeForNewFile();
    if (old.Exists && ::geteuid() == 0) // only root can give the file back to its owner
        (void)::fchown(temporary.Get(), old.Status.st_uid, old.Status.st_gid);
    if (::fchmod(temporary.Get(), mode) != 0) {
        const int error = errno;
        ::unlink(temporaryPath.c_str());
        fail("write", Path, systemReason(error));
    }
    FTemporaryPath = temporaryPath;
    FDescriptor = temporary.Release();
}

TReplacementFile::~TReplacementFile() {
    if (FDescriptor >= 0)
        ::close(FDescriptor);
    if (!FCommitted)
        ::unlink(FTemporaryPath.c_str());
}

void TReplacementFile::Write(std::string_view Bytes) {
    writeAll(FDescriptor, Bytes, FPath);
}

TFileIdentity TReplacementFile::Commit() {
    // A write can look complete while the disk refuses the data later: only fsync and close say
    // that the bytes are really there.
    if (::fsync(FDescriptor) != 0)
        fail("write", FPath, systemReason(errno));
    // The rename keeps the file as it is: this is the identity it has under its name.
    struct stat status {};
    if (::fstat(FDescriptor, &status) != 0)
        fail("write", FPath, systemReason(errno));
    struct stat named {};
    if (::lstat(FTemporaryPath.c_str(), &named) != 0 || named.st_dev != status.st_dev ||
        named.st_ino != status.st_ino)
        fail("write", FPath,
             "Its new content was moved away before it could take the file's place.");
    const TFileIdentity written = identityOf(status);
    TDescriptor descriptor(FDescriptor);
    FDescriptor = -1;
    if (!descriptor.Close())
        fail("write", FPath, systemReason(errno));
    const std::filesystem::path target(FTarget);
    if (::rename(FTemporaryPath.c_str(), FTarget.c_str()) != 0)
        fail("write", FPath, folderReason(errno, target.parent_path()));
    FCommitted = true;
    syncDirectory(target.parent_path());
    return written;
}

} // namespace velmora::files
