#pragma once
// Reading a large result, measured three ways: through the data layer (TADOQuery.Open); the
// benchmarks' baseline, a bare block-fetch loop over the same driver and rows that binds every
// column in the C type the layer binds it in (native integers, floats, dates and GUIDs where
// the layer keeps them natively, else UTF-16 text) and fetches 1024 rows a call, touching
// nothing but the lengths; and, as a second figure, a bare loop of one SQLFetch per row and one
// SQLGetData per cell as UTF-16 text. Peak memory is each phase's own: the process's peak is
// reset before it. The time to the first rows is the layer's until it hands its first rows over,
// the bare loops' until their first fetch returns (one row for the SQLGetData loop: the plainest
// way to a first row; a whole block for the block loop).
#include "Ado.h"
#include "BareOdbc.h"
#include "CpuClock.h"
#include "ProcessMemory.h"
#include "TypedCells.h"

#include <chrono>
#include <memory>
#include <sql.h>
#include <sqlext.h>
#include <string>
#include <vector>

namespace velmora::bench {

struct BareResult {
    long rows = 0;
    size_t rawBytes = 0; // of the values, as UTF-16 units (ASCII values: one byte each)
    double firstRowSeconds = 0;
    double seconds = 0;
    double cpuSeconds = 0;
    size_t peakBytes = 0;
};

// The clocks of one bare read: started before its statement runs, read when a row comes and
// at the end, which also takes the phase's peak memory.
class TBareTimer {
public:
    explicit TBareTimer(BareResult& result) : FResult(result) { resetPeakMemory(); }

