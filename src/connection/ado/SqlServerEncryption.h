#pragma once
// The encryption a SQL Server connection string asks for, as the OLE DB providers and
// Microsoft's ODBC driver define their keys, and what each ODBC driver is told to honour it.
#include "ConnectionString.h"
#include "ProviderTranslation.h"

#include <optional>
#include <string>

namespace velmora::ado {

enum class TEncryptionMode {
    Optional,  // encrypted when the server insists; the certificate is not checked
    Mandatory, // always encrypted, the certificate checked unless trusted as it is
    Strict     // TDS 8.0: TLS before anything else, the certificate always checked
};

struct TEncryptionRequest {
    TEncryptionMode Mode = TEncryptionMode::Optional;
    bool TrustServerCertificate = false;
    std::optional<std::string> HostNameInCertificate;
};

// "Use Encryption for Data" (True/False, or Optional/Mandatory/Strict) or "Encrypt", "Trust
// Server Certificate" or "TrustServerCertificate", "Host Name In Certificate" or
// "HostNameInCertificate". Without a setting, Microsoft's OLE DB Driver 19 (MSOLEDBSQL19)
// encrypts; the older providers do not. A value none of them takes is refused.
TEncryptionRequest readEncryptionRequest(const ConnectionStringItems& items,
                                         const std::string& provider);

// The environment variable that names the certificate authorities to trust instead of the
// system's store (the variable OpenSSL and the tools built on it read).
inline const char* const trustedAuthoritiesVariable = "SSL_CERT_FILE";

// FreeTDS (1.3): "Encryption=require" in the string. It checks a certificate only for a server
// of freetds.conf (a string that names the server itself reads no configuration), so then the
// server moves from the string's Server and Port into a section of a configuration whose text
// comes back in `configuration` (empty when none is needed), and the string names the section.
// A request FreeTDS cannot honour is refused with a message that names it.
void addFreeTdsEncryption(const TEncryptionRequest& request, const SqlServerAddress& address,
                          const EnvironmentLookup& environment, ConnectionStringItems& odbc,
                          std::string& configuration);

// The freetds.conf section a checked connection's string names.
inline const char* const checkedServerSection = "velmora-checked";

// Microsoft's ODBC driver: its own keys, always spelled out (its default is Mandatory).
void addMicrosoftDriverEncryption(const TEncryptionRequest& request, ConnectionStringItems& odbc);

} // namespace velmora::ado
