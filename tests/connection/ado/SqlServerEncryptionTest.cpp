// Encryption as a connection string asks for it: what each driver is told, what is refused,
// and real connects through FreeTDS to the TDS test server in its encryption modes, with
// certificates a test authority issued.
#include "SqlServerEncryption.h"

#include "AdoTestSupport.h"
#include "TdsServer.h"
#include "TestCertificates.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

using namespace velmora::ado;
using namespace velmora::test;

namespace {

std::vector<std::string> columnValues(TADOConnection& connection, const std::string& sql) {
    TADOQuery query;
    query.SetConnection(&connection);
    query.SetSQL(sql);
    query.Open();
    std::vector<std::string> values;
    for (query.First(); !query.Eof(); query.Next())
        values.push_back(query.Fields(0).AsString());
    return values;
}

std::optional<std::string> noOverride(const std::string&) {
    return std::nullopt;
}

EnvironmentLookup microsoftDriver() {
    return [](const std::string& name) -> std::optional<std::string> {
        if (name == sqlServerDriverVariable)
            return "ODBC Driver 18 for SQL Server";
        return std::nullopt;
    };
}

bool holds(const std::string& text, const std::string& piece) {
    return text.find(piece) != std::string::npos;
}

std::string refusal(const std::string& oleDb, const EnvironmentLookup& environment = noOverride) {
    try {
        translateConnectionString(oleDb, environment);
    } catch (const EDatabaseError& error) {
        return error.what();
    }
    return "(not refused)";
}

} // namespace

TEST(SqlServerEncryption, FreeTdsIsToldToEncryptAndCheckWhatIsAskedFor) {
    struct Case {
        const char* oleDb;
        bool encrypts;
        bool checks;
    };
    for (const Case& example : std::vector<Case>{
             {"Provider=SQLOLEDB.1;Data Source=db1", false, false},
             {"Provider=SQLOLEDB.1;Data Source=db1;Use Encryption for Data=False", false, false},
             {"Provider=MSOLEDBSQL;Data Source=db1;Use Encryption for Data=Optional", false, false},
             {"Provider=SQLOLEDB.1;Data Source=db1;Use Encryption for Data=True", true, true},
             {"Provider=MSOLEDBSQL;Data Source=db1;Use Encryption for Data=Mandatory", true, true},
             // The newer provider encrypts unless told otherwise.
             {"Provider=MSOLEDBSQL19;Data Source=db1", true, true},
             {"Provider=MSOLEDBSQL19.1;Data Source=db1;Use Encryption for Data=Optional", false,
              false},
             {"Provider=SQLOLEDB;Data Source=db1;Encrypt=yes;TrustServerCertificate=yes", true,
              false},
             {"Provider=MSOLEDBSQL;Data Source=db1;Use Encryption for Data=Mandatory;"
              "Trust Server Certificate=True",
              true, false},
             {"Provider=MSOLEDBSQL;Data Source=db1;Use Encryption for Data=Mandatory;"
              "Host Name In Certificate=DB1",
              true, true},
         }) {
        SCOPED_TRACE(example.oleDb);
        const OdbcTarget target = translateConnectionString(example.oleDb, noOverride);
        EXPECT_EQ(holds(target.odbcConnectionString, "Encryption=require;"), example.encrypts)
            << target.odbcConnectionString;
        EXPECT_EQ(!target.freeTdsConfiguration.empty(), example.checks);
        if (example.checks) {
            // The system's store is the trust when nothing names another.
            EXPECT_TRUE(holds(target.freeTdsConfiguration, "\tca file = system\n"));
            EXPECT_TRUE(holds(target.freeTdsConfiguration, "\tcheck certificate hostname = yes\n"));
        }
    }
}

