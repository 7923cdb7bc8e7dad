// The schema browser on the demo database and on SQLite databases the tests make, driven through
// the real main window offscreen.
#include "AdoTestSupport.h"
#include "BrowserTestSupport.h"
#include "DemoWorkspace.h"
#include "StatusBar.h"
#include "untDataModule1.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>

using namespace velmora;

namespace {

// The demo's "sysdatabases" view is the server's database list, not one of the shop's tables.
const QStringList DemoTables = {"customers", "products", "orders", "order_lines", "order_totals"};

class SchemaBrowser : public BrowserTest {
protected:
    void SetUp() override {
        VELMORA_REQUIRE(test::odbcDriverInstalled("SQLite3"), "the SQLite3 ODBC driver");
        BrowserTest::SetUp();
    }

    ado::TADOConnection& Connection() const { return DataModule1->ADOConnection1; }
    std::string CurrentDatabase() const { return Connection().DefaultDatabase(); }

    // Opens the demo database the way a connection file does, starting from `Database`.
    void ConnectToDemo(const QString& Database = "main") {
        Window->SetDefaultDatabase(Database);
        Window->OpenConnection("demo.udl", true);
        ASSERT_EQ(Window->StatusBar1->PanelText(0), "Connected")
            << Window->StatusBar1->PanelText(1).toStdString();
    }

    // A database of the workspace whose "sysdatabases" lists `Names`, opened from `Database`.
    void ConnectToServerListing(const QStringList& Names, const QString& Database) {
        const std::string path = Workspace.FilePath("server.db").toStdString();
        {
            ado::TADOConnection maker;
            maker.SetConnectionString(test::sqliteConnectionString(path));
            maker.Open();
            maker.Execute("create table databases(name varchar(30)); "
                          "create view sysdatabases as select name from databases; "
                          "create table stock(item varchar(20), qty int)");
            for (const QString& name : Names)
                maker.Execute("insert into databases values ('" + name.toStdString() + "')");
        }
        Window->SetDefaultDatabase(Database);
        Window->OpenConnection(QString::fromStdString(test::sqliteConnectionString(path)), false);
        ASSERT_EQ(Window->StatusBar1->PanelText(0), "Connected")
            << Window->StatusBar1->PanelText(1).toStdString();
    }

    void Execute(const std::string& Sql) { Connection().Execute(Sql); }

    // Picks the combo entry above or below the current one with the keyboard.
    void PickNeighbourEntry(Qt::Key Key) {
        Window->cbDatabases->setFocus();
        QTest::keyClick(Window->cbDatabases, Key);
    }

    TDemoWorkspace Workspace;
};

} // namespace

TEST_F(SchemaBrowser, AfterConnectTheCurrentDatabaseIsOpenWithItsTablesAndViews) {
    ConnectToDemo();
    QTreeWidget* tree = Window->tvTablesViews;
    ASSERT_EQ(TopTexts(tree), QStringList{"main"});
    QTreeWidgetItem* main = tree->topLevelItem(0);
    EXPECT_EQ(Selected(tree), main);
    EXPECT_TRUE(main->isExpanded());
    // sqlite_sequence, SQLite's own table, is not among them.
    EXPECT_EQ(ChildTexts(main), DemoTables);
    EXPECT_TRUE(HasImage(main, DatabaseImage));
    EXPECT_TRUE(HasImage(main->child(0), TableImage));
    EXPECT_TRUE(HasImage(Node(tree, "order_totals"), TableImage));

    EXPECT_EQ(ComboTexts(), QStringList{"main"});
    EXPECT_EQ(Window->cbDatabases->itemIcon(0).cacheKey(), ImageList1(DatabaseImage).cacheKey());
    EXPECT_EQ(Window->cbDatabases->currentIndex(), 0);
    EXPECT_EQ(Window->cbDatabases->lineEdit()->selectedText(), "main");

    EXPECT_EQ(Window->tvStoredProcedures->topLevelItemCount(), 0); // SQLite has none
    EXPECT_EQ(CurrentDatabase(), "main");
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(SchemaBrowser, ACurrentDatabaseNotListedOpensTheFirstAndStaysCurrent) {
    ConnectToServerListing({"archive", "shop"}, "master");
    QTreeWidget* tree = Window->tvTablesViews;
    EXPECT_EQ(TopTexts(tree), (QStringList{"archive", "shop"}));
    EXPECT_EQ(ComboTexts(), (QStringList{"archive", "shop"}));
    EXPECT_EQ(Selected(tree), tree->topLevelItem(0));
    EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());
    EXPECT_EQ(ChildTexts(tree->topLevelItem(0)), (QStringList{"databases", "stock"}));
    EXPECT_EQ(tree->topLevelItem(1)->childCount(), 0); // loaded only when double-clicked
    EXPECT_EQ(Window->cbDatabases->currentIndex(), 0);
    // The listing ran on "master", then the database the connection opened in came back.
    EXPECT_EQ(CurrentDatabase(), "master");
}

