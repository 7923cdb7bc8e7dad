// The schema browser: the databases combo, the tree of databases with their tables, views and
// fields, and the tree of the current database's procedures with their parameters.
#include "CustomDrawDelegate.h"
#include "DBNavigator.h"
#include "DatabaseChooser.h"
#include "ErrorHandler.h"
#include "ImageList.h"
#include "PaletteContrast.h"
#include "ResultTabs.h"
#include "SchemaCatalog.h"
#include "SchemaLevels.h"
#include "SchemaTree.h"
#include "untDataModule1.h"
#include "untMain.h"

#include <QAction>
#include <QComboBox>
#include <QTreeWidget>

using namespace velmora;

namespace {

const QColor FieldColor(128, 0, 0);       // maroon
const QColor ParameterColor(128, 0, 128); // purple

int NodeLevel(const QTreeWidgetItem* Node) {
    int level = 0;
    for (const QTreeWidgetItem* up = Node->parent(); up != nullptr; up = up->parent())
        ++level;
    return level;
}

int NodeLevel(const QModelIndex& Node) {
    int level = 0;
    for (QModelIndex up = Node.parent(); up.isValid(); up = up.parent())
        ++level;
    return level;
}

QTreeWidgetItem* SelectedNode(const QTreeWidget* Tree) {
    const QList<QTreeWidgetItem*> selected = Tree->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

// The selected node when it is at the level, else nullptr.
QTreeWidgetItem* SelectedNodeAt(const QTreeWidget* Tree, int Level) {
    QTreeWidgetItem* node = SelectedNode(Tree);
    return node != nullptr && NodeLevel(node) == Level ? node : nullptr;
}

// One node per text, each with the image as its normal and its selected image.
QList<QTreeWidgetItem*> NewNodes(const std::vector<std::string>& Texts, int Image) {
    const QIcon icon = ImageList1(Image);
    QList<QTreeWidgetItem*> nodes;
    nodes.reserve(static_cast<qsizetype>(Texts.size()));
    for (const std::string& text : Texts) {
        QTreeWidgetItem* node = TSchemaTree::NewNode(QString::fromStdString(text));
        node->setIcon(0, icon);
        nodes << node;
    }
    return nodes;
}

void DeleteChildren(QTreeWidgetItem* Node) {
    qDeleteAll(Node->takeChildren());
}

} // namespace

void TfrmMain::ConnectSchemaBrowser() {
    // A double-clicked table expands by one level itself; the tree's own toggle would undo that.
    tvTablesViews->setExpandsOnDoubleClick(false);
    // The procedures tree shows its selection only while it has the focus.
    QPalette palette = tvStoredProcedures->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Base));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, palette.color(QPalette::Text));
    tvStoredProcedures->setPalette(palette);
    tvTablesViews->setItemDelegate(new TCustomDrawDelegate(
        tvTablesViews, [this](const QModelIndex& Node, QStyleOptionViewItem& Option) {
            tvTablesViewsCustomDrawItem(Node, Option);
        }));
    tvStoredProcedures->setItemDelegate(new TCustomDrawDelegate(
        tvStoredProcedures, [this](const QModelIndex& Node, QStyleOptionViewItem& Option) {
            tvStoredProceduresCustomDrawItem(Node, Option);
        }));

    connect(tvTablesViews, &QTreeWidget::itemClicked, this,
            Guarded([this] { tvTablesViewsClick(); }));
    connect(tvTablesViews, &QTreeWidget::itemDoubleClicked, this,
            Guarded([this] { tvTablesViewsDblClick(); }));
    connect(tvStoredProcedures, &QTreeWidget::itemClicked, this,
            Guarded([this] { tvStoredProceduresClick(); }));
    connect(tvStoredProcedures, &QTreeWidget::itemDoubleClicked, this,
            Guarded([this] { tvStoredProceduresDblClick(); }));
    connect(Tables1, &QAction::triggered, this, Guarded([this] { Tables1Click(); }));
    connect(StoredProcedures1, &QAction::triggered, this,
            Guarded([this] { StoredProcedures1Click(); }));
    connect(ShowSystemObjects1, &QAction::toggled, this,
            Guarded([this] { ShowSystemObjects1Click(); }));
    // The chooser highlights an entry picked from the list whole, so its whole name is used. A
    // name typed out in full counts as picked; part of a name switches nothing.
    connect(cbDatabases, &QComboBox::activated, this, Guarded([this] { cbDatabasesChange(); }));
}

void TfrmMain::FillDatabases() {
    tvTablesViews->clear();
    cbDatabases->clear();
    ado::TADOConnection& connection = FDataModule->ADOConnection1;
    const std::string remembered = connection.DefaultDatabase();
    try {
        // The database list is master's; a server that switches databases only by a new
        // connection (Azure SQL Database) lists them in any.
        connection.UseDatabase("master");
        const std::vector<std::string> names = schema::ReadDatabaseNames(FDataModule->ADOQuery1);
        tvTablesViews->addTopLevelItems(NewNodes(names, DatabaseImage));
        for (const std::string& name : names)
            cbDatabases->addItem(ImageList1(DatabaseImage), QString::fromStdString(name));
        const int position = schema::CurrentDatabasePosition(names, remembered);
        if (QTreeWidgetItem* node = tvTablesViews->topLevelItem(position)) {
            cbDatabases->SetEntry(position);
            tvTablesViews->setCurrentItem(node);
            OpenDatabaseNode(node);
        }
    } catch (...) {
        // A failed listing must not leave the connection in another database than before.
        try {
            connection.SetDefaultDatabase(remembered);
        } catch (const std::exception&) {
            // The first error is the one to report.
        }
        throw;
    }
    connection.SetDefaultDatabase(remembered);
}

