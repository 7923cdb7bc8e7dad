// Reading one long value: the data layer against a bare ODBC loop that reads it in 64 KB
// pieces, as the layer once did.
//
// Makes a SQLite table holding one text value of 8,000,000 characters, then reads it through a
// TADOQuery and, in the same run, with SQLGetData in fixed 64 KB pieces. The SQLite driver
// converts the whole value again for each piece, so fixed pieces take time that grows with the
// square of the value's length. Prints both times and their ratio. Never fails on the figures.
#include "Ado.h"
#include "BareOdbc.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <unistd.h>
#include <vector>

using namespace velmora::ado;
using Clock = std::chrono::steady_clock;

namespace {

constexpr long Characters = 8'000'000;
const char* const SelectValue = "select value from long_value";

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The baseline: the whole value in fixed pieces of 64 KB.
double fixedPieces(const std::string& odbcConnectionString) {
    const velmora::bench::TBareOdbc bare(odbcConnectionString);
    const auto start = Clock::now();
    bare.ExecDirect(SelectValue);
    SQLFetch(bare.Statement());
    std::vector<char> piece(64 * 1024);
    SQLLEN indicator = 0;
    while (SQL_SUCCEEDED(SQLGetData(bare.Statement(), 1, SQL_C_WCHAR, piece.data(),
                                    static_cast<SQLLEN>(piece.size()), &indicator))) {
    }
    return secondsSince(start);
}

double throughTheLayer(TADOConnection& connection) {
    TADOQuery query;
    query.SetConnection(&connection);
    query.SetSQL(SelectValue);
    const auto start = Clock::now();
    query.Open();
    const double seconds = secondsSince(start);
    if (query.Fields(0).AsBytes().size() != static_cast<size_t>(Characters))
        std::fprintf(stderr, "the layer read %zu bytes\n", query.Fields(0).AsBytes().size());
    return seconds;
}

} // namespace

int main() {
    const auto folder =
        std::filesystem::temp_directory_path() / ("velmora-bench-long-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    int status = 0;
    try {
        const std::string odbc = "Driver=SQLite3;Database=" + (folder / "long.db").string() + ";";
        TADOConnection connection;
        connection.SetConnectionString("Provider=MSDASQL;Extended Properties=\"" + odbc + "\"");
        connection.Open();
        connection.Execute("create table long_value(value text)");
        connection.Execute("insert into long_value values (replace(hex(zeroblob(" +
                           std::to_string(Characters / 2) + ")), '00', 'ab'))");

        const double bare = fixedPieces(odbc);
        const double layer = throughTheLayer(connection);
        std::printf("one value of %ld characters\n", Characters);
        std::printf("bare ODBC, 64 KB pieces:      %.3f s\n", bare);
        std::printf("data layer (TADOQuery.Open):  %.3f s\n", layer);
        std::printf("time ratio layer / bare: %.3f\n", layer / bare);
    } catch (const EDatabaseError& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        status = 1;
    }
    std::filesystem::remove_all(folder);
    return status;
}
