#pragma once
// The tests' SQL Server: the TDS test server (tests/support/tds-server), a protocol double over
// SQLite files that the real FreeTDS driver talks to.
//
// The shared one is the ctest fixture "tds_server" (velmora_test(... FIXTURES tds_server)):
//     connection.SetConnectionString(velmora::test::tdsConnectionString());
// Its databases are master and sample (tds-server/seed/*.sql); tests that change data make
// tables of their own. A test that needs a server to itself (to stall, drop or kill it) starts
// one:
//     velmora::test::TTdsServerProcess server({"--stall"});
//     ... tdsConnectionString(server.Port()) ...
// Every login the server receives, password included, is recorded in master..tds_logins with
// its TDS version and its encryption. The server answers PRELOGIN as a default SQL Server
// installation ("--encryption off": the login packet under TLS, the session when the client
// asks); "--encryption on|required|not-supported" and "--certificate FILE --key FILE"
// (TestCertificates.h) make it another server (see tds-server/README.md).
#include "FixturePort.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace velmora::test {

// sa's password in the server's seed (tds-server/seed/master.sql).
inline const char* const tdsSaPassword = "Velmora-TDS-sa1";

inline std::optional<int> tdsServerPort() {
    return fixturePort("VELMORA_TDS_FIXTURE_DIR");
}

// An SQLOLEDB connection string as the connect dialog builds it, for a server on this
// machine's loopback port. The password is put in quotes when it needs them.
inline std::string tdsConnectionString(int port, const std::string& user = "sa",
                                       const std::string& password = tdsSaPassword,
                                       const std::string& database = "") {
    std::string quoted = "\"";
    for (char c : password)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    quoted += "\"";
    std::string text = "Provider=SQLOLEDB.1;Password=" + quoted +
                       ";Persist Security Info=True;User ID=" + user + ";Data Source=127.0.0.1," +
                       std::to_string(port);
    if (!database.empty())
        text += ";Initial Catalog=" + database;
    return text;
}

// The fixture's server.
inline std::string tdsConnectionString(const std::string& database = "") {
    return tdsConnectionString(tdsServerPort().value_or(0), "sa", tdsSaPassword, database);
}

// The same server through FreeTDS's own ODBC connection string.
inline std::string tdsOdbcConnectionString(int port, const std::string& database = "") {
    return "Driver=FreeTDS;Server=127.0.0.1;Port=" + std::to_string(port) +
           ";UID=sa;PWD=" + tdsSaPassword + ";Database=" + database +
           ";TDS_Version=7.4;ClientCharset=UTF-8;";
}

// A server of the test's own, on fresh databases in a temporary folder, stopped (or killed
// before) when the object goes; it can be paused. Options are the server's: "--stall",
// "--drop-after-rows", "N", "--encryption", "on", and the hostile modes "--errors", "N",
// "--infos", "N", "--endless-value", "--deaf-rows" (tds-server/HostileReplies.h).
class TTdsServerProcess {
public:
    explicit TTdsServerProcess(const std::vector<std::string>& options = {}) {
        const char* program = std::getenv("VELMORA_TDS_SERVER");
        if (program == nullptr)
            throw std::runtime_error("VELMORA_TDS_SERVER does not name the server program");
        folder_ = std::filesystem::temp_directory_path() /
                  ("velmora-tds-" + std::to_string(getpid()) + "-" + std::to_string(counter()++));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        std::vector<std::string> arguments = {program,
                                              "--data",
                                              (folder_ / "data").string(),
                                              "--port-file",
                                              (folder_ / "port").string(),
                                              "--parent",
                                              std::to_string(getpid())};
        arguments.insert(arguments.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string log = (folder_ / "server.log").string();
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        const int failed = posix_spawn(&pid_, program, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (failed != 0)
            throw std::runtime_error(std::string("cannot start ") + program);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!(std::ifstream(folder_ / "port") >> port_)) {
            if (std::chrono::steady_clock::now() > deadline || waitpid(pid_, nullptr, WNOHANG) != 0)
                throw std::runtime_error("the TDS test server did not start; see " + log);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~TTdsServerProcess() {
        Kill();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    TTdsServerProcess(const TTdsServerProcess&) = delete;
    TTdsServerProcess& operator=(const TTdsServerProcess&) = delete;

    int Port() const { return port_; }
    // Ends the server at once, as a crash or a pulled cable would: no goodbye to its clients.
    void Kill() {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    // Stops and resumes the server as SIGSTOP and SIGCONT do: a server that no longer answers,
    // with its connections still open. Pause returns once every thread has stopped: a stop
    // reaches the server's threads one after another, and a busy machine gives a session thread
    // time to answer one more request in between.
    void Pause() {
        ::kill(pid_, SIGSTOP);
        int status = 0;
        while (waitpid(pid_, &status, WUNTRACED) == -1 && errno == EINTR) {
        }
        if (!WIFSTOPPED(status))
            throw std::runtime_error("the TDS test server ended instead of pausing");
    }
    void Resume() { ::kill(pid_, SIGCONT); }

private:
    static int& counter() {
        static int count = 0;
        return count;
    }

    std::filesystem::path folder_;
    pid_t pid_ = -1;
    int port_ = 0;
};

} // namespace velmora::test
