#pragma once
// A result as the connection hands it over: open with its columns and all its rows (or those
// read until the user cancelled), or closed (the statement returned no rows), with the
// records-affected count that came with it.
#include "OdbcHandles.h"
#include "RecordStore.h"
#include "ResultColumns.h"
#include "ResultReader.h"
#include "ServerCall.h"

#include <string>
#include <vector>

namespace velmora::ado {

struct TRecordset {
    bool open = false;
    std::vector<ResultColumn> columns;
    RecordStore rows;
    long recordsAffected = -1;
    bool fetchCancelled = false; // `rows` are those read until the user cancelled

    bool IsOpen() const { return open; }
};

// One thing a batch answered, in the order it came.
struct TBatchItem {
    enum TKind {
        biResult,  // a result set: `result` 0 is the one handed over, k the batch's results[k - 1]
        biCount,   // the rows a statement affected, or a result set's row count: `count`
        biMessage, // a PRINT, a warning or another informational message: `diagnostic`
        biError,   // an error of one statement: `diagnostic`
    };
    TKind kind = biMessage;
    size_t result = 0;
    long count = 0;
    Diagnostic diagnostic;
};

// Everything a batch answered besides the result it hands over.
struct TBatchOutput {
    std::vector<TBatchItem> items;
    std::vector<TRecordset> results; // the result sets after the one handed over
};

// Runs `sql` with SQLExecDirect (prepared batches lose their row counts on some drivers) and
// reads every result of the batch (SQLMoreResults) to its end, so that every statement in it is
// executed. Hands over the first result that has columns, else the first result, closed, with
// its count; `output` gets every item in order, and the later result sets.
// An error ends the reading and is raised unless `errorsEndStatements` (SQL Server: an error ends
// its statement, and the server goes on with the batch) and a result set came before or after
// it: then it is an item, as on SQL Server's own tools. A cancel request stops the batch where
// it is: reading rows keeps those read, the rest of the batch is not run.
TRecordset executeDirect(const OdbcStatement& statement, const std::string& sql,
                         const GetDataAbilities& abilities, TServerCall& call, TBatchOutput& output,
                         bool errorsEndStatements = false);
TRecordset executeDirect(const OdbcStatement& statement, const std::string& sql,
                         const GetDataAbilities& abilities, TServerCall& call);

// Reads the statement's current result (after a catalog function, for instance).
TRecordset readCurrentResult(const OdbcStatement& statement, const GetDataAbilities& abilities,
                             TServerCall& call);

} // namespace velmora::ado
