// The main window driven offscreen: menus, shortcuts, the script's state, closing.
#include "DBGrid.h"
#include "ErrorHandler.h"
#include "MemoScriptEditor.h"
#include "MemoWidget.h"
#include "ProgramIdentity.h"
#include "QtPrinting.h"
#include "ScriptEditor.h"
#include "ScriptedDialogs.h"
#include "StatusBar.h"
#include "untHistory.h"
#include "untLog.h"
#include "untMain.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QWheelEvent>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

namespace {

// One line per item: indentation, caption (as it reads, without its mnemonic's mark), shortcut, and
// markers for submenus and disabled items.
void DumpMenu(const QList<QAction*>& Actions, const QString& Indent, QStringList& Lines) {
    for (const QAction* action : Actions) {
        if (action->isSeparator()) {
            Lines << Indent + "-";
            continue;
        }
        QString line = Indent + QString(action->text()).remove('&');
        if (!action->shortcut().isEmpty())
            line += "  " + action->shortcut().toString(QKeySequence::PortableText);
        if (!action->isEnabled())
            line += "  (disabled)";
        if (action->menu() != nullptr)
            line += " >";
        Lines << line;
        if (action->menu() != nullptr)
            DumpMenu(action->menu()->actions(), Indent + "  ", Lines);
    }
}

QStringList Dump(const QList<QAction*>& Actions) {
    QStringList lines;
    DumpMenu(Actions, "", lines);
    return lines;
}

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override { Window = std::make_unique<TfrmMain>(); }

    void ShowAndFocus(QWidget* Control) {
        Window->show();
        Window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
        Control->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([Control] { return Control->hasFocus(); }));
    }

    QWidget* Editor() const { return Window->SourceEdit1->Widget(); }

    TScriptedDialogs Dialogs;
    std::unique_ptr<TfrmMain> Window;
};

TEST_F(MainWindowTest, MainMenuHasEveryItemInOrderWithItsShortcut) {
    const QStringList expected = {"File",
                                  "  New  Ctrl+N",
                                  "  -",
                                  "  Open  Ctrl+O",
                                  "  Reopen >",
                                  "  -",
                                  "  Save  Ctrl+S",
                                  "  Save As",
                                  "  Export Result\u2026",
                                  "  -",
                                  "  Print  Ctrl+P",
                                  "  -",
                                  "  Exit",
                                  " >",
                                  "Edit",
                                  "  Find\u2026  Ctrl+F",
                                  "  Replace\u2026  Ctrl+H",
                                  "  -",
                                  "  Go to Line\u2026  Ctrl+L",
                                  "Connections",
                                  "  Connect",
                                  "  -",
                                  "  Open >",
                                  "  -",
                                  "  Close",
                                  "  -",
                                  "  Create/Edit",
                                  "Actions",
                                  "  Execute >",
                                  "    Selected Only  Ctrl+E",
                                  "    Entire Script  F5",
                                  "  Cancel\tEsc  (disabled)",
                                  "  -",
                                  "  Generate >",
                                  "    GUID  Ctrl+G",
                                  "    Random Number  Ctrl+R",
                                  "    -",
                                  "    Date Time >",
                                  "      yyyy-mm-dd hh:mm:ss  Ctrl+T",
                                  "  -",
                                  "  Copy Selected Over  Ins",
                                  "View",
                                  "  History  F2",
                                  "  Log  F3",
                                  "  -",
                                  "  Line Numbers",
                                  "  Show System Objects",
                                  "  -",
                                  "  Options  (disabled)",
                                  "  -",
                                  "  Refresh >",
                                  "    Tables  Shift+F5",
                                  "    Stored Procedures  Shift+F6",
                                  "Help",
                                  "  About"};
    QStringList actual = Dump(Window->menuBar()->actions());
    // Top-level entries are submenus; the marker only matters below them.
    for (QString& line : actual)
        if (!line.startsWith(' ') && line.endsWith(" >"))
            line.chop(2);
    QStringList expectedWithoutStray = expected;
    expectedWithoutStray.removeAll(" >");
    EXPECT_EQ(actual, expectedWithoutStray);
}

