#pragma once
// Running a script: the database chosen for it, its history entry, and the query or command
// path that puts its rows, its count or its error into the result grid's data source.
#include "Ado.h"

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

    // Runs the script as one batch. Choosing the database can fail before anything is recorded;
    // errors of the statement become the result, except a lost connection (EConnectionLost),
    // which escapes like an error showing that result.
    void ExecuteScript(const std::string& Script);
    // Shows a message as a one-row, one-column result named "Result".
    void ShowResultMessage(const std::string& Message);

private:
    void RunQuery(const std::string& Script);
    void RunCommand(const std::string& Script);

    TResultObjects FObjects;
};

} // namespace velmora::query
