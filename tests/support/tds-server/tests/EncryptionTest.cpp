// Encryption as PRELOGIN negotiates it, in each of the server's modes, for FreeTDS at each of
// its settings and for tedious: the login packet alone under TLS, the whole session, none, or a
// connection refused; and the server's certificate as clients that check it see it.
#include "ProtocolClients.h"
#include "TestCertificates.h"
#include "TestFolder.h"

#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>

using namespace velmora::test;

namespace {

using Encryption = ProtocolTest;

// A client's attempt: how it connects, and a query that must work when it does.
struct Client {
    std::string name;
    std::function<Lines(int port)> connectAndQuery;
};

Lines freeTdsAttempt(int port, const std::string& setting, const std::string& app) {
    TFreeTdsProbe client;
    const std::string extra = setting.empty() ? "" : "Encryption=" + setting + ";";
    Lines lines = client.Connect(freeTdsString(port, "7.4", extra, app));
    if (lines == Lines{"connected"})
        lines.push_back(client.Run("select count(*) from numbers", true).at(1));
    return lines;
}

Lines tediousAttempt(int port, bool encrypt, const std::string& app) {
    TTediousPlan plan;
    plan.Port = port;
    plan.Password = tdsSaPassword;
    plan.Encrypt = encrypt;
    plan.AppName = app;
    plan.Steps = {TTediousStep::Shown("select count(*) from numbers")};
    Lines lines = runTedious(plan);
    // "connected 7_4", the columns, the row: the first and the row are what matter here.
    if (lines.size() >= 3 && lines[0] == "connected 7_4")
        return {"connected", lines[2]};
    return lines;
}

const std::vector<Client>& clients() {
    static const std::vector<Client> all = {
        {"freetds-default", [](int port) { return freeTdsAttempt(port, "", "freetds-default"); }},
        {"freetds-off", [](int port) { return freeTdsAttempt(port, "off", "freetds-off"); }},
        {"freetds-request",
         [](int port) { return freeTdsAttempt(port, "request", "freetds-request"); }},
        {"freetds-require",
         [](int port) { return freeTdsAttempt(port, "require", "freetds-require"); }},
        {"tedious-plain", [](int port) { return tediousAttempt(port, false, "tedious-plain"); }},
        {"tedious-encrypt",
         [](int port) { return tediousAttempt(port, true, "tedious-encrypt"); }}};
    return all;
}

// What the server recorded of each client's session: "none", "login", "session", or
// "refused" for a client that did not get in.
std::map<std::string, std::string> attempts(const std::vector<std::string>& serverOptions) {
    TTdsServerProcess server(serverOptions);
    std::map<std::string, std::string> outcomes;
    for (const Client& client : clients()) {
        const Lines lines = client.connectAndQuery(server.Port());
        if (lines.empty() || lines[0] != "connected") {
            outcomes[client.name] = "refused";
            continue;
        }
        EXPECT_EQ(lines, (Lines{"connected", "row 1000"})) << client.name;
        outcomes[client.name] = "unrecorded";
    }
    // The record, read over a connection whose own encryption does not matter.
    TFreeTdsProbe reader;
    EXPECT_EQ(reader.Connect(freeTdsString(server.Port())), Lines{"connected"});
    for (const std::string& row :
         reader.Run("select app_name, encryption from master..tds_logins", true)) {
        const size_t bar = row.find(" | ");
        if (row.rfind("row ", 0) != 0 || bar == std::string::npos)
            continue;
        const std::string app = row.substr(4, bar - 4);
        if (outcomes.count(app) != 0 && outcomes[app] == "unrecorded")
            outcomes[app] = row.substr(bar + 3);
    }
    return outcomes;
}

} // namespace

