#include "SqlServerEncryption.h"

#include "DatabaseError.h"

#include <algorithm>
#include <filesystem>

namespace velmora::ado {

namespace {

std::optional<bool> booleanValue(const std::string& value) {
    for (const char* yes : {"true", "yes", "1"})
        if (sameKey(value, yes))
            return true;
    for (const char* no : {"false", "no", "0"})
        if (sameKey(value, no))
            return false;
    return std::nullopt;
}

TEncryptionMode modeOf(const std::string& key, const std::string& value) {
    if (sameKey(value, "strict"))
        return TEncryptionMode::Strict;
    if (sameKey(value, "mandatory"))
        return TEncryptionMode::Mandatory;
    if (sameKey(value, "optional"))
        return TEncryptionMode::Optional;
    if (const auto flag = booleanValue(value))
        return *flag ? TEncryptionMode::Mandatory : TEncryptionMode::Optional;
    throw EDatabaseError("\"" + key + "=" + value +
                         "\" is not an encryption setting: use Optional, Mandatory or Strict "
                         "(or True and False).");
}

bool encryptsByDefault(const std::string& provider) {
    return sameKey(provider.substr(0, provider.find('.')), "MSOLEDBSQL19");
}

// The key of the last item with one of `keys`, for messages that name what the string said.
std::string keyOf(const ConnectionStringItems& items,
                  std::initializer_list<std::string_view> keys) {
    for (auto item = items.rbegin(); item != items.rend(); ++item)
        if (std::any_of(keys.begin(), keys.end(),
                        [&](std::string_view key) { return sameKey(item->key, key); }))
            return item->key;
    return {};
}

// A conf file line ends at its line break: a value that holds one would add settings.
std::string confValue(const std::string& value, const std::string& what) {
    if (value.find_first_of("\r\n") != std::string::npos || value.empty())
        throw EDatabaseError(what + " \"" + value + "\" cannot be given to FreeTDS.");
    return value;
}

std::string trustedAuthorities(const EnvironmentLookup& environment) {
    const auto file = environment(trustedAuthoritiesVariable);
    if (!file)
        return "system";
    std::error_code error;
    if (!std::filesystem::is_regular_file(*file, error))
        throw EDatabaseError(std::string(trustedAuthoritiesVariable) + " names \"" + *file +
                             "\", which is not a file of certificates: the server's certificate "
                             "could not be checked.");
    return confValue(*file, trustedAuthoritiesVariable);
}

} // namespace

TEncryptionRequest readEncryptionRequest(const ConnectionStringItems& items,
                                         const std::string& provider) {
    TEncryptionRequest request;
    const std::initializer_list<std::string_view> modeKeys = {"Use Encryption for Data", "Encrypt"};
    if (const auto mode = findValue(items, modeKeys))
        request.Mode = modeOf(keyOf(items, modeKeys), *mode);
    else if (encryptsByDefault(provider))
        request.Mode = TEncryptionMode::Mandatory;
    const std::initializer_list<std::string_view> trustKeys = {"Trust Server Certificate",
                                                               "TrustServerCertificate"};
    if (const auto trust = findValue(items, trustKeys)) {
        const auto flag = booleanValue(*trust);
        if (!flag)
            throw EDatabaseError("\"" + keyOf(items, trustKeys) + "=" + *trust +
                                 "\" is not a setting: use True or False.");
        request.TrustServerCertificate = *flag;
    }
    request.HostNameInCertificate =
        findValue(items, {"Host Name In Certificate", "HostNameInCertificate"});
    if (request.HostNameInCertificate && request.HostNameInCertificate->empty())
        request.HostNameInCertificate.reset();
    return request;
}

void addFreeTdsEncryption(const TEncryptionRequest& request, const SqlServerAddress& address,
                          const EnvironmentLookup& environment, ConnectionStringItems& odbc,
                          std::string& configuration) {
    configuration.clear();
    if (request.Mode == TEncryptionMode::Strict)
        throw EDatabaseError(
            "Strict encryption (TDS 8.0) cannot be honoured: FreeTDS 1.3 does not speak it. Ask "
            "for Mandatory encryption, or use Microsoft's ODBC Driver 18 (set "
            "VELMORA_SQLSERVER_DRIVER).");
    if (request.Mode == TEncryptionMode::Optional)
        return;
    odbc.push_back({"Encryption", "require"});
    if (request.TrustServerCertificate)
        return;
    const size_t backslash = address.server.find('\\');
    const std::string host = address.server.substr(0, backslash);
    // FreeTDS checks the certificate against the name it connects to, and knows no other.
    if (request.HostNameInCertificate && !sameKey(*request.HostNameInCertificate, host))
        throw EDatabaseError("Host Name In Certificate \"" + *request.HostNameInCertificate +
                             "\" cannot be honoured: FreeTDS checks the certificate against the "
                             "server's name, \"" +
                             host + "\". Connect by the name the certificate holds.");
    std::string section = std::string("[") + checkedServerSection +
                          "]\n\thost = " + confValue(host, "The server name") + "\n";
    if (backslash != std::string::npos)
        section +=
            "\tinstance = " + confValue(address.server.substr(backslash + 1), "The instance name") +
            "\n";
    if (address.port)
        section += "\tport = " + confValue(*address.port, "The port") + "\n";
    configuration = section +
                    "\tencryption = require\n\tca file = " + trustedAuthorities(environment) +
                    "\n\tcheck certificate hostname = yes\n";
    removeKeys(odbc, {"Server", "Port"});
    odbc.insert(odbc.begin() + 1, {"Servername", checkedServerSection});
}

void addMicrosoftDriverEncryption(const TEncryptionRequest& request, ConnectionStringItems& odbc) {
    static const char* const modes[] = {"no", "yes", "strict"};
    odbc.push_back({"Encrypt", modes[static_cast<int>(request.Mode)]});
    odbc.push_back({"TrustServerCertificate", request.TrustServerCertificate ? "yes" : "no"});
    if (request.HostNameInCertificate)
        odbc.push_back({"HostnameInCertificate", *request.HostNameInCertificate});
}

} // namespace velmora::ado
