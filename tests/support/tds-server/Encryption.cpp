#include "Encryption.h"

#include "Login.h"

namespace velmora::tds {

std::optional<EncryptionMode> encryptionModeNamed(const std::string& name) {
    if (name == "off")
        return EncryptionMode::Off;
    if (name == "on")
        return EncryptionMode::On;
    if (name == "required")
        return EncryptionMode::Required;
    if (name == "not-supported")
        return EncryptionMode::NotSupported;
    return std::nullopt;
}

EncryptionAgreement agreeEncryption(uint8_t clientOption, EncryptionMode server) {
    // A client's ENCRYPT_REQ asks what ENCRYPT_ON asks; any other value is no TLS at all.
    const bool clientWantsSession = clientOption == encryptOn || clientOption == encryptRequired;
    const bool clientHasTls = clientWantsSession || clientOption == encryptOff;
    switch (server) {
    case EncryptionMode::NotSupported:
        return {encryptNotSupported, std::nullopt};
    case EncryptionMode::Off:
        if (!clientHasTls)
            return {encryptNotSupported, std::nullopt};
        if (clientWantsSession)
            return {encryptOn, TlsScope::Session};
        return {encryptOff, TlsScope::LoginPacket};
    case EncryptionMode::On:
    case EncryptionMode::Required:
        if (!clientHasTls)
            return {encryptRequired, std::nullopt, true};
        return {server == EncryptionMode::On && clientWantsSession ? encryptOn : encryptRequired,
                TlsScope::Session};
    }
    return {encryptNotSupported, std::nullopt};
}

const char* encryptionName(const std::optional<TlsScope>& scope) {
    if (!scope)
        return "none";
    return *scope == TlsScope::Session ? "session" : "login";
}

} // namespace velmora::tds
