// Running scripts: the three run commands and the history's run button, ExecuteScript and
// ShowResultMessage, the result grid and navigator on DataSource1, and the record counter.
#include "DBGrid.h"
#include "DBNavigator.h"
#include "DatabaseChooser.h"
#include "ErrorHandler.h"
#include "ScriptEditor.h"
#include "ScriptRunner.h"
#include "StatusBar.h"
#include "untDataModule1.h"
#include "untHistory.h"
#include "untMain.h"

#include <QAction>
#include <QCoreApplication>

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

    DataSource1.OnDataChange = [this](ado::TDataSource& Sender, ado::TDataChange) {
        DataSource1DataChange(Sender);
    };
    DataSource1.OnStateChange = [this](ado::TDataSource& Sender) {
        DataSource1StateChange(Sender);
    };
    DBGrid1->SetDataSource(&DataSource1);
    DBNavigator1->SetDataSource(&DataSource1);
    DBNavigator1->BeforeAction = [this](TDBNavigator::TNavigateBtn) { DBGrid1->CommitEdit(); };

    connect(SelectedOnly1, &QAction::triggered, this, Guarded([this] { SelectedOnly1Click(); }));
    connect(EntireScript1, &QAction::triggered, this, Guarded([this] { EntireScript1Click(); }));
    frmHistory->OnRun = [this](const QString& Script) { ExecuteScript(Script); };
}

void TfrmMain::ExecuteScript(const QString& Script) {
    // The run takes the grid away from a row in edit.
    if (!SettlePendingEdit())
        return;
    if (StatusBar1->PanelText(1) == NothingSelected)
        StatusBar1->SetPanelText(1, "");
    FScriptRunner->ExecuteScript(Script.toStdString());
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
    ExecuteScript(SourceEdit1->SelectedText());
}

void TfrmMain::EntireScript1Click() {
    ExecuteScript(SourceEdit1->SelLength() != 0 ? SourceEdit1->SelectedText()
                                                : SourceEdit1->Text());
}

// A closed result has no records to count; its closing shows as a state change.
void TfrmMain::DataSource1DataChange(ado::TDataSource& Sender) {
    const ado::TCustomADODataSet* dataSet = Sender.DataSet();
    if (dataSet == nullptr || !dataSet->Active())
        return;
    StatusBar1->SetPanelText(
        2, QString("%1 of %2 records").arg(dataSet->RecNo()).arg(dataSet->RecordCount()));
}

void TfrmMain::DataSource1StateChange(ado::TDataSource&) {
    StatusBar1->SetPanelText(2, "State Changed");
}
