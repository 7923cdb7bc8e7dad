#pragma once
// A full disk for one scope: RLIMIT_FSIZE caps how large the process may make a file, so a write
// past the cap fails as on a full disk. Tests run as root and cannot mount a small tmpfs, which
// would be the other way.
#include <csignal>
#include <sys/resource.h>

namespace velmora::test {

class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t Bytes) {
        ::getrlimit(RLIMIT_FSIZE, &FOld);
        // Without this the process would be killed instead of seeing the write fail.
        FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = FOld;
        limit.rlim_cur = Bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &FOld);
        std::signal(SIGXFSZ, FOldHandler);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    rlimit FOld{};
    void (*FOldHandler)(int);
};

} // namespace velmora::test
