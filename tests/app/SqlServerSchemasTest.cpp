// A SQL Server database laid out as real ones are, most of it outside dbo, in the main window:
// the real FreeTDS driver against the TDS test server. Objects named with their schemas,
// system objects hidden until asked for, tables of one name in two schemas opened and edited,
// templates and procedure text, statements that do not depend on QUOTED_IDENTIFIER, and a
// server that switches databases only by a new connection (Azure SQL Database).
#include "DBGrid.h"
#include "DBNavigator.h"
#include "DataLinkFile.h"
#include "DataSetTableModel.h"
#include "DemoWorkspace.h"
#include "GridText.h"
#include "SqlServerWindowFixture.h"
#include "untDataModule1.h"
#include "untLog.h"

#include <QAction>
#include <QComboBox>
#include <QToolButton>

using namespace velmora;

namespace {

class SqlServerSchemas : public SqlServerWindowFixture {
protected:
    QStringList Column(int Index) const {
        QStringList values;
        for (int row = 0; row < Grid().rowCount(); ++row)
            values << Grid().index(row, Index).data().toString();
        return values;
    }

    QTreeWidgetItem* Database(const QString& Name) const {
        return Node(Window->tvTablesViews, Name);
    }
    QStringList Tables(const QString& DatabaseName = "sample") const {
        return ChildTexts(Database(DatabaseName));
    }
    // Double-clicks the table's node: the grid then shows the table, and LastTable names it.
    void Open(const QString& Table) {
        Window->PageControl1->setCurrentWidget(Window->tvTablesViews->parentWidget());
        QTreeWidgetItem* node = Node(Window->tvTablesViews, Table);
        ASSERT_NE(node, nullptr) << Table.toStdString();
        DoubleClick(Window->tvTablesViews, node);
    }
    // Types the value into the first row's cell of the column and posts it with the navigator.
    void EditAndPost(const std::string& Column, const QString& Value) {
        ado::TADOTable& shown = DataModule1->ADOTable1;
        ASSERT_TRUE(shown.Active());
        const QModelIndex cell = Grid().index(0, shown.FieldByName(Column).Index());
        ASSERT_TRUE(Grid().setData(cell, Value));
        Window->DBNavigator1->Button(TDBNavigator::nbPost)->click();
        EXPECT_TRUE(Dialogs.Messages.empty()) << Dialogs.Messages.front().Text.toStdString();
    }
    void RefreshTables() {
        Window->tvTablesViews->setCurrentItem(Database("sample"));
        Window->Tables1->trigger();
    }

    static QString Own(const QString& Name) { return Name + "_" + QString::number(getpid()); }

    TDemoWorkspace Workspace; // the current directory, for connection files
};

bool AnyStartsWith(const QStringList& Texts, const QString& Start) {
    return std::any_of(Texts.begin(), Texts.end(),
                       [&](const QString& text) { return text.startsWith(Start); });
}

} // namespace

TEST_F(SqlServerSchemas, ObjectsOutsideDboAreNamedWithTheirSchemaAndSystemViewsAreHidden) {
    Connect(test::tdsConnectionString("sample"));
    const QStringList tables = Tables();
    for (const char* table : {"customers", "Customer", "Sales.Customer", "Person.Person",
                              "Sales.SalesOrder", "Sales.vCustomer", "customer_totals"})
        EXPECT_TRUE(tables.contains(table)) << table;
    EXPECT_FALSE(AnyStartsWith(tables, "sys.")) << tables.join(", ").toStdString();
    EXPECT_FALSE(AnyStartsWith(tables, "INFORMATION_SCHEMA.")) << tables.join(", ").toStdString();
    EXPECT_FALSE(tables.contains("dbo.Customer"));
    const QStringList procedures = TopTexts(Window->tvStoredProcedures);
    EXPECT_TRUE(procedures.contains("customer_orders"));
    EXPECT_TRUE(procedures.contains("Sales.CustomerOrders"));
    EXPECT_FALSE(AnyStartsWith(procedures, "sys.")) << procedures.join(", ").toStdString();
    EXPECT_FALSE(Window->ShowSystemObjects1->isChecked());

    // The toggle lists them, with their schema, and takes them away again.
    Window->ShowSystemObjects1->trigger();
    EXPECT_TRUE(Tables().contains("sys.tables")) << Tables().join(", ").toStdString();
    EXPECT_TRUE(Tables().contains("INFORMATION_SCHEMA.TABLES"));
    EXPECT_TRUE(Tables().contains("Sales.Customer"));
    EXPECT_TRUE(TopTexts(Window->tvStoredProcedures).contains("sys.sp_tables"));
    Window->ShowSystemObjects1->trigger();
    EXPECT_FALSE(AnyStartsWith(Tables(), "sys."));
    EXPECT_FALSE(AnyStartsWith(TopTexts(Window->tvStoredProcedures), "sys."));
    EXPECT_TRUE(Dialogs.Messages.empty()) << Dialogs.Messages.front().Text.toStdString();
}

