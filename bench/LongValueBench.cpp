// Reading one long value: the data layer against the best bare ODBC read the driver allows.
//
// Makes a SQLite table holding one text value of 8,000,000 characters, then reads it through a
// TADOQuery and, in the same run, with the baseline: SQLGetData into a buffer that grows, the
// first piece 64 KB and the next as large as the rest the driver says is left, so the value
// takes two calls. The SQLite driver converts the whole value again for each piece; reading in
// fixed 64 KB pieces (as the layer once did) therefore takes time that grows with the square of
// the value's length: that is printed as a second figure. Best of three runs each. Never fails
// on the figures.
#include "Ado.h"
#include "BareOdbc.h"

#include <algorithm>
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

// Reads the value with SQLGetData from a first piece of 64 KB on. Growing (the baseline): the
// buffer then grows to hold the rest the driver says is left, read whole. Else (the second
// figure) every piece is 64 KB, each over the last.
double readInPieces(const std::string& odbcConnectionString, bool growing) {
    const velmora::bench::TBareOdbc bare(odbcConnectionString);
    const auto start = Clock::now();
    bare.ExecDirect(SelectValue);
    SQLFetch(bare.Statement());
    std::vector<char> value(64 * 1024);
    size_t filled = 0;
    SQLLEN indicator = 0;
    while (true) {
        const size_t room = value.size() - filled;
        const SQLRETURN result = SQLGetData(bare.Statement(), 1, SQL_C_WCHAR, value.data() + filled,
                                            static_cast<SQLLEN>(room), &indicator);
        if (result != SQL_SUCCESS_WITH_INFO || indicator == SQL_NULL_DATA)
            break;
        if (!growing)
            continue;
        filled += room - sizeof(SQLWCHAR); // the piece ends with a terminator
        const size_t rest = indicator == SQL_NO_TOTAL
                                ? value.size()
                                : static_cast<size_t>(indicator) - (room - sizeof(SQLWCHAR));
        value.resize(filled + std::max(rest + sizeof(SQLWCHAR), value.size()));
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

        double growing = 1e9;
        double fixed = 1e9;
        double layer = 1e9;
        for (int run = 0; run < 3; ++run) {
            growing = std::min(growing, readInPieces(odbc, true));
            layer = std::min(layer, throughTheLayer(connection));
            fixed = std::min(fixed, readInPieces(odbc, false));
        }
        std::printf("one value of %ld characters\n", Characters);
        std::printf("baseline, bare ODBC, growing pieces:  %.3f s\n", growing);
        std::printf("data layer (TADOQuery.Open):          %.3f s\n", layer);
        std::printf("bare ODBC, fixed 64 KB pieces:        %.3f s\n", fixed);
        std::printf("time ratio layer / growing pieces: %.3f; fixed pieces / growing: %.1f\n",
                    layer / growing, fixed / growing);
    } catch (const EDatabaseError& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        status = 1;
    }
    std::filesystem::remove_all(folder);
    return status;
}
