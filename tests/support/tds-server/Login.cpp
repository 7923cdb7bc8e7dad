#include "Login.h"

#include "Text.h"
#include "WireBuffer.h"

#include <array>
#include <vector>

namespace velmora::tds {

namespace {

enum PreloginOption : uint8_t {
    poVersion = 0,
    poEncryption = 1,
    poInstance = 2,
    poThreadId = 3,
    poMars = 4,
    poTerminator = 0xFF
};

// The server version the double reports: 15.0.2000 (SQL Server 2019's numbering).
constexpr std::array<uint8_t, 6> serverVersion = {15, 0, 0x07, 0xD0, 0, 0};

std::string prelogin(const std::vector<std::pair<uint8_t, std::string>>& options) {
    WireWriter out;
    uint16_t offset = static_cast<uint16_t>(options.size() * 5 + 1);
    for (const auto& [token, data] : options) {
        out.u8(token);
        out.u16be(offset);
        out.u16be(static_cast<uint16_t>(data.size()));
        offset = static_cast<uint16_t>(offset + data.size());
    }
    out.u8(poTerminator);
    for (const auto& option : options)
        out.raw(option.second);
    return out.take();
}

std::string bytes(std::initializer_list<uint8_t> values) {
    std::string text;
    for (uint8_t value : values)
        text += static_cast<char>(value);
    return text;
}

// Passwords travel with each byte's halves swapped and then XORed with 0xA5.
char scramble(char c) {
    const auto b = static_cast<uint8_t>(c);
    return static_cast<char>(static_cast<uint8_t>(b << 4 | b >> 4) ^ 0xA5);
}

char unscramble(char c) {
    const auto b = static_cast<uint8_t>(static_cast<uint8_t>(c) ^ 0xA5);
    return static_cast<char>(static_cast<uint8_t>(b << 4 | b >> 4));
}

// Offsets of the (offset, length) pairs in the fixed part of LOGIN7.
enum LoginField : size_t {
    lfHostName = 36,
    lfUserName = 40,
    lfPassword = 44,
    lfAppName = 48,
    lfServerName = 52,
    lfExtension = 56,
    lfLibraryName = 60,
    lfLanguage = 64,
    lfDatabase = 68,
    lfClientId = 72,
    lfSspi = 78,
    lfAttachFile = 82,
    lfChangePassword = 86,
    lfSspiLong = 90,
    lfFixedEnd = 94
};

std::string_view utf16Field(std::string_view payload, size_t field) {
    WireReader at(payload.substr(field));
    const size_t offset = at.u16();
    const size_t characters = at.u16();
    if (offset + characters * 2 > payload.size())
        throw ProtocolError("LOGIN7 field outside the packet");
    return payload.substr(offset, characters * 2);
}

} // namespace

std::optional<uint32_t> agreedTdsVersion(uint32_t requested) {
    if (requested >= tdsVersion74)
        return tdsVersion74;
    if (requested >= tdsVersion73A)
        return requested >= tdsVersion73B ? tdsVersion73B : tdsVersion73A;
    if (requested >= tdsVersion72)
        return tdsVersion72;
    if (requested >= 0x71000000)
        return tdsVersion71;
    return std::nullopt;
}

std::string tdsVersionName(uint32_t version) {
    std::string name = std::to_string(version >> 28) + "." + std::to_string(version >> 24 & 0xF);
    if (version == tdsVersion73A)
        name += "A";
    else if (version == tdsVersion73B)
        name += "B";
    return name;
}

uint8_t preloginEncryption(std::string_view payload) {
    WireReader options(payload);
    while (true) {
        const uint8_t token = options.u8();
        if (token == poTerminator)
            return encryptNotSupported;
        const uint16_t offset = options.u16be();
        const uint16_t length = options.u16be();
        if (size_t{offset} + length > payload.size())
            throw ProtocolError("PRELOGIN option outside the message");
        if (token == poEncryption && length >= 1)
            return static_cast<uint8_t>(payload[offset]);
    }
}

std::string preloginReply(uint8_t encryption) {
    return prelogin({{poVersion, std::string(serverVersion.begin(), serverVersion.end())},
                     {poEncryption, bytes({encryption})},
                     {poInstance, bytes({0})},
                     {poThreadId, ""},
                     {poMars, bytes({0})}});
}

std::string preloginRequest(uint8_t encryption) {
    return prelogin({{poVersion, bytes({0, 0, 0, 0, 0, 0})},
                     {poEncryption, bytes({encryption})},
                     {poInstance, bytes({0})},
                     {poThreadId, bytes({0, 0, 0, 0})},
                     {poMars, bytes({0})}});
}

LoginRequest parseLogin7(std::string_view payload) {
    // TDS 7.1's fixed part ends before the fields that 7.2 added.
    if (payload.size() < lfChangePassword)
        throw ProtocolError("LOGIN7 shorter than its fixed part");
    WireReader fixed(payload.substr(4));
    LoginRequest login;
    login.tdsVersion = fixed.u32();
    login.packetSize = fixed.u32();
    const auto text = [&](size_t field) { return utf16ToUtf8(utf16Field(payload, field)); };
    login.hostName = text(lfHostName);
    login.userName = text(lfUserName);
    std::string password(utf16Field(payload, lfPassword));
    for (char& c : password)
        c = unscramble(c);
    login.password = utf16ToUtf8(password);
    login.appName = text(lfAppName);
    login.serverName = text(lfServerName);
    login.libraryName = text(lfLibraryName);
    login.language = text(lfLanguage);
    login.database = text(lfDatabase);
    return login;
}

std::string buildLogin7(const LoginRequest& login) {
    std::string password = utf8ToUtf16(login.password);
    for (char& c : password)
        c = scramble(c);
    const std::vector<std::pair<size_t, std::string>> fields = {
        {lfHostName, utf8ToUtf16(login.hostName)},
        {lfUserName, utf8ToUtf16(login.userName)},
        {lfPassword, password},
        {lfAppName, utf8ToUtf16(login.appName)},
        {lfServerName, utf8ToUtf16(login.serverName)},
        {lfExtension, ""},
        {lfLibraryName, utf8ToUtf16(login.libraryName)},
        {lfLanguage, utf8ToUtf16(login.language)},
        {lfDatabase, utf8ToUtf16(login.database)},
        {lfSspi, ""},
        {lfAttachFile, ""},
        {lfChangePassword, ""}};
    std::string data;
    std::string fixed(lfFixedEnd, '\0');
    WireWriter head;
    head.u32(0); // the total length, patched below
    head.u32(login.tdsVersion);
    head.u32(login.packetSize);
    fixed.replace(0, head.size(), head.bytes());
    for (const auto& [field, value] : fields) {
        WireWriter pair;
        pair.u16(static_cast<uint16_t>(lfFixedEnd + data.size()));
        pair.u16(static_cast<uint16_t>(value.size() / 2));
        fixed.replace(field, 4, pair.bytes());
        data += value;
    }
    std::string packet = fixed + data;
    WireWriter total;
    total.u32(static_cast<uint32_t>(packet.size()));
    packet.replace(0, 4, total.bytes());
    return packet;
}

} // namespace velmora::tds