TEST_F(MainWindowTest, TheWindowCarriesTheProgramsIconInEverySizeThatIsInstalled) {
    SetProgramIdentity();
    EXPECT_EQ(QGuiApplication::desktopFileName(), "org.velmora.velmora2");
    const QIcon icon = Window->windowIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    // Drawn, not a blank: the middle of the tile is opaque.
    const QImage drawn = icon.pixmap(48).toImage();
    EXPECT_EQ(qAlpha(drawn.pixel(24, 24)), 255);
}

TEST_F(MainWindowTest, ContextMenusHaveEveryItemInOrderWithItsShortcut) {
    EXPECT_EQ(
        Dump(Window->popTableSQL->actions()),
        (QStringList{"<no table>", "-", "SELECT *  Shift+F1", "SELECT Ex  Shift+F2", "-",
                     "INSERT  Shift+F3", "UPDATE  Shift+F4", "DELETE  Shift+F5",
                     "TRUNCATE  Shift+F6", "-", "CREATE TABLE", "ALTER TABLE", "DROP TABLE", "-",
                     "Generate SP >", "  Blank", "  -", "  UPDATE / INSERT", "  SELECT"}));
    EXPECT_EQ(Dump(Window->popStoreProcSQL->actions()),
              (QStringList{"<no store proc>", "-", "SP_HELPTEXT", "SP_HELPTEXT Ex", "-"}));
    EXPECT_EQ(Window->popTableSQL->defaultAction(), Window->miLastTable);
    EXPECT_EQ(Window->popStoreProcSQL->defaultAction(), Window->miLastSP);
}

TEST_F(MainWindowTest, ContextMenuCaptionsShowTheRememberedNames) {
    Window->popTableSQLPopup();
    Window->popStoreProcSQLPopup();
    EXPECT_EQ(Window->miLastTable->text(), "<no table>");
    EXPECT_EQ(Window->miLastSP->text(), "<no store proc>");
    Window->LastTable = "Customers";
    Window->LastStoredProc = "p_Orders";
    Window->popTableSQLPopup();
    Window->popStoreProcSQLPopup();
    EXPECT_EQ(Window->miLastTable->text(), "Customers");
    EXPECT_EQ(Window->miLastSP->text(), "p_Orders");
}

