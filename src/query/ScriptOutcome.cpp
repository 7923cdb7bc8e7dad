#include "ScriptOutcome.h"

#include <algorithm>

namespace velmora::query {

TRunMessage ServerMessage(const ado::Diagnostic& Diagnostic, bool Error, size_t FirstLine) {
    TRunMessage message;
    message.Error = Error;
    const bool serverFields = Diagnostic.severity >= 0;
    // A PRINT, and SQL Server's informational messages, are their text alone.
    if (!Error && (!serverFields || Diagnostic.severity <= 10)) {
        message.Text = Diagnostic.message;
        return message;
    }
    std::string head = "Msg " + std::to_string(Diagnostic.nativeError);
    if (serverFields) {
        head += ", Level " + std::to_string(Diagnostic.severity) + ", State " +
                std::to_string(std::max(Diagnostic.state, 0));
        if (!Diagnostic.procedure.empty()) {
            // The line is the procedure's own.
            head +=
                ", Procedure " + Diagnostic.procedure + ", Line " + std::to_string(Diagnostic.line);
        } else {
            message.ScriptLine = FirstLine + static_cast<size_t>(std::max(Diagnostic.line, 1)) - 1;
            head += ", Line " + std::to_string(message.ScriptLine);
        }
    } else {
        message.ScriptLine = FirstLine;
        if (!Diagnostic.sqlState.empty())
            head += ", SQLSTATE " + Diagnostic.sqlState;
        head += ", in the batch at line " + std::to_string(FirstLine);
    }
    message.Text = head + "\n" + Diagnostic.message;
    return message;
}

std::string RowsAffected(long Count) {
    return "(" + std::to_string(Count) + (Count == 1 ? " row" : " rows") + " affected)";
}

std::string RunSummary(long long Milliseconds, size_t Batches, bool Cancelled) {
    const long long seconds = Milliseconds / 1000;
    std::string fraction = std::to_string(Milliseconds % 1000);
    fraction.insert(0, 3 - fraction.size(), '0');
    std::string second = std::to_string(seconds % 60);
    if (second.size() < 2)
        second.insert(0, "0");
    return std::string(Cancelled ? "Cancelled after " : "Elapsed ") + std::to_string(seconds / 60) +
           ":" + second + "." + fraction + ", " + std::to_string(Batches) +
           (Batches == 1 ? " batch" : " batches");
}

} // namespace velmora::query
