#pragma once
// The two messages that open a connection: PRELOGIN (versions and encryption; this server
// offers none) and LOGIN7 (who logs in, to which database, with which packet size). The client
// side of both is here too, for the benchmark's own minimal client.
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::tds {

constexpr uint32_t tdsVersion74 = 0x74000004;

struct LoginRequest {
    uint32_t tdsVersion = tdsVersion74;
    uint32_t packetSize = 4096;
    std::string hostName; // all text UTF-8
    std::string userName;
    std::string password; // decoded from the packet's scrambling
    std::string appName;
    std::string serverName;
    std::string libraryName;
    std::string language;
    std::string database;
};

// Throws ProtocolError when the packet's offsets point outside it.
LoginRequest parseLogin7(std::string_view payload);
std::string buildLogin7(const LoginRequest& login);

// The server's answer to any PRELOGIN: its version, and that it does not encrypt.
std::string preloginReply();
// A client's PRELOGIN asking for no encryption.
std::string preloginRequest();

} // namespace velmora::tds
