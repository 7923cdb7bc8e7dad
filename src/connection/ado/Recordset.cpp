#include "Recordset.h"

#include "WideText.h"

#include <sqlext.h>

namespace velmora::ado {

namespace {

void report(const std::vector<Diagnostic>& diagnostics, const InfoSink& onInfo) {
    if (onInfo)
        for (const Diagnostic& diagnostic : diagnostics)
            onInfo(diagnostic);
}

void runRemainingResults(const OdbcStatement& statement, const InfoSink& onInfo) {
    while (true) {
        const SQLRETURN result = SQLMoreResults(statement.handle());
        if (result == SQL_NO_DATA)
            break;
        report(statement.check(result, "Executing the batch"), onInfo);
    }
}

} // namespace

TRecordset readCurrentResult(const OdbcStatement& statement, const GetDataAbilities& abilities,
                             const InfoSink& onInfo) {
    TRecordset recordset;
    recordset.columns = describeResultColumns(statement);
    recordset.open = !recordset.columns.empty();
    SQLLEN count = -1;
    if (SQL_SUCCEEDED(SQLRowCount(statement.handle(), &count)))
        recordset.recordsAffected = static_cast<long>(count);
    if (recordset.open)
        recordset.rows = readAllRows(statement, recordset.columns, abilities, onInfo);
    return recordset;
}

TRecordset executeDirect(const OdbcStatement& statement, const std::string& sql,
                         const GetDataAbilities& abilities, const InfoSink& onInfo) {
    const SqlWString text = toSqlWide(sql);
    const SQLRETURN result = SQLExecDirectW(statement.handle(), const_cast<SQLWCHAR*>(text.c_str()),
                                            static_cast<SQLINTEGER>(text.size()));
    // A statement that affects no rows may answer SQL_NO_DATA: a closed result.
    report(statement.check(result, "Executing"), onInfo);
    TRecordset recordset;
    if (result != SQL_NO_DATA)
        recordset = readCurrentResult(statement, abilities, onInfo);
    else
        recordset.recordsAffected = 0;
    runRemainingResults(statement, onInfo);
    return recordset;
}

} // namespace velmora::ado
