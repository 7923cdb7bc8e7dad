#pragma once
// Diagnostic records of an ODBC handle, and the check that turns a failed call into an
// EDatabaseError carrying the driver's own text.
#include "DatabaseError.h"

#include <deque>
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
    size_t omitted = 0; // in a capped list, the record that stands for this many left out
    // SQL Server's own fields of a message, where the driver reports them (else -1, 0, empty):
    // its severity, its state, its line in the batch (or in the procedure named).
    int severity = -1;
    int state = -1;
    int line = 0;
    std::string procedure;
};

// What is kept of many records for the user to see: the first and the last thousand, and in
// between a record of its own that tells how many were left out ("(18000 more messages)").
// Adding is constant time, whatever the number of records.
class TDiagnosticCap {
public:
    static constexpr size_t kept = 1000; // at each end

    void add(Diagnostic diagnostic);
    void add(std::vector<Diagnostic> diagnostics);
    // Records that are counted but were never read (see readDiagnostics).
    void skip(size_t count) { omitted_ += count; }
    size_t omitted() const { return omitted_; }
    std::vector<Diagnostic> records() const;

private:
    std::vector<Diagnostic> head_;
    std::deque<Diagnostic> tail_;
    size_t omitted_ = 0;
};

// The handle's records, capped as TDiagnosticCap keeps them; the records in the middle of a long
// list are not even read.
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
