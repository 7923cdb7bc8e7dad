// Reading a large result: the data layer against a bare ODBC loop over the same rows.
//
// Makes a SQLite table of 1,000,000 rows x 5 columns, then opens "select * from big" through a
// TADOQuery and, in the same run, reads the same rows with SQLFetch + SQLGetData into a buffer.
// Prints rows per second of both, their ratio, and the dataset's memory against the raw bytes
// of the values. Never fails on the figures.
#include "Ado.h"
#include "BareOdbc.h"
#include "BigTable.h"

#include <chrono>
#include <cstdio>
#include <sql.h>
#include <sqlext.h>

using namespace velmora::ado;
using Clock = std::chrono::steady_clock;

namespace {

using velmora::bench::SelectAll;

struct BareResult {
    long rows = 0;
    size_t rawBytes = 0;
    double seconds = 0;
};

// The baseline: one SQLFetch per row and one SQLGetData per cell into a reused buffer, as
// UTF-16 text like the layer reads it.
BareResult bareLoop(const std::string& odbcConnectionString) {
    const velmora::bench::TBareOdbc bare(odbcConnectionString);
    const SQLHSTMT stmt = bare.Statement();
    BareResult result;
    const auto start = Clock::now();
    bare.ExecDirect(SelectAll);
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

} // namespace

int main() {
    try {
        const velmora::bench::TBigTable big;
        const std::string odbc = big.OdbcConnectionString();
        TADOConnection connection;
        connection.SetConnectionString(big.ConnectionString());
        connection.Open();

        // Each way twice, alternating; the better time of each counts.
        BareResult bare = bareLoop(odbc);
        LayerResult layer = throughTheLayer(connection);
        const BareResult bareAgain = bareLoop(odbc);
        const LayerResult layerAgain = throughTheLayer(connection);
        bare.seconds = std::min(bare.seconds, bareAgain.seconds);
        layer.seconds = std::min(layer.seconds, layerAgain.seconds);

        const double budget =
            1.5 * static_cast<double>(bare.rawBytes) + 16.0 * static_cast<double>(bare.rows);
        std::printf("rows: %ld (layer) / %ld (bare), 5 columns\n", layer.rows, bare.rows);
        std::printf("bare ODBC loop (SQLFetch + SQLGetData): %.3f s, %.0f rows/s\n", bare.seconds,
                    static_cast<double>(bare.rows) / bare.seconds);
        std::printf("data layer (TADOQuery.Open):            %.3f s, %.0f rows/s\n", layer.seconds,
                    static_cast<double>(layer.rows) / layer.seconds);
        std::printf("time ratio layer / bare: %.2f (target <= 1.20)\n",
                    layer.seconds / bare.seconds);
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
