// Reading a large result: the data layer against a bare ODBC loop over the same rows.
//
// Makes a SQLite table of 1,000,000 rows x 5 columns (or the number given as the argument),
// then opens "select * from big" through a TADOQuery and, in the same run, reads the same rows
// with the baseline, a bare block-fetch loop binding every column as UTF-16 text as the layer
// does on SQLite (FetchMeasures.h), and with a bare SQLFetch + SQLGetData loop as a second
// figure. The layer opens them on the calling thread, and as the program does, on a worker
// thread while the window thread waits in its event loop (offscreen). Prints rows per second of
// each, their ratios to the block loop (wall clock and CPU time), each phase's peak memory, and
// the dataset's memory against the raw bytes of the values. Never fails on the figures.
#include "Ado.h"
#include "BigTable.h"
#include "FetchMeasures.h"
#include "ServerWait.h"

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>

using namespace velmora::ado;
using namespace velmora::bench;

namespace {

double threadCpuSeconds() {
    timespec used{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) * 1e-9;
}

// The window thread's own CPU time while it waited for the last open on a worker.
double windowThreadSeconds = 0;

LayerResult fetchedOnWorker(TADOConnection& connection) {
    windowThreadSeconds = 0;
    connection.SetCallRunner([runner = WaitInWindows()](const std::shared_ptr<TServerCall>& call) {
        const double start = threadCpuSeconds();
        const bool finished = runner(call);
        windowThreadSeconds += threadCpuSeconds() - start;
        return finished;
    });
    const LayerResult result = layerFetch(connection, SelectAll, true);
    return result;
}

struct Best {
    BareResult block;
    BareResult bare;
    LayerResult here;
    LayerResult worker;
};

template <typename Result>
void keepBest(Result& best, const Result& next) {
    best.firstRowSeconds = std::min(best.firstRowSeconds, next.firstRowSeconds);
    best.seconds = std::min(best.seconds, next.seconds);
    best.cpuSeconds = std::min(best.cpuSeconds, next.cpuSeconds);
    best.peakBytes = std::max(best.peakBytes, next.peakBytes);
}

// The best times of a few rounds, each a bare loop and the two opens, which take turns going
// first: each leaves the allocator in a state that favours or burdens the one after it.
Best bestOf(int rounds, const std::string& odbcConnectionString, TADOConnection& connection) {
    Best best{bareBlockFetch(odbcConnectionString, SelectAll, false),
              bareFetch(odbcConnectionString, SelectAll), layerFetch(connection, SelectAll),
              fetchedOnWorker(connection)};
    for (int round = 1; round < rounds; ++round) {
        keepBest(best.block, bareBlockFetch(odbcConnectionString, SelectAll, false));
        keepBest(best.bare, bareFetch(odbcConnectionString, SelectAll));
        if (round % 2 == 1) {
            keepBest(best.worker, fetchedOnWorker(connection));
            keepBest(best.here, layerFetch(connection, SelectAll));
        } else {
            keepBest(best.here, layerFetch(connection, SelectAll));
            keepBest(best.worker, fetchedOnWorker(connection));
        }
    }
    return best;
}

double rate(long rows, double seconds) {
    return static_cast<double>(rows) / seconds;
}

template <typename Result>
void printTimes(const char* what, const Result& result) {
    std::printf("%-46s %.3f s (%.0f rows/s), CPU %.3f s, peak memory %.0f MB\n", what,
                result.seconds, rate(result.rows, result.seconds), result.cpuSeconds,
                static_cast<double>(result.peakBytes) / 1e6);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QApplication application(argc, argv);
    // The program always runs several threads (the window system's and Qt's own), and glibc's
    // allocator takes a faster path only while a process has just one: without this thread the
    // first worker would seem to slow down everything measured after it.
    std::thread([] {}).join();
    QObject::connect(&ServerWait(), &TServerWait::FirstRowsArrived,
                     [] { firstRowsStopwatch.RowsCame(); });
    try {
        const long rows = argc > 1 ? std::atol(argv[1]) : BigTableRows;
        const TBigTable big(rows > 0 ? rows : BigTableRows);
        TADOConnection connection;
        connection.SetConnectionString(big.ConnectionString());
        connection.Open();

        const Best best = bestOf(6, big.OdbcConnectionString(), connection);
        const BareResult& block = best.block;
        const BareResult& bare = best.bare;
        const LayerResult& layer = best.here;
        const LayerResult& worker = best.worker;

        std::printf("rows: %ld (layer) / %ld (worker) / %ld (block loop) / %ld (SQLGetData "
                    "loop), 5 columns\n",
                    layer.rows, worker.rows, block.rows, bare.rows);
        printTimes("baseline: bare block-fetch loop, text bound:", block);
        printTimes("bare SQLFetch + SQLGetData loop:", bare);
        printTimes("data layer (TADOQuery.Open):", layer);
        printTimes("the same on a worker, window waiting:", worker);
        std::printf("of which the window thread, waiting:    CPU %.3f s (last open)\n",
                    windowThreadSeconds);
        std::printf("first rows: the layer hands them over after %.3f s, on a worker to the "
                    "waiting window thread after %.3f s; baseline: the SQLGetData loop's first "
                    "row %.3f s, the block loop's first 1024 rows %.3f s\n",
                    layer.firstRowSeconds, worker.firstRowSeconds, bare.firstRowSeconds,
                    block.firstRowSeconds);
        std::printf("ratio layer / block loop: %.2f by the clock, %.2f by CPU (target <= 1.0); "
                    "on a worker: %.2f; layer / SQLGetData loop: %.2f\n",
                    layer.seconds / block.seconds, layer.cpuSeconds / block.cpuSeconds,
                    worker.seconds / block.seconds, layer.seconds / bare.seconds);
        std::printf("the worker adds %+.1f %% of the bare loop's time, %+.1f %% of its CPU time "
                    "(target <= 3 %%)\n",
                    100.0 * (worker.seconds - layer.seconds) / block.seconds,
                    100.0 * (worker.cpuSeconds - layer.cpuSeconds) / block.cpuSeconds);

        const double budget =
            1.2 * static_cast<double>(bare.rawBytes) + 16.0 * static_cast<double>(bare.rows);
        std::printf("raw value bytes: %zu; dataset memory: %zu (%.2f x raw, %.1f bytes per row "
                    "over raw)\n",
                    bare.rawBytes, layer.memory,
                    static_cast<double>(layer.memory) / static_cast<double>(bare.rawBytes),
                    (static_cast<double>(layer.memory) - static_cast<double>(bare.rawBytes)) /
                        static_cast<double>(layer.rows));
        std::printf("memory budget 1.2 x raw + 16 B/row: %.0f -> %s\n", budget,
                    static_cast<double>(layer.memory) <= budget ? "within" : "over");
    } catch (const EDatabaseError& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        return 1;
    }
    return 0;
}