TEST(SqlServerEncryption, RequestsFreeTdsCannotHonourAreRefusedByName) {
    EXPECT_TRUE(holds(refusal("Provider=MSOLEDBSQL19;Data Source=db1;Use Encryption for "
                              "Data=Strict"),
                      "Strict"));
    EXPECT_TRUE(holds(refusal("Provider=SQLOLEDB;Data Source=db1;Encrypt=strict"), "Strict"));
    EXPECT_TRUE(holds(refusal("Provider=MSOLEDBSQL;Data Source=db1;Use Encryption for "
                              "Data=Mandatory;Host Name In Certificate=other.example"),
                      "Host Name In Certificate \"other.example\""));
    EXPECT_TRUE(holds(refusal("Provider=MSOLEDBSQL;Data Source=db1;Use Encryption for "
                              "Data=Sometimes"),
                      "Use Encryption for Data=Sometimes"));
    EXPECT_TRUE(holds(refusal("Provider=MSOLEDBSQL;Data Source=db1;Trust Server Certificate=maybe"),
                      "Trust Server Certificate=maybe"));
    const EnvironmentLookup missingAuthorities =
        [](const std::string& name) -> std::optional<std::string> {
        if (name == trustedAuthoritiesVariable)
            return "/nonexistent/authorities.pem";
        return std::nullopt;
    };
    EXPECT_TRUE(holds(refusal("Provider=SQLOLEDB;Data Source=db1;Encrypt=yes", missingAuthorities),
                      "/nonexistent/authorities.pem"));
}

TEST(SqlServerEncryption, MicrosoftsDriverGetsItsOwnKeysSpelledOut) {
    const auto odbc = [](const std::string& oleDb) {
        return translateConnectionString(oleDb, microsoftDriver()).odbcConnectionString;
    };
    // Its own default is Mandatory: an old template's "False" must reach it.
    EXPECT_TRUE(holds(odbc("Provider=SQLOLEDB.1;Data Source=db1;Use Encryption for Data=False"),
                      "Encrypt=no;TrustServerCertificate=no;"));
    EXPECT_TRUE(holds(odbc("Provider=MSOLEDBSQL19;Data Source=db1;Use Encryption for Data=Strict;"
                           "HostNameInCertificate=db1.example;ServerSPN=MSSQLSvc/db1.example"),
                      "ServerSPN=MSSQLSvc/db1.example;Encrypt=strict;TrustServerCertificate=no;"
                      "HostnameInCertificate=db1.example;"));
    EXPECT_TRUE(holds(odbc("Provider=SQLOLEDB;Data Source=db1;Encrypt=Mandatory;"
                           "Trust Server Certificate=yes"),
                      "Encrypt=yes;TrustServerCertificate=yes;"));
}

TEST(SqlServerEncryption, WindowsAuthenticationNamesThisMachineAsTheResolverKnowsIt) {
    const std::string host = canonicalHostName();
    ASSERT_FALSE(host.empty());
    for (const char* server : {".", "(local)"}) {
        SCOPED_TRACE(server);
        const OdbcTarget target = translateConnectionString(
            std::string("Provider=SQLOLEDB.1;Integrated Security=SSPI;Data Source=") + server +
                ";ServerSPN=MSSQLSvc/db.example:1433",
            noOverride);
        EXPECT_TRUE(holds(target.odbcConnectionString, "Server=" + host + ";"))
            << target.odbcConnectionString;
        EXPECT_TRUE(holds(target.odbcConnectionString, "ServerSPN=MSSQLSvc/db.example:1433;"));
        EXPECT_TRUE(target.integratedSecurity);
    }
    // A login by password keeps "localhost", which needs no service name.
    EXPECT_TRUE(holds(translateConnectionString("Provider=SQLOLEDB.1;Data Source=.", noOverride)
                          .odbcConnectionString,
                      "Server=localhost;"));
}

namespace {

// A server of the test's own in one encryption mode, presenting one of the test's
// certificates (or the one it makes at start).
class EncryptedConnect : public ::testing::Test {
protected:
    void SetUp() override {
        VELMORA_REQUIRE(odbcDriverInstalled("FreeTDS"), "the FreeTDS ODBC driver");
    }

    // Connects with `settings` added to a login string; "connected", or the error's message.
    std::string Attempt(int port, const std::string& settings, const std::string& app) {
        connection_.Close();
        connection_.SetConnectionString(tdsConnectionString(port) + ";Application Name=" + app +
                                        ";" + settings);
        try {
            connection_.Open();
        } catch (const EDatabaseError& error) {
            return error.what();
        }
        return "connected";
    }