TEST_F(SqlServerSchemas, TablesOfOneNameInDboAndSalesOpenWithTheirOwnRowsAndPostEdits) {
    Connect(test::tdsConnectionString("sample"));
    const QString table = Own("Ledger");
    Run("create table " + table + " (id int primary key, note nvarchar(20))\r\nGO\r\n" +
        "insert into " + table + " values (1, 'dbo row')\r\nGO\r\n" + "create table Sales." +
        table + " (id int primary key, note nvarchar(20))\r\nGO\r\n" + "insert into Sales." +
        table + " values (1, 'sales row'), (2, 'sales two')");
    RefreshTables();
    EXPECT_TRUE(Tables().contains(table));
    EXPECT_TRUE(Tables().contains("Sales." + table));

    Open("Sales." + table);
    EXPECT_EQ(Window->LastTable, "Sales." + table);
    EXPECT_EQ(Column(1), (QStringList{"sales row", "sales two"}));
    EditAndPost("note", "sales edited");
    Open(table);
    EXPECT_EQ(Column(1), QStringList{"dbo row"});
    EditAndPost("note", "dbo edited");

    Run("select note from Sales." + table + " where id = 1");
    EXPECT_EQ(Result(), "sales edited");
    Run("select note from dbo." + table);
    EXPECT_EQ(Result(), "dbo edited");

    // The sample's own pair: dbo's walk-in customer, Sales's four accounts.
    Open("Customer");
    EXPECT_EQ(Grid().rowCount(), 1);
    Open("Sales.Customer");
    EXPECT_EQ(Grid().rowCount(), 4);
    EXPECT_EQ(ChildTexts(Node(Window->tvTablesViews, "Sales.Customer")),
              (QStringList{"CustomerID [AutoInc] (0)", "PersonID [Integer] (0)",
                           "AccountNumber [String] (10)"}));
    Run("drop table " + table + "\r\nGO\r\ndrop table Sales." + table);
    EXPECT_TRUE(Dialogs.Messages.empty()) << Dialogs.Messages.front().Text.toStdString();
}

TEST_F(SqlServerSchemas, TemplatesNameTheTableWithItsSchemaAndRunAsWritten) {
    Connect(test::tdsConnectionString("sample"));
    Click(Window->tvTablesViews, Node(Window->tvTablesViews, "Sales.Customer"));
    EXPECT_EQ(Window->LastTable, "Sales.Customer");
    Window->popTableSQLPopup();
    EXPECT_EQ(Window->miLastTable->text(), "Sales.Customer");
    Window->SourceEdit1->SetText("");
    Window->SELECT1->trigger();
    EXPECT_EQ(Window->SourceEdit1->Text(), "SELECT * FROM Sales.Customer");
    Window->SourceEdit1->SetText("");
    Window->SELECTExtended1->trigger();
    EXPECT_EQ(Window->SourceEdit1->Text(), "SELECT \r\n\t CustomerID\r\n\t,PersonID\r\n"
                                           "\t,AccountNumber\r\nFROM Sales.Customer\r\n WHERE ");
    Window->SourceEdit1->SetText("");
    Window->SELECT2->trigger();
    const QString procedure = Window->SourceEdit1->Text();
    EXPECT_TRUE(procedure.contains("\r\ncreate procedure p_Customer\r\n"))
        << procedure.toStdString();
    EXPECT_TRUE(procedure.contains("\r\n\tSales.Customer (nolock)\r\n")) << procedure.toStdString();

    // A name that needs brackets gets them, in the tree as in the statement, and runs.
    const QString table = Own("Order Lines");
    Run("create table Sales.[" + table + "] (id int primary key)\r\nGO\r\ninsert into Sales.[" +
        table + "] values (7)");
    RefreshTables();
    const QString shown = "Sales.[" + table + "]";
    ASSERT_TRUE(Tables().contains(shown)) << Tables().join(", ").toStdString();
    Open(shown);
    EXPECT_EQ(Column(0), QStringList{"7"});
    Window->SourceEdit1->SetText("");
    Window->SELECT1->trigger();
    EXPECT_EQ(Window->SourceEdit1->Text(), "SELECT * FROM " + shown);
    Window->EntireScript1->trigger();
    EXPECT_EQ(Result(), "7");
    Run("drop table " + shown);
    EXPECT_TRUE(Dialogs.Messages.empty()) << Dialogs.Messages.front().Text.toStdString();
}

