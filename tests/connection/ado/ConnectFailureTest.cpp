// The advice a failed connect's message gets: only where the failure points at it.
#include "ConnectFailure.h"

#include <gtest/gtest.h>

using namespace velmora::ado;

namespace {

const std::string encryptionFailure =
    "Unable to connect to data source\nAdaptive Server connection failed";
const std::string unreachable =
    "Unable to connect: Adaptive Server is unavailable or does not exist";

bool holds(const std::string& text, const std::string& piece) {
    return text.find(piece) != std::string::npos;
}

} // namespace

TEST(ConnectFailure, AFailedCheckedEncryptionSaysWhyAndHowToTrust) {
    OdbcTarget checked;
    checked.encryptionRequired = true;
    checked.freeTdsConfiguration = "[velmora-checked]\n";
    const std::string message = explainedConnectFailure(checked, encryptionFailure, false);
    EXPECT_TRUE(message.starts_with(encryptionFailure));
    for (const char* piece :
         {"issuer is not trusted", "not the server's", "expired", "update-ca-certificates",
          "SSL_CERT_FILE", "Trust Server Certificate=True"})
        EXPECT_TRUE(holds(message, piece)) << piece;

    OdbcTarget trusting;
    trusting.encryptionRequired = true;
    const std::string plain = explainedConnectFailure(trusting, encryptionFailure, false);
    EXPECT_TRUE(holds(plain, "does not offer it"));
    EXPECT_FALSE(holds(plain, "certificate"));
}

TEST(ConnectFailure, OtherFailuresKeepTheDriversMessageAlone) {
    OdbcTarget checked;
    checked.encryptionRequired = true;
    checked.freeTdsConfiguration = "[velmora-checked]\n";
    // A server that is not there, or a login refused after the handshake, is not the
    // certificate's fault.
    EXPECT_EQ(explainedConnectFailure(checked, unreachable, false), unreachable);
    EXPECT_EQ(explainedConnectFailure(checked, "Login failed for user 'sa'.", true),
              "Login failed for user 'sa'.");
    // Without encryption asked for, the same words say nothing of certificates.
    EXPECT_EQ(explainedConnectFailure(OdbcTarget{}, encryptionFailure, false), encryptionFailure);
}

TEST(ConnectFailure, WindowsAuthenticationNamesKinit) {
    OdbcTarget windows;
    windows.integratedSecurity = true;
    for (const bool refused : {false, true}) {
        const std::string message = explainedConnectFailure(windows, "Login failed", refused);
        EXPECT_TRUE(message.starts_with("Login failed"));
        EXPECT_TRUE(holds(message, "Kerberos ticket"));
        EXPECT_TRUE(holds(message, "kinit"));
    }
}
