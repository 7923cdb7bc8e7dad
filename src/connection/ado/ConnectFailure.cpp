#include "ConnectFailure.h"

#include "DatabaseError.h"
#include "SqlServerEncryption.h"

namespace velmora::ado {

namespace {

const char* const kerberosAdvice =
    "Windows authentication logs in with a Kerberos ticket: when none is held, or the server "
    "refuses it, the login fails. \"kinit user@REALM\" gets one (\"klist\" shows those held).";

// FreeTDS's words when the connection was made but the encryption it required was not: the
// server offered none, or the TLS handshake failed (for a checked one, the certificate).
const char* const encryptionFailed = "Adaptive Server connection failed";

std::string encryptionAdvice(bool checked) {
    if (!checked)
        return "The connection was to be encrypted, and an encrypted connection could not be "
               "made: the server does not offer it, or the TLS handshake with it failed.";
    return std::string(
               "The connection was to be encrypted with the server's certificate checked, and an "
               "encrypted connection could not be made: the server does not offer encryption, "
               "or its certificate did not pass (its issuer is not trusted, the name it holds is "
               "not the server's, or it has expired). To trust the certificate: add its issuing "
               "authority to the system's store (update-ca-certificates), or name a file of "
               "trusted authorities in ") +
           trustedAuthoritiesVariable +
           "; or connect by the name it holds; or, for a server you know, set \"Trust Server "
           "Certificate=True\", which encrypts without checking.";
}

} // namespace

std::string explainedConnectFailure(const OdbcTarget& target, const std::string& message,
                                    bool loginRefused) {
    if (target.encryptionRequired && !loginRefused &&
        message.find(encryptionFailed) != std::string::npos)
        return message + "\n" + encryptionAdvice(!target.freeTdsConfiguration.empty());
    if (target.integratedSecurity)
        return message + "\n" + kerberosAdvice;
    return message;
}

void rethrowExplainedConnectFailure(const OdbcTarget& target) {
    try {
        throw;
    } catch (const ELoginRefused& error) {
        throw ELoginRefused(explainedConnectFailure(target, error.what(), true));
    } catch (const EConnectionLost& error) {
        throw EConnectionLost(explainedConnectFailure(target, error.what(), false));
    } catch (const EDatabaseError& error) {
        throw EDatabaseError(explainedConnectFailure(target, error.what(), false));
    }
}

} // namespace velmora::ado
