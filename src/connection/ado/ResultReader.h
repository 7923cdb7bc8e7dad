#pragma once
// Reads every row of a statement's current result into a RecordStore.
//
// Columns are bound to row arrays and fetched with SQLFetchScroll. A driver may send a value
// longer than the size it declared (SQLite does not enforce sizes; PostgreSQL reports 255 for an
// unlimited varchar), so a truncated cell is read again whole with SQLGetData: in blocks of
// rows when the driver can position inside a block (SQL_GD_BLOCK), else one row at a time.
// A driver that cannot read a bound column again (SQL_GD_BOUND) has its columns bound only when
// its server holds every value to its declared size (SQL Server does); else every cell is read
// with SQLGetData. Long columns are always read with SQLGetData. No value is ever cut.
// With typed cells, bound integer, date, timestamp and GUID columns are fetched in their C
// types and kept natively (TypedCells.h): the driver spends no time writing them as text.
#include "OdbcHandles.h"
#include "RecordStore.h"
#include "ResultColumns.h"
#include "ServerCall.h"

#include <vector>

namespace velmora::ado {

// What SQLGetData can do on this driver (SQL_GETDATA_EXTENSIONS).
struct GetDataAbilities {
    bool anyColumn = false;
    bool block = false;
    bool bound = false;
    // No value is longer than its column's declared size: bound cells need no second read.
    bool sizesHold = false;
    // Columns of native types are fetched as such (a server whose values always fit their
    // declared types: SQL Server's).
    bool typedCells = false;

    static GetDataAbilities fromMask(SQLUINTEGER mask, bool sizesHold = false,
                                     bool typedCells = false);
};

struct FetchedRows {
    RecordStore rows;
    bool stopped = false; // a cancel request ended the reading early
};

// Reads the rows, telling `call` how many have come after each block; a cancel request stops
// the reading before the next block, keeping the rows read so far. Info records go to `call`.
FetchedRows readRows(const OdbcStatement& statement, const std::vector<ResultColumn>& columns,
                     const GetDataAbilities& abilities, TServerCall& call);

} // namespace velmora::ado
