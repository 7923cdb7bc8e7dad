#pragma once
// What a run of a script brought back beyond the result the grid shows: the later result sets,
// and every message in the order it came, as SQL Server's own tools word them.
#include "Ado.h"

#include <string>
#include <vector>

namespace velmora::query {

struct TRunMessage {
    std::string Text;      // one or more lines
    size_t ScriptLine = 0; // the script's line it points at (1-based), 0 for none
    bool Error = false;
};

struct TScriptOutcome {
    std::vector<ado::TRecordset> LaterResults; // the result sets after the one the grid shows
    std::vector<TRunMessage> Messages;         // the last one: the run's time and batch count
    size_t Batches = 0;                        // batches sent, repeats counted
    size_t FailedBatches = 0;
    bool Cancelled = false; // the user stopped the run before its end
    // More than one result set came, or messages beyond the one the grid's result stands for.
    bool ShowTabs = false;
};

// "Msg 208, Level 16, State 1, Line 12" and the message on the next line, the line counted from
// `FirstLine`, the script's line the batch starts on. From a driver that passes on no level,
// state or line (FreeTDS, SQLite's, PostgreSQL's): "Msg 208, SQLSTATE 42S02, in the batch at
// line 12", with the driver's native error number.
TRunMessage ServerMessage(const ado::Diagnostic& Diagnostic, bool Error, size_t FirstLine);

// "(1 row affected)", "(3 rows affected)"
std::string RowsAffected(long Count);

// "Elapsed 0:01.250, 3 batches"
std::string RunSummary(long long Milliseconds, size_t Batches, bool Cancelled);

} // namespace velmora::query