    // How much of the session TLS covered, as the server recorded the login of `app`.
    std::string Recorded(int port, const std::string& app) {
        TADOConnection reader;
        reader.SetConnectionString(tdsConnectionString(port));
        reader.Open();
        const std::vector<std::string> values =
            columnValues(reader, "select encryption from master..tds_logins where app_name = '" +
                                     app + "' and accepted = 1");
        return values.empty() ? "no login" : values.back();
    }

    TTestFolder folder_;
    TADOConnection connection_;
};

// Points the trust at the test's authority while it lives.
class TTrustedAuthorities {
public:
    explicit TTrustedAuthorities(const std::filesystem::path& file) {
        setenv(trustedAuthoritiesVariable, file.c_str(), 1);
    }
    ~TTrustedAuthorities() { unsetenv(trustedAuthoritiesVariable); }
};

} // namespace

TEST_F(EncryptedConnect, OptionalConnectsWithoutEncryptionAndMandatoryIsRefusedThere) {
    TTdsServerProcess server({"--encryption", "not-supported"});
    EXPECT_EQ(Attempt(server.Port(), "Use Encryption for Data=Optional", "optional"), "connected");
    EXPECT_EQ(Recorded(server.Port(), "optional"), "none");
    const std::string refused =
        Attempt(server.Port(), "Use Encryption for Data=Mandatory;Trust Server Certificate=True",
                "mandatory");
    EXPECT_TRUE(holds(refused, "could not be made: the server does not offer it")) << refused;
    EXPECT_EQ(Recorded(server.Port(), "mandatory"), "no login");
}

TEST_F(EncryptedConnect, OptionalAgainstADefaultServerEncryptsTheLoginAlone) {
    TTdsServerProcess server({"--encryption", "off"});
    EXPECT_EQ(Attempt(server.Port(), "", "login-only"), "connected");
    EXPECT_EQ(Recorded(server.Port(), "login-only"), "login");
}

TEST_F(EncryptedConnect, MandatoryChecksTheCertificateAndSaysWhyOneFails) {
    const TTestCertificates certificates(folder_.Path());
    const TTrustedAuthorities trust(certificates.Authority);
    for (const auto& [name, certificate, accepted] :
         std::vector<std::tuple<std::string, TTestCertificates::Server, bool>>{
             {"right name", certificates.RightName, true},
             {"wrong name", certificates.WrongName, false},
             {"expired", certificates.Expired, false},
             {"unknown authority", certificates.UnknownAuthority, false}}) {
        SCOPED_TRACE(name);
        std::vector<std::string> options = certificate.options();
        options.insert(options.end(), {"--encryption", "off"});
        TTdsServerProcess server(options);
        const std::string outcome =
            Attempt(server.Port(), "Use Encryption for Data=Mandatory", "checked");
        if (accepted) {
            EXPECT_EQ(outcome, "connected");
            EXPECT_EQ(Recorded(server.Port(), "checked"), "session");
            continue;
        }
        EXPECT_TRUE(holds(outcome, "its certificate did not pass")) << outcome;
        EXPECT_TRUE(holds(outcome, "Trust Server Certificate=True")) << outcome;
        EXPECT_EQ(Recorded(server.Port(), "checked"), "no login");
        // The password never went to a server that was not trusted.
        EXPECT_EQ(outcome.find(tdsSaPassword), std::string::npos);
    }
}

TEST_F(EncryptedConnect, TrustServerCertificateLetsAnUnknownIssuerThroughEncrypted) {
    const TTestCertificates certificates(folder_.Path());
    std::vector<std::string> options = certificates.UnknownAuthority.options();
    options.insert(options.end(), {"--encryption", "off"});
    TTdsServerProcess server(options);
    EXPECT_EQ(Attempt(server.Port(),
                      "Use Encryption for Data=Mandatory;Trust Server Certificate=True",
                      "trusting"),
              "connected");
    EXPECT_EQ(Recorded(server.Port(), "trusting"), "session");
}

TEST_F(EncryptedConnect, TheProgramNamesItselfToTheServer) {
    TTdsServerProcess server;
    connection_.SetConnectionString(tdsConnectionString(server.Port()));
    connection_.Open();
    EXPECT_EQ(columnValues(connection_, "select app_name from master..tds_logins"),
              std::vector<std::string>{defaultApplicationName});
}
