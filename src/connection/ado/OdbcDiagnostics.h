#pragma once
// Diagnostic records of an ODBC handle, and the check that turns a failed call into an
// EDatabaseError carrying the driver's own text.
#include "DatabaseError.h"

#include <sql.h>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::ado {

struct Diagnostic {
    Diagnostic() = default;
    Diagnostic(std::string sqlStateOf, int native, std::string text)
        : sqlState(std::move(sqlStateOf)), nativeError(native), message(std::move(text)) {}

    std::string sqlState;
    int nativeError = 0;
    std::string message;
    // SQL Server's own fields of a message, where the driver reports them (else -1, 0, empty):
    // its severity, its state, its line in the batch (or in the procedure named).
    int severity = -1;
    int state = -1;
    int line = 0;
    std::string procedure;
};

std::vector<Diagnostic> readDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle);

// Throws the failure the records describe: EConnectionLost when they report a lost connection,
// or when `openConnection` (the connection the failed call was made on, if it had been open) now
// says that it is dead; else EDatabaseError. The message is the records' messages, one per
// line, or `fallback` when they have none.
[[noreturn]] void throwDiagnostics(const std::vector<Diagnostic>& diagnostics,
                                   std::string_view fallback,
                                   SQLHDBC openConnection = SQL_NULL_HDBC);

// Throws when `result` is a failure, as throwDiagnostics does with the handle's records and the
// fallback "<what> failed". On success with info, returns those records.
std::vector<Diagnostic> checkOdbc(SQLRETURN result, SQLSMALLINT handleType, SQLHANDLE handle,
                                  std::string_view what, SQLHDBC openConnection = SQL_NULL_HDBC);

} // namespace velmora::ado
