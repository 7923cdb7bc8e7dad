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

// Runs `sql` with SQLExecDirect (prepared batches lose their row counts on some drivers),
// reads the first result whole, then runs the rest of the batch to its end so that every
// statement in it is executed and an error in any of them is raised. A cancel request stops it
// where it is: reading rows keeps those read, the rest of the batch is not run.
TRecordset executeDirect(const OdbcStatement& statement, const std::string& sql,
                         const GetDataAbilities& abilities, TServerCall& call);

// Reads the statement's current result (after a catalog function, for instance).
TRecordset readCurrentResult(const OdbcStatement& statement, const GetDataAbilities& abilities,
                             TServerCall& call);

} // namespace velmora::ado
