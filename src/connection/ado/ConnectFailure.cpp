#include "ConnectFailure.h"

#include "DatabaseError.h"
#include "SqlServerEncryption.h"

namespace velmora::ado {

namespace {

const char* const kerberosAdvice =
    "Windows authentication logs in with a Kerberos ticket: none is held, or the server refused "
    "it. Get one with \"kinit user@REALM\" (\"klist\" shows those held), then connect again.";

std::string certificateAdvice() {
    return std::string(
               "The connection was to be encrypted with the server's certificate checked, and "
               "it did not pass: its issuer is not trusted, the name it holds is not the "
               "server's, or it has expired. To trust it: add its issuing authority to the "
               "system's store (update-ca-certificates), or name a file of trusted authorities "
               "in ") +
           trustedAuthoritiesVariable +
           "; or connect by the name it holds; or, for a server you know, set \"Trust Server "
           "Certificate=True\", which encrypts without checking.";
}

} // namespace

std::string explainedConnectFailure(const OdbcTarget& target, const std::string& message,
                                    bool loginRefused) {
    if (target.integratedSecurity)
        return message + "\n" + kerberosAdvice;
    if (!target.freeTdsConfiguration.empty() && !loginRefused)
        return message + "\n" + certificateAdvice();
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
