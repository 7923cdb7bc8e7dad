#pragma once
// The recovery folder: where each running program keeps the unsaved script that a crash, a kill
// or a power cut would otherwise lose, and where the next start finds what such a program left.
//
// A program's files are <id>.sql, its script, and <id>.lock, which it holds locked while it runs
// (the system drops the lock however the program ends). A script whose lock nobody holds was left
// by a program that ended without saving or discarding it.
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::files {

// A recovery file's bytes: the text as UTF-8 after a byte-order mark, so that a text starting
// with one keeps it. Throws std::invalid_argument for a character UTF-8 cannot hold.
std::string EncodeRecoveryText(std::u32string_view Text);
std::u32string DecodeRecoveryText(std::string_view Bytes);

class TLeftBehindScript;

// This program's own recovery file. Nothing is created before the first Write. Not thread-safe:
// one thread at a time.
class TRecoveryFile {
public:
    explicit TRecoveryFile(std::string Folder);
    // Lets go of the lock; the script stays, for the next start to offer.
    ~TRecoveryFile();
    TRecoveryFile(const TRecoveryFile&) = delete;
    TRecoveryFile& operator=(const TRecoveryFile&) = delete;

    // Replaces the script with Text, atomically, readable by the user alone. The folder (0700)
    // and the lock are made at the first write. Throws EFileError or std::invalid_argument.
    void Write(std::u32string_view Text);
    // Removes the script: there is nothing to recover. The lock stays while the program runs.
    void Remove();
    // The program ends normally: removes the script and the lock, and the folder once empty.
    void Close();
    // Script's file becomes this program's script, so that it is never missing while it moves.
    void TakeOver(TLeftBehindScript& Script);

    // Empty until the first write.
    const std::string& ScriptPath() const { return FScriptPath; }

private:
    void Open();

    std::string FFolder;
    std::string FScriptPath;
    std::string FLockPath;
    int FLock = -1;
};

// A script another program left, locked by this one while the object lives: no other program
// offers it meanwhile. Letting it go without Delete leaves it for the next start.
class TLeftBehindScript {
public:
    TLeftBehindScript(std::string ScriptPath, std::string LockPath, int Lock,
                      std::time_t WrittenAt);
    TLeftBehindScript(TLeftBehindScript&& Other) noexcept;
    TLeftBehindScript& operator=(TLeftBehindScript&& Other) noexcept;
    ~TLeftBehindScript();

    const std::string& ScriptPath() const { return FScriptPath; }
    std::time_t WrittenAt() const { return FWrittenAt; }
    // The script as it was written; EFileError when it cannot be read.
    std::u32string Read() const;
    // Removes the script and its lock.
    void Delete();

private:
    friend class TRecoveryFile;
    void Release();

    std::string FScriptPath;
    std::string FLockPath;
    int FLock = -1;
    std::time_t FWrittenAt = 0;
};

// The scripts in Folder whose programs are gone, the newest first; none when Folder does not
// exist. What a write cut short left behind for such a program is removed on the way.
std::vector<TLeftBehindScript> FindLeftBehindScripts(const std::string& Folder);

} // namespace velmora::files
