// velmora-tds-server: a TDS 7.1-7.4 test double for Velmora 2's tests. It speaks enough of SQL
// Server's protocol for the FreeTDS ODBC driver and other clients (encryption, login, batches,
// RPC, catalogue procedures, cancel) over SQLite files; it is not SQL Server and not an SQL
// engine of its own.
//
//   velmora-tds-server --data DIR [--seeds DIR] [--port N] [--port-file FILE]
//                      [--stall | --drop-after-rows N] [--azure] [--parent PID]
//                      [--errors N | --infos N | --endless-value | --deaf-rows]
//                      [--encryption off|on|required|not-supported]
//                      [--certificate FILE --key FILE]
//
//   --data DIR            the databases (made from the seed scripts when DIR has no master.db)
//   --port N              the loopback port to listen on; 0 (the default) picks a free one
//   --port-file FILE      where to write the port once the server listens
//   --stall               accept connections and never answer (a server that hangs)
//   --drop-after-rows N   close the connection once a result has sent N rows (a lost server)
//   --errors N            answer every SQL batch that begins with SELECT with N error messages
//                         before its DONE (--infos N: informational messages)
//   --endless-value       ... with one row whose nvarchar(max) value never ends (until an
//                         attention, which ends it between two chunks)
//   --deaf-rows           ... with rows without end, never reading the socket again
//   (see HostileReplies.h; the login and other batches are answered as usual)
//   --azure               answer as Azure SQL Database: USE refused (40508), the login's
//                         database is where a session works, no sysdatabases
//   --parent PID          end when process PID (a test that started the server) has ended
//   --encryption MODE     what PRELOGIN answers (see Encryption.h); off, the default, is a
//                         default SQL Server installation: the login packet always under TLS,
//                         the whole session when the client asks
//   --certificate FILE    the server's certificate and its private key (PEM); without them
//   --key FILE            the server makes a self-signed one at start, as SQL Server does
//
// Logins are checked against master's tds_users (the seed gives sa the password in
// seed/master.sql); every login attempt is recorded in master's tds_logins.
#include "Certificates.h"
#include "Encryption.h"
#include "Seeding.h"
#include "Session.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace velmora::tds;

namespace {

struct Arguments {
    std::filesystem::path data;
    std::filesystem::path seeds = TDS_SEED_DIR;
    int port = 0;
    std::filesystem::path portFile;
    bool stall = false;
    std::optional<uint64_t> dropAfterRows;
    std::optional<HostileReply> hostile;
    bool azure = false;
    pid_t parent = 0;
    EncryptionMode encryption = EncryptionMode::Off;
    std::filesystem::path certificate;
    std::filesystem::path key;
};

[[noreturn]] void usage(const std::string& problem) {
    std::fprintf(stderr,
                 "velmora-tds-server: %s\nusage: velmora-tds-server --data DIR [--seeds DIR] "
                 "[--port N] [--port-file FILE] [--stall | --drop-after-rows N] [--errors N | "
                 "--infos N | --endless-value | --deaf-rows] [--azure] "
                 "[--parent PID] [--encryption off|on|required|not-supported] [--certificate "
                 "FILE --key FILE]\n",
                 problem.c_str());
    std::exit(2);
}

EncryptionMode encryptionMode(const std::string& name) {
    const std::optional<EncryptionMode> mode = encryptionModeNamed(name);
    if (!mode)
        usage("--encryption takes off, on, required or not-supported");
    return *mode;
}

Arguments parseArguments(int argc, char** argv) {
    Arguments arguments;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                usage(option + " needs a value");
            return argv[++i];
        };
        if (option == "--data")
            arguments.data = value();
        else if (option == "--seeds")
            arguments.seeds = value();
        else if (option == "--port")
            arguments.port = std::stoi(value());
        else if (option == "--port-file")
            arguments.portFile = value();
        else if (option == "--stall")
            arguments.stall = true;
        else if (option == "--drop-after-rows")
            arguments.dropAfterRows = std::stoull(value());
        else if (const std::optional<HostileKind> kind = hostileKindOption(option)) {
            arguments.hostile = HostileReply{*kind, 0};
            if (*kind == HostileKind::Errors || *kind == HostileKind::Infos)
                arguments.hostile->count = std::stoull(value());
        } else if (option == "--azure")
            arguments.azure = true;
        else if (option == "--parent")
            arguments.parent = std::stoi(value());
        else if (option == "--encryption")
            arguments.encryption = encryptionMode(value());
        else if (option == "--certificate")
            arguments.certificate = value();
        else if (option == "--key")
            arguments.key = value();
        else
            usage("unknown option " + option);
    }
    if (arguments.data.empty())
        usage("--data is required");
    if (arguments.certificate.empty() != arguments.key.empty())
        usage("--certificate and --key go together");
    return arguments;
}

// A PEM file of the command line: a regular file of reasonable size.
std::string readPem(const std::filesystem::path& file) {
    constexpr std::uintmax_t largest = 1 << 20;
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error) ||
        std::filesystem::file_size(file, error) > largest)
        throw std::runtime_error(file.string() + " is not a certificate or key file");
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The certificate PRELOGIN's TLS uses: the one given, or, as SQL Server makes when it has none,
// a self-signed one for this start.
std::optional<TlsContext> serverTls(const Arguments& arguments) {
    if (arguments.encryption == EncryptionMode::NotSupported)
        return std::nullopt;
    if (!arguments.certificate.empty())
        return TlsContext::server({readPem(arguments.certificate), readPem(arguments.key)});
    return TlsContext::server(makeCertificate({"SSL_Self_Signed_Fallback", {}}));
}

int listenOnLoopback(int& port) {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 64) != 0) {
        std::perror("velmora-tds-server: listen");
        std::exit(1);
    }
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return listener;
}

// Written whole or not at all: a reader never sees half a number.
void writePortFile(const std::filesystem::path& file, int port) {
    const std::filesystem::path temporary = file.string() + ".tmp";
    std::ofstream(temporary) << port << "\n";
    std::filesystem::rename(temporary, file);
}

// A test that dies leaves no server behind.
void endWithParent(pid_t parent) {
    std::thread([parent] {
        while (getppid() == parent)
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::_Exit(0);
    }).detach();
}

} // namespace

int main(int argc, char** argv) {
    const Arguments arguments = parseArguments(argc, argv);
    std::signal(SIGPIPE, SIG_IGN);
    if (arguments.parent != 0)
        endWithParent(arguments.parent);
    std::optional<ServerOptions> prepared;
    try {
        prepared = ServerOptions{
            DataDirectory(arguments.data), arguments.dropAfterRows, arguments.azure,
            arguments.encryption,          serverTls(arguments),    arguments.hostile};
        prepareDatabases(prepared->data, arguments.seeds);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "velmora-tds-server: %s\n", error.what());
        return 1;
    }
    const ServerOptions& options = *prepared;
    int port = arguments.port;
    const int listener = listenOnLoopback(port);
    if (!arguments.portFile.empty())
        writePortFile(arguments.portFile, port);
    std::printf("velmora-tds-server listening on 127.0.0.1:%d\n", port);
    std::fflush(stdout);
    std::vector<int> stalled;
    while (true) {
        const int client = accept(listener, nullptr, nullptr);
        if (client < 0)
            continue;
        if (arguments.stall) {
            stalled.push_back(client); // held open, never read
            continue;
        }
        std::thread([client, &options] { Session(client, options).run(); }).detach();
    }
}
