// Reading a large result: the data layer against a bare ODBC loop over the same rows.
//
// Makes a SQLite table of 1,000,000 rows x 5 columns, then opens "select * from big" through a
// TADOQuery and, in the same run, reads the same rows with SQLFetch + SQLGetData into a buffer.
// Times are the process's CPU seconds.
// The layer opens them on the calling thread, and as the program does, on a worker thread while
// the window thread waits in its event loop (offscreen). Prints rows per second of each, their
// ratios to the bare loop, and the dataset's memory against the raw bytes of the values. Never
// fails on the figures.
#include "Ado.h"
#include "BigTable.h"
#include "CpuClock.h"
#include "ServerWait.h"
#include "WideText.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <sql.h>
#include <sqlext.h>

using namespace velmora::ado;
using Clock = velmora::bench::CpuClock;

namespace {

using velmora::bench::SelectAll;

struct BareResult {
    long rows = 0;
    size_t rawBytes = 0;
    double seconds = 0;
};

void check(SQLRETURN result, SQLSMALLINT type, SQLHANDLE handle) {
    checkOdbc(result, type, handle, "bare loop");
}

// The baseline: one SQLFetch per row and one SQLGetData per cell into a reused buffer, as
// UTF-16 text like the layer reads it.
BareResult bareLoop(const std::string& odbcConnectionString) {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    SqlWString text = toSqlWide(odbcConnectionString);
    check(SQLDriverConnectW(dbc, nullptr, text.data(), SQL_NTS, nullptr, 0, nullptr,
                            SQL_DRIVER_NOPROMPT),
          SQL_HANDLE_DBC, dbc);
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);

    BareResult result;
    const auto start = Clock::now();
    SqlWString query = toSqlWide(SelectAll);
    check(SQLExecDirectW(stmt, query.data(), SQL_NTS), SQL_HANDLE_STMT, stmt);
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt, &columns);
    char buffer[4096];
    while (SQLFetch(stmt) == SQL_SUCCESS) {
        for (SQLUSMALLINT column = 1; column <= columns; ++column) {
            SQLLEN indicator = 0;
            SQLGetData(stmt, column, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
            // The values are ASCII: one byte of text per UTF-16 unit.
            if (indicator > 0)
                result.rawBytes += static_cast<size_t>(indicator) / sizeof(SQLWCHAR);
        }
        ++result.rows;
    }
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return result;
}

struct LayerResult {
    long rows = 0;
    size_t memory = 0;
    double seconds = 0;
};

LayerResult throughTheLayer(TADOConnection& connection) {
    TADOQuery query;
    query.SetConnection(&connection);
    query.SetSQL(SelectAll);
    const auto start = Clock::now();
    query.Open();
    LayerResult result;
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    result.rows = query.RecordCount();
    result.memory = query.MemoryUsage();
    return result;
}

LayerResult waitedForInTheWindow(TADOConnection& connection) {
    connection.SetCallRunner(WaitInWindows());
    const LayerResult result = throughTheLayer(connection);
    connection.SetCallRunner(runOnCallingThread);
    return result;
}

// The best times of a few rounds, each a bare loop and an open through the layer.
struct Rounds {
    BareResult bare;
    LayerResult layer;
};

Rounds bestOf(int rounds, const std::string& odbcConnectionString,
              const std::function<LayerResult()>& open) {
    Rounds best{bareLoop(odbcConnectionString), open()};
    for (int round = 1; round < rounds; ++round) {
        best.bare.seconds = std::min(best.bare.seconds, bareLoop(odbcConnectionString).seconds);
        best.layer.seconds = std::min(best.layer.seconds, open().seconds);
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QApplication application(argc, argv);
    try {
        const velmora::bench::TBigTable big;
        const std::string odbc = big.OdbcConnectionString();
        TADOConnection connection;
        connection.SetConnectionString(big.ConnectionString());
        connection.Open();

        // Each way in rounds of its own, beside the bare loop: the allocator keeps memory warm for
        // the thread that freed it, so alternating the two ways would charge each with the
        // other's frees.
        const Rounds here = bestOf(5, odbc, [&] { return throughTheLayer(connection); });
        const Rounds worker = bestOf(5, odbc, [&] { return waitedForInTheWindow(connection); });
        BareResult bare = here.bare;
        bare.seconds = std::min(here.bare.seconds, worker.bare.seconds);
        const LayerResult& layer = here.layer;
        const double layerRatio = layer.seconds / bare.seconds;
        const double workerRatio = worker.layer.seconds / bare.seconds;

        const double budget =
            1.5 * static_cast<double>(bare.rawBytes) + 16.0 * static_cast<double>(bare.rows);
        std::printf("rows: %ld (layer) / %ld (worker) / %ld (bare), 5 columns\n", layer.rows,
                    worker.layer.rows, bare.rows);
        std::printf("bare ODBC loop (SQLFetch + SQLGetData): %.3f s, %.0f rows/s\n", bare.seconds,
                    static_cast<double>(bare.rows) / bare.seconds);
        std::printf("data layer (TADOQuery.Open):            %.3f s, %.0f rows/s\n", layer.seconds,
                    static_cast<double>(layer.rows) / layer.seconds);
        std::printf("the same on a worker, window waiting:   %.3f s, %.0f rows/s\n",
                    worker.layer.seconds,
                    static_cast<double>(worker.layer.rows) / worker.layer.seconds);
        std::printf("time ratio layer / bare: %.2f (target <= 1.20); on a worker: %.2f\n",
                    layerRatio, workerRatio);
        std::printf("the worker adds %+.1f %% of the bare loop's time (target <= 3 %%)\n",
                    100.0 * (workerRatio - layerRatio));
        std::printf("raw value bytes: %zu; dataset memory: %zu (%.2f x raw, %.1f bytes per row "
                    "over raw)\n",
                    bare.rawBytes, layer.memory,
                    static_cast<double>(layer.memory) / static_cast<double>(bare.rawBytes),
                    (static_cast<double>(layer.memory) - static_cast<double>(bare.rawBytes)) /
                        static_cast<double>(layer.rows));
        std::printf("memory budget 1.5 x raw + 16 B/row: %.0f -> %s\n", budget,
                    static_cast<double>(layer.memory) <= budget ? "within" : "over");
    } catch (const EDatabaseError& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        return 1;
    }
    return 0;
}
