#pragma once
// The network sockets a driver opened for a connection, so that a call that is given up can be
// ended for real: shutdown(2) on its socket makes the driver's blocked read (or write) return
// at once, with an error, so its call ends, its thread ends and its memory goes; and the server
// sees the connection close, so it ends the session (rolling back what was not committed).
// The descriptors stay the driver's: nothing is closed under it.
//
// A driver does not tell which socket is its own; the connection's are those that appeared while
// it connected, on its thread: stream sockets to a network address or a named local socket
// (a server's), not the unnamed pairs some drivers use to wake themselves up.
#include <mutex>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace velmora::ado {

class TDriverSockets {
public:
    // Before the driver connects: the sockets the process has already. False when the
    // connection was cut off before it began: it must not begin.
    bool Watch();
    // After it connected: the new ones are the connection's.
    void Settle();
    // From any thread: shuts the connection's sockets down (those opened since Watch, while it
    // has not settled). Returns how many it shut down.
    int CutOff();

private:
    using TSocket = std::pair<int, ino_t>; // descriptor and inode: a reused number is not ours
    static std::vector<TSocket> serverSockets();
    std::vector<TSocket> opened() const;

    std::mutex mutex_;
    std::vector<TSocket> before_;
    std::vector<TSocket> mine_;
    bool watching_ = false;
    bool cutOff_ = false;
};

} // namespace velmora::ado
