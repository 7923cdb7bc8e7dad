#include "Recordset.h"

#include "WideText.h"

#include <sqlext.h>

namespace velmora::ado {

namespace {

// The later statements of a batch run inside SQLMoreResults.
void runRemainingResults(const OdbcStatement& statement, TServerCall& call) {
    call.SetStage(TServerStage::Executing);
    while (true) {
        const SQLHSTMT handle = statement.handle();
        const SQLRETURN result =
            call.Cancellable(handle, [handle] { return SQLMoreResults(handle); });
        if (result == SQL_NO_DATA)
            break;
        call.Report(statement.check(result, "Executing the batch"));
    }
}

} // namespace

TRecordset readCurrentResult(const OdbcStatement& statement, const GetDataAbilities& abilities,
                             TServerCall& call) {
    TRecordset recordset;
    recordset.columns = describeResultColumns(statement);
    recordset.open = !recordset.columns.empty();
    SQLLEN count = -1;
    if (SQL_SUCCEEDED(SQLRowCount(statement.handle(), &count)))
        recordset.recordsAffected = static_cast<long>(count);
    if (recordset.open) {
        FetchedRows fetched = readRows(statement, recordset.columns, abilities, call);
        recordset.rows = std::move(fetched.rows);
        recordset.fetchCancelled = fetched.stopped;
    }
    return recordset;
}

TRecordset executeDirect(const OdbcStatement& statement, const std::string& sql,
                         const GetDataAbilities& abilities, TServerCall& call) {
    const SqlWString text = toSqlWide(sql);
    const SQLHSTMT handle = statement.handle();
    const SQLRETURN result = call.Cancellable(handle, [&] {
        return SQLExecDirectW(handle, const_cast<SQLWCHAR*>(text.c_str()),
                              static_cast<SQLINTEGER>(text.size()));
    });
    // A statement that affects no rows may answer SQL_NO_DATA: a closed result.
    call.Report(statement.check(result, "Executing"));
    TRecordset recordset;
    if (result != SQL_NO_DATA)
        recordset = readCurrentResult(statement, abilities, call);
    else
        recordset.recordsAffected = 0;
    if (recordset.fetchCancelled)
        // Here, not when the statement is freed on the caller's thread: a driver may have to
        // tell the server to stop sending.
        SQLFreeStmt(statement.handle(), SQL_CLOSE);
    else
        runRemainingResults(statement, call);
    return recordset;
}

} // namespace velmora::ado
