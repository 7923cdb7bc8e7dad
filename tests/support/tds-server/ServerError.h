#pragma once
// An error the server reports to the client as SQL Server does: number, severity, state, text.
#include <stdexcept>
#include <string>

namespace velmora::tds {

class ServerError : public std::runtime_error {
public:
    ServerError(int errorNumber, std::string message, int errorSeverity = 16, int errorState = 1,
                int errorLine = 0)
        : std::runtime_error(std::move(message)), number(errorNumber), severity(errorSeverity),
          state(errorState), line(errorLine) {}

    int number;
    int severity;
    int state;
    int line;              // in the batch or procedure; 0 until the statement's is known
    std::string procedure; // the procedure it was raised in, if any
};

// Errors of the SQLite engine behind the server, which is no SQL Server and says so.
inline ServerError engineError(const std::string& message) {
    return ServerError(50000, "TDS test server (SQLite): " + message);
}

// What the double does not do, said as such.
inline ServerError notSupported(const std::string& what) {
    return ServerError(50000, "TDS test server: " + what +
                                  " is not supported; it is a protocol double, not an SQL engine.");
}

} // namespace velmora::tds
