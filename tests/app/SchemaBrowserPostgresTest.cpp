// The schema browser on PostgreSQL, whose driver reports functions with their parameters and
// return values, driven through the real main window offscreen.
#include "PostgresWindowTest.h"
#include "untDataModule1.h"

#include <QMenu>

using namespace velmora;

namespace {

class SchemaBrowserPostgres : public PostgresWindowTest {
protected:
    std::string MakeObjects() const override {
        return "create function public." + Function.toStdString() +
               "(gross int, label varchar(10)) returns int as $$ select gross $$ language sql; "
               "create table public." +
               EmptyTable.toStdString() + "()";
    }
    std::string DropObjects() const override {
        return "drop function if exists public." + Function.toStdString() +
               "; drop table if exists public." + EmptyTable.toStdString();
    }

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

namespace {

// A schema of the test's own beside public, with a table of the same name in each.
class SecondSchemaPostgres : public PostgresWindowTest {
protected:
    std::string MakeObjects() const override {
        const std::string schema = Schema.toStdString();
        const std::string table = Table.toStdString();
        return "create schema " + schema + "; create table " + schema + "." + table +
               " (id int primary key, note varchar(20)); insert into " + schema + "." + table +
               " values (1, 'second'), (2, 'schema'); create table public." + table +
               " (id int primary key); insert into public." + table + " values (9)";
    }
    std::string DropObjects() const override {
        return "drop schema if exists " + Schema.toStdString() +
               " cascade; drop table if exists public." + Table.toStdString();
    }

    const QString Schema = Own("ledgers");
    const QString Table = Own("ledger");
};

} // namespace

TEST_F(SecondSchemaPostgres, ATableInASecondSchemaIsNamedWithItAndOpens) {
    const QStringList tables = ChildTexts(Selected(Window->tvTablesViews));
    const QString qualified = Schema + "." + Table;
    EXPECT_TRUE(tables.contains(Table)); // public's, the connection's own schema
    ASSERT_TRUE(tables.contains(qualified)) << tables.join(", ").toStdString();
    EXPECT_FALSE(tables.contains("pg_catalog.pg_class"));
    DoubleClick(Window->tvTablesViews, Node(Window->tvTablesViews, qualified));
    EXPECT_EQ(Window->LastTable, qualified);
    ado::TADOTable& shown = DataModule1->ADOTable1;
    ASSERT_TRUE(shown.Active());
    EXPECT_EQ(shown.RecordCount(), 2);
    EXPECT_EQ(shown.FieldByName("note").AsString(), "second");
    DoubleClick(Window->tvTablesViews, Node(Window->tvTablesViews, Table));
    EXPECT_EQ(shown.RecordCount(), 1);
    EXPECT_TRUE(Dialogs.Messages.empty());
}
