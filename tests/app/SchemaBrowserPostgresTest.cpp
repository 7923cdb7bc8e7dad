// The schema browser on PostgreSQL, whose driver reports functions with their parameters and
// return values, driven through the real main window offscreen.
#include "AdoTestSupport.h"
#include "BrowserTestSupport.h"
#include "PostgresServer.h"
#include "ScriptEditor.h"
#include "StatusBar.h"
#include "untDataModule1.h"
#include "untLog.h"

#include <QMenu>

using namespace velmora;

namespace {

class SchemaBrowserPostgres : public BrowserTest {
protected:
    void SetUp() override {
        VELMORA_REQUIRE(test::odbcDriverInstalled("PostgreSQL Unicode"),
                        "the PostgreSQL ODBC driver");
        VELMORA_REQUIRE(test::postgresPort().has_value(), "the postgres_server test fixture");
        Admin.SetConnectionString(test::postgresConnectionString());
        Admin.Open();
        Admin.Execute("create or replace view public.sysdatabases as "
                      "select datname as name from pg_database order by oid");
        Admin.Execute("create function public." + Function.toStdString() +
                      "(gross int, label varchar(10)) returns int as $$ select gross $$ "
                      "language sql");
        Admin.Execute("create table public." + EmptyTable.toStdString() + "()");
        BrowserTest::SetUp();
        Window->OpenConnection(QString::fromStdString(test::postgresConnectionString()), false);
        ASSERT_EQ(Window->StatusBar1->PanelText(0), "Connected")
            << Window->StatusBar1->PanelText(1).toStdString();
    }
    void TearDown() override {
        Window.reset();
        if (Admin.Connected())
            Admin.Execute("drop function if exists public." + Function.toStdString() +
                          "; drop table if exists public." + EmptyTable.toStdString());
    }

    static QString Own(const QString& Name) { return Name + "_" + QString::number(getpid()); }

    ado::TADOConnection Admin;
    const QString Function = Own("net_price");
    const QString EmptyTable = Own("nothing");
};

} // namespace

TEST_F(SchemaBrowserPostgres, TheCurrentDatabaseIsOpenAndItsFunctionsListed) {
    QTreeWidget* tree = Window->tvTablesViews;
    EXPECT_TRUE(TopTexts(tree).contains("postgres"));
    QTreeWidgetItem* current = Selected(tree);
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->text(0), "velmora");
    EXPECT_TRUE(current->isExpanded());
    EXPECT_TRUE(ChildTexts(current).contains(EmptyTable));
    EXPECT_FALSE(ChildTexts(current).contains("pg_class"));
    EXPECT_EQ(ComboTexts(), TopTexts(tree));
    EXPECT_EQ(Window->cbDatabases->currentText(), "velmora");
    EXPECT_NE(Node(Window->tvStoredProcedures, Function), nullptr);
}

TEST_F(SchemaBrowserPostgres, AFunctionsParametersIncludeTheReturnValue) {
    QTreeWidget* tree = Window->tvStoredProcedures;
    QTreeWidgetItem* function = Node(tree, Function);
    ASSERT_NE(function, nullptr);
    EXPECT_TRUE(HasImage(function, ProcedureImage));
    Window->popStoreProcSQLPopup();
    EXPECT_EQ(Window->miLastSP->text(), "<no store proc>");

    Click(tree, function);
    EXPECT_EQ(Window->LastStoredProc, Function);
    Window->popStoreProcSQLPopup();
    EXPECT_EQ(Window->miLastSP->text(), Function);

    const QStringList parameters = {" [Integer] (4) ReturnValue", "gross [Integer] (4) Input",
                                    "label [WideString] (255) Input"};
    DoubleClick(tree, function);
    EXPECT_EQ(ChildTexts(function), parameters);
    EXPECT_TRUE(function->isExpanded());
    DoubleClick(tree, function);
    EXPECT_EQ(ChildTexts(function), parameters);

    tree->expandItem(function);
    QTreeWidgetItem* parameter = function->child(1);
    EXPECT_TRUE(HasImage(parameter, ParameterImage));
    EXPECT_EQ(DrawnColor(tree, parameter), QColor(128, 0, 128));
    EXPECT_NE(DrawnColor(tree, function), QColor(128, 0, 128));
    Click(tree, parameter); // a parameter is no procedure to remember, and opens nothing
    DoubleClick(tree, parameter);
    EXPECT_EQ(Window->LastStoredProc, Function);
    EXPECT_EQ(parameter->childCount(), 0);
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(SchemaBrowserPostgres, ATableWithoutFieldsGetsNoChildren) {
    QTreeWidgetItem* table = Node(Window->tvTablesViews, EmptyTable);
    ASSERT_NE(table, nullptr);
    DoubleClick(Window->tvTablesViews, table);
    EXPECT_EQ(table->childCount(), 0);
    EXPECT_EQ(Window->LastTable, EmptyTable);
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(SchemaBrowserPostgres, ALostConnectionIsClosedWithItsReasonAndCanBeOpenedAgain) {
    Window->SourceEdit1->SetText("select pg_backend_pid() as pid");
    Window->EntireScript1->trigger();
    const std::string pid = DataModule1->ADOQuery1.Fields(0).AsString();
    Admin.Execute("select pg_terminate_backend(" + pid + ")");
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (Admin.Execute("select 1 from pg_stat_activity where pid = " + pid).rows.rowCount() == 0)
            break;
        QTest::qWait(20);
    }

    Window->SourceEdit1->SetText("select 'still there?' as answer");
    Window->EntireScript1->trigger();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    const QString reason = Dialogs.Messages[0].Text;
    EXPECT_TRUE(reason.contains("terminating connection")) << reason.toStdString();
    EXPECT_FALSE(Window->ConnectionOpen());
    EXPECT_EQ(Window->StatusBar1->PanelText(0), "Connection Lost");
    EXPECT_EQ(Window->StatusBar1->PanelText(1), reason);
    const QStringList log = frmLog->Text().split('\n');
    ASSERT_GE(log.size(), 4);
    EXPECT_TRUE(log[0].endsWith(" - Connection Lost: " + reason)) << log[0].toStdString();
    EXPECT_TRUE(log[1].endsWith(" - ADO Connection : After Disconnect"));
    EXPECT_TRUE(log[2].endsWith(" - ADO Connection : Disconnect"));
    EXPECT_TRUE(log[3].endsWith(" - ADO Connection : Before Disconnect"));

    Window->OpenConnection(QString::fromStdString(test::postgresConnectionString()), false);
    EXPECT_EQ(Window->StatusBar1->PanelText(0), "Connected");
    Window->EntireScript1->trigger();
    EXPECT_EQ(DataModule1->ADOQuery1.Fields(0).AsString(), "still there?");
    EXPECT_EQ(Dialogs.Messages.size(), 1u);
}
