#pragma once
// What the data link dialog edits: a connection to SQL Server or to an ODBC data source, as
// the settings of a data link file's connection string.
#include "ConnectionString.h"
#include "SqlServerEncryption.h"

#include <string>

struct TDataLinkSettings {
    enum class TKind { SqlServer, Odbc };

    TKind Kind = TKind::SqlServer;
    std::string Provider = "SQLOLEDB.1"; // as the file names it
    std::string Server;                  // SQL Server: Data Source
    // ODBC: a data source name, or a driver with further keys ("Database=demo.db").
    bool UseDataSourceName = false;
    std::string DataSourceName;
    std::string Driver;
    std::string OtherOdbcKeys;
    bool WindowsAuthentication = false;
    std::string UserName;
    std::string Password;
    bool AllowSavingPassword = false;
    std::string InitialCatalog;
    // SQL Server: Use Encryption for Data (the provider's default when the file names none) and
    // Trust Server Certificate.
    velmora::ado::TEncryptionMode Encryption = velmora::ado::TEncryptionMode::Optional;
    bool TrustServerCertificate = false;
    bool EncryptionStated = false; // the file named it: it is written again, default or not
    // Keys the dialog does not edit, kept as they were.
    velmora::ado::ConnectionStringItems Other;
};

TDataLinkSettings::TKind ProviderKind(const std::string& Provider);

// Throws EDatabaseError on a malformed string.
TDataLinkSettings ReadDataLinkSettings(const std::string& ConnectionString);

// The connection string to store: the password only when saving it is allowed.
std::string DataLinkString(const TDataLinkSettings& Settings);
// The connection string to test with: the password always.
std::string TestConnectionString(const TDataLinkSettings& Settings);
