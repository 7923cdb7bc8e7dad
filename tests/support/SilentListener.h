#pragma once
// A server that never answers: a loopback port that accepts connections (the kernel completes
// them) and never sends a byte. Closing it resets every connection still waiting.
#include "ClosedLoopbackPort.h"

namespace velmora::test {

class SilentListener {
public:
    SilentListener()
        : socket_(::socket(AF_INET, SOCK_STREAM, 0)), port_(bindToFreeLoopbackPort(socket_)) {
        listen(socket_, 16);
    }
    ~SilentListener() { close(socket_); }
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    int port() const { return port_; }

private:
    int socket_;
    int port_;
};

} // namespace velmora::test
