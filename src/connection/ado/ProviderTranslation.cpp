#include "ProviderTranslation.h"

#include "DataLinkFile.h"
#include "DatabaseError.h"
#include "SqlServerEncryption.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <netdb.h>
#include <unistd.h>

namespace velmora::ado {

namespace {

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && sameKey(text.substr(0, prefix.size()), prefix);
}

bool isTrue(const std::optional<std::string>& value) {
    return value && (sameKey(*value, "true") || sameKey(*value, "yes") || *value == "1");
}

std::string providerBaseName(const std::string& provider) {
    return provider.substr(0, provider.find('.'));
}

bool isSqlServerProvider(const std::string& provider) {
    static const std::array<std::string_view, 7> names = {
        "SQLOLEDB", "SQLNCLI", "SQLNCLI10", "SQLNCLI11", "MSOLEDBSQL", "MSOLEDBSQL19", "SQLSERVER"};
    const std::string base = providerBaseName(provider);
    return std::any_of(names.begin(), names.end(), [&](auto name) { return sameKey(base, name); });
}

bool isOdbcProvider(const std::string& provider) {
    return provider.empty() || sameKey(providerBaseName(provider), "MSDASQL");
}

// OLE DB keys of the SQL Server providers and the ODBC keys they become; an empty ODBC key means
// the driver has no such setting.
struct KeyTranslation {
    std::initializer_list<std::string_view> oleDbKeys;
    const char* freeTdsKey;
    const char* otherDriverKey;
};

const std::array<KeyTranslation, 6> sqlServerKeys = {{
    {{"User ID", "UID", "User"}, "UID", "UID"},
    {{"Password", "PWD"}, "PWD", "PWD"},
    {{"Initial Catalog", "Database"}, "Database", "Database"},
    {{"Workstation ID", "WSID"}, "WSID", "WSID"},
    {{"Application Name", "APP"}, "APP", "APP"},
    {{"Current Language", "Language"}, "Language", "Language"},
}};

bool isIntegratedSecurity(const ConnectionStringItems& items) {
    const auto security = findValue(items, {"Integrated Security", "Trusted_Connection"});
    return security && (sameKey(*security, "SSPI") || isTrue(security));
}

ConnectionStringItems translateSqlServer(const ConnectionStringItems& items, OdbcTarget& target,
                                         const EnvironmentLookup& environment) {
    const std::string& driver = target.driver;
    const bool freeTds = sameKey(driver, defaultSqlServerDriver);
    target.integratedSecurity = isIntegratedSecurity(items);
    ConnectionStringItems odbc{{"Driver", driver}};
    SqlServerAddress address;
    if (auto dataSource =
            findValue(items, {"Data Source", "Server", "Address", "Addr", "Network Address"})) {
        // Kerberos asks for the service of the name connected to: "localhost" is registered
        // for no server.
        address = translateDataSource(
            *dataSource, freeTds, target.integratedSecurity ? canonicalHostName() : "localhost");
        odbc.push_back({"Server", address.server});
        if (address.port)
            odbc.push_back({"Port", *address.port});
    }
    for (const KeyTranslation& key : sqlServerKeys)
        if (auto value = findValue(items, key.oleDbKeys))
            odbc.push_back({freeTds ? key.freeTdsKey : key.otherDriverKey, *value});
    if (target.integratedSecurity)
        odbc.push_back({"Trusted_Connection", "Yes"});
    if (auto spn = findValue(items, {"ServerSPN", "Server SPN"}); spn && !spn->empty())
        odbc.push_back({"ServerSPN", *spn});
    if (auto packetSize = findValue(items, "Packet Size"); packetSize && freeTds)
        odbc.push_back({"PacketSize", *packetSize});
    const TEncryptionRequest encryption = readEncryptionRequest(items, target.provider);
    target.encryptionRequired = encryption.Mode != TEncryptionMode::Optional;
    if (freeTds)
        addFreeTdsEncryption(encryption, address, environment, odbc, target.freeTdsConfiguration);
    else
        addMicrosoftDriverEncryption(encryption, odbc);
    if (!findValue(items, {"Application Name", "APP"}))
        odbc.push_back({"APP", defaultApplicationName});
    if (freeTds) {
        odbc.push_back({"TDS_Version", "7.4"});
        odbc.push_back({"ClientCharset", "UTF-8"});
    }
    return odbc;
}

// OLE DB properties that MSDASQL reads itself rather than passing on.
bool isMsdasqlProperty(std::string_view key) {
    static const std::array<std::string_view, 14> properties = {"Provider",
                                                                "Persist Security Info",
                                                                "Extended Properties",
                                                                "Data Source",
                                                                "User ID",
                                                                "Password",
                                                                "Initial Catalog",
                                                                "Mode",
                                                                "Prompt",
                                                                "Connect Timeout",
                                                                "Location",
                                                                "Window Handle",
                                                                "General Timeout",
                                                                "OLE DB Services"};
    return std::any_of(properties.begin(), properties.end(),
                       [&](auto property) { return sameKey(key, property); });
}

ConnectionStringItems translateMsdasql(const ConnectionStringItems& items) {
    ConnectionStringItems odbc;
    if (auto extended = findValue(items, "Extended Properties"))
        odbc = parseOdbcConnectionString(*extended);
    auto addMissing = [&odbc](std::string key, std::string value) {
        const bool present = std::any_of(odbc.begin(), odbc.end(),
                                         [&](const auto& item) { return sameKey(item.key, key); });
        if (!present)
            odbc.push_back({std::move(key), std::move(value)});
    };
    for (const auto& item : items)
        if (!isMsdasqlProperty(item.key))
            addMissing(item.key, item.value);
    if (auto dsn = findValue(items, "Data Source"))
        addMissing("DSN", *dsn);
    if (auto user = findValue(items, "User ID"))
        addMissing("UID", *user);
    if (auto password = findValue(items, "Password"))
        addMissing("PWD", *password);
    if (auto catalog = findValue(items, "Initial Catalog"))
        addMissing("Database", *catalog);
    if (odbc.empty())
        throw EDatabaseError("The connection string names no ODBC data source or driver.");
    return odbc;
}

// Settings that make the driver manager or a driver read or write files of the string's
// choosing: a file DSN names a driver library of its own, SAVEFILE writes one, and the drivers'
// trace and log settings write wherever they are pointed (a protocol trace over any file the
// user can write) or load code (SQLite's extensions). A connection string is data, and
// connection files come from anywhere: these belong in odbc.ini, which only its owner edits.
struct FileKey {
    std::string_view key;
    std::string_view owner;
};

const std::array<FileKey, 21> fileKeys = {{
    {"FILEDSN", "the driver manager"},
    {"SAVEFILE", "the driver manager"},
    {"DumpFile", "FreeTDS"},
    {"DumpFileAppend", "FreeTDS"},
    {"DebugFlags", "FreeTDS"},
    {"TraceFile", "the SQLite driver"},
    {"LoadExt", "the SQLite driver"},
    {"Debug", "the PostgreSQL driver"},
    {"B2", "the PostgreSQL driver"},
    {"CommLog", "the PostgreSQL driver"},
    {"B3", "the PostgreSQL driver"},
    {"Logdir", "the PostgreSQL driver"},
    {"pqopt", "the PostgreSQL driver"},
    {"D5", "the PostgreSQL driver"},
    {"ClientCertificate", "Microsoft's SQL Server driver"},
    {"ClientKey", "Microsoft's SQL Server driver"},
    {"ServerCertificate", "Microsoft's SQL Server driver"},
    {"QueryLog_On", "Microsoft's SQL Server driver"},
    {"QueryLogFile", "Microsoft's SQL Server driver"},
    {"StatsLog_On", "Microsoft's SQL Server driver"},
    {"StatsLogFile", "Microsoft's SQL Server driver"},
}};

void refuseFileKeys(const ConnectionStringItems& odbc) {
    for (const ConnectionStringItem& item : odbc)
        for (const FileKey& fileKey : fileKeys)
            if (sameKey(item.key, fileKey.key))
                throw EDatabaseError("The connection string sets \"" + item.key +
                                     "\", with which " + std::string(fileKey.owner) +
                                     " reads or writes files of the string's choosing. Such "
                                     "settings are refused here: remove it, or set it in a data "
                                     "source of your own (odbc.ini) and name that DSN.");
}

ConnectionStringItems expandFileName(const ConnectionStringItems& items) {
    const auto fileName = findValue(items, "File Name");
    if (!fileName)
        return items;
    ConnectionStringItems expanded = parseConnectionString(readDataLinkFile(*fileName));
    if (findValue(expanded, "File Name"))
        throw EDatabaseError("The data link file \"" + *fileName +
                             "\" refers to another data link file.");
    for (const auto& item : items)
        if (!sameKey(item.key, "File Name"))
            expanded.push_back(item);
    return expanded;
}

// "Connect Timeout" in seconds. No value, or 0 (the providers' "wait for ever"), gives the
// default: a login never waits without bound.
int connectTimeout(const ConnectionStringItems& items) {
    const auto value = findValue(items, {"Connect Timeout", "Connection Timeout"});
    if (!value || value->empty())
        return defaultConnectTimeoutSeconds;
    int seconds = 0;
    const auto [end, error] =
        std::from_chars(value->data(), value->data() + value->size(), seconds);
    if (error != std::errc() || end != value->data() + value->size() || seconds < 0)
        throw EDatabaseError("Connect Timeout must be a number of seconds, not \"" + *value +
                             "\".");
    return seconds == 0 ? defaultConnectTimeoutSeconds : seconds;
}

} // namespace

