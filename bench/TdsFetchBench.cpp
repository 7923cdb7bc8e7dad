// Reading a large result over SQL Server's protocol: 1,000,000 rows x 5 columns (int,
// nvarchar(40), datetime, decimal(12,2), float) from the TDS test server through FreeTDS.
//
// Four figures from the same run: the data layer's open (TADOQuery.Open); the baseline, a bare
// block-fetch loop over the same driver and server binding the C types the layer binds
// (native integers and dates, text for the rest: FetchMeasures.h; target: the layer within
// 1.0 x of it); a bare SQLFetch + SQLGetData loop reading every cell as text, as a second
// figure; and the server alone, streaming the rows to a client of its own that reads the packets
// and drops them, so that the server is known not to be what limits the others. Also each
// phase's peak memory and the dataset's memory per row. The row count is the argument
// (1,000,000 without one). Times are the better of two runs each, alternating: by the clock on the
// wall (the server is another process) and by the client's CPU time (steadier on a shared machine).
// Never fails on the figures.
#include "Ado.h"
#include "Channel.h"
#include "FetchMeasures.h"
#include "Login.h"
#include "TdsServer.h"
#include "Text.h"
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

// A client of the benchmark's own: logs in, sends the query, reads its reply and drops it.
ServerAlone streamToNowhere(int port) {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot reach the server");
    tds::Channel channel(socket);
    channel.send(tds::ptPrelogin, tds::preloginRequest());
    channel.skip();
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

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::atol(argv[1]) > 0)
        BigRows = std::atol(argv[1]);
    try {
        // The server program as built beside the benchmark, unless the environment names one.
        setenv("VELMORA_TDS_SERVER", VELMORA_TDS_SERVER_PROGRAM, 0);
        test::TTdsServerProcess server;
        ado::TADOConnection connection;
        connection.SetConnectionString(
            test::tdsConnectionString(server.Port(), "sa", test::tdsSaPassword, "sample"));
        connection.Open();
        makeBigTable(connection);
        const std::string odbc = test::tdsOdbcConnectionString(server.Port(), "sample");

        ServerAlone alone = streamToNowhere(server.Port());
        bench::BareResult block = bench::bareBlockFetch(odbc, SelectAll, true);
        bench::BareResult bare = bench::bareFetch(odbc, SelectAll);
        bench::LayerResult layer = bench::layerFetch(connection, SelectAll);
        alone.seconds = std::min(alone.seconds, streamToNowhere(server.Port()).seconds);
        const bench::LayerResult layerAgain = bench::layerFetch(connection, SelectAll);
        const bench::BareResult bareAgain = bench::bareFetch(odbc, SelectAll);
        const bench::BareResult blockAgain = bench::bareBlockFetch(odbc, SelectAll, true);
        const auto keepBest = [](auto& best, const auto& next) {
            best.seconds = std::min(best.seconds, next.seconds);
            best.cpuSeconds = std::min(best.cpuSeconds, next.cpuSeconds);
            best.peakBytes = std::max(best.peakBytes, next.peakBytes);
        };
        keepBest(block, blockAgain);
        keepBest(bare, bareAgain);
        keepBest(layer, layerAgain);
        const auto megabytes = [](size_t bytes) { return static_cast<double>(bytes) / 1e6; };

        const auto rate = [](long rows, double seconds) {
            return static_cast<double>(rows) / seconds;
        };
        std::printf("rows: %ld (layer) / %ld (bare), 5 columns, from the TDS test server\n",
                    layer.rows, bare.rows);
        std::printf("server alone (packets read and dropped): %.3f s, %.0f rows/s, %.1f MB\n",
                    alone.seconds, rate(BigRows, alone.seconds),
                    static_cast<double>(alone.bytes) / 1e6);
        std::printf("baseline, bare block-fetch loop (native types): %.3f s, %.0f rows/s, client "
                    "CPU %.3f s, first row %.3f s, peak %.0f MB\n",
                    block.seconds, rate(block.rows, block.seconds), block.cpuSeconds,
                    block.firstRowSeconds, megabytes(block.peakBytes));
        std::printf("bare SQLFetch + SQLGetData loop (text):        %.3f s, %.0f rows/s, client "
                    "CPU %.3f s, first row %.3f s, peak %.0f MB\n",
                    bare.seconds, rate(bare.rows, bare.seconds), bare.cpuSeconds,
                    bare.firstRowSeconds, megabytes(bare.peakBytes));
        std::printf("data layer (TADOQuery.Open):                   %.3f s, %.0f rows/s, client "
                    "CPU %.3f s, rows shown once all are in, peak %.0f MB\n",
                    layer.seconds, rate(layer.rows, layer.seconds), layer.cpuSeconds,
                    megabytes(layer.peakBytes));
        std::printf("ratio layer / block loop: %.2f by the clock, %.2f by the client's CPU (target "
                    "<= 1.0); layer / SQLGetData loop: %.2f by CPU; server alone / block loop: "
                    "%.2f\n",
                    layer.seconds / block.seconds, layer.cpuSeconds / block.cpuSeconds,
                    layer.cpuSeconds / bare.cpuSeconds, alone.seconds / block.seconds);
        std::printf("dataset memory: %zu bytes, %.1f bytes per row (raw values %.1f bytes per "
                    "row)\n",
                    layer.memory,
                    static_cast<double>(layer.memory) / static_cast<double>(layer.rows),
                    static_cast<double>(bare.rawBytes) / static_cast<double>(bare.rows));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        return 1;
    }
    return 0;
}
