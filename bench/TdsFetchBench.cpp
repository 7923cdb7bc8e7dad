// Reading a large result over SQL Server's protocol: 1,000,000 rows x 5 columns (int,
// nvarchar(40), datetime, decimal(12,2), float) from the TDS test server through FreeTDS.
//
// Four figures from the same run, each plain and with the whole session under TLS: the data
// layer's open (TADOQuery.Open); the baseline, a bare block-fetch loop over the same driver and
// server binding the C types the layer binds (native integers, floats and dates, text for the
// rest: FetchMeasures.h; target: the layer within 1.0 x of it); a bare SQLFetch + SQLGetData loop
// reading every cell as text, as a second figure; and the server alone, streaming the rows to a
// client of its own that reads the packets (decrypting them under TLS) and drops them, so that
// the server is known not to be what limits the others. Also each phase's peak memory and the
// dataset's memory per row. The row count is the argument (1,000,000 without one). Times are
// the better of two runs each, alternating: by the clock on the wall (the server is another
// process) and by the client's CPU time (steadier on a shared machine). Never fails on the
// figures.
#include "Ado.h"
#include "Channel.h"
#include "FetchMeasures.h"
#include "Login.h"
#include "TdsServer.h"
#include "Text.h"
#include "Tls.h"
#include "WireBuffer.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>

using namespace velmora;
using Clock = std::chrono::steady_clock;

