// Running scripts: the three run commands and the history's run button, ExecuteScript and
// ShowResultMessage, the result grid and navigator on DataSource1, and the record counter.
#include "DBGrid.h"
#include "DBNavigator.h"
#include "DatabaseChooser.h"
#include "ErrorHandler.h"
#include "FirstRowsPreview.h"
#include "ResultTabs.h"
#include "ScriptEditor.h"
#include "ScriptRunner.h"
#include "StatusBar.h"
#include "untDataModule1.h"
#include "untHistory.h"
#include "untMain.h"

#include <QAction>
#include <QCoreApplication>
#include <QScopeGuard>

using namespace velmora;

namespace {

const char* const NothingSelected = "Nothing is selected.";

} // namespace

void TfrmMain::ConnectScriptCommands() {
    FScriptRunner = std::make_unique<query::TScriptRunner>(
        query::TResultObjects{FDataModule->ADOConnection1, FDataModule->ADOCommand1,
                              FDataModule->ADOQuery1, FDataModule->ADODataSet1, DataSource1});
    FScriptRunner->ChosenDatabase = [this] {
        // A half-typed name is no database: the chooser shows the one the script runs in.
        cbDatabases->RevertTypedText();
        return cbDatabases->ShownDatabase().toStdString();
    };
    FScriptRunner->InsertAtTopOfHistory = [](const std::string& Text) {
        frmHistory->InsertAtTop(QString::fromStdString(Text));
    };
    FScriptRunner->ProcessPendingRepaints = [] {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    FScriptRunner->WriteLog = [this](const std::string& Message) {
        WriteLog(QString::fromStdString(Message));
    };
    FScriptRunner->ShowOutcome = [this](query::TScriptOutcome& Outcome) {
        ResultTabs1->Show(Outcome);
    };
    ResultTabs1->OnVisibleSourceChanged = [this](ado::TDataSource* Source) {
        DBNavigator1->SetDataSource(Source);
        if (Source != nullptr)
            ShowRecordCounter(*Source);
    };
    ResultTabs1->OnDataChange = [this](ado::TDataSource& Source) { ShowRecordCounter(Source); };
    ResultTabs1->OnGoToLine = [this](size_t Line) { GoToScriptLine(Line); };

    DataSource1.OnDataChange = [this](ado::TDataSource& Sender, ado::TDataChange) {
        DataSource1DataChange(Sender);
    };
    DataSource1.OnStateChange = [this](ado::TDataSource& Sender) {
        DataSource1StateChange(Sender);
    };
    DBGrid1->SetDataSource(&DataSource1);
    DBNavigator1->SetDataSource(&DataSource1);
    FFirstRows = new TFirstRowsPreview(
        DBGrid1, &DataSource1, [this](const QString& Text) { StatusBar1->SetPanelText(2, Text); },
        this);
    DBNavigator1->BeforeAction = [this](TDBNavigator::TNavigateBtn) { DBGrid1->CommitEdit(); };

    connect(SelectedOnly1, &QAction::triggered, this, Guarded([this] { SelectedOnly1Click(); }));
    connect(EntireScript1, &QAction::triggered, this, Guarded([this] { EntireScript1Click(); }));
    frmHistory->OnRun = [this](const QString& Script) { ExecuteScript(Script); };
}

void TfrmMain::ExecuteScript(const QString& Script) {
    RunScriptFrom(Script, -1);
}

// `Start`: where the text begins in the editor, -1 when it is not the editor's.
void TfrmMain::RunScriptFrom(const QString& Script, int Start) {
    // The run takes the grid away from a row in edit.
    if (!SettlePendingEdit())
        return;
    if (StatusBar1->PanelText(1) == NothingSelected)
        StatusBar1->SetPanelText(1, "");
    ResultTabs1->Clear();
    DBNavigator1->SetDataSource(&DataSource1);
    size_t firstLine = 0;
    if (Start >= 0)
        firstLine =
            1 + static_cast<size_t>(QStringView(SourceEdit1->Text()).left(Start).count('\n'));
    FFirstRows->Expect();
    const auto stopFirstRows = qScopeGuard([this] { FFirstRows->Stop(); });
    FScriptRunner->ExecuteScript(Script.toStdString(), firstLine);
}

void TfrmMain::GoToScriptLine(size_t Line) {
    const QString text = SourceEdit1->Text();
    qsizetype offset = 0;
    for (size_t line = 1; line < Line && offset >= 0; ++line) {
        offset = text.indexOf('\n', offset);
        if (offset >= 0)
            ++offset;
    }
    if (offset < 0)
        return;
    SourceEdit1->SetSelection(static_cast<int>(offset), 0);
    SourceEdit1->Widget()->setFocus();
}

void TfrmMain::ShowResultMessage(const QString& Message) {
    FScriptRunner->ShowResultMessage(Message.toStdString());
}

void TfrmMain::SelectedOnly1Click() {
    // An empty statement would only bring back the driver's complaint about it.
    if (SourceEdit1->SelLength() == 0) {
        StatusBar1->SetPanelText(1, NothingSelected);
        return;
    }
    RunScriptFrom(SourceEdit1->SelectedText(), SourceEdit1->SelStart());
}

void TfrmMain::EntireScript1Click() {
    if (SourceEdit1->SelLength() != 0)
        RunScriptFrom(SourceEdit1->SelectedText(), SourceEdit1->SelStart());
    else
        RunScriptFrom(SourceEdit1->Text(), 0);
}

// A closed result has no records to count; its closing shows as a state change.
void TfrmMain::DataSource1DataChange(ado::TDataSource& Sender) {
    if (Sender.DataSet() != nullptr && Sender.DataSet()->Active())
        FFirstRows->Stop(); // the run's result is in the grid
    // Another tab's records are counted while it is in sight.
    if (ResultTabs1->VisibleSource() != &Sender)
        return;
    ShowRecordCounter(Sender);
}

void TfrmMain::ShowRecordCounter(ado::TDataSource& Source) {
    const ado::TCustomADODataSet* dataSet = Source.DataSet();
    if (dataSet == nullptr || !dataSet->Active())
        return;
    StatusBar1->SetPanelText(
        2, QString("%1 of %2 records").arg(dataSet->RecNo()).arg(dataSet->RecordCount()));
}

void TfrmMain::DataSource1StateChange(ado::TDataSource&) {
    StatusBar1->SetPanelText(2, "State Changed");
}