std::optional<std::string> processEnvironment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr || *value == '\0')
        return std::nullopt;
    return std::string(value);
}

std::string canonicalHostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return "localhost";
    addrinfo hints{};
    hints.ai_flags = AI_CANONNAME;
    addrinfo* found = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr)
        return name;
    const std::string canonical =
        found->ai_canonname != nullptr && *found->ai_canonname != '\0' ? found->ai_canonname : name;
    freeaddrinfo(found);
    return canonical;
}

SqlServerAddress translateDataSource(const std::string& dataSource, bool forFreeTds,
                                     const std::string& localHost) {
    std::string text = dataSource;
    if (startsWithIgnoringCase(text, "tcp:"))
        text.erase(0, 4);
    SqlServerAddress address;
    const size_t comma = text.find(',');
    if (comma != std::string::npos) {
        address.port = text.substr(comma + 1);
        text.erase(comma);
    }
    const size_t backslash = text.find('\\');
    std::string host = text.substr(0, backslash);
    const std::string instance = backslash == std::string::npos ? "" : text.substr(backslash);
    if (host.empty() || host == "." || sameKey(host, "(local)"))
        host = localHost;
    address.server = host + instance;
    if (address.port && !forFreeTds) {
        address.server += "," + *address.port;
        address.port.reset();
    }
    return address;
}

