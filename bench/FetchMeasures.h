#pragma once
// Reading a large result, measured two ways: through the data layer (TADOQuery.Open), and the
// benchmarks' baseline, a bare ODBC loop over the same driver and rows, one SQLFetch per row
// and one SQLGetData per cell into a reused buffer, as UTF-16 text like the layer reads it.
#include "Ado.h"
#include "BareOdbc.h"
#include "CpuClock.h"

#include <chrono>
#include <sql.h>
#include <sqlext.h>
#include <string>

namespace velmora::bench {

struct BareResult {
    long rows = 0;
    size_t rawBytes = 0; // of the values, as UTF-16 units (ASCII values: one byte each)
    double seconds = 0;
    double cpuSeconds = 0;
};

inline BareResult bareFetch(const std::string& odbcConnectionString, const std::string& query) {
    using Clock = std::chrono::steady_clock;
    const TBareOdbc bare(odbcConnectionString);
    const SQLHSTMT stmt = bare.Statement();
    BareResult result;
    const auto start = Clock::now();
    const double cpuStart = processCpuSeconds();
    bare.ExecDirect(query);
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt, &columns);
    char buffer[4096];
    while (SQLFetch(stmt) == SQL_SUCCESS) {
        for (SQLUSMALLINT column = 1; column <= columns; ++column) {
            SQLLEN indicator = 0;
            SQLGetData(stmt, column, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
            if (indicator > 0)
                result.rawBytes += static_cast<size_t>(indicator) / sizeof(SQLWCHAR);
        }
        ++result.rows;
    }
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    result.cpuSeconds = processCpuSeconds() - cpuStart;
    return result;
}

struct LayerResult {
    long rows = 0;
    size_t memory = 0; // the dataset's
    double seconds = 0;
    double cpuSeconds = 0;
};

inline LayerResult layerFetch(ado::TADOConnection& connection, const std::string& query) {
    using Clock = std::chrono::steady_clock;
    ado::TADOQuery dataSet;
    dataSet.SetConnection(&connection);
    dataSet.SetSQL(query);
    const auto start = Clock::now();
    const double cpuStart = processCpuSeconds();
    dataSet.Open();
    LayerResult result;
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    result.cpuSeconds = processCpuSeconds() - cpuStart;
    result.rows = dataSet.RecordCount();
    result.memory = dataSet.MemoryUsage();
    return result;
}

} // namespace velmora::bench
