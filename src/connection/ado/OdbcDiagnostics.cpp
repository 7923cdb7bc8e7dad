#include "OdbcDiagnostics.h"

#include "WideText.h"

#include <sqlext.h>

namespace velmora::ado {

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

std::vector<Diagnostic> checkOdbc(SQLRETURN result, SQLSMALLINT handleType, SQLHANDLE handle,
                                  std::string_view what) {
    if (result == SQL_SUCCESS || result == SQL_NO_DATA)
        return {};
    if (result == SQL_SUCCESS_WITH_INFO)
        return readDiagnostics(handleType, handle);
    if (result == SQL_INVALID_HANDLE)
        throw EDatabaseError(std::string(what) + " failed: invalid handle");
    throw EDatabaseError(
        diagnosticText(readDiagnostics(handleType, handle), std::string(what) + " failed"));
}

} // namespace velmora::ado
