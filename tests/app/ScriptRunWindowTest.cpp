// The run commands of the main window on the demo database: what runs, what the grid and the
// record counter show, what the history keeps, and the errors that reach the error box.
#include "DatabaseChooser.h"
#include "ResultsFixture.h"
#include "untLog.h"

#include <QAction>
#include <QLineEdit>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

namespace {

const char* const Separator = "========================";

class ScriptRunWindow : public ResultsFixture {
protected:
    // The chooser's entries in place of those the browser listed on connecting.
    void ListDatabases(const QStringList& Names) {
        Window->cbDatabases->clear();
        Window->cbDatabases->addItems(Names);
    }
};

TEST_F(ScriptRunWindow, EntireScriptRunsTheWholeTextAndShowsItsRows) {
    Show();
    SetScript("select name, email from customers order by customer_id");
    Window->EntireScript1->trigger();
    EXPECT_EQ(Titles(), (QStringList{"name", "email"}));
    EXPECT_EQ(ShownRow(0), "Ada Lindqvist|ada@example.org");
    EXPECT_EQ(ShownRow(2), "Chiara Monti|NULL"); // a null shows as the word
    EXPECT_EQ(Counter(), "1 of 5 records");
    EXPECT_EQ(frmHistory->Text(),
              QString("select name, email from customers order by customer_id\n") + Separator);
    EXPECT_TRUE(frmLog->Text().contains("ADO Connection : Will Execute"));
    EXPECT_TRUE(frmLog->Text().contains("ADO Connection : Execute Complete"));
}

TEST_F(ScriptRunWindow, EntireScriptWithASelectionRunsOnlyTheSelection) {
    const QString script = "update products set stock = 0\r\nselect name from products";
    SetScript(script, script.indexOf("select"), QString("select name from products").size());
    Window->EntireScript1->trigger();
    EXPECT_EQ(Titles(), QStringList{"name"});
    EXPECT_EQ(Grid().index(0, 0).data().toString(), "Fountain pen");
    EXPECT_TRUE(frmHistory->Text().startsWith("select name from products\n"));
}

TEST_F(ScriptRunWindow, F5AndTheToolbarButtonRunTheEntireScript) {
    Show();
    SetScript("select 1 as one");
    Window->SourceEdit1->Widget()->setFocus();
    QTest::keyClick(Window->SourceEdit1->Widget(), Qt::Key_F5);
    EXPECT_EQ(Titles(), QStringList{"one"});
    SetScript("select 2 as two");
    Window->ToolButton9->click();
    EXPECT_EQ(Titles(), QStringList{"two"});
    EXPECT_EQ(frmHistory->Text().count(Separator), 2);
}

TEST_F(ScriptRunWindow, SelectedOnlyWithNothingSelectedSaysSoAndRunsNothing) {
    Focus(Editor());
    const QString script = "select name from customers";
    SetScript(script);
    const QString logBefore = frmLog->Text();
    QTest::keyClick(Editor(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(Window->StatusBar1->PanelText(1), "Nothing is selected.");
    EXPECT_TRUE(frmHistory->Text().isEmpty());
    EXPECT_EQ(Window->DataSource1.DataSet(), nullptr);
    EXPECT_EQ(frmLog->Text(), logBefore); // nothing reached the server
    EXPECT_TRUE(Dialogs.Messages.empty());

    // With a selection it runs it, and the remark goes.
    Window->SourceEdit1->SetSelection(0, static_cast<int>(script.size()));
    QTest::keyClick(Editor(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(Titles(), QStringList{"name"});
    EXPECT_EQ(frmHistory->Text(), script + "\n" + Separator);
    EXPECT_EQ(Window->StatusBar1->PanelText(1), "");
}

TEST_F(ScriptRunWindow, CommandsShowTheirCountOrThatTheyRan) {
    SetScript("update products set stock = stock + 1 where price < 20");
    Window->EntireScript1->trigger();
    EXPECT_EQ(Titles(), QStringList{"Result"});
    EXPECT_EQ(ShownRow(0), "Executed : 3 affected ");
    SetScript("delete from products where price > 1000");
    Window->EntireScript1->trigger();
    EXPECT_EQ(ShownRow(0), "Command Executed. ");
}

TEST_F(ScriptRunWindow, ASelectFollowedByALineBreakStillShowsItsRows) {
    SetScript("select\r\nname from customers");
    Window->EntireScript1->trigger();
    EXPECT_EQ(Window->DataSource1.DataSet(), &DataModule1->ADODataSet1);
    EXPECT_EQ(Titles(), QStringList{"name"});
    EXPECT_EQ(Counter(), "1 of 5 records");
}

TEST_F(ScriptRunWindow, ASyntaxErrorShowsTheDriversMessageWithoutApostrophes) {
    SetScript("select * from 'nowhere'");
    Window->EntireScript1->trigger();
    EXPECT_EQ(Titles(), QStringList{"Result"});
    const QString shown = ShownRow(0);
    EXPECT_TRUE(shown.contains("no such table: nowhere")) << shown.toStdString();
    EXPECT_FALSE(shown.contains('\''));
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(ScriptRunWindow, TheHistorysRunButtonRunsThePartSelectedThere) {
    SetScript("select name from customers where city = 'Lyon'\nselect 1 as one");
    Window->EntireScript1->trigger(); // fails: two statements, but goes into the history
    SetScript("select 2 as two");
    Window->EntireScript1->trigger();
    QTextEdit* history = frmHistory->reHistory;
    const QString older = "select name from customers where city = 'Lyon'";
    QTextCursor cursor(history->document());
    cursor.setPosition(history->toPlainText().indexOf(older));
    cursor.setPosition(cursor.position() + older.size(), QTextCursor::KeepAnchor);
    history->setTextCursor(cursor);
    frmHistory->ToolButton3->click();
    EXPECT_EQ(ShownRow(0), QString::fromUtf8("Émile Fournier"));
    EXPECT_TRUE(frmHistory->Text().startsWith(older + "\n" + Separator + "\nselect 2 as two\n"));
}

TEST_F(ScriptRunWindow, WithoutAConnectionTheErrorBoxShowsAndTheHistoryEntryStays) {
    Window->CloseConnection();
    SetScript("select name from customers");
    Window->EntireScript1->trigger();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].DlgType, TMsgDlgType::mtError);
    EXPECT_FALSE(Dialogs.Messages[0].Text.isEmpty());
    EXPECT_EQ(frmHistory->Text(), QString("select name from customers\n") + Separator);
}

TEST_F(ScriptRunWindow, TheDatabaseRunIsTheOneTheChooserShows) {
    const velmora::ado::TADOConnection& connection = DataModule1->ADOConnection1;
    Show();
    ListDatabases({"main", "temp"});
    Window->cbDatabases->SetEntry(1);
    // A click into the chooser, a message box or another window takes the highlight away; the
    // chooser still shows the same database.
    Window->cbDatabases->lineEdit()->deselect();
    Focus(Editor());
    SetScript("select 1 as one");
    Window->EntireScript1->trigger();
    EXPECT_EQ(connection.DefaultDatabase(), "temp");

    // A name the list does not hold is never run on, however it came into the edit part.
    Window->cbDatabases->setEditText("maintenance");
    Window->cbDatabases->lineEdit()->setSelection(0, 4);
    Window->EntireScript1->trigger();
    EXPECT_EQ(connection.DefaultDatabase(), "temp");
    EXPECT_EQ(Window->cbDatabases->currentText(), "temp");
    EXPECT_EQ(Titles(), QStringList{"one"});
}

TEST_F(ScriptRunWindow, TheChooserTakesOnlyNamesFromItsList) {
    const velmora::ado::TADOConnection& connection = DataModule1->ADOConnection1;
    ListDatabases({"main", "temp", "tempdb"});
    Window->cbDatabases->SetEntry(0);
    QLineEdit* typed = Window->cbDatabases->lineEdit();
    Focus(typed);
    typed->clear();
    // Only the start of a listed name can be typed.
    QTest::keyClicks(typed, "tx");
    EXPECT_EQ(typed->text(), "t");
    QTest::keyClicks(typed, "em");
    EXPECT_EQ(typed->text(), "tem");
    // Half typed, it names no database: a run goes to the chosen one, which the chooser shows
    // again.
    SetScript("select 1 as one");
    Window->EntireScript1->trigger();
    EXPECT_EQ(connection.DefaultDatabase(), "main");
    EXPECT_EQ(Window->cbDatabases->currentText(), "main");

    // Typed out in full, a name is picked as from the list; leaving the chooser with part of a
    // name puts the chosen one back.
    typed->clear();
    QTest::keyClicks(typed, "temp");
    EXPECT_EQ(Window->cbDatabases->currentIndex(), 1);
    EXPECT_EQ(connection.DefaultDatabase(), "temp");
    QTest::keyClicks(typed, "d");
    EXPECT_EQ(connection.DefaultDatabase(), "temp");
    QTest::keyClick(typed, Qt::Key_Backspace);
    QTest::keyClick(typed, Qt::Key_Backspace);
    EXPECT_EQ(typed->text(), "tem");
    Focus(Editor());
    EXPECT_EQ(Window->cbDatabases->currentText(), "temp");
    EXPECT_EQ(Window->cbDatabases->count(), 3); // Enter or leaving adds nothing to the list
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(ScriptRunWindow, AnEntryPickedFromTheListIsHighlightedWhole) {
    ListDatabases({"main", "temp"});
    Window->cbDatabases->lineEdit()->deselect();
    emit Window->cbDatabases->activated(0);
    EXPECT_EQ(Window->cbDatabases->SelectedText(), Window->cbDatabases->currentText());
}

TEST_F(ScriptRunWindow, TheProgramsOwnSettingOfTheChooserIsNoUsersSwitch) {
    ListDatabases({"main", "temp"});
    int changes = 0;
    QObject::connect(Window->cbDatabases, &QComboBox::currentTextChanged, [&] { ++changes; });
    QObject::connect(Window->cbDatabases, &QComboBox::editTextChanged, [&] { ++changes; });
    Window->cbDatabases->SetEntry(1);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(Window->cbDatabases->currentText(), "temp");
}

TEST_F(ScriptRunWindow, NoSecondCommandStartsWhileARunWaits) {
    Show();
    QWidget* editor = Window->SourceEdit1->Widget();
    editor->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([editor] { return editor->hasFocus(); }));
    // Long enough to be waited for: F5 arrives from the window system while the run waits.
    SetScript("with recursive c(i) as (select 1 union all select i + 1 from c where i < 3000000) "
              "select count(*) from c");
    QWindow* window = Window->windowHandle();
    QTimer::singleShot(20, [window] {
        QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
            window, QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
        QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
            window, QEvent::KeyRelease, Qt::Key_F5, Qt::NoModifier);
    });
    Window->EntireScript1->trigger();
    EXPECT_EQ(ShownRow(0), "3000000");
    QCoreApplication::processEvents();
    EXPECT_EQ(frmHistory->Text().count(Separator), 1); // ignored, not run afterwards
}

TEST_F(ScriptRunWindow, TheWindowGoesCleanlyWithAResultOnShow) {
    SetScript("select * from products");
    Window->EntireScript1->trigger();
    Window->DBNavigator1->BtnClick(TDBNavigator::nbLast);
    Window.reset(); // the grid and the navigator outlive DataSource1 inside the window
    EXPECT_EQ(DataModule1, nullptr);
}

} // namespace
