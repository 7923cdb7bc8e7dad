#pragma once
// What a server answers to the encryption a client's PRELOGIN asks for, and how much of the
// connection TLS then covers (MS-TDS 2.2.6.5, the table of client and server values).
#include "Channel.h"

#include <cstdint>
#include <optional>
#include <string>

namespace velmora::tds {

// The server's setting. Off is a default SQL Server installation: it has a certificate (made
// at start when none is configured), encrypts the login packet always and the whole session
// when the client asks. On is "Force Encryption"; Required answers ENCRYPT_REQ to every client
// (as Azure SQL Database does); NotSupported is a server without a certificate.
enum class EncryptionMode { Off, On, Required, NotSupported };

// "off", "on", "required", "not-supported"; nothing for another word.
std::optional<EncryptionMode> encryptionModeNamed(const std::string& name);

struct EncryptionAgreement {
    uint8_t answer;                // the ENCRYPTION byte of the server's PRELOGIN
    std::optional<TlsScope> scope; // none: no TLS
    bool refused = false;          // the client cannot meet the server: the connection ends
};

EncryptionAgreement agreeEncryption(uint8_t clientOption, EncryptionMode server);

// What tds_logins records of a session: "none", "login" or "session".
const char* encryptionName(const std::optional<TlsScope>& scope);

} // namespace velmora::tds