TEST_F(Encryption, TheDefaultServerEncryptsTheLoginPacketAloneUnlessTheClientAsksForMore) {
    // FreeTDS's default is "request": the login packet under TLS, the rest plain, as against a
    // default SQL Server installation. Tedious without encryption offers none (ENCRYPT_NOT_SUP).
    EXPECT_EQ(attempts({"--encryption", "off"}),
              (std::map<std::string, std::string>{{"freetds-default", "login"},
                                                  {"freetds-off", "none"},
                                                  {"freetds-request", "login"},
                                                  {"freetds-require", "session"},
                                                  {"tedious-plain", "none"},
                                                  {"tedious-encrypt", "session"}}));
}

TEST_F(Encryption, AServerThatForcesEncryptionRefusesClientsWithoutIt) {
    const std::map<std::string, std::string> forced = {
        {"freetds-default", "session"}, {"freetds-off", "refused"},
        {"freetds-request", "session"}, {"freetds-require", "session"},
        {"tedious-plain", "refused"},   {"tedious-encrypt", "session"}};
    EXPECT_EQ(attempts({"--encryption", "on"}), forced);
    EXPECT_EQ(attempts({"--encryption", "required"}), forced);
}

TEST_F(Encryption, AClientThatRequiresEncryptionIsRefusedByAServerWithout) {
    EXPECT_EQ(attempts({"--encryption", "not-supported"}),
              (std::map<std::string, std::string>{{"freetds-default", "none"},
                                                  {"freetds-off", "none"},
                                                  {"freetds-request", "none"},
                                                  {"freetds-require", "refused"},
                                                  {"tedious-plain", "none"},
                                                  // Tedious goes on unencrypted: its own choice.
                                                  {"tedious-encrypt", "none"}}));
}

namespace {

// FreeTDS takes a CA file from freetds.conf alone: a file of the test's own names the server,
// and FREETDSCONF points the driver at it while the object lives.
class TFreeTdsConfiguration {
public:
    TFreeTdsConfiguration(const std::filesystem::path& folder, int port,
                          const std::filesystem::path& authority)
        : file_(folder / "freetds.conf") {
        std::ofstream(file_) << "[checked]\n\thost = 127.0.0.1\n\tport = " << port
                             << "\n\ttds version = 7.4\n\tencryption = require\n\tca file = "
                             << authority.string() << "\n\tcheck certificate hostname = yes\n";
        setenv("FREETDSCONF", file_.c_str(), 1);
    }
    ~TFreeTdsConfiguration() { unsetenv("FREETDSCONF"); }

    static std::string ConnectionString() {
        return std::string("Driver=FreeTDS;Servername=checked;UID=sa;PWD=") + tdsSaPassword +
               ";Database=sample;ClientCharset=UTF-8;";
    }

private:
    std::filesystem::path file_;
};

} // namespace

TEST_F(Encryption, ClientsThatCheckTheCertificateAcceptOnlyTheRightOne) {
    TTestFolder folder;
    const TTestCertificates certificates(folder.Path());
    for (const auto& [name, certificate, accepted] :
         std::vector<std::tuple<std::string, TTestCertificates::Server, bool>>{
             {"right name", certificates.RightName, true},
             {"wrong name", certificates.WrongName, false},
             {"expired", certificates.Expired, false},
             {"unknown authority", certificates.UnknownAuthority, false}}) {
        SCOPED_TRACE(name);
        std::vector<std::string> options = certificate.options();
        options.insert(options.end(), {"--encryption", "on"});
        TTdsServerProcess server(options);

        TFreeTdsProbe freeTds;
        {
            const TFreeTdsConfiguration configuration(folder.Path(), server.Port(),
                                                      certificates.Authority);
            const Lines connected = freeTds.Connect(TFreeTdsConfiguration::ConnectionString());
            EXPECT_EQ(connected == Lines{"connected"}, accepted)
                << ::testing::PrintToString(connected);
        }

        TTediousPlan plan = PlanFor(server);
        plan.Encrypt = true;
        plan.Authority = certificates.Authority.string();
        const Lines tedious = runTedious(plan);
        ASSERT_FALSE(tedious.empty());
        EXPECT_EQ(tedious[0] == "connected 7_4", accepted) << ::testing::PrintToString(tedious);
    }
}