void TfrmMain::FillTableNodes(QTreeWidgetItem* DatabaseNode) {
    DatabaseNode->addChildren(
        NewNodes(schema::ReadTableNames(FDataModule->ADOConnection1, CatalogueView()), TableImage));
}

void TfrmMain::FillFieldNodes(const QString& TableName, QTreeWidgetItem* TableNode) {
    TableNode->addChildren(NewNodes(
        schema::ReadFieldNodeTexts(FDataModule->ADOTable1, TableName.toStdString()), FieldImage));
}

void TfrmMain::ShowTableInGrid(const QString& TableName) {
    ado::TADOTable& table = FDataModule->ADOTable1;
    try {
        table.Close();
        table.SetTableName(schema::DataSetObjectName(TableName.toStdString()));
        table.Open();
        // The last run's tabs do not belong with the table.
        ResultTabs1->Clear();
        DBNavigator1->SetDataSource(&DataSource1);
        DataSource1.SetDataSet(&table);
    } catch (const std::exception&) {
        // Some objects list their fields but cannot be opened; the grid then stays as it was.
    }
}

void TfrmMain::FillStoredProcedures() {
    tvStoredProcedures->clear();
    tvStoredProcedures->addTopLevelItems(NewNodes(
        schema::ReadProcedureNames(FDataModule->ADOConnection1, CatalogueView()), ProcedureImage));
}

void TfrmMain::FillParameterNodes(const QString& ProcedureName, QTreeWidgetItem* ProcedureNode) {
    ProcedureNode->addChildren(NewNodes(
        schema::ReadParameterNodeTexts(FDataModule->ADOStoredProc1, ProcedureName.toStdString()),
        ParameterImage));
}

int TfrmMain::FindDatabaseIndex(const QString& Name) const {
    return cbDatabases->findText(Name, Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void TfrmMain::OpenDatabaseNode(QTreeWidgetItem* DatabaseNode) {
    const QString name = DatabaseNode->text(0);
    SetDefaultDatabase(name);
    DeleteChildren(DatabaseNode);
    FillTableNodes(DatabaseNode);
    FillStoredProcedures();
    cbDatabases->SetEntry(FindDatabaseIndex(name));
    TSchemaTree::ExpandWithDescendants(DatabaseNode);
}

void TfrmMain::OpenTableNode(QTreeWidgetItem* TableNode) {
    SetDefaultDatabase(TableNode->parent()->text(0));
    DeleteChildren(TableNode);
    FillFieldNodes(TableNode->text(0), TableNode);
    TableNode->setExpanded(true);
    ShowTableInGrid(TableNode->text(0));
}

void TfrmMain::tvTablesViewsClick() {
    if (const QTreeWidgetItem* node = SelectedNodeAt(tvTablesViews, TableLevel))
        LastTable = node->text(0);
}

void TfrmMain::tvTablesViewsDblClick() {
    QTreeWidgetItem* node = SelectedNode(tvTablesViews);
    if (node == nullptr)
        return;
    // Opening a table closes the one in the grid.
    if (NodeLevel(node) == DatabaseLevel && MaySwitchDatabase(node->text(0)))
        OpenDatabaseNode(node);
    else if (NodeLevel(node) == TableLevel && SettlePendingEdit())
        OpenTableNode(node);
}

void TfrmMain::tvTablesViewsCustomDrawItem(const QModelIndex& Node, QStyleOptionViewItem& Option) {
    if (NodeLevel(Node) == FieldLevel)
        Option.palette.setColor(QPalette::Text,
                                FixedInkOn(FieldColor, Option.palette.color(QPalette::Base)));
}

void TfrmMain::tvStoredProceduresClick() {
    if (const QTreeWidgetItem* node = SelectedNodeAt(tvStoredProcedures, ProcedureLevel))
        LastStoredProc = node->text(0);
}

void TfrmMain::tvStoredProceduresDblClick() {
    QTreeWidgetItem* node = SelectedNodeAt(tvStoredProcedures, ProcedureLevel);
    if (node == nullptr)
        return;
    DeleteChildren(node);
    FillParameterNodes(node->text(0), node);
}

void TfrmMain::tvStoredProceduresCustomDrawItem(const QModelIndex& Node,
                                                QStyleOptionViewItem& Option) {
    if (NodeLevel(Node) == ParameterLevel)
        Option.palette.setColor(QPalette::Text,
                                FixedInkOn(ParameterColor, Option.palette.color(QPalette::Base)));
}

void TfrmMain::Tables1Click() {
    QTreeWidgetItem* node = SelectedNode(tvTablesViews);
    if (node == nullptr)
        return;
    if (NodeLevel(node) == FieldLevel) {
        Dialogs().MessageDlg("Cannot refresh from table's field level.", TMsgDlgType::mtWarning,
                             QMessageBox::Ok);
        return;
    }
    QTreeWidgetItem* database = NodeLevel(node) == DatabaseLevel ? node : node->parent();
    if (!MaySwitchDatabase(database->text(0)))
        return;
    // The tables listed are the connection's current database's, so that database must be the
    // node's.
    SetDefaultDatabase(database->text(0));
    DeleteChildren(database);
    FillTableNodes(database);
}

void TfrmMain::StoredProcedures1Click() {
    FillStoredProcedures();
}

void TfrmMain::cbDatabasesChange() {
    if (!MaySwitchDatabase(cbDatabases->SelectedText())) {
        // The chooser goes back to the database the row belongs to.
        cbDatabases->SetEntry(FindDatabaseIndex(
            QString::fromStdString(FDataModule->ADOConnection1.DefaultDatabase())));
        return;
    }
    SetDefaultDatabase(cbDatabases->SelectedText());
    FDataModule->ADOConnection1.SetConnected(true);
}
