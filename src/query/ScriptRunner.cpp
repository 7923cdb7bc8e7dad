#include "ScriptRunner.h"

#include "BatchSplitter.h"
#include "FirstWord.h"

#include <chrono>
#include <exception>

namespace velmora::query {

namespace {

std::string FirstLineOf(const std::string& Text) {
    return Text.substr(0, Text.find_first_of("\r\n"));
}

} // namespace

void TScriptRunner::ExecuteScript(const std::string& Script, size_t FirstLine) {
    FObjects.Connection.SetDefaultDatabase(ChosenDatabase ? ChosenDatabase() : std::string());
    if (InsertAtTopOfHistory) {
        InsertAtTopOfHistory(HistorySeparator);
        InsertAtTopOfHistory(Script);
    }
    FOutcome = {};
    const auto started = std::chrono::steady_clock::now();
    RunBatches(Script, FirstLine == 0 ? 1 : FirstLine);
    size_t messages = FOutcome.Messages.size();
    FOutcome.ShowTabs = !FOutcome.LaterResults.empty() || messages > 1;
    if (FirstLine == 0)
        for (TRunMessage& message : FOutcome.Messages)
            message.ScriptLine = 0;
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    FOutcome.Messages.push_back(
        {RunSummary(elapsed.count(), FOutcome.Batches, FOutcome.Cancelled), 0, false});
    if (ShowOutcome)
        ShowOutcome(FOutcome);
}

void TScriptRunner::RunBatches(const std::string& Script, size_t FirstLine) {
    const TBatchScript split = SplitBatches(Script);
    if (!split.Split()) {
        // The whole text as one batch, exactly as a script has always run.
        FOutcome.Batches = 1;
        TBatchRun run = RunShown(Script);
        Collect(run, FirstLine);
        if (!run.Shown)
            ShowResultMessage(run.Message);
        return;
    }
    const unsigned long cancelledBefore = FObjects.Connection.CancelledCalls();
    bool shown = false;
    std::string firstError;
    std::string lastMessage = "Command Executed.";
    for (const TBatch& batch : split.Batches) {
        if (!batch.HasCode)
            continue;
        const std::string text(batch.TextIn(Script));
        const size_t line = FirstLine + batch.FirstLine - 1;
        for (long repeat = 0; repeat < batch.Repeat && !FOutcome.Cancelled; ++repeat) {
            ++FOutcome.Batches;
            TBatchRun run = shown ? RunUnshown(text) : RunShown(text);
            shown = shown || run.Shown;
            Collect(run, line);
            if (run.Failed) {
                ++FOutcome.FailedBatches;
                if (firstError.empty())
                    firstError = run.Message;
                if (WriteLog)
                    WriteLog("Batch " + std::to_string(FOutcome.Batches) + " at line " +
                             std::to_string(line) + " failed: " + FirstLineOf(run.Message));
            } else if (!run.Message.empty()) {
                lastMessage = run.Message;
            }
            FOutcome.Cancelled = FObjects.Connection.CancelledCalls() != cancelledBefore;
        }
        if (FOutcome.Cancelled)
            break;
    }
    if (!shown)
        ShowResultMessage(firstError.empty() ? lastMessage : firstError);
}

TScriptRunner::TBatchRun TScriptRunner::RunShown(const std::string& Script) {
    FObjects.Connection.TakeLastBatch();
    return IsSelectScript(Script) ? RunQuery(Script) : RunCommand(Script);
}

TScriptRunner::TBatchRun TScriptRunner::RunQuery(const std::string& Script) {
    TBatchRun run;
    FObjects.Source.SetDataSet(&FObjects.Query);
    FObjects.Query.SetSQL(Script);
    try {
        FObjects.Query.Open();
        run.Shown = true;
    } catch (const ado::EConnectionLost&) {
        throw; // no result can be shown on a connection that is gone
    } catch (const std::exception& error) {
        run.Message = error.what();
        // A select that assigns variables returns no rows: not a failure of the batch.
        run.Failed = run.Message != FObjects.Query.Name() + ": CommandText does not return a "
                                                            "result set";
    }
    run.Output = FObjects.Connection.TakeLastBatch();
    return run;
}

TScriptRunner::TBatchRun TScriptRunner::RunCommand(const std::string& Script) {
    TBatchRun run;
    long recordsAffected = 0;
    std::string failure;
    try {
        FObjects.Command.SetCommandText(Script);
        ado::TRecordset result = FObjects.Command.Execute(recordsAffected);
        run.Output = FObjects.Connection.TakeLastBatch();
        FObjects.DataSet.SetRecordset(std::move(result));
        FObjects.Source.SetDataSet(&FObjects.DataSet);
        run.Shown = true;
        return run;
    } catch (const ado::EConnectionLost&) {
        throw;
    } catch (const std::exception& error) {
        failure = error.what();
    }
    if (run.Output.items.empty())
        run.Output = FObjects.Connection.TakeLastBatch();
    // A statement without rows hands over a closed result, which the data set refuses.
    const std::string noRows = FObjects.DataSet.Name() + ": Recordset is not open";
    if (TrimBlanksAndControls(failure) != noRows) {
        run.Failed = true;
        run.Message = failure;
        return run;
    }
    // Drivers report -1 when a statement (DDL, for one) has no count; "-1 affected" would be
    // false, so only a real count is shown.
    run.Message = recordsAffected > 0
                      ? "Executed : " + std::to_string(recordsAffected) + " affected"
                      : "Command Executed.";
    return run;
}

// A batch after the one whose result set the grid shows: its results go to the outcome alone.
TScriptRunner::TBatchRun TScriptRunner::RunUnshown(const std::string& Script) {
    TBatchRun run;
    FObjects.Connection.TakeLastBatch();
    try {
        run.Unshown = FObjects.Connection.Execute(Script);
    } catch (const ado::EConnectionLost&) {
        throw;
    } catch (const std::exception& error) {
        run.Failed = true;
        run.Message = error.what();
    }
    run.Output = FObjects.Connection.TakeLastBatch();
    return run;
}

void TScriptRunner::Collect(TBatchRun& Run, size_t FirstLine) {
    bool errorSeen = false;
    for (ado::TBatchItem& item : Run.Output.items) {
        switch (item.kind) {
        case ado::TBatchItem::biResult:
            if (item.result > 0 && item.result <= Run.Output.results.size())
                FOutcome.LaterResults.push_back(std::move(Run.Output.results[item.result - 1]));
            else if (item.result == 0 && !Run.Shown && Run.Unshown.IsOpen())
                FOutcome.LaterResults.push_back(std::move(Run.Unshown));
            break;
        case ado::TBatchItem::biCount:
            FOutcome.Messages.push_back({RowsAffected(item.count), 0, false});
            break;
        case ado::TBatchItem::biMessage:
            FOutcome.Messages.push_back(ServerMessage(item.diagnostic, false, FirstLine));
            break;
        case ado::TBatchItem::biError:
            errorSeen = true;
            FOutcome.Messages.push_back(ServerMessage(item.diagnostic, true, FirstLine));
            break;
        }
    }
    // An error of the program or the driver rather than of a statement.
    if (Run.Failed && !errorSeen)
        FOutcome.Messages.push_back(
            {"Error, in the batch at line " + std::to_string(FirstLine) + "\n" + Run.Message,
             FirstLine, true});
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
