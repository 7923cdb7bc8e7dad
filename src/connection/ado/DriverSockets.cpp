#include "DriverSockets.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace velmora::ado {

namespace {

// A stream socket to a server: a network address, or a local socket with a name.
bool reachesServer(int descriptor) {
    int type = 0;
    socklen_t length = sizeof type;
    if (getsockopt(descriptor, SOL_SOCKET, SO_TYPE, &type, &length) != 0 || type != SOCK_STREAM)
        return false;
    int domain = 0;
    length = sizeof domain;
    if (getsockopt(descriptor, SOL_SOCKET, SO_DOMAIN, &domain, &length) != 0)
        return false;
    if (domain == AF_INET || domain == AF_INET6)
        return true;
    if (domain != AF_UNIX)
        return false;
    sockaddr_un peer{};
    length = sizeof peer;
    return getpeername(descriptor, reinterpret_cast<sockaddr*>(&peer), &length) == 0 &&
           length > offsetof(sockaddr_un, sun_path) && peer.sun_path[0] != '\0';
}

bool stillTheSame(int descriptor, ino_t inode) {
    struct stat status {};
    return fstat(descriptor, &status) == 0 && S_ISSOCK(status.st_mode) && status.st_ino == inode;
}

} // namespace

std::vector<TDriverSockets::TSocket> TDriverSockets::serverSockets() {
    std::vector<TSocket> sockets;
    DIR* folder = opendir("/proc/self/fd");
    if (folder == nullptr)
        return sockets;
    const int own = dirfd(folder);
    while (const dirent* entry = readdir(folder)) {
        char* end = nullptr;
        const long descriptor = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || descriptor == own)
            continue;
        struct stat status {};
        const int number = static_cast<int>(descriptor);
        if (fstat(number, &status) == 0 && S_ISSOCK(status.st_mode) && reachesServer(number))
            sockets.emplace_back(number, status.st_ino);
    }
    closedir(folder);
    std::sort(sockets.begin(), sockets.end());
    return sockets;
}

std::vector<TDriverSockets::TSocket> TDriverSockets::opened() const {
    std::vector<TSocket> now = serverSockets();
    std::vector<TSocket> added;
    std::set_difference(now.begin(), now.end(), before_.begin(), before_.end(),
                        std::back_inserter(added));
    return added;
}

bool TDriverSockets::Watch() {
    std::vector<TSocket> now = serverSockets();
    const std::lock_guard lock(mutex_);
    if (cutOff_)
        return false;
    before_ = std::move(now);
    mine_.clear();
    watching_ = true;
    return true;
}

void TDriverSockets::Settle() {
    const std::lock_guard lock(mutex_);
    if (!watching_)
        return;
    mine_ = opened();
    before_.clear();
    watching_ = false;
}

int TDriverSockets::CutOff() {
    const std::lock_guard lock(mutex_);
    cutOff_ = true;
    const std::vector<TSocket> sockets = watching_ ? opened() : mine_;
    int cut = 0;
    for (const auto& [descriptor, inode] : sockets) {
        if (!stillTheSame(descriptor, inode))
            continue;
        // When the driver closes it, a reset: a server that is busy writing to it learns at
        // once that nobody reads, rather than after its retransmissions give up.
        const linger reset{1, 0};
        setsockopt(descriptor, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        if (shutdown(descriptor, SHUT_RDWR) == 0)
            ++cut;
    }
    return cut;
}

} // namespace velmora::ado