OdbcTarget translateConnectionString(const std::string& connectionString,
                                     const EnvironmentLookup& environment) {
    const ConnectionStringItems items = expandFileName(parseConnectionString(connectionString));
    OdbcTarget target;
    target.provider = findValue(items, "Provider").value_or("");
    target.persistSecurityInfo = isTrue(findValue(items, "Persist Security Info"));
    target.connectTimeoutSeconds = connectTimeout(items);
    ConnectionStringItems odbc;
    if (isSqlServerProvider(target.provider)) {
        target.sqlServer = true;
        target.driver = environment(sqlServerDriverVariable).value_or(defaultSqlServerDriver);
        odbc = translateSqlServer(items, target, environment);
    } else if (isOdbcProvider(target.provider)) {
        odbc = translateMsdasql(items);
        refuseFileKeys(odbc);
        target.driver = findValue(odbc, "Driver").value_or("");
    } else {
        throw EDatabaseError("Provider \"" + target.provider +
                             "\" is not supported: use SQLOLEDB for SQL Server or MSDASQL for "
                             "an ODBC data source.");
    }
    target.odbcConnectionString = buildOdbcConnectionString(odbc, bracesOfDriver(target.driver));
    target.odbcItems = std::move(odbc);
    return target;
}

std::string withoutPassword(const std::string& connectionString) {
    ConnectionStringItems items = parseConnectionString(connectionString);
    const size_t before = items.size();
    removeKeys(items, {"Password", "PWD"});
    bool changed = items.size() != before;
    for (auto& item : items) {
        if (!sameKey(item.key, "Extended Properties"))
            continue;
        ConnectionStringItems odbc = parseOdbcConnectionString(item.value);
        const size_t odbcBefore = odbc.size();
        removeKeys(odbc, {"PWD", "Password"});
        if (odbc.size() != odbcBefore) {
            item.value = buildOdbcConnectionString(odbc);
            changed = true;
        }
    }
    return changed ? buildConnectionString(items) : connectionString;
}

} // namespace velmora::ado
