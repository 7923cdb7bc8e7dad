#pragma once
// Running a script: the database chosen for it, its history entry, and the query or command
// path that puts its rows, its count or its error into the result grid's data source.
#include "Ado.h"
#include "ScriptOutcome.h"

#include <functional>
#include <string>

namespace velmora::query {

// The line that follows every script in the history.
inline constexpr const char* HistorySeparator = "========================";

// What a run works on: the data module's connection and result objects, and the data source
// of the result grid.
struct TResultObjects {
    ado::TADOConnection& Connection;
    ado::TADOCommand& Command;
    ado::TADOQuery& Query;
    ado::TADODataSet& DataSet;
    ado::TDataSource& Source;
};

class TScriptRunner {
public:
    explicit TScriptRunner(TResultObjects Objects) : FObjects(Objects) {}

    // The database chosen for the run; empty leaves the current one as it is.
    std::function<std::string()> ChosenDatabase;
    // Puts a text above everything the history holds.
    std::function<void(const std::string& Text)> InsertAtTopOfHistory;
    // Lets the windows repaint without taking user input, so that no other command can start
    // while one runs.
    std::function<void()> ProcessPendingRepaints;

    // Writes a line into the log.
    std::function<void(const std::string& Message)> WriteLog;
    // Gets what the run brought back beyond the grid's result, once it has ended.
    std::function<void(TScriptOutcome& Outcome)> ShowOutcome;

    // Runs the script: as one batch when it holds no GO line, else batch after batch, each as a
    // script without GO runs, a failed one not stopping the next; a cancel stops the run. The
    // grid shows the run's first result set, or, when none came, the first error or else the
    // last batch's message. `FirstLine` is the editor's line the text begins on (0: the text is
    // not the editor's, so messages point at no line of it). Choosing the database can fail
    // before anything is recorded; errors of the statements become the result, except a lost
    // connection (EConnectionLost), which escapes like an error showing that result.
    void ExecuteScript(const std::string& Script, size_t FirstLine = 1);
    // Shows a message as a one-row, one-column result named "Result".
    void ShowResultMessage(const std::string& Message);

private:
    // One batch's run: whether the grid shows its result set, else its message, and the rest.
    struct TBatchRun {
        bool Shown = false;
        bool Failed = false;
        std::string Message;
        ado::TRecordset Unshown; // its result set, when the grid shows an earlier one
        ado::TBatchOutput Output;
    };

    TBatchRun RunShown(const std::string& Script);
    TBatchRun RunQuery(const std::string& Script);
    TBatchRun RunCommand(const std::string& Script);
    TBatchRun RunUnshown(const std::string& Script);
    void Collect(TBatchRun& Run, size_t FirstLine);
    void RunBatches(const std::string& Script, size_t FirstLine);

    TResultObjects FObjects;
    TScriptOutcome FOutcome;
};

} // namespace velmora::query
