// View > Show System Objects: whether the browser lists the system's own schemas (sys,
// INFORMATION_SCHEMA) and procedures beside the database's objects.
#include "SchemaCatalog.h"
#include "untDataModule1.h"
#include "untMain.h"

#include <QAction>
#include <QTreeWidget>

using namespace velmora;

schema::TCatalogueView TfrmMain::CatalogueView() {
    return schema::CatalogueViewOf(FDataModule->ADOConnection1, ShowSystemObjects1->isChecked());
}

// The tables of the database the connection is in, and its procedures, are listed anew.
void TfrmMain::ShowSystemObjects1Click() {
    if (!ConnectionOpen())
        return;
    const QString current = QString::fromStdString(FDataModule->ADOConnection1.DefaultDatabase());
    for (int i = 0; i < tvTablesViews->topLevelItemCount(); ++i) {
        QTreeWidgetItem* database = tvTablesViews->topLevelItem(i);
        if (database->text(0) != current)
            continue;
        qDeleteAll(database->takeChildren());
        FillTableNodes(database);
        break;
    }
    FillStoredProcedures();
}
