// The generators of the table menu (popTableSQL, with Generate SP) and of the procedure menu
// (popStoreProcSQL): statement skeletons and procedure templates for the remembered table or
// procedure, appended to the script.
#include "ErrorHandler.h"
#include "ProcedureTemplates.h"
#include "SchemaCatalog.h"
#include "TableStatements.h"
#include "untDataModule1.h"
#include "untMain.h"

#include <QAction>
#include <QTreeWidget>
#include <utility>

using namespace velmora;

void TfrmMain::ConnectTemplateCommands() {
    struct TCommand {
        QAction* Item;
        void (TfrmMain::*Handler)();
        bool ReadsFields; // reading the table's fields closes the table in the grid
    };
    const TCommand commands[] = {
        {SELECT1, &TfrmMain::SELECT1Click, false},
        {SELECTExtended1, &TfrmMain::SELECTExtended1Click, true},
        {INSERT1, &TfrmMain::INSERT1Click, true},
        {UPDATE1, &TfrmMain::UPDATE1Click, true},
        {DELETE1, &TfrmMain::DELETE1Click, false},
        {TRUNCATE1, &TfrmMain::TRUNCATE1Click, false},
        {CREATETABLE1, &TfrmMain::CreateTable1Click, false},
        {ALTERTABLE1, &TfrmMain::ALTERTABLE1Click, true},
        {DROPTABLE1, &TfrmMain::DROPTABLE1Click, false},
        {Blank1, &TfrmMain::Blank1Click, true},
        {UPDATEINSERT1, &TfrmMain::UPDATEINSERT1Click, true},
        {SELECT2, &TfrmMain::SELECT2Click, true},
        {SPHELPTEXT1, &TfrmMain::SPHELPTEXT1Click, false},
        {SPHELPTEXTEx1, &TfrmMain::SPHELPTEXTEx1Click, false},
    };
    for (const TCommand& command : commands)
        connect(command.Item, &QAction::triggered, this, Guarded([this, command] {
                    if (command.ReadsFields && !LastTable.isEmpty() && !SettlePendingEdit())
                        return;
                    (this->*command.Handler)();
                }));
}

sqlgen::TFieldList TfrmMain::ReadTableFields(const QString& Table) {
    return schema::ReadTableFields(FDataModule->ADOTable1, Table.toStdString());
}

void TfrmMain::AppendSql(const std::string& Text) {
    AppendToScript(QString::fromStdString(Text));
}

// The remembered table as the browser names it: "Sales.Customer", or a dbo table's own name.
sqlgen::TObjectName TfrmMain::LastTableName() const {
    return sqlgen::ReadObjectName(LastTable.toStdString());
}

// Without a table there are no fields to read.
sqlgen::TFieldList TfrmMain::LastTableFields() {
    return LastTable.isEmpty() ? sqlgen::TFieldList() : ReadTableFields(LastTable);
}

void TfrmMain::SELECT1Click() {
    AppendSql(sqlgen::SelectAllStatement(LastTableName()));
}

void TfrmMain::SELECTExtended1Click() {
    AppendSql(sqlgen::SelectExStatement(LastTableName(), LastTableFields()));
}

void TfrmMain::INSERT1Click() {
    AppendSql(sqlgen::InsertStatement(LastTableName(), LastTableFields()));
}

void TfrmMain::UPDATE1Click() {
    AppendSql(sqlgen::UpdateStatement(LastTableName(), LastTableFields()));
}

void TfrmMain::DELETE1Click() {
    AppendSql(sqlgen::DeleteStatement(LastTableName()));
}

void TfrmMain::TRUNCATE1Click() {
    AppendSql(sqlgen::TruncateStatement(LastTableName()));
}

void TfrmMain::CreateTable1Click() {
    AppendSql(sqlgen::CreateTableTemplate());
}

void TfrmMain::ALTERTABLE1Click() {
    if (!LastTable.isEmpty())
        AppendSql(sqlgen::AlterTableListing(LastTableName(), ReadTableFields(LastTable)));
}

void TfrmMain::DROPTABLE1Click() {
    if (!LastTable.isEmpty())
        AppendSql(sqlgen::DropTableStatement(LastTableName()));
}

// Each part reads the fields anew; a body that fails leaves the header appended.
void TfrmMain::AppendProcedureHeader() {
    AppendSql(sqlgen::ProcedureHeader(LastTableName(), ReadTableFields(LastTable)));
}

void TfrmMain::Blank1Click() {
    if (!LastTable.isEmpty())
        AppendProcedureHeader();
}

void TfrmMain::UPDATEINSERT1Click() {
    if (LastTable.isEmpty())
        return;
    AppendProcedureHeader();
    AppendSql(sqlgen::UpsertProcedureBody(LastTableName(), ReadTableFields(LastTable)));
}

void TfrmMain::SELECT2Click() {
    if (LastTable.isEmpty())
        return;
    AppendProcedureHeader();
    AppendSql(sqlgen::SelectProcedureBody(LastTableName(), ReadTableFields(LastTable)));
}

// The procedure commands act on the node chosen last in the procedures tree.
bool TfrmMain::CheckProcedureSelected() {
    if (!tvStoredProcedures->selectedItems().isEmpty())
        return true;
    Dialogs().MessageDlg("You must first select a store procedure.", TMsgDlgType::mtInformation,
                         QMessageBox::Ok);
    return false;
}

void TfrmMain::SPHELPTEXT1Click() {
    if (CheckProcedureSelected())
        AppendSql(sqlgen::HelpTextStatement(sqlgen::ReadObjectName(LastStoredProc.toStdString())));
}

void TfrmMain::SPHELPTEXTEx1Click() {
    // A run that does not start must not read the grid's other rows as the source.
    if (!CheckProcedureSelected() || !SettlePendingEdit())
        return;
    ExecuteScript(QString::fromStdString(
        sqlgen::HelpTextStatement(sqlgen::ReadObjectName(LastStoredProc.toStdString()))));
    ado::TCustomADODataSet* rows = DataSource1.DataSet();
    // A failed statement leaves the server's message in the grid, and no source to append.
    if (rows == nullptr || rows->FindField("Text") == nullptr)
        return;
    const std::string source = schema::ProcedureSourceText(*rows);
    rows->Close();
    AppendSql(source);
}