TEST_F(SchemaBrowser, NamesDifferingOnlyInCaseAreDifferentDatabases) {
    ConnectToServerListing({"shop", "Shop", "SHOP"}, "Shop");
    QTreeWidget* tree = Window->tvTablesViews;
    EXPECT_EQ(Selected(tree), tree->topLevelItem(1));
    EXPECT_EQ(Window->cbDatabases->currentIndex(), 1);
    EXPECT_EQ(Window->FindDatabaseIndex("SHOP"), 2);
    EXPECT_EQ(Window->FindDatabaseIndex("sHOP"), -1);
    EXPECT_EQ(CurrentDatabase(), "Shop");

    DoubleClick(tree, tree->topLevelItem(2));
    EXPECT_EQ(CurrentDatabase(), "SHOP");
    EXPECT_EQ(Window->cbDatabases->currentIndex(), 2);
    EXPECT_TRUE(tree->topLevelItem(2)->isExpanded());
    EXPECT_EQ(tree->topLevelItem(2)->childCount(), 2); // databases, stock
}

TEST_F(SchemaBrowser, DoubleClickingATableListsItsFieldsOnceAndShowsItsRows) {
    ConnectToDemo();
    QTreeWidget* tree = Window->tvTablesViews;
    QTreeWidgetItem* customers = Node(tree, "customers");
    const QStringList fields = {"customer_id [AutoInc] (0)", "name [String] (60)",
                                "city [String] (40)",        "email [String] (80)",
                                "joined [DateTime] (0)",     "active [Bool] (0)"};
    for (int round = 0; round < 2; ++round) {
        DoubleClick(tree, customers);
        EXPECT_EQ(ChildTexts(customers), fields) << "round " << round;
    }
    EXPECT_TRUE(customers->isExpanded());
    EXPECT_EQ(Window->LastTable, "customers"); // the double-click's first click
    EXPECT_EQ(Window->DataSource1.DataSet(), &DataModule1->ADOTable1);
    EXPECT_EQ(DataModule1->ADOTable1.TableName(), "customers");
    EXPECT_EQ(DataModule1->ADOTable1.RecordCount(), 5);

    QTreeWidgetItem* field = customers->child(1);
    EXPECT_TRUE(HasImage(field, FieldImage));
    EXPECT_EQ(DrawnColor(tree, field), QColor(128, 0, 0));
    EXPECT_NE(DrawnColor(tree, customers), QColor(128, 0, 0));

    // A field opens nothing and is no table to remember.
    DoubleClick(tree, field);
    EXPECT_EQ(ChildTexts(customers), fields);
    EXPECT_EQ(field->childCount(), 0);
    EXPECT_EQ(Window->LastTable, "customers");
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(SchemaBrowser, ATableThatCannotBeShownLeavesTheGridAsItWas) {
    ConnectToDemo();
    DoubleClick(Window->tvTablesViews, Node(Window->tvTablesViews, "products"));
    ASSERT_EQ(Window->DataSource1.DataSet(), &DataModule1->ADOTable1);
    DataModule1->ADOQuery1.SetSQL("select 1 as one");
    DataModule1->ADOQuery1.Open();
    Window->DataSource1.SetDataSet(&DataModule1->ADOQuery1);
    Window->ShowTableInGrid("no_such_table");
    EXPECT_EQ(Window->DataSource1.DataSet(), &DataModule1->ADOQuery1);
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(SchemaBrowser, ErrorsWhileFillingReachTheErrorBox) {
    ConnectToDemo();
    QTreeWidgetItem* orders = Node(Window->tvTablesViews, "orders");
    Execute("drop view order_totals; drop table order_lines; drop table orders");
    DoubleClick(Window->tvTablesViews, orders);
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].DlgType, TMsgDlgType::mtError);
    EXPECT_TRUE(Dialogs.Messages[0].Text.contains("orders"))
        << Dialogs.Messages[0].Text.toStdString();
    EXPECT_EQ(orders->childCount(), 0);
}

