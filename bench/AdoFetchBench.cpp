// Reading a large result: the data layer against a bare ODBC loop over the same rows.
//
// Makes a SQLite table of 1,000,000 rows x 5 columns, then opens "select * from big" through a
// TADOQuery and, in the same run, reads the same rows with SQLFetch + SQLGetData into a buffer.
// Prints rows per second of both, their ratio, and the dataset's memory against the raw bytes
// of the values. Never fails on the figures.
#include "Ado.h"
#include "BigTable.h"
#include "FetchMeasures.h"

#include <cstdio>

using namespace velmora::ado;
using namespace velmora::bench;

int main() {
    try {
        const velmora::bench::TBigTable big;
        const std::string odbc = big.OdbcConnectionString();
        TADOConnection connection;
        connection.SetConnectionString(big.ConnectionString());
        connection.Open();

        // Each way twice, alternating; the better time of each counts.
        BareResult bare = bareFetch(odbc, SelectAll);
        LayerResult layer = layerFetch(connection, SelectAll);
        const BareResult bareAgain = bareFetch(odbc, SelectAll);
        const LayerResult layerAgain = layerFetch(connection, SelectAll);
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
