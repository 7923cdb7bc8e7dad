#include "OdbcDiagnostics.h"

#include "WideText.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>
#include <sqlext.h>
#include <unordered_set>

namespace velmora::ado {

namespace {

const char* const lostConnectionText = "The connection to the server is broken.";

// The messages, one per line, each once.
std::string diagnosticText(const std::vector<Diagnostic>& diagnostics, std::string_view fallback) {
    std::string text;
    std::unordered_set<std::string_view> seen;
    for (const Diagnostic& diagnostic : diagnostics) {
        if (diagnostic.message.empty() || !seen.insert(diagnostic.message).second)
            continue;
        if (!text.empty())
            text += '\n';
        text += diagnostic.message;
    }
    return text.empty() ? std::string(fallback) : text;
}

template <size_t N, typename T>
bool isOneOf(const std::array<T, N>& values, const T& value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

// Whether a record says that the connection to the server is gone.
bool reportsLostConnection(const Diagnostic& diagnostic) {
    // 08S01 communication link failure, 08003 connection not open, 08007 connection failure
    // during a transaction; PostgreSQL's server ends a session with 57P01 (terminated by an
    // administrator) or 57P02 (crash shutdown) before the driver reports 08S01.
    static const std::array<std::string_view, 5> lostStates = {"08S01", "08003", "08007", "57P01",
                                                               "57P02"};
    // FreeTDS reports a broken socket as a client library error of its own, under 01000 or
    // HY000: read failed (20004), write failed (20006), unexpected EOF (20017), connection
    // dead (20047).
    static const std::array<std::string_view, 3> freeTdsStates = {"01000", "HY000", "08S01"};
    static const std::array<int, 4> freeTdsSocketErrors = {20004, 20006, 20017, 20047};
    return isOneOf(lostStates, std::string_view(diagnostic.sqlState)) ||
           (isOneOf(freeTdsStates, std::string_view(diagnostic.sqlState)) &&
            isOneOf(freeTdsSocketErrors, diagnostic.nativeError));
}

// Whether a record says that the server refused the login: SQLSTATE class 28 (the user name
// or password was not accepted), or SQL Server's "Login failed" under whatever state the driver
// gives it.
bool reportsRefusedLogin(const Diagnostic& diagnostic) {
    constexpr int sqlServerLoginFailed = 18456;
    return diagnostic.sqlState.starts_with("28") || diagnostic.nativeError == sqlServerLoginFailed;
}

// Asked after a failure whose records give no such reason: FreeTDS says only "Unknown error"
// when it finds the server's socket closed before a reply.
bool connectionDead(SQLHDBC connection) {
    SQLUINTEGER dead = SQL_CD_FALSE;
    return connection != SQL_NULL_HDBC &&
           SQL_SUCCEEDED(
               SQLGetConnectAttrW(connection, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) &&
           dead == SQL_CD_TRUE;
}

} // namespace

void TDiagnosticCap::add(Diagnostic diagnostic) {
    if (diagnostic.omitted > 0)
        return skip(diagnostic.omitted); // a capped list's gap, joining this one's
    if (head_.size() < kept)
        return head_.push_back(std::move(diagnostic));
    tail_.push_back(std::move(diagnostic));
    if (tail_.size() > kept) {
        tail_.pop_front();
        ++omitted_;
    }
}

void TDiagnosticCap::add(std::vector<Diagnostic> diagnostics) {
    for (Diagnostic& diagnostic : diagnostics)
        add(std::move(diagnostic));
}

std::vector<Diagnostic> TDiagnosticCap::records() const {
    std::vector<Diagnostic> records = head_;
    if (omitted_ > 0) {
        Diagnostic gap("", 0, "(" + std::to_string(omitted_) + " more messages)");
        gap.omitted = omitted_;
        records.push_back(std::move(gap));
    }
    records.insert(records.end(), tail_.begin(), tail_.end());
    return records;
}

namespace {

// The SQL Server drivers' own diagnostic fields (sqlncli.h); other drivers refuse them.
constexpr SQLSMALLINT serverMessageState = -1150;
constexpr SQLSMALLINT serverSeverity = -1151;
constexpr SQLSMALLINT serverProcedure = -1153;
constexpr SQLSMALLINT serverLine = -1154;

void readServerFields(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT record,
                      Diagnostic& diagnostic) {
    SQLINTEGER number = 0;
    if (SQL_SUCCEEDED(SQLGetDiagFieldW(handleType, handle, record, serverSeverity, &number,
                                       SQL_IS_INTEGER, nullptr)))
        diagnostic.severity = static_cast<int>(number);
    number = 0;
    if (SQL_SUCCEEDED(SQLGetDiagFieldW(handleType, handle, record, serverMessageState, &number,
                                       SQL_IS_INTEGER, nullptr)))
        diagnostic.state = static_cast<int>(number);
    // An unsigned 16-bit number, which some drivers write as a whole integer.
    SQLINTEGER line = 0;
    if (SQL_SUCCEEDED(SQLGetDiagFieldW(handleType, handle, record, serverLine, &line,
                                       SQL_IS_INTEGER, nullptr)))
        diagnostic.line = static_cast<int>(line & 0xFFFF);
    SQLWCHAR procedure[256] = {};
    SQLSMALLINT bytes = 0;
    if (SQL_SUCCEEDED(SQLGetDiagFieldW(handleType, handle, record, serverProcedure, procedure,
                                       sizeof(procedure) - sizeof(SQLWCHAR), &bytes)) &&
        bytes > 0)
        diagnostic.procedure = fromSqlWideBuffer(procedure, std::size(procedure),
                                                 static_cast<size_t>(bytes) / sizeof(SQLWCHAR));
}

// Record `record` of the handle; nothing when there is none.
std::optional<Diagnostic> diagnosticRecord(SQLSMALLINT handleType, SQLHANDLE handle,
                                           SQLSMALLINT record) {
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
        return std::nullopt;
    Diagnostic diagnostic{
        fromSqlWideBuffer(state, std::size(state), 5), static_cast<int>(nativeError),
        fromSqlWideBuffer(message.data(), message.size(), reportedLength(length))};
    readServerFields(handleType, handle, record, diagnostic);
    return diagnostic;
}

} // namespace

std::vector<Diagnostic> readDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
    TDiagnosticCap cap;
    // Record numbers are SQLSMALLINTs: a driver cannot number more than 32767 of them.
    constexpr SQLINTEGER lastNumber = 32767;
    SQLINTEGER count = 0;
    const bool counted =
        SQL_SUCCEEDED(SQLGetDiagFieldW(handleType, handle, 0, SQL_DIAG_NUMBER, &count, 0, nullptr));
    const SQLINTEGER skipFrom = static_cast<SQLINTEGER>(TDiagnosticCap::kept) + 1;
    const SQLINTEGER skipTo =
        counted ? std::min(count, lastNumber) - static_cast<SQLINTEGER>(TDiagnosticCap::kept) : 0;
    for (SQLINTEGER record = 1; record <= lastNumber; ++record) {
        if (record == skipFrom && skipTo >= skipFrom) {
            cap.skip(static_cast<size_t>(skipTo - skipFrom + 1));
            record = skipTo;
            continue;
        }
        std::optional<Diagnostic> diagnostic =
            diagnosticRecord(handleType, handle, static_cast<SQLSMALLINT>(record));
        if (!diagnostic)
            break;
        cap.add(std::move(*diagnostic));
    }
    return cap.records();
}

void throwDiagnostics(const std::vector<Diagnostic>& diagnostics, std::string_view fallback,
                      SQLHDBC openConnection) {
    const std::string message = diagnosticText(diagnostics, fallback);
    if (std::any_of(diagnostics.begin(), diagnostics.end(),
                    [](const Diagnostic& diagnostic) { return reportsRefusedLogin(diagnostic); }))
        throw ELoginRefused(message);
    if (std::any_of(diagnostics.begin(), diagnostics.end(),
                    [](const Diagnostic& diagnostic) { return reportsLostConnection(diagnostic); }))
        throw EConnectionLost(message);
    if (connectionDead(openConnection))
        throw EConnectionLost(message + "\n" + lostConnectionText);
    constexpr int useNotSupported = 40508;
    if (std::any_of(diagnostics.begin(), diagnostics.end(), [](const Diagnostic& diagnostic) {
            return diagnostic.nativeError == useNotSupported;
        }))
        throw EDatabaseSwitchRefused(message);
    throw EDatabaseError(message);
}

std::vector<Diagnostic> checkOdbc(SQLRETURN result, SQLSMALLINT handleType, SQLHANDLE handle,
                                  std::string_view what, SQLHDBC openConnection) {
    if (result == SQL_SUCCESS || result == SQL_NO_DATA)
        return {};
    if (result == SQL_SUCCESS_WITH_INFO)
        return readDiagnostics(handleType, handle);
    if (result == SQL_INVALID_HANDLE)
        throw EDatabaseError(std::string(what) + " failed: invalid handle");
    throwDiagnostics(readDiagnostics(handleType, handle), std::string(what) + " failed",
                     openConnection);
}

} // namespace velmora::ado