TEST_F(SchemaBrowser, AFailedListingOnConnectIsAConnectErrorAndTheDatabaseIsKept) {
    const std::string path = Workspace.FilePath("bare.db").toStdString();
    {
        ado::TADOConnection maker;
        maker.SetConnectionString(test::sqliteConnectionString(path));
        maker.Open();
        maker.Execute("create table t(x int)");
    }
    Window->SetDefaultDatabase("shop");
    Window->OpenConnection(QString::fromStdString(test::sqliteConnectionString(path)), false);
    EXPECT_EQ(Window->StatusBar1->PanelText(0), "Connect Error");
    EXPECT_TRUE(Window->StatusBar1->PanelText(1).contains("sysdatabases"))
        << Window->StatusBar1->PanelText(1).toStdString();
    EXPECT_TRUE(Dialogs.Messages.empty());
    EXPECT_EQ(CurrentDatabase(), "shop");
}

TEST_F(SchemaBrowser, RefreshTablesByTheLevelOfTheSelectedNode) {
    ConnectToDemo();
    QTreeWidget* tree = Window->tvTablesViews;
    QTreeWidgetItem* main = tree->topLevelItem(0);

    tree->clearSelection();
    Execute("create table added_first(x int)");
    Window->Tables1->trigger();
    EXPECT_EQ(ChildTexts(main), DemoTables); // nothing selected: nothing happens

    Click(tree, main);
    Window->Tables1->trigger();
    EXPECT_EQ(ChildTexts(main), DemoTables + QStringList{"added_first"});
    EXPECT_TRUE(main->isExpanded());

    Execute("drop table added_first; create table added_second(y int)");
    Click(tree, Node(tree, "products"));
    Window->Tables1->trigger();
    EXPECT_EQ(ChildTexts(main), DemoTables + QStringList{"added_second"});

    QTreeWidgetItem* customers = Node(tree, "customers");
    DoubleClick(tree, customers);
    Click(tree, customers->child(0));
    Window->Tables1->trigger();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "Cannot refresh from table's field level.");
    EXPECT_EQ(Dialogs.Messages[0].DlgType, TMsgDlgType::mtWarning);
    EXPECT_EQ(Dialogs.Messages[0].Buttons, QMessageBox::Ok);
    EXPECT_EQ(customers->childCount(), 6);

    Execute("drop view sysdatabases; drop view order_totals; drop table order_lines; "
            "drop table orders; drop table customers; drop table products; "
            "drop table added_second");
    Click(tree, main);
    Window->Tables1->trigger();
    EXPECT_EQ(main->childCount(), 0); // a database without tables or views
}

