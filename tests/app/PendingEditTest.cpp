// A row of a table in edit in the result grid: every command that would close the table, or take
// the grid or the connection away from it, asks "Post the changes to <table>?" first, and the
// answer decides what happens to the row and to the command.
#include "DatabaseChooser.h"
#include "DemoConnection.h"
#include "ResultsFixture.h"
#include "untConnect.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <functional>

namespace {

using velmora::ado::dsEdit;
using velmora::ado::TADOTable;

class PendingEdit : public ResultsFixture {
protected:
    TADOTable& Table() const { return DataModule1->ADOTable1; }

    // customers in the grid, the first one's city changed to City and not posted.
    void EditCity(const QString& City = "Stockholm") {
        ShowTable("customers");
        ASSERT_TRUE(Grid().setData(Grid().index(0, 2), City));
        ASSERT_EQ(Table().State(), dsEdit);
        Dialogs.Messages.clear();
    }

    // What the database holds, read on a connection of its own.
    QString StoredCity(int Customer = 1) const {
        velmora::ado::TADOConnection connection;
        connection.SetConnectionString(
            DemoConnectionString(Workspace.FilePath("demo.db").toStdString()));
        connection.Open();
        velmora::ado::TADOQuery query("check");
        query.SetConnection(&connection);
        query.SetSQL("select city from customers where customer_id = " + std::to_string(Customer));
        query.Open();
        return QString::fromStdString(query.Fields(0).AsString());
    }

    QTreeWidgetItem* TableNode(const QString& Name) const {
        const QList<QTreeWidgetItem*> found = Window->tvTablesViews->findItems(
            Name, Qt::MatchExactly | Qt::MatchRecursive | Qt::MatchCaseSensitive);
        return found.isEmpty() ? nullptr : found.first();
    }

    void DoubleClickTable(const QString& Name) {
        QTreeWidgetItem* node = TableNode(Name);
        ASSERT_NE(node, nullptr) << Name.toStdString();
        Window->tvTablesViews->setCurrentItem(node);
        emit Window->tvTablesViews->itemDoubleClicked(node, 0);
    }