TEST_F(SqlServerSchemas, SpHelpTextExOfAProcedureInASchemaAppendsItsTextAndAFailureNothing) {
    Connect(test::tdsConnectionString("sample"));
    QTreeWidgetItem* procedure = Node(Window->tvStoredProcedures, "Sales.CustomerOrders");
    ASSERT_NE(procedure, nullptr);
    Click(Window->tvStoredProcedures, procedure);
    EXPECT_EQ(Window->LastStoredProc, "Sales.CustomerOrders");
    DoubleClick(Window->tvStoredProcedures, procedure);
    EXPECT_EQ(ChildTexts(procedure).mid(1), QStringList{"@CustomerID [Integer] (4) Input"});
    Window->SourceEdit1->SetText("-- before");
    Window->SPHELPTEXTEx1->trigger();
    EXPECT_EQ(Window->SourceEdit1->Text(),
              "-- before\r\n"
              "create procedure Sales.CustomerOrders @CustomerID int\r\n"
              "as\r\n"
              "select SalesOrderID, OrderDate, TotalDue from Sales.SalesOrder\r\n"
              "where CustomerID = @CustomerID\r\n"
              "order by SalesOrderID;");
    EXPECT_TRUE(Dialogs.Messages.empty()) << Dialogs.Messages.front().Text.toStdString();

    // A procedure that is gone: the server's message is the result, and nothing is appended.
    Window->LastStoredProc = "Sales.Gone";
    Window->SourceEdit1->SetText("-- before");
    Window->SPHELPTEXTEx1->trigger();
    EXPECT_EQ(Window->SourceEdit1->Text(), "-- before");
    EXPECT_TRUE(Result().contains("does not exist")) << Result().toStdString();
    EXPECT_TRUE(Dialogs.Messages.empty()) << Dialogs.Messages.front().Text.toStdString();
}

TEST_F(SqlServerSchemas, AfterQuotedIdentifierOffATableStillOpensAndAnEditStillPosts) {
    Connect(test::tdsConnectionString("sample"));
    const QString table = Own("quoting");
    Run("create table Sales." + table + " (id int primary key, note nvarchar(20))\r\nGO\r\n" +
        "insert into Sales." + table + " values (1, 'before')");
    RefreshTables();
    Run("SET QUOTED_IDENTIFIER OFF");
    Run("select \"a string now\" as said");
    ASSERT_EQ(Result(), "a string now");
    Open("Sales." + table);
    EXPECT_EQ(Column(1), QStringList{"before"});
    EditAndPost("note", "after");
    Run("select note from Sales." + table);
    EXPECT_EQ(Result(), "after");
    Run("drop table Sales." + table);
    EXPECT_TRUE(Dialogs.Messages.empty()) << Dialogs.Messages.front().Text.toStdString();
}

TEST_F(SqlServerSchemas, OnAzureTheChooserAndTheTreeSwitchDatabasesByConnectingAnew) {
    test::TTdsServerProcess azure({"--azure"});
    Connect(test::tdsConnectionString(azure.Port(), "sa", test::tdsSaPassword, "sample"));
    EXPECT_EQ(ComboTexts(), (QStringList{"master", "sample"}));
    EXPECT_EQ(Window->cbDatabases->currentText(), "sample");
    EXPECT_TRUE(Tables().contains("Sales.Customer"));

    const int master = ComboTexts().indexOf("master");
    Window->cbDatabases->setCurrentIndex(master);
    emit Window->cbDatabases->activated(master);
    EXPECT_TRUE(frmLog->Text().contains(
        "ADO Connection : Reconnect to master (the server does not switch databases with USE)"))
        << frmLog->Text().toStdString();
    Run("select db_name() as current_database");
    EXPECT_EQ(Result(), "master");

    DoubleClick(Window->tvTablesViews, Database("sample"));
    EXPECT_EQ(Window->cbDatabases->currentText(), "sample");
    Run("select db_name() as current_database");
    EXPECT_EQ(Result(), "sample");
    EXPECT_TRUE(TopTexts(Window->tvStoredProcedures).contains("Sales.CustomerOrders"));
    Open("Sales.Customer");
    EXPECT_EQ(Grid().rowCount(), 4);
    EXPECT_TRUE(Dialogs.Messages.empty()) << Dialogs.Messages.front().Text.toStdString();
}

TEST_F(SqlServerSchemas, OnAzureAConnectionFileConnectsToItsInitialCatalog) {
    test::TTdsServerProcess azure({"--azure"});
    ado::writeDataLinkFile(
        Workspace.FilePath("azure.udl").toStdString(),
        test::tdsConnectionString(azure.Port(), "sa", test::tdsSaPassword, "sample"));
    // As after a connect through the dialog, which starts in master.
    Window->SetDefaultDatabase("master");
    Window->OpenConnection("azure.udl", true);
    ASSERT_EQ(Panel(0), "Connected") << Panel(1).toStdString();
    EXPECT_EQ(Window->cbDatabases->currentText(), "sample");
    Run("select db_name() as current_database");
    EXPECT_EQ(Result(), "sample");
    EXPECT_TRUE(Dialogs.Messages.empty()) << Dialogs.Messages.front().Text.toStdString();
}