TEST_F(SchemaBrowser, LongNodeTextsScrollSidewaysAndShowWholeInTheirTooltip) {
    ConnectToDemo();
    QTreeWidget* tree = Window->tvTablesViews;
    const QString longName = "a_table_whose_name_is_far_too_long_for_the_browser_pane";
    Execute("create table " + longName.toStdString() + "(x int)");
    Click(tree, tree->topLevelItem(0));
    Window->Tables1->trigger();
    QTreeWidgetItem* node = Node(tree, longName);
    ASSERT_NE(node, nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(node->toolTip(0), longName);
    EXPECT_GT(tree->horizontalScrollBar()->maximum(), 0);
    EXPECT_GE(tree->columnWidth(0), tree->fontMetrics().horizontalAdvance(longName));
}

TEST_F(SchemaBrowser, AClickOnEmptySpaceKeepsTheSelectedNodeForTheCommands) {
    ConnectToDemo();
    QTreeWidget* tree = Window->tvTablesViews;
    QTreeWidgetItem* products = Node(tree, "products");
    Click(tree, products);
    ASSERT_EQ(Selected(tree), products);
    const QPoint below(5, tree->viewport()->height() - 3);
    ASSERT_FALSE(tree->indexAt(below).isValid());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(Selected(tree), products);
    Execute("create table added_later(x int)");
    Window->Tables1->trigger(); // acts on the kept node: its database is listed again
    EXPECT_NE(Node(tree, "added_later"), nullptr);
}

TEST_F(SchemaBrowser, RefreshStoredProceduresRebuildsTheTree) {
    ConnectToDemo();
    Window->tvStoredProcedures->addTopLevelItem(new QTreeWidgetItem(QStringList{"stale"}));
    Window->StoredProcedures1->trigger();
    EXPECT_EQ(Window->tvStoredProcedures->topLevelItemCount(), 0);
}

TEST_F(SchemaBrowser, LastTableSurvivesRebuildsRefreshesAndSwitches) {
    Window->popTableSQLPopup();
    EXPECT_EQ(Window->miLastTable->text(), "<no table>");
    ConnectToServerListing({"archive", "shop"}, "shop");
    QTreeWidget* tree = Window->tvTablesViews;
    Click(tree, Node(tree, "stock"));
    EXPECT_EQ(Window->LastTable, "stock");
    Click(tree, tree->topLevelItem(0)); // a database is no table
    EXPECT_EQ(Window->LastTable, "stock");

    Execute("drop table stock");
    Window->FillDatabases();
    EXPECT_EQ(Node(tree, "stock"), nullptr);
    Click(tree, tree->topLevelItem(1));
    Window->Tables1->trigger();
    PickNeighbourEntry(Qt::Key_Up);
    EXPECT_EQ(Window->LastTable, "stock");
    Window->popTableSQLPopup();
    EXPECT_EQ(Window->miLastTable->text(), "stock");
}

TEST_F(SchemaBrowser, PickingADatabaseInTheComboMakesItCurrentWithoutRebuilding) {
    ConnectToServerListing({"archive", "shop"}, "shop");
    QTreeWidget* tree = Window->tvTablesViews;
    QTreeWidgetItem* selected = Selected(tree);

    PickNeighbourEntry(Qt::Key_Up);
    EXPECT_EQ(Window->cbDatabases->currentText(), "archive");
    EXPECT_EQ(CurrentDatabase(), "archive"); // the picked entry's whole text
    EXPECT_EQ(Selected(tree), selected);
    EXPECT_EQ(selected->text(0), "shop");

    // Typed text is not highlighted, nor is a completion offered, so the name set is empty and
    // never a fragment such as "op"; an empty name leaves the current database as it is.
    Window->cbDatabases->lineEdit()->clear();
    QTest::keyClicks(Window->cbDatabases->lineEdit(), "sh");
    EXPECT_EQ(Window->cbDatabases->currentText(), "sh");
    EXPECT_EQ(CurrentDatabase(), "archive");

    // A closed connection is opened again, in the database picked.
    Window->CloseConnection();
    PickNeighbourEntry(Qt::Key_Down);
    EXPECT_TRUE(Connection().Connected());
    EXPECT_EQ(CurrentDatabase(), "shop");
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(SchemaBrowser, AConnectionThatCannotOpenForTheSwitchReachesTheErrorBox) {
    ConnectToServerListing({"archive", "shop"}, "shop");
    Window->OpenConnection("Provider=MSDASQL;Extended Properties=\"Driver=NoSuchDriver\"", false);
    ASSERT_EQ(Window->StatusBar1->PanelText(0), "Connect Error");
    EXPECT_EQ(ComboTexts(), (QStringList{"archive", "shop"})); // kept until the next open
    PickNeighbourEntry(Qt::Key_Up);
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].DlgType, TMsgDlgType::mtError);
    EXPECT_TRUE(Dialogs.Messages[0].Text.contains("NoSuchDriver"))
        << Dialogs.Messages[0].Text.toStdString();
}

TEST_F(SchemaBrowser, TheArrowKeysChooseTheTableAndEnterOpensANodeAsADoubleClickDoes) {
    ConnectToDemo();
    QTreeWidget* tree = Window->tvTablesViews;
    tree->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([tree] { return tree->hasFocus(); }));
    ASSERT_EQ(Selected(tree)->text(0), "main");
    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_EQ(Window->LastTable, "customers");
    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_EQ(Window->LastTable, "products");
    Window->popTableSQLPopup();
    EXPECT_EQ(Window->miLastTable->text(), "products");

    QTest::keyClick(tree, Qt::Key_Return);
    QTreeWidgetItem* products = Node(tree, "products");
    ASSERT_NE(products, nullptr);
    EXPECT_TRUE(products->isExpanded());
    EXPECT_EQ(products->childCount(), 7);
    EXPECT_EQ(Window->DataSource1.DataSet(), &DataModule1->ADOTable1);
    EXPECT_EQ(DataModule1->ADOTable1.TableName(), "products");

    // A field node is not a table: the remembered one stays.
    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_EQ(Selected(tree)->parent(), products);
    EXPECT_EQ(Window->LastTable, "products");
    // The program's own choice of a node is no user's choice.
    ConnectToDemo();
    EXPECT_EQ(Window->LastTable, "products");
    EXPECT_TRUE(Dialogs.Messages.empty());
}
