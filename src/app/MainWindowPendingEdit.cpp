// A row in edit in the result grid is never closed or left behind unasked: whatever would close
// the table, or take the grid or the connection away from it, settles the row here first.
#include "DBGrid.h"
#include "Dialogs.h"
#include "ErrorHandler.h"
#include "untDataModule1.h"
#include "untMain.h"

using namespace velmora;

namespace {

bool InEdit(const ado::TCustomADODataSet& DataSet) {
    return DataSet.State() == ado::dsEdit || DataSet.State() == ado::dsInsert;
}

QString TableNameOf(ado::TCustomADODataSet& DataSet) {
    if (const auto* table = dynamic_cast<const ado::TADOTable*>(&DataSet))
        return QString::fromStdString(table->TableName());
    return QString::fromStdString(DataSet.Name());
}

} // namespace

ado::TCustomADODataSet* TfrmMain::DataSetInEdit() const {
    for (ado::TCustomADODataSet* dataSet :
         {static_cast<ado::TCustomADODataSet*>(&FDataModule->ADOTable1),
          static_cast<ado::TCustomADODataSet*>(&FDataModule->ADOQuery1),
          static_cast<ado::TCustomADODataSet*>(&FDataModule->ADODataSet1)})
        if (InEdit(*dataSet))
            return dataSet;
    return nullptr;
}

bool TfrmMain::SettlePendingEdit() {
    // Text still in a cell's editor is part of the row.
    RunCommand([this] { DBGrid1->CommitEdit(); });
    ado::TCustomADODataSet* dataSet = DataSetInEdit();
    if (dataSet == nullptr)
        return true;
    const QMessageBox::StandardButton answer = Dialogs().MessageDlg(
        "Post the changes to " + TableNameOf(*dataSet) + "?", TMsgDlgType::mtWarning,
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::No) {
        dataSet->Cancel();
        return true;
    }
    if (answer != QMessageBox::Yes)
        return false;
    // A post the database refuses is reported; the row stays in edit for the user to mend.
    bool posted = false;
    RunCommand([dataSet, &posted] {
        dataSet->Post();
        posted = true;
    });
    return posted;
}

bool TfrmMain::MaySwitchDatabase(const QString& Name) {
    if (Name.isEmpty() || Name.toStdString() == FDataModule->ADOConnection1.DefaultDatabase())
        return true;
    // Posted later, the row would be written in the other database.
    return SettlePendingEdit();
}
