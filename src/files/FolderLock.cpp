#include "FolderLock.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace velmora::files {

TFolderLock::TFolderLock(const std::string& Folder)
    : FFolder(::open(Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    using namespace std::chrono_literals;
    // Polling is not fair: a program changing the file many times in a row can hold the lock
    // for seconds at a time, so the wait is long enough to outlast it.
    const auto giveUp = std::chrono::steady_clock::now() + 10s;
    while (FFolder >= 0 && ::flock(FFolder, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() > giveUp)
            return;
        std::this_thread::sleep_for(5ms);
    }
}

TFolderLock::~TFolderLock() {
    if (FFolder >= 0)
        ::close(FFolder); // releases the lock
}

} // namespace velmora::files
