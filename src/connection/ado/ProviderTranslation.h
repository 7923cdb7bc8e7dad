#pragma once
// Turns an OLE DB connection string into the ODBC connection string of the provider it names:
//   SQLOLEDB (and the later SQL Server providers): a SQL Server driver, FreeTDS unless the
//     environment variable VELMORA_SQLSERVER_DRIVER names another;
//   MSDASQL (also the default when no provider is given): the ODBC string of Extended
//     Properties, or DSN / Driver with their keys;
//   FILE NAME=path: the connection string of that data link file.
#include "ConnectionString.h"

#include <functional>
#include <optional>
#include <string>

namespace velmora::ado {

// The providers' own default for "Connect Timeout".
constexpr int defaultConnectTimeoutSeconds = 15;

struct OdbcTarget {
    std::string provider;             // as the string names it, e.g. "SQLOLEDB.1"
    std::string odbcConnectionString; // what goes to the driver manager
    ConnectionStringItems odbcItems;  // its pairs
    std::string driver;               // the Driver key's value, empty for a DSN
    bool persistSecurityInfo = false;
    bool sqlServer = false; // a SQL Server provider, whose messages carry no driver tags
    int connectTimeoutSeconds = defaultConnectTimeoutSeconds; // how long a login may take
    // A freetds.conf the connect must read (the certificate checks); empty when none.
    std::string freeTdsConfiguration;
    bool integratedSecurity = false; // Windows authentication: a Kerberos ticket logs in
    bool encryptionRequired = false; // Mandatory or Strict
};

// The name a server is given when the string does not name one (Application Name).
inline const char* const defaultApplicationName = "Velmora 2";

using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

std::optional<std::string> processEnvironment(const std::string& name);

const char* const sqlServerDriverVariable = "VELMORA_SQLSERVER_DRIVER";
const char* const defaultSqlServerDriver = "FreeTDS";

OdbcTarget translateConnectionString(const std::string& connectionString,
                                     const EnvironmentLookup& environment = processEnvironment);

// The SQL Server "Data Source" in the form the named ODBC driver takes: the server and, for
// FreeTDS, the port as a key of its own.
struct SqlServerAddress {
    std::string server;
    std::optional<std::string> port;
};
// "." and "(local)" are this machine: `localHost` (by default "localhost").
SqlServerAddress translateDataSource(const std::string& dataSource, bool forFreeTds,
                                     const std::string& localHost = "localhost");

// This machine's canonical host name, as the resolver gives it (the name a Kerberos service
// name is registered under); the plain host name when the resolver knows no other.
std::string canonicalHostName();

// The connection string without its password (Password, PWD, and PWD inside Extended
// Properties); the text itself when it holds none.
std::string withoutPassword(const std::string& connectionString);

} // namespace velmora::ado
