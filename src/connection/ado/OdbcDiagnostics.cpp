#include "OdbcDiagnostics.h"

#include "WideText.h"

#include <algorithm>
#include <array>
#include <sqlext.h>

namespace velmora::ado {

namespace {

std::string diagnosticText(const std::vector<Diagnostic>& diagnostics, std::string_view fallback) {
    std::string text;
    for (const Diagnostic& diagnostic : diagnostics) {
        if (diagnostic.message.empty() || text.find(diagnostic.message) != std::string::npos)
            continue;
        if (!text.empty())
            text += '\n';
        text += diagnostic.message;
    }
    return text.empty() ? std::string(fallback) : text;
}

// Whether a record says that the connection to the server is gone.
bool reportsLostConnection(const std::vector<Diagnostic>& diagnostics) {
    // 08S01 communication link failure, 08003 connection not open, 08007 connection failure
    // during a transaction; PostgreSQL's server ends a session with 57P01 (terminated by an
    // administrator) or 57P02 (crash shutdown) before the driver reports 08S01.
    static const std::array<std::string_view, 5> lostStates = {"08S01", "08003", "08007", "57P01",
                                                               "57P02"};
    return std::any_of(diagnostics.begin(), diagnostics.end(), [](const Diagnostic& diagnostic) {
        return std::find(lostStates.begin(), lostStates.end(), diagnostic.sqlState) !=
               lostStates.end();
    });
}

} // namespace

std::vector<Diagnostic> readDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
    std::vector<Diagnostic> records;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER nativeError = 0;
        SQLSMALLINT length = 0;
        SqlWString message(512, 0);
        SQLRETURN result =
            SQLGetDiagRecW(handleType, handle, record, state, &nativeError, message.data(),
                           static_cast<SQLSMALLINT>(message.size()), &length);
        if (result == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size())) {
            message.assign(static_cast<size_t>(length) + 1, 0);
            result = SQLGetDiagRecW(handleType, handle, record, state, &nativeError, message.data(),
                                    static_cast<SQLSMALLINT>(message.size()), &length);
        }
        if (!SQL_SUCCEEDED(result))
            break;
        message.resize(static_cast<size_t>(length));
        records.push_back(
            {fromSqlWide(state, 5), static_cast<int>(nativeError), fromSqlWide(message)});
    }
    return records;
}

void throwDiagnostics(const std::vector<Diagnostic>& diagnostics, std::string_view fallback) {
    const std::string message = diagnosticText(diagnostics, fallback);
    if (reportsLostConnection(diagnostics))
        throw EConnectionLost(message);
    throw EDatabaseError(message);
}

std::vector<Diagnostic> checkOdbc(SQLRETURN result, SQLSMALLINT handleType, SQLHANDLE handle,
                                  std::string_view what) {
    if (result == SQL_SUCCESS || result == SQL_NO_DATA)
        return {};
    if (result == SQL_SUCCESS_WITH_INFO)
        return readDiagnostics(handleType, handle);
    if (result == SQL_INVALID_HANDLE)
        throw EDatabaseError(std::string(what) + " failed: invalid handle");
    throwDiagnostics(readDiagnostics(handleType, handle), std::string(what) + " failed");
}

} // namespace velmora::ado
