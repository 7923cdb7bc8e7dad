#pragma once
// Reading and writing the files the program keeps (scripts, connection files, the server
// history, the saved history) so that a special file never hangs or floods the program and a
// failed write never damages the file it was meant to replace.
#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmora::files {

// A file operation that failed; the message names the file and says why, for the user.
class EFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Which file is at a path, as it stands: a file replaced (by a save of another program), written
// to or touched since is another one.
struct TFileIdentity {
    unsigned long long Device = 0;
    unsigned long long Inode = 0;
    long long Size = 0;
    long long ModifiedNs = 0; // the last change of the content, in nanoseconds
    bool operator==(const TFileIdentity&) const = default;
};

// The identity of the file at Path (a link is followed); nothing when there is none.
std::optional<TFileIdentity> IdentityOf(const std::string& Path);

// A write past the size limit for files (ulimit -f) ends the program by SIGXFSZ unless the
// signal is ignored; ignored, the write fails with EFBIG and is reported like any failed write.
// Called once at the start of the program.
void IgnoreFileSizeSignal();

// The whole content of the regular file at Path (a symbolic link to one is followed). A FIFO, a
// device, a directory or a file larger than MaxBytes is refused with EFileError, without
// blocking on it and without reading more than MaxBytes + 1 bytes.
// Identity, when given, gets the identity of the file that was read, as it was once read.
std::string ReadRegularFile(const std::string& Path, std::size_t MaxBytes,
                            TFileIdentity* Identity = nullptr);

// The permissions a file gets when WriteFileAtomically creates it. A file that exists keeps its
// own permissions whatever is asked here.
enum class TNewFileMode {
    nfmShared,   // 0666 less the process's umask, as any program's new file
    nfmOwnerOnly // 0600: the file holds a password
};

// Replaces the content of the file at Path with Bytes, or leaves the file as it was and throws
// EFileError. The bytes go to a temporary file created exclusively beside it, are flushed to
// the disk and checked, and only then renamed over the old file; a failed write removes its
// temporary file, and temporary files that a killed program left of the same file go at the
// next write. A symbolic link at Path is
// followed, so the file it names is replaced and the link stays.
// Returns the identity of the file written.
TFileIdentity WriteFileAtomically(const std::string& Path, std::string_view Bytes,
                                  TNewFileMode NewFileMode);

// The same for content made piece by piece: Produce hands each piece to the sink it is given,
// so that a large file never has to be held whole. Whatever Produce throws leaves the old file
// as it was and reaches the caller.
using TFileSink = std::function<void(std::string_view)>;
using TFileProducer = std::function<void(const TFileSink&)>;
TFileIdentity WriteFileAtomicallyInPieces(const std::string& Path, const TFileProducer& Produce,
                                          TNewFileMode NewFileMode);

// The file that replaces the file at Path once its content is complete, for content that is
// put there by name (a print engine writes the file it is given) or in pieces. It is a temporary
// file made exclusively beside the target, as WriteFileAtomically makes it, with the mode the
// new file is to have. Commit flushes it to the disk, checks that it is still the file that was
// made, and renames it over the old file; until then the old file stays as it was, and a
// replacement that is never committed is removed when it goes.
class TReplacementFile {
public:
    // Throws EFileError when the target cannot be replaced (a folder, a folder that lets nobody
    // create files, ...).
    TReplacementFile(const std::string& Path, TNewFileMode NewFileMode);
    ~TReplacementFile();
    TReplacementFile(const TReplacementFile&) = delete;
    TReplacementFile& operator=(const TReplacementFile&) = delete;

    const std::string& TemporaryPath() const { return FTemporaryPath; }
    // Appends Bytes to the temporary file.
    void Write(std::string_view Bytes);
    // Returns the identity of the file written.
    TFileIdentity Commit();

private:
    std::string FPath;
    std::string FTarget;
    std::string FTemporaryPath;
    int FDescriptor = -1;
    bool FCommitted = false;
};

} // namespace velmora::files
