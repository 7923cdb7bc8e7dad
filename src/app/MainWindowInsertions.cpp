// Small insertions at the end of the script: a new GUID, the current date and time as a
// literal, and the text of what is selected in a tree or the grid.
#include "DBGrid.h"
#include "ErrorHandler.h"
#include "Insertions.h"
#include "untMain.h"

#include <QAction>
#include <QTreeWidget>
#include <ctime>
#include <stdexcept>

using namespace velmora;

void TfrmMain::ConnectInsertionCommands() {
    connect(GUID1, &QAction::triggered, this, Guarded([this] { GUID1Click(); }));
    connect(yyyymmddhhmmss1, &QAction::triggered, this,
            Guarded([this] { yyyymmddhhmmss1Click(); }));
    connect(CopySelectedOver1, &QAction::triggered, this,
            Guarded([this] { CopySelectedOver1Click(); }));
    connect(DBGrid1, &QAbstractItemView::clicked, this, [this](const QModelIndex& Cell) {
        RunCommand([this, Cell] { DBGrid1CellClick(Cell.column()); });
    });
}

void TfrmMain::GUID1Click() {
    AppendSql(sqlgen::GuidText(sqlgen::NewGuid()));
}

void TfrmMain::yyyymmddhhmmss1Click() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (local == nullptr)
        throw std::runtime_error("The local time cannot be read.");
    AppendSql(sqlgen::DateTimeLiteral(*local));
}

void TfrmMain::CopySelectedOver1Click() {
    CopySelectedOver();
}

// From the control that has the focus in this window; the toolbar button takes none.
void TfrmMain::CopySelectedOver() {
    QWidget* active = focusWidget();
    if (active == tvTablesViews || active == tvStoredProcedures) {
        const QList<QTreeWidgetItem*> selected = static_cast<QTreeWidget*>(active)->selectedItems();
        if (!selected.isEmpty())
            AppendToScript(selected.first()->text(0));
    } else if (active == DBGrid1) {
        // NULL is what a null value means in a script.
        if (const ado::TField* field = DBGrid1->SelectedField())
            AppendToScript(field->IsNull() ? QString("NULL")
                                           : QString::fromStdString(field->AsString()));
    }
}