    void RowsCame() {
        if (FResult.rows == 0)
            FResult.firstRowSeconds = Since(FStart);
    }
    void Finish() {
        FResult.seconds = Since(FStart);
        FResult.cpuSeconds = processCpuSeconds() - FCpuStart;
        FResult.peakBytes = peakMemoryBytes();
    }

private:
    using Clock = std::chrono::steady_clock;
    static double Since(Clock::time_point start) {
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

    BareResult& FResult;
    Clock::time_point FStart = Clock::now();
    double FCpuStart = processCpuSeconds();
};

// The bare block-fetch loop. `typed`: columns of native types are bound as such, as the data
// layer does on a server that holds values to their types.
inline BareResult bareBlockFetch(const std::string& odbcConnectionString, const std::string& query,
                                 bool typed) {
    constexpr SQLULEN blockRows = 1024;
    const TBareOdbc bare(odbcConnectionString);
    const SQLHSTMT stmt = bare.Statement();
    BareResult result;
    TBareTimer timer(result);
    bare.ExecDirect(query);
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt, &columns);
    struct Column {
        std::vector<char> buffer;
        std::vector<SQLLEN> lengths;
        bool text = true;
    };
    std::vector<Column> bound(static_cast<size_t>(columns));
    SQLULEN fetched = 0;
    SQLSetStmtAttrW(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(blockRows), 0);
    SQLSetStmtAttrW(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    for (SQLUSMALLINT number = 1; number <= columns; ++number) {
        SQLWCHAR name[256];
        SQLSMALLINT nameLength = 0, sqlType = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        SQLDescribeColW(stmt, number, name, 256, &nameLength, &sqlType, &size, &digits, &nullable);
        ado::ResultColumn column;
        column.description.sqlType = sqlType;
        const ado::CellFormat format = typed ? ado::typedFormatOf(column) : ado::CellFormat{};
        Column& target = bound[number - 1u];
        target.text = !format.typed();
        const SQLLEN width =
            target.text ? static_cast<SQLLEN>(
                              (std::min<SQLULEN>(std::max<SQLULEN>(size, 64), 4000) * 2 + 1) *
                              sizeof(SQLWCHAR))
                        : static_cast<SQLLEN>(ado::boundBytes(format.kind));
        target.buffer.resize(static_cast<size_t>(width) * blockRows);
        target.lengths.resize(blockRows);
        SQLBindCol(stmt, number, target.text ? SQL_C_WCHAR : ado::boundCType(format.kind),
                   target.buffer.data(), width, target.lengths.data());
    }
    while (SQL_SUCCEEDED(SQLFetchScroll(stmt, SQL_FETCH_NEXT, 0)) && fetched > 0) {
        timer.RowsCame();
        for (const Column& column : bound)
            for (SQLULEN row = 0; row < fetched; ++row)
                if (column.lengths[row] > 0)
                    result.rawBytes +=
                        column.text ? static_cast<size_t>(column.lengths[row]) / sizeof(SQLWCHAR)
                                    : static_cast<size_t>(column.lengths[row]);
        result.rows += static_cast<long>(fetched);
        if (fetched < blockRows)
            break;
    }
    timer.Finish();
    return result;
}

inline BareResult bareFetch(const std::string& odbcConnectionString, const std::string& query) {
    const TBareOdbc bare(odbcConnectionString);
    const SQLHSTMT stmt = bare.Statement();
    BareResult result;
    TBareTimer timer(result);
    bare.ExecDirect(query);
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt, &columns);
    char buffer[4096];
    while (SQLFetch(stmt) == SQL_SUCCESS) {
        timer.RowsCame();
        for (SQLUSMALLINT column = 1; column <= columns; ++column) {
            SQLLEN indicator = 0;
            SQLGetData(stmt, column, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
            if (indicator > 0)
                result.rawBytes += static_cast<size_t>(indicator) / sizeof(SQLWCHAR);
        }
        ++result.rows;
    }
    timer.Finish();
    return result;
}

struct LayerResult {
    long rows = 0;
    size_t memory = 0;          // the dataset's
    double firstRowSeconds = 0; // until the first rows reached what shows them
    double seconds = 0;
    double cpuSeconds = 0;
    size_t peakBytes = 0;
};

// When the first rows of the open being measured reached what shows them.
class TFirstRowsStopwatch {
public:
    using Clock = std::chrono::steady_clock;
    void Start() {
        FStart = Clock::now();
        FSeconds = -1;
    }
    void RowsCame() {
        if (FSeconds < 0)
            FSeconds = std::chrono::duration<double>(Clock::now() - FStart).count();
    }
    double Seconds() const { return FSeconds; }

private:
    Clock::time_point FStart;
    double FSeconds = -1;
};
inline TFirstRowsStopwatch firstRowsStopwatch;

// Runs the calls on the calling thread and takes their first rows as a window would.
inline bool runTakingFirstRows(const std::shared_ptr<ado::TServerCall>& call) {
    call->FirstRows().SetListener([outbox = &call->FirstRows()] {
        if (outbox->Take() != nullptr)
            firstRowsStopwatch.RowsCame();
    });
    return ado::runOnCallingThread(call);
}

// `ownRunner`: the connection runs the open as it is set to, and whatever takes the first rows
// tells firstRowsStopwatch; else the open runs on the calling thread, its first rows taken.
inline LayerResult layerFetch(ado::TADOConnection& connection, const std::string& query,
                              bool ownRunner = false) {
    using Clock = std::chrono::steady_clock;
    if (!ownRunner)
        connection.SetCallRunner(runTakingFirstRows);
    ado::TADOQuery dataSet;
    dataSet.SetConnection(&connection);
    dataSet.SetSQL(query);
    resetPeakMemory();
    const auto start = Clock::now();
    const double cpuStart = processCpuSeconds();
    firstRowsStopwatch.Start();
    dataSet.Open();
    LayerResult result;
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    result.firstRowSeconds = firstRowsStopwatch.Seconds();
    result.cpuSeconds = processCpuSeconds() - cpuStart;
    result.peakBytes = peakMemoryBytes();
    result.rows = dataSet.RecordCount();
    result.memory = dataSet.MemoryUsage();
    return result;
}

} // namespace velmora::bench
