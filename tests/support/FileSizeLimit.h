#pragma once
// Lowers the file size limit for one scope, so that a write runs out of room as on a full disk
// (a small tmpfs would need a mount that tests cannot do).
#include <csignal>
#include <sys/resource.h>

class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t Bytes) {
        ::getrlimit(RLIMIT_FSIZE, &FOld);
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