    // The question was asked, once, as the last message so far (Where names the command).
    void ExpectAsked(const std::string& Where, size_t Index = 0) {
        ASSERT_GT(Dialogs.Messages.size(), Index) << Where << ": nothing asked";
        const TScriptedDialogs::TMessage& asked = Dialogs.Messages[Index];
        EXPECT_EQ(asked.Text, "Post the changes to customers?") << Where;
        EXPECT_EQ(asked.Buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) << Where;
    }
};

struct TCommandPath {
    const char* Name;
    std::function<void()> Run;
    // Answers that come before the question about the row.
    std::deque<QMessageBox::StandardButton> Before;
    // True while the command has not taken place.
    std::function<bool()> NotDone;
};

TEST_F(PendingEdit, EveryCommandThatWouldLeaveTheRowAsksAndCancelKeepsTheRowAndStopsIt) {
    Show();
    TfrmMain& window = *Window;
    QPointer<TfrmConnect> dialog;
    const std::vector<TCommandPath> paths = {
        {"another table from the browser",
         [this] { DoubleClickTable("products"); },
         {},
         [&] { return window.DataSource1.DataSet() == &Table(); }},
        {"a template that reads the table's fields",
         [&] {
             window.LastTable = "orders";
             window.INSERT1->trigger();
         },
         {},
         [this] { return Script().isEmpty(); }},
        {"a run of the script",
         [this] {
             SetScript("select 1 as one");
             Window->EntireScript1->trigger();
         },
         {},
         [&] { return window.DataSource1.DataSet() == &Table() && frmHistory->Text().isEmpty(); }},
        {"Connections > Close",
         [&] { window.Close1->trigger(); },
         {},
         [&] { return window.ConnectionOpen(); }},
        {"a connection file of Connections > Open",
         [&] {
             ASSERT_FALSE(window.Open2->actions().isEmpty());
             window.Open2->actions().first()->trigger();
         },
         {},
         [&] { return window.ConnectionOpen(); }},
        {"the connect dialog",
         [&] {
             dialog = new TfrmConnect(&window, window);
             dialog->show();
             QTest::mouseClick(dialog->btnConnect, Qt::LeftButton);
         },
         {},
         [&] { return !dialog.isNull() && dialog->isVisible() && window.ConnectionOpen(); }},
        {"a switch of database in the chooser",
         [&] {
             window.cbDatabases->addItem("temp");
             window.cbDatabases->setCurrentIndex(window.cbDatabases->count() - 1);
             emit window.cbDatabases->activated(window.cbDatabases->count() - 1);
         },
         {},
         [&] {
             return window.cbDatabases->currentText() == "main" &&
                    DataModule1->ADOConnection1.DefaultDatabase() == "main";
         }},
        {"closing the window",
         [&] {
             window.ScriptModified = false; // only the row is in question
             window.close();
         },
         {QMessageBox::Yes},
         [&] { return window.isVisible() && window.ConnectionOpen(); }},
    };
    for (const TCommandPath& path : paths) {
        EditCity();
        Dialogs.Answers = path.Before;
        Dialogs.Answers.push_back(QMessageBox::Cancel);
        path.Run();
        ExpectAsked(path.Name, path.Before.size());
        EXPECT_EQ(Dialogs.Messages.size(), path.Before.size() + 1) << path.Name;
        EXPECT_TRUE(path.NotDone()) << path.Name << ": the command went on";
        EXPECT_EQ(Table().State(), dsEdit) << path.Name;
        EXPECT_EQ(Table().TableName(), "customers") << path.Name;
        EXPECT_EQ(Grid().index(0, 2).data().toString(), "Stockholm") << path.Name;
        EXPECT_EQ(StoredCity(), "Uppsala") << path.Name;
        if (dialog)
            dialog->close();
        Table().Cancel();
    }
}

TEST_F(PendingEdit, YesPostsTheRowAndTheCommandGoesOnUnlessThePostFails) {
    Show();
    EditCity("Stockholm");
    Dialogs.Answers = {QMessageBox::Yes};
    DoubleClickTable("products");
    ExpectAsked("another table");
    EXPECT_EQ(StoredCity(), "Stockholm");
    EXPECT_EQ(Table().TableName(), "products");
    EXPECT_EQ(Window->DataSource1.DataSet(), &Table());

    // joined is NOT NULL: the database refuses the row, which stays for the user to mend.
    ShowTable("customers");
    ASSERT_TRUE(Grid().setData(Grid().index(1, 2), "Madrid"));
    ASSERT_TRUE(Grid().setData(Grid().index(1, 4), ""));
    Dialogs.Messages.clear();
    Dialogs.Answers = {QMessageBox::Yes};
    Window->LastTable = "customers";
    Window->INSERT1->trigger();
    ExpectAsked("a template");
    ASSERT_EQ(Dialogs.Messages.size(), 2u);
    EXPECT_EQ(Dialogs.Messages[1].DlgType, TMsgDlgType::mtError);
    EXPECT_EQ(Table().State(), dsEdit);
    EXPECT_EQ(Grid().index(1, 2).data().toString(), "Madrid");
    EXPECT_TRUE(Script().isEmpty());
    EXPECT_EQ(StoredCity(2), "Girona");
}

TEST_F(PendingEdit, NoDiscardsTheChangesAndTheCommandGoesOn) {
    Show();
    EditCity("Stockholm");
    Dialogs.Answers = {QMessageBox::No};
    Window->LastTable = "customers";
    Window->INSERT1->trigger();
    ExpectAsked("a template");
    EXPECT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_TRUE(Script().startsWith("INSERT INTO customers")) << Script().toStdString();
    EXPECT_EQ(StoredCity(), "Uppsala");

    EditCity("Stockholm");
    Dialogs.Answers = {QMessageBox::No};
    Window->Close1->trigger();
    EXPECT_FALSE(Window->ConnectionOpen());
    EXPECT_EQ(StoredCity(), "Uppsala");
}

TEST_F(PendingEdit, TextStillInACellsEditorBelongsToTheRow) {
    ShowTable("customers");
    Focus(Window->DBGrid1);
    const QModelIndex cell = Grid().index(0, 2);
    Window->DBGrid1->setCurrentIndex(cell);
    Window->DBGrid1->edit(cell);
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, Window->DBGrid1) << "no editor open";
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, "Lund");
    Dialogs.Answers = {QMessageBox::Yes};
    Window->Close1->trigger();
    ExpectAsked("Connections > Close");
    EXPECT_FALSE(Window->ConnectionOpen());
    EXPECT_EQ(StoredCity(), "Lund");
}

TEST_F(PendingEdit, NothingIsAskedWithoutARowInEditOrWhenTheDatabaseStaysTheSame) {
    ShowTable("customers");
    Window->LastTable = "customers";
    Window->INSERT1->trigger();
    EXPECT_FALSE(Script().isEmpty());

    // Refreshing the tables of the database the row is in leaves it where it is.
    ShowTable("customers");
    ASSERT_TRUE(Grid().setData(Grid().index(0, 2), "Stockholm"));
    Window->tvTablesViews->setCurrentItem(Window->tvTablesViews->topLevelItem(0));
    Window->Tables1->trigger();
    EXPECT_EQ(Table().State(), dsEdit);
    EXPECT_TRUE(Dialogs.Messages.empty());
}

} // namespace