TEST_F(MainWindowTest, InTheEditorTheContextMenuShortcutWinsOverRefresh) {
    ShowAndFocus(Editor());
    QSignalSpy deletes(Window->DELETE1, &QAction::triggered);
    QSignalSpy truncates(Window->TRUNCATE1, &QAction::triggered);
    QSignalSpy refreshTables(Window->Tables1, &QAction::triggered);
    QSignalSpy refreshProcedures(Window->StoredProcedures1, &QAction::triggered);
    QTest::keyClick(Editor(), Qt::Key_F5, Qt::ShiftModifier);
    QTest::keyClick(Editor(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(deletes.count(), 1);
    EXPECT_EQ(truncates.count(), 1);
    EXPECT_EQ(refreshTables.count(), 0);
    EXPECT_EQ(refreshProcedures.count(), 0);
}

TEST_F(MainWindowTest, ElsewhereTheRefreshCommandsRun) {
    ShowAndFocus(Window->tvTablesViews);
    QSignalSpy deletes(Window->DELETE1, &QAction::triggered);
    QSignalSpy refreshTables(Window->Tables1, &QAction::triggered);
    QSignalSpy refreshProcedures(Window->StoredProcedures1, &QAction::triggered);
    QTest::keyClick(Window->tvTablesViews, Qt::Key_F5, Qt::ShiftModifier);
    QTest::keyClick(Window->tvTablesViews, Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(deletes.count(), 0);
    EXPECT_EQ(refreshTables.count(), 1);
    EXPECT_EQ(refreshProcedures.count(), 1);
}

TEST_F(MainWindowTest, CtrlEInTheEditorRunsSelectedOnlyOncePerPress) {
    ShowAndFocus(Editor());
    QSignalSpy runs(Window->SelectedOnly1, &QAction::triggered);
    QTest::keyClick(Editor(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(runs.count(), 1);
    QTest::keyClick(Editor(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(runs.count(), 1);
}

TEST_F(MainWindowTest, CtrlSpaceInTheEditorPopsUpTheTableMenuAtTheScreenCorner) {
    ShowAndFocus(Editor());
    QTest::keyClick(Editor(), Qt::Key_Space, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([this] { return Window->popTableSQL->isVisible(); }));
    // Qt nudges a menu a pixel or two inside the screen; it must still sit in the corner, not
    // at the caret or the mouse.
    const QPoint corner = Window->popTableSQL->screen()->geometry().topLeft();
    EXPECT_LE((Window->popTableSQL->pos() - corner).manhattanLength(), 4);
    EXPECT_EQ(Window->SourceEdit1->Text(), "");
    Window->popTableSQL->close();
}

TEST_F(MainWindowTest, AppendToScriptAddsANewLastLine) {
    Window->AppendToScript("SELECT * FROM t");
    EXPECT_EQ(Window->SourceEdit1->Text(), "SELECT * FROM t");
    Window->AppendToScript("a\r\nb");
    EXPECT_EQ(Window->SourceEdit1->Text(), "SELECT * FROM t\r\na\r\nb");
    Window->AppendToScript("");
    EXPECT_EQ(Window->SourceEdit1->Text(), "SELECT * FROM t\r\na\r\nb\r\n");
}

TEST_F(MainWindowTest, EveryChangeOfTheScriptSetsModifiedAndShowsTheSelection) {
    EXPECT_FALSE(Window->ScriptModified);
    Window->AppendToScript("abc");
    EXPECT_TRUE(Window->ScriptModified);
    EXPECT_EQ(Window->StatusBar2->PanelText(0), "3:0");

    Window->ScriptModified = false;
    ShowAndFocus(Editor());
    QTest::keyClick(Editor(), Qt::Key_Home);
    QTest::keyClick(Editor(), Qt::Key_X);
    EXPECT_TRUE(Window->ScriptModified);
    EXPECT_EQ(Window->StatusBar2->PanelText(0), "1:0");
}

TEST_F(MainWindowTest, TheScriptEditorHasTheWindowsSettings) {
    auto* widget = qobject_cast<memo::TMemoWidget*>(Editor());
    ASSERT_NE(widget, nullptr);
    const memo::TMemoComponent& editor = widget->Editor();
    EXPECT_EQ(editor.GetFontValue().Name, "Courier New");
    EXPECT_EQ(editor.GetFontValue().Height, -13);
    EXPECT_EQ(editor.TabSize(), 8);
    EXPECT_EQ(editor.LeftMargin(), 2);
    EXPECT_EQ(editor.TopMargin(), 0);
    EXPECT_EQ(editor.ScrollBars(), memo::TScrollStyle::ssBoth);
    EXPECT_EQ(widget->focusPolicy(), Qt::ClickFocus); // not a tab stop
    EXPECT_GE(widget->minimumWidth(), 64);
    EXPECT_GE(widget->minimumHeight(), 64);
}

TEST_F(MainWindowTest, TheStatusBarCountsTheEditorsCharactersAndOnlyTextChangesCount) {
    ShowAndFocus(Editor());
    QTest::keyClicks(Editor(), "ab");
    QTest::keyClick(Editor(), Qt::Key_Return);
    QTest::keyClick(Editor(), Qt::Key_C);
    EXPECT_EQ(Window->StatusBar2->PanelText(0), "5:0"); // a line break is two characters
    Window->ScriptModified = false;
    QTest::keyClick(Editor(), Qt::Key_Home, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_FALSE(Window->ScriptModified); // selecting changes no text
    EXPECT_EQ(Window->SourceEdit1->SelLength(), 5);
    QTest::keyClick(Editor(), Qt::Key_X);
    EXPECT_TRUE(Window->ScriptModified);
    EXPECT_EQ(Window->StatusBar2->PanelText(0), "1:0");
    QTest::keyClick(Editor(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Window->SourceEdit1->Text(), "ab\r\nc");
}

TEST_F(MainWindowTest, InTheEditorInsertCopiesOverAndShiftInsertPastes) {
    ShowAndFocus(Editor());
    QSignalSpy copiesOver(Window->CopySelectedOver1, &QAction::triggered);
    QApplication::clipboard()->setText("pasted");
    QTest::keyClick(Editor(), Qt::Key_Insert);
    EXPECT_EQ(copiesOver.count(), 1);
    QTest::keyClick(Editor(), Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(copiesOver.count(), 1);
    EXPECT_EQ(Window->SourceEdit1->Text(), "pasted");
}

TEST_F(MainWindowTest, TheEditorsContextMenuIsTheTableMenu) {
    ShowAndFocus(Editor());
    auto* widget = qobject_cast<memo::TMemoWidget*>(Editor());
    ASSERT_NE(widget, nullptr);
    const QPoint at(20, 10);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at, widget->viewport()->mapToGlobal(at));
    QApplication::sendEvent(widget->viewport(), &menu);
    ASSERT_TRUE(QTest::qWaitFor([this] { return Window->popTableSQL->isVisible(); }));
    Window->popTableSQL->close();
}

TEST_F(MainWindowTest, WriteLogPutsTheNewestStampedLineFirst) {
    Window->WriteLog("first");
    Window->WriteLog("second");
    const QStringList lines = frmLog->Text().split('\n');
    ASSERT_EQ(lines.size(), 2);
    const QRegularExpression stamped(R"(^\d\d-\d\d-\d{4} \d\d:\d\d:\d\d\.\d{3} - (.*)$)");
    EXPECT_EQ(stamped.match(lines[0]).captured(1), "second");
    EXPECT_EQ(stamped.match(lines[1]).captured(1), "first");
    EXPECT_EQ(Window->StatusBar1->PanelText(3), "second");
}

TEST(DesktopFontSize, ScalesTheWindowsFontsFromTheirUsualSizes) {
    const QFont usual = QApplication::font();
    for (const double points : {9.0, 18.0, 13.5}) {
        QFont desktop = usual;
        desktop.setPointSizeF(points);
        QApplication::setFont(desktop);
        const double scale = points / 9.0;
        const auto scaled = [scale](int Pixels) {
            return static_cast<int>(std::lround(Pixels * scale));
        };
        {
            TfrmMain window;
            auto* editor = dynamic_cast<TMemoScriptEditor*>(window.SourceEdit1);
            ASSERT_NE(editor, nullptr);
            EXPECT_EQ(editor->FontHeight(), scaled(13)) << points;
            EXPECT_EQ(window.DBGrid1->font().pixelSize(), scaled(11)) << points;
            EXPECT_EQ(window.tvTablesViews->font().pixelSize(), scaled(11)) << points;
            EXPECT_EQ(window.StatusBar1->font().pixelSize(), scaled(11)) << points;
            EXPECT_EQ(frmLog->reLog->font().pixelSize(), scaled(11)) << points;
            EXPECT_EQ(frmHistory->reHistory->font().pixelSize(), scaled(13)) << points;
            // Ctrl+0 goes back to the desktop's size, not to the usual one.
            editor->Zoom(3);
            editor->ResetZoom();
            EXPECT_EQ(editor->FontHeight(), scaled(13)) << points;
        }
    }
    QApplication::setFont(usual);
}

TEST_F(MainWindowTest, CtrlPlusMinusAndTheWheelZoomTheScriptAndCtrlZeroTakesItBack) {
    auto* editor = dynamic_cast<TMemoScriptEditor*>(Window->SourceEdit1);
    ASSERT_NE(editor, nullptr);
    ShowAndFocus(Editor());
    Window->SourceEdit1->SetText("select 1");
    const int own = editor->FontHeight();
    QTest::keyClick(Editor(), Qt::Key_Equal, Qt::ControlModifier);
    QTest::keyClick(Editor(), Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(editor->FontHeight(), own + 2);
    QTest::keyClick(Editor(), Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(editor->FontHeight(), own + 1);
    EXPECT_EQ(Window->SourceEdit1->Text(), "select 1"); // nothing typed

    // Half a notch at a time, as a touch pad turns; without Ctrl the wheel scrolls.
    QWidget* viewport = editor->viewport();
    const auto wheel = [viewport](int Delta, Qt::KeyboardModifiers Modifiers) {
        QWheelEvent event(QPointF(5, 5), viewport->mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, Delta), Qt::NoButton, Modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &event);
    };
    wheel(60, Qt::ControlModifier);
    EXPECT_EQ(editor->FontHeight(), own + 1);
    wheel(60, Qt::ControlModifier);
    EXPECT_EQ(editor->FontHeight(), own + 2);
    wheel(-240, Qt::ControlModifier);
    EXPECT_EQ(editor->FontHeight(), own);
    wheel(-120, Qt::NoModifier);
    EXPECT_EQ(editor->FontHeight(), own);

    for (int i = 0; i < 200; ++i)
        editor->Zoom(-1);
    EXPECT_GE(editor->FontHeight(), 6); // never unreadably small
    QTest::keyClick(Editor(), Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(editor->FontHeight(), own);
    EXPECT_EQ(Window->SourceEdit1->Text(), "select 1");
}

TEST_F(MainWindowTest, AStatusMessageOfSeveralLinesKeepsTheBarOneLineHigh) {
    Window->show();
    Window->WriteLog("one line");
    QApplication::processEvents();
    const int oneLine = Window->StatusBar1->sizeHint().height();
    for (const QString& message :
         {QString("first\nsecond\nthird"), QString("first\r\nsecond"), QString("first\rsecond")}) {
        Window->WriteLog(message);
        QApplication::processEvents();
        EXPECT_EQ(Window->StatusBar1->PanelText(3), QString("first \u2026"));
        EXPECT_EQ(Window->StatusBar1->PanelToolTip(3), message);
        EXPECT_EQ(Window->StatusBar1->sizeHint().height(), oneLine);
    }
    // The log keeps the whole message.
    EXPECT_TRUE(frmLog->Text().contains("first\nsecond"));
}

TEST_F(MainWindowTest, EveryToolbarButtonSaysWhatItDoes) {
    for (const QToolBar* bar : {Window->ToolBar1, frmHistory->ToolBar1}) {
        const QList<QToolButton*> buttons = bar->findChildren<QToolButton*>();
        ASSERT_FALSE(buttons.isEmpty());
        for (const QToolButton* button : buttons) {
            if (button->objectName().startsWith("qt_")) // the bar's own extension arrow
                continue;
            const QString hint =
                button->defaultAction() ? button->defaultAction()->toolTip() : button->toolTip();
            EXPECT_FALSE(hint.trimmed().isEmpty()) << button->objectName().toStdString();
        }
    }
}

TEST_F(MainWindowTest, ToolWindowsHideOnCloseAndKeepTheirContent) {
    Window->WriteLog("kept");
    Window->Log1->trigger();
    Window->History1->trigger();
    EXPECT_TRUE(frmLog->isVisible());
    EXPECT_TRUE(frmHistory->isVisible());
    frmLog->close();
    frmHistory->close();
    EXPECT_FALSE(frmLog->isVisible());
    EXPECT_TRUE(frmLog->Text().endsWith(" - kept"));
    Window->Log1->trigger();
    EXPECT_TRUE(frmLog->isVisible());
}

TEST_F(MainWindowTest, ToolWindowsOpenBesideTheMenuBarAndTheLogShowsWholeLines) {
    Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    Window->WriteLog("Connect Error: " + QString(60, 'x') + " the end of a long line");
    Window->Log1->trigger();
    Window->History1->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frmLog));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frmHistory));
    QCoreApplication::processEvents();
    const QMenuBar* menuBar = Window->menuBar();
    const QRect menu(menuBar->mapToGlobal(QPoint(0, 0)), menuBar->size());
    const QRect screen = Window->screen()->availableGeometry();
    for (const QWidget* tool : {static_cast<QWidget*>(frmLog), static_cast<QWidget*>(frmHistory)}) {
        EXPECT_FALSE(tool->frameGeometry().intersects(menu)) << tool->objectName().toStdString();
        EXPECT_TRUE(screen.contains(tool->frameGeometry())) << tool->objectName().toStdString();
    }
    // Nothing of the long line is out of sight.
    EXPECT_EQ(frmLog->reLog->horizontalScrollBar()->maximum(), 0);
    EXPECT_GE(frmLog->width(), 340);

    // Where the user puts a tool window is where it opens again.
    frmLog->move(frmLog->pos() + QPoint(-20, 30));
    const QPoint moved = frmLog->pos();
    frmLog->close();
    Window->Log1->trigger();
    EXPECT_EQ(frmLog->pos(), moved);
}

TEST_F(MainWindowTest, ToolWindowsShowTheirNewestEntryAtTheTopFromTheLeftEdge) {
    const QString longTail(400, 'x');
    for (int i = 0; i < 200; ++i) {
        Window->WriteLog(QString("event %1 ").arg(i) + longTail);
        frmHistory->InsertAtTop(QString("select %1 -- ").arg(i) + longTail);
    }
    Window->Log1->trigger();
    Window->History1->trigger();
    for (QTextEdit* pane : {frmLog->reLog, frmHistory->reHistory}) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(pane->window()));
        QCoreApplication::processEvents();
        EXPECT_GT(pane->verticalScrollBar()->maximum(), 0);
        EXPECT_EQ(pane->verticalScrollBar()->value(), 0) << pane->objectName().toStdString();
        EXPECT_EQ(pane->horizontalScrollBar()->value(), 0) << pane->objectName().toStdString();
    }
    // A line that arrives while the pane shows is in view at once.
    frmLog->reLog->verticalScrollBar()->setValue(50);
    Window->WriteLog("newest");
    QCoreApplication::processEvents();
    EXPECT_EQ(frmLog->reLog->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(frmLog->reLog->cursorForPosition(QPoint(2, 2)).block().text().endsWith("newest"));
}

TEST_F(MainWindowTest, ExitAnsweredNoKeepsTheWindow) {
    Window->show();
    Dialogs.Answers = {QMessageBox::No};
    Window->Exit1->trigger();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "Exit Now?");
    EXPECT_EQ(Dialogs.Messages[0].DlgType, TMsgDlgType::mtWarning);
    EXPECT_EQ(Dialogs.Messages[0].Buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(Window->isVisible());
}

TEST_F(MainWindowTest, ExitAnsweredYesClosesTheWindow) {
    Window->show();
    Dialogs.Answers = {QMessageBox::Yes};
    EXPECT_TRUE(Window->close());
    EXPECT_FALSE(Window->isVisible());
    EXPECT_EQ(Dialogs.Messages.size(), 1u);
}

TEST_F(MainWindowTest, RandomNumberDoesNothing) {
    Window->AppendToScript("x");
    Window->RandomNumber1->trigger();
    EXPECT_EQ(Window->SourceEdit1->Text(), "x");
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST(GeneralErrorHandler, ShowsTheMessageOfAnEscapedErrorAndGoesOn) {
    TScriptedDialogs dialogs;
    bool after = false;
    RunCommand([] { throw std::runtime_error("Table 'x' does not exist"); });
    RunCommand([&after] { after = true; });
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Text, "Table 'x' does not exist");
    EXPECT_EQ(dialogs.Messages[0].DlgType, TMsgDlgType::mtError);
    EXPECT_TRUE(after);
}

} // namespace

namespace {

TEST_F(MainWindowTest, F6GoesFromTheBrowserToTheEditorToTheGridAndBack) {
    ShowAndFocus(Window->tvTablesViews);
    QWidget* grid = Window->DBGrid1;
    const std::vector<QWidget*> cycle = {Editor(), grid, Window->tvTablesViews, Editor()};
    for (QWidget* expected : cycle) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
        EXPECT_TRUE(QTest::qWaitFor([expected] { return expected->hasFocus(); }))
            << expected->objectName().toStdString();
    }
    // With the procedures' page in front, the browser is that tree.
    Window->PageControl1->setCurrentWidget(Window->TabSheet2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    EXPECT_TRUE(QTest::qWaitFor([this] { return Window->tvStoredProcedures->hasFocus(); }));
}

TEST_F(MainWindowTest, TabTypesATabInTheEditorAndCtrlTabLeavesIt) {
    ShowAndFocus(Editor());
    QTest::keyClick(Editor(), Qt::Key_Tab);
    EXPECT_EQ(Window->SourceEdit1->Text(), "\t");
    EXPECT_TRUE(Editor()->hasFocus());
    QTest::keyClick(Editor(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_FALSE(Editor()->hasFocus());
    EXPECT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(Window->SourceEdit1->Text(), "\t");

    Editor()->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Editor()->hasFocus(); }));
    QTest::keyClick(Editor(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(Editor()->hasFocus());
    EXPECT_EQ(Window->SourceEdit1->Text(), "\t");
}

TEST_F(MainWindowTest, F10AndAltOpenTheMenuBar) {
    QMenuBar* bar = Window->menuBar();
    QAction* file = bar->actions().first();
    for (const char* way : {"F10", "Alt"}) {
        ShowAndFocus(Editor());
        if (std::string(way) == "F10") {
            QTest::keyClick(Editor(), Qt::Key_F10);
        } else {
            QTest::keyPress(Editor(), Qt::Key_Alt, Qt::AltModifier);
            QTest::keyRelease(Editor(), Qt::Key_Alt, Qt::NoModifier);
        }
        EXPECT_EQ(bar->activeAction(), file) << way;
        EXPECT_TRUE(QTest::qWaitFor([file] { return file->menu()->isVisible(); })) << way;
        file->menu()->close();
        bar->setActiveAction(nullptr);
        EXPECT_EQ(Window->SourceEdit1->Text(), "") << way;
    }
    // Alt as part of a shortcut is not Alt alone.
    ShowAndFocus(Editor());
    QTest::keyPress(Editor(), Qt::Key_Alt, Qt::AltModifier);
    QTest::keyClick(Editor(), Qt::Key_X, Qt::AltModifier);
    QTest::keyRelease(Editor(), Qt::Key_Alt, Qt::NoModifier);
    EXPECT_EQ(bar->activeAction(), nullptr);
}

TEST_F(MainWindowTest, EveryMainMenuCaptionHasItsOwnMnemonicLetter) {
    std::function<void(const QList<QAction*>&, const QString&)> check =
        [&check](const QList<QAction*>& Actions, const QString& Where) {
            QSet<QChar> letters;
            for (const QAction* action : Actions) {
                if (action->isSeparator() || action->text().isEmpty())
                    continue;
                const qsizetype mark = action->text().indexOf('&');
                ASSERT_GE(mark, 0) << (Where + action->text()).toStdString();
                const QChar letter = action->text().at(mark + 1).toLower();
                EXPECT_FALSE(letters.contains(letter)) << (Where + action->text()).toStdString();
                letters.insert(letter);
                if (action->menu() != nullptr && action->menu()->objectName() != "Reopen1" &&
                    action->menu()->objectName() != "Open2")
                    check(action->menu()->actions(), Where + action->text() + " > ");
            }
        };
    check(Window->menuBar()->actions(), "");
    // Alt and the letter open the menu.
    ShowAndFocus(Window->tvTablesViews);
    QTest::keyClick(Window->tvTablesViews, Qt::Key_V, Qt::AltModifier);
    QMenu* view = Window->findChild<QMenu*>("View1");
    EXPECT_TRUE(QTest::qWaitFor([view] { return view->isVisible(); }));
    view->close();
}

} // namespace
