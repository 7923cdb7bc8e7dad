// A click on a blob cell of an editable table in the result grid offers to store a file in it.
#include "Dialogs.h"
#include "EditableResult.h"
#include "untMain.h"

#include <QFile>

using namespace velmora;

void TfrmMain::DBGrid1CellClick(int Column) {
    ado::TCustomADODataSet* dataSet = DataSource1.DataSet();
    if (dataSet == nullptr || !dataSet->Active() || Column < 0 || Column >= dataSet->FieldCount())
        return;
    ado::TField& field = dataSet->Fields(Column);
    if (!field.IsBlob() || !query::IsEditableResult(*dataSet))
        return;
    if (Dialogs().MessageDlg("Do you want to add a file?", TMsgDlgType::mtConfirmation,
                             QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    if (!OpenDialog2.Execute())
        return;
    if (dataSet->State() != ado::dsEdit && dataSet->State() != ado::dsInsert)
        dataSet->Edit();
    // The row stays in edit state: posting writes the file, cancelling forgets it.
    field.LoadFromFile(QFile::encodeName(OpenDialog2.FileName).toStdString());
}
