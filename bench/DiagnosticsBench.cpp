// Reading the messages of one reply: N error messages (or N infos) before the reply's DONE,
// from the TDS test server's hostile modes, through FreeTDS.
//
// Two figures per N from the same run, in the client's CPU time (the server is another
// process): the data layer's Execute, which reads the records, keeps the first and last
// thousand and reports them; and the baseline, a bare SQLExecDirectW followed by a
// SQLGetDiagRecW loop over every record, as any ODBC program reads them. Both include what the
// driver and unixODBC do inside SQLExecDirectW before either can read a record; the growth
// from N to 2N shows how that part scales. Never fails on the figures.
#include "Ado.h"
#include "CpuClock.h"
#include "TdsServer.h"
#include "WideText.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sqlext.h>
#include <string>

using namespace velmora;

namespace {

double bareReading(int port, size_t& records) {
    ado::OdbcConnection odbc;
    odbc.connect(test::tdsOdbcConnectionString(port, "master"), 15);
    const auto statement = odbc.createStatement();
    const ado::SqlWString text = ado::toSqlWide("select 1");
    const double start = bench::processCpuSeconds();
    SQLExecDirectW(statement->handle(), const_cast<SQLWCHAR*>(text.c_str()), SQL_NTS);
    records = 0;
    SQLWCHAR state[6];
    SQLINTEGER native = 0;
    SQLWCHAR message[1024];
    SQLSMALLINT length = 0;
    while (SQL_SUCCEEDED(SQLGetDiagRecW(SQL_HANDLE_STMT, statement->handle(),
                                        static_cast<SQLSMALLINT>(records + 1), state, &native,
                                        message, 1024, &length)))
        ++records;
    return bench::processCpuSeconds() - start;
}

double layerReading(int port, size_t& kept) {
    ado::TADOConnection connection;
    connection.SetConnectionString(test::tdsConnectionString(port));
    connection.Open();
    kept = 0;
    connection.OnInfoMessage = [&](ado::TADOConnection&, const ado::TADOError&) { ++kept; };
    const double start = bench::processCpuSeconds();
    try {
        connection.Execute("select 1");
    } catch (const ado::EDatabaseError& error) {
        const std::string text = error.what();
        kept = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    }
    const double seconds = bench::processCpuSeconds() - start;
    connection.OnInfoMessage = nullptr;
    return seconds;
}

} // namespace

int main() {
    setenv("VELMORA_TDS_SERVER", VELMORA_TDS_SERVER_PROGRAM, 0);
    std::printf("%-7s %6s  %12s %8s  %12s %8s  %6s\n", "kind", "N", "layer CPU s", "kept",
                "bare CPU s", "read", "ratio");
    for (const bool errors : {true, false}) {
        for (const long count : {500L, 1000L, 2000L, 4000L}) {
            test::TTdsServerProcess server(
                {errors ? "--errors" : "--infos", std::to_string(count)});
            size_t kept = 0;
            size_t read = 0;
            double layer = 1e9;
            double bare = 1e9;
            for (int round = 0; round < 2; ++round) { // the better of two, alternating
                layer = std::min(layer, layerReading(server.Port(), kept));
                bare = std::min(bare, bareReading(server.Port(), read));
            }
            std::printf("%-7s %6ld  %12.3f %8zu  %12.3f %8zu  %6.2f\n", errors ? "errors" : "infos",
                        count, layer, kept, bare, read, layer / bare);
        }
    }
    return 0;
}
