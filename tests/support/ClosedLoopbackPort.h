#pragma once
// A port on the loopback interface on which nothing listens: a server that refuses at once.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velmora::test {

// Binds the socket to a free port of the loopback interface; returns the port.
inline int bindToFreeLoopbackPort(int socket) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

inline int closedLoopbackPort() {
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    const int port = bindToFreeLoopbackPort(probe);
    close(probe);
    return port;
}

} // namespace velmora::test
