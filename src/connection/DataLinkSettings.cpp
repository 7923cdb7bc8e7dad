#include "DataLinkSettings.h"

using namespace velmora::ado;

namespace {

const std::initializer_list<std::string_view> EditedKeys = {"Provider",
                                                            "Password",
                                                            "Persist Security Info",
                                                            "User ID",
                                                            "Data Source",
                                                            "Integrated Security",
                                                            "Initial Catalog",
                                                            "Extended Properties",
                                                            "Use Encryption for Data",
                                                            "Encrypt",
                                                            "Trust Server Certificate",
                                                            "TrustServerCertificate"};

std::string ValueOf(const ConnectionStringItems& Items, std::string_view Key) {
    return findValue(Items, Key).value_or("");
}

bool IsTrue(const std::string& Value) {
    return sameKey(Value, "True") || sameKey(Value, "Yes");
}

void ReadOdbcTarget(const ConnectionStringItems& Items, TDataLinkSettings& Settings) {
    ConnectionStringItems odbc = parseOdbcConnectionString(ValueOf(Items, "Extended Properties"));
    const std::string dsn = findValue(odbc, "DSN").value_or(ValueOf(Items, "Data Source"));
    Settings.UseDataSourceName = !dsn.empty();
    Settings.DataSourceName = dsn;
    Settings.Driver = findValue(odbc, "Driver").value_or("");
    removeKeys(odbc, {"DSN", "Driver"});
    Settings.OtherOdbcKeys = odbc.empty() ? "" : buildOdbcConnectionString(odbc);
}

std::string ExtendedProperties(const TDataLinkSettings& Settings) {
    if (Settings.UseDataSourceName)
        return {};
    std::string odbc = "Driver=" + quoteOdbcValue(Settings.Driver) + ";";
    return odbc + Settings.OtherOdbcKeys;
}

// SQLOLEDB takes True and False; the later providers name the mode. A setting that is the
// provider's default is left out, as the providers' own data link pages leave it, unless the
// file named it.
void AddEncryption(const TDataLinkSettings& Settings, ConnectionStringItems& Items) {
    const TEncryptionMode byDefault = readEncryptionRequest({}, Settings.Provider).Mode;
    if (Settings.Encryption != byDefault || Settings.EncryptionStated) {
        const bool oldProvider =
            sameKey(Settings.Provider.substr(0, Settings.Provider.find('.')), "SQLOLEDB");
        static const char* const modes[] = {"Optional", "Mandatory", "Strict"};
        std::string value = modes[static_cast<int>(Settings.Encryption)];
        if (oldProvider && Settings.Encryption != TEncryptionMode::Strict)
            value = Settings.Encryption == TEncryptionMode::Mandatory ? "True" : "False";
        Items.push_back({"Use Encryption for Data", value});
    }
    if (Settings.TrustServerCertificate)
        Items.push_back({"Trust Server Certificate", "True"});
}

std::string Build(const TDataLinkSettings& Settings, bool WithPassword) {
    ConnectionStringItems items = {{"Provider", Settings.Provider}};
    const bool windows =
        Settings.Kind == TDataLinkSettings::TKind::SqlServer && Settings.WindowsAuthentication;
    if (windows)
        items.push_back({"Integrated Security", "SSPI"});
    else if (WithPassword)
        items.push_back({"Password", Settings.Password});
    items.push_back({"Persist Security Info", WithPassword && !windows ? "True" : "False"});
    if (!windows && !Settings.UserName.empty())
        items.push_back({"User ID", Settings.UserName});
    if (!Settings.InitialCatalog.empty())
        items.push_back({"Initial Catalog", Settings.InitialCatalog});
    if (Settings.Kind == TDataLinkSettings::TKind::SqlServer) {
        items.push_back({"Data Source", Settings.Server});
        AddEncryption(Settings, items);
    } else if (Settings.UseDataSourceName)
        items.push_back({"Data Source", Settings.DataSourceName});
    else
        items.push_back({"Extended Properties", ExtendedProperties(Settings)});
    items.insert(items.end(), Settings.Other.begin(), Settings.Other.end());
    return buildConnectionString(items);
}

} // namespace

TDataLinkSettings::TKind ProviderKind(const std::string& Provider) {
    const std::string name = Provider.substr(0, Provider.find('.'));
    return sameKey(name, "MSDASQL") ? TDataLinkSettings::TKind::Odbc
                                    : TDataLinkSettings::TKind::SqlServer;
}

TDataLinkSettings ReadDataLinkSettings(const std::string& ConnectionString) {
    const ConnectionStringItems items = parseConnectionString(ConnectionString);
    TDataLinkSettings settings;
    settings.Provider = findValue(items, "Provider").value_or("MSDASQL.1");
    settings.Kind = ProviderKind(settings.Provider);
    if (settings.Kind == TDataLinkSettings::TKind::SqlServer)
        settings.Server = ValueOf(items, "Data Source");
    else
        ReadOdbcTarget(items, settings);
    settings.WindowsAuthentication = sameKey(ValueOf(items, "Integrated Security"), "SSPI");
    settings.UserName = ValueOf(items, "User ID");
    settings.Password = ValueOf(items, "Password");
    settings.AllowSavingPassword = IsTrue(ValueOf(items, "Persist Security Info"));
    settings.InitialCatalog = ValueOf(items, "Initial Catalog");
    if (settings.Kind == TDataLinkSettings::TKind::SqlServer) {
        const TEncryptionRequest encryption = readEncryptionRequest(items, settings.Provider);
        settings.Encryption = encryption.Mode;
        settings.TrustServerCertificate = encryption.TrustServerCertificate;
        settings.EncryptionStated =
            findValue(items, {"Use Encryption for Data", "Encrypt"}).has_value();
    }
    settings.Other = items;
    removeKeys(settings.Other, EditedKeys);
    return settings;
}

std::string DataLinkString(const TDataLinkSettings& Settings) {
    return Build(Settings, Settings.AllowSavingPassword);
}

std::string TestConnectionString(const TDataLinkSettings& Settings) {
    return Build(Settings, true);
}
