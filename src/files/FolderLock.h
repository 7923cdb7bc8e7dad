#pragma once
// A short exclusive lock on a folder, for the files the program reads and replaces whole (the
// server history, the list of recent scripts): two programs changing such a file at the same
// moment would each write it whole, and the later one would drop the other's change. The lock is
// on the folder, since the file itself is replaced. A lock held for long (by a program that
// hangs) is not waited on: after a bounded wait the change goes ahead regardless.
#include <string>

namespace velmora::files {

class TFolderLock {
public:
    explicit TFolderLock(const std::string& Folder);
    ~TFolderLock();
    TFolderLock(const TFolderLock&) = delete;
    TFolderLock& operator=(const TFolderLock&) = delete;

private:
    int FFolder;
};

} // namespace velmora::files