namespace {

long BigRows = 1'000'000;
const char* const SelectAll = "select * from big";

void makeBigTable(ado::TADOConnection& connection) {
    connection.Execute("create table big (id int not null primary key, name nvarchar(40), "
                       "created datetime, amount decimal(12,2), ratio float)");
    connection.Execute("with recursive c(i) as (select 1 union all select i + 1 from c where i "
                       "< " +
                       std::to_string(BigRows) +
                       ") insert into big select i, 'customer name ' || i, "
                       "datetime(1700000000 + i, 'unixepoch'), (i % 100000) / 100.0, i * 0.25 "
                       "from c");
}

struct ServerAlone {
    size_t bytes = 0;
    double seconds = 0;
};

// A client of the benchmark's own: logs in (asking for TLS on the whole session, or for none),
// sends the query, reads its reply and drops it.
ServerAlone streamToNowhere(int port, bool encrypted) {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot reach the server");
    tds::Channel channel(socket);
    channel.send(tds::ptPrelogin,
                 tds::preloginRequest(encrypted ? tds::encryptOn : tds::encryptNotSupported));
    const std::optional<tds::Message> answer = channel.receive();
    if (!answer || tds::preloginEncryption(answer->payload) !=
                       (encrypted ? tds::encryptOn : tds::encryptNotSupported))
        throw std::runtime_error("the server did not agree to the benchmark's encryption");
    if (encrypted)
        channel.startTls(std::make_unique<tds::TlsSession>(tds::TlsContext::client()),
                         tds::TlsScope::Session);
    tds::LoginRequest login;
    login.userName = "sa";
    login.password = test::tdsSaPassword;
    login.database = "sample";
    login.appName = "tds_fetch_bench";
    channel.send(tds::ptLogin7, tds::buildLogin7(login));
    const std::optional<tds::Message> accepted = channel.receive();
    if (!accepted || accepted->payload.find('\xAD') == std::string::npos)
        throw std::runtime_error("the server refused the benchmark's login");

    tds::WireWriter batch;
    batch.u32(22); // ALL_HEADERS: the transaction descriptor header alone
    batch.u32(18);
    batch.u16(2);
    batch.u64(0);
    batch.u32(1);
    batch.raw(tds::utf8ToUtf16(SelectAll));
    ServerAlone result;
    const auto start = Clock::now();
    channel.send(tds::ptSqlBatch, batch.bytes());
    result.bytes = channel.skip().value_or(0);
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return result;
}

struct Figures {
    ServerAlone alone;
    bench::BareResult block;
    bench::BareResult bare;
    bench::LayerResult layer;
};

template <typename Result>
void keepBest(Result& best, const Result& next) {
    best.firstRowSeconds = std::min(best.firstRowSeconds, next.firstRowSeconds);
    best.seconds = std::min(best.seconds, next.seconds);
    best.cpuSeconds = std::min(best.cpuSeconds, next.cpuSeconds);
    best.peakBytes = std::max(best.peakBytes, next.peakBytes);
}

// Each figure the better of two runs, the runs alternating between the three ways.
Figures measure(int port, bool encrypted) {
    const std::string tls = encrypted ? "Encryption=require;" : "Encryption=off;";
    const std::string odbc = test::tdsOdbcConnectionString(port, "sample") + tls;
    ado::TADOConnection connection;
    connection.SetConnectionString(
        test::tdsConnectionString(port, "sa", test::tdsSaPassword, "sample") +
        (encrypted ? ";Use Encryption for Data=True;Trust Server Certificate=True" : ""));
    connection.Open();
    Figures best{streamToNowhere(port, encrypted), bench::bareBlockFetch(odbc, SelectAll, true),
                 bench::bareFetch(odbc, SelectAll), bench::layerFetch(connection, SelectAll)};
    best.alone.seconds = std::min(best.alone.seconds, streamToNowhere(port, encrypted).seconds);
    keepBest(best.layer, bench::layerFetch(connection, SelectAll));
    keepBest(best.bare, bench::bareFetch(odbc, SelectAll));
    keepBest(best.block, bench::bareBlockFetch(odbc, SelectAll, true));
    return best;
}

double rate(long rows, double seconds) {
    return static_cast<double>(rows) / seconds;
}

void print(const char* way, const Figures& figures) {
    std::printf("%s:\n", way);
    std::printf("  server alone (packets read and dropped): %.3f s, %.0f rows/s, %.1f MB\n",
                figures.alone.seconds, rate(BigRows, figures.alone.seconds),
                static_cast<double>(figures.alone.bytes) / 1e6);
    const auto megabytes = [](size_t bytes) { return static_cast<double>(bytes) / 1e6; };
    const bench::BareResult& block = figures.block;
    const bench::BareResult& bare = figures.bare;
    const bench::LayerResult& layer = figures.layer;
    std::printf("  baseline, bare block-fetch loop (native types): %.3f s, %.0f rows/s, client "
                "CPU %.3f s, first row %.3f s, peak %.0f MB\n",
                block.seconds, rate(block.rows, block.seconds), block.cpuSeconds,
                block.firstRowSeconds, megabytes(block.peakBytes));
    std::printf("  bare SQLFetch + SQLGetData loop (text):        %.3f s, %.0f rows/s, client "
                "CPU %.3f s, first row %.3f s, peak %.0f MB\n",
                bare.seconds, rate(bare.rows, bare.seconds), bare.cpuSeconds, bare.firstRowSeconds,
                megabytes(bare.peakBytes));
    std::printf("  data layer (TADOQuery.Open):                   %.3f s, %.0f rows/s, client "
                "CPU %.3f s, first rows handed over %.3f s, peak %.0f MB\n",
                layer.seconds, rate(layer.rows, layer.seconds), layer.cpuSeconds,
                layer.firstRowSeconds, megabytes(layer.peakBytes));
    std::printf("  first rows: the layer's beside the SQLGetData loop's first row (the plainest "
                "way to the first row): %.3f s / %.3f s\n",
                layer.firstRowSeconds, bare.firstRowSeconds);
    std::printf("  ratio layer / block loop: %.2f by the clock, %.2f by the client's CPU (target "
                "<= 1.0); layer / SQLGetData loop: %.2f by CPU; server alone / block loop: "
                "%.2f\n",
                layer.seconds / block.seconds, layer.cpuSeconds / block.cpuSeconds,
                layer.cpuSeconds / bare.cpuSeconds, figures.alone.seconds / block.seconds);
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::atol(argv[1]) > 0)
        BigRows = std::atol(argv[1]);
    try {
        // The server program as built beside the benchmark, unless the environment names one.
        setenv("VELMORA_TDS_SERVER", VELMORA_TDS_SERVER_PROGRAM, 0);
        test::TTdsServerProcess server;
        {
            ado::TADOConnection connection;
            connection.SetConnectionString(
                test::tdsConnectionString(server.Port(), "sa", test::tdsSaPassword, "sample"));
            connection.Open();
            makeBigTable(connection);
        }
        const Figures plain = measure(server.Port(), false);
        const Figures encrypted = measure(server.Port(), true);

        std::printf("rows: %ld (layer) / %ld (bare), 5 columns, from the TDS test server\n",
                    plain.layer.rows, plain.bare.rows);
        print("plain", plain);
        print("TLS on the whole session (TLS 1.2)", encrypted);
        std::printf("dataset memory: %zu bytes, %.1f bytes per row (raw values %.1f bytes per "
                    "row)\n",
                    plain.layer.memory,
                    static_cast<double>(plain.layer.memory) / static_cast<double>(plain.layer.rows),
                    static_cast<double>(plain.bare.rawBytes) /
                        static_cast<double>(plain.bare.rows));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        return 1;
    }
    return 0;
}
