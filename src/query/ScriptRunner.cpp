#include "ScriptRunner.h"

#include "FirstWord.h"

#include <exception>

namespace velmora::query {

void TScriptRunner::ExecuteScript(const std::string& Script) {
    FObjects.Connection.SetDefaultDatabase(ChosenDatabase ? ChosenDatabase() : std::string());
    if (InsertAtTopOfHistory) {
        InsertAtTopOfHistory(HistorySeparator);
        InsertAtTopOfHistory(Script);
    }
    if (IsSelectScript(Script))
        RunQuery(Script);
    else
        RunCommand(Script);
}

void TScriptRunner::RunQuery(const std::string& Script) {
    FObjects.Source.SetDataSet(&FObjects.Query);
    FObjects.Query.SetSQL(Script);
    try {
        FObjects.Query.Open();
    } catch (const ado::EConnectionLost&) {
        throw; // no result can be shown on a connection that is gone
    } catch (const std::exception& error) {
        ShowResultMessage(error.what());
    }
}

void TScriptRunner::RunCommand(const std::string& Script) {
    long recordsAffected = 0;
    std::string failure;
    try {
        FObjects.Command.SetCommandText(Script);
        ado::TRecordset result = FObjects.Command.Execute(recordsAffected);
        FObjects.DataSet.SetRecordset(std::move(result));
        FObjects.Source.SetDataSet(&FObjects.DataSet);
        return;
    } catch (const ado::EConnectionLost&) {
        throw;
    } catch (const std::exception& error) {
        failure = error.what();
    }
    // A statement without rows hands over a closed result, which the data set refuses.
    const std::string noRows = FObjects.DataSet.Name() + ": Recordset is not open";
    if (TrimBlanksAndControls(failure) != noRows)
        return ShowResultMessage(failure);
    // Drivers report -1 when a statement (DDL, for one) has no count; "-1 affected" would be
    // false, so only a real count is shown.
    ShowResultMessage(recordsAffected > 0
                          ? "Executed : " + std::to_string(recordsAffected) + " affected"
                          : "Command Executed.");
}

void TScriptRunner::ShowResultMessage(const std::string& Message) {
    ado::TADOQuery& query = FObjects.Query;
    query.Close();
    FObjects.Source.SetDataSet(&query);
    // Apostrophes would end the literal early.
    std::string text = Message;
    std::erase(text, '\'');
    query.SetSQL("select '" + text + " ' As Result");
    if (ProcessPendingRepaints)
        ProcessPendingRepaints();
    query.Open();
}

} // namespace velmora::query
