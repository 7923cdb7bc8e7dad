#pragma once
// The two messages that open a connection: PRELOGIN (versions and encryption) and LOGIN7 (who
// logs in, to which database, with which packet size, at which TDS version). The client side of
// both is here too, for the benchmark's own minimal client.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::tds {

// The TDS versions LOGIN7 asks for and LOGINACK agrees to (as numbers, they order by version).
enum TdsVersion : uint32_t {
    tdsVersion71 = 0x71000001, // SQL Server 2000 SP1
    tdsVersion72 = 0x72090002, // 2005
    tdsVersion73A = 0x730A0003,
    tdsVersion73B = 0x730B0003, // 2008
    tdsVersion74 = 0x74000004,  // 2012 and later
};

// The version the server speaks with a client that asks for `requested`: the same, or the
// highest it has for a newer client; nothing for clients older than 7.1.
std::optional<uint32_t> agreedTdsVersion(uint32_t requested);
// "7.4", "7.3B" (as tds_logins records it).
std::string tdsVersionName(uint32_t version);

// PRELOGIN's ENCRYPTION byte.
enum EncryptionOption : uint8_t {
    encryptOff = 0,          // available, off: the login packet alone is encrypted
    encryptOn = 1,           // the whole session
    encryptNotSupported = 2, // no TLS at all
    encryptRequired = 3,     // the server insists on the whole session
};

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

// The ENCRYPTION byte of a client's PRELOGIN (encryptNotSupported when it has none). Throws
// ProtocolError when the options' offsets point outside the message.
uint8_t preloginEncryption(std::string_view payload);

// The server's answer to a PRELOGIN: its version, and what it says of encryption.
std::string preloginReply(uint8_t encryption);
// A client's PRELOGIN saying what it wants of encryption.
std::string preloginRequest(uint8_t encryption);

} // namespace velmora::tds
