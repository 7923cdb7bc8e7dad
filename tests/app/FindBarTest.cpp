// Find, replace and go to line in the main window's script editor, and its line-number gutter,
// driven with the keyboard as a user does.
#include "FindBar.h"

#include "GoToLineBar.h"
#include "MemoScriptEditor.h"
#include "ScriptedDialogs.h"
#include "untMain.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

class FindBarTest : public testing::Test {
protected:
    // A workspace of the test's own: the window keeps its View choices there.
    void SetUp() override {
        ASSERT_TRUE(QDir::setCurrent(Workspace.path()));
        Window = std::make_unique<TfrmMain>();
        Script = dynamic_cast<TMemoScriptEditor*>(Window->SourceEdit1);
        ASSERT_NE(Script, nullptr);
        Window->resize(1010, 739); // the window's own size: an editor of some 30 lines
        Window->show();
        Window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
        Script->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([this] { return Script->hasFocus(); }));
    }

    void TearDown() override {
        Window.reset();
        QDir::setCurrent(Previous);
    }

    sourceedit::TSourceEdit& Editor() const { return Script->SourceEdit(); }
    QWidget* Focused() const { return QApplication::focusWidget(); }
    void Key(int Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
        QTest::keyClick(Focused(), static_cast<Qt::Key>(Key), Modifiers);
    }
    QColor Role(QPalette::ColorRole R) const {
        return Script->palette().color(QPalette::Active, R);
    }
    // How many pixels of the cells Col … Col + Count − 1 of the first line are Color.
    int PixelsOf(int Col, int Count, const QColor& Color) const {
        QImage shown = Script->viewport()->grab().toImage();
        int width = Editor().CharWidth();
        int left = Editor().TextLeft() + (Col - 1) * width;
        int count = 0;
        for (int y = 0; y < Editor().LineHeight(); ++y)
            for (int x = left; x < left + Count * width; ++x)
                count += shown.pixelColor(x, y) == Color ? 1 : 0;
        return count;
    }

    const QString Previous = QDir::currentPath();
    QTemporaryDir Workspace;
    TScriptedDialogs Dialogs;
    std::unique_ptr<TfrmMain> Window;
    TMemoScriptEditor* Script = nullptr;
};

TEST_F(FindBarTest, EnterFindsTheNextMatchAndEscapeLeavesItSelected) {
    Script->SetText("select id from t\r\nselect name from u\r\nselect id from v");
    Script->SetSelection(7, 2); // "id"
    Key(Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(Window->FindBar1->isVisible());
    EXPECT_FALSE(Window->FindBar1->ReplaceField()->isVisible());
    EXPECT_EQ(Focused(), Window->FindBar1->FindField());
    EXPECT_EQ(Window->FindBar1->FindField()->text(), "id");
    Key(Qt::Key_Return);
    EXPECT_EQ(Script->SelStart(), 45);
    EXPECT_EQ(Script->SelectedText(), "id");
    Key(Qt::Key_Return); // round the end
    EXPECT_EQ(Script->SelStart(), 7);
    EXPECT_FALSE(Window->FindBar1->Status().isEmpty());
    Key(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(Script->SelStart(), 45);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(Window->FindBar1->isVisible());
    EXPECT_EQ(Focused(), Script);
    EXPECT_EQ(Script->SelStart(), 45);
    EXPECT_EQ(Script->SelLength(), 2);
}

TEST_F(FindBarTest, OptionsNarrowTheSearchAndSayWhenNothingIsFound) {
    Script->SetText("Select x; select idx; select id");
    Script->SetSelection(0, 0);
    Key(Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(Window->FindBar1->FindField(), "id");
    Window->findChild<QCheckBox*>("cbWholeWord")->setChecked(true);
    Key(Qt::Key_Return);
    EXPECT_EQ(Script->SelStart(), 29);
    Window->FindBar1->FindField()->setText("SELECT");
    Window->findChild<QCheckBox*>("cbMatchCase")->setChecked(true);
    Key(Qt::Key_Return);
    EXPECT_EQ(Window->FindBar1->Status(), "Not found");
    EXPECT_EQ(Script->SelStart(), 29); // the selection stays
    Window->findChild<QCheckBox*>("cbRegularExpression")->setChecked(true);
    Window->FindBar1->FindField()->setText("(sel");
    EXPECT_TRUE(Window->FindBar1->Status().contains("at character"));
    Key(Qt::Key_Return);
    EXPECT_EQ(Script->SelStart(), 29);
}

TEST_F(FindBarTest, MatchesOnScreenAreMarkedWhileTheBarIsOpen) {
    Script->SetText("select total, total from t");
    Script->SetSelection(0, 0);
    const QColor marked = Role(QPalette::ToolTipBase);
    ASSERT_NE(marked, Role(QPalette::Base));
    EXPECT_EQ(PixelsOf(8, 5, marked), 0);
    Key(Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(Window->FindBar1->FindField(), "total");
    int cell = Editor().CharWidth() * Editor().LineHeight();
    EXPECT_GT(PixelsOf(8, 5, marked), cell);
    EXPECT_GT(PixelsOf(15, 5, marked), cell);
    EXPECT_EQ(PixelsOf(1, 6, marked), 0);
    Key(Qt::Key_Escape);
    EXPECT_EQ(PixelsOf(8, 5, marked), 0);
}

TEST_F(FindBarTest, ReplaceAllIsUndoneInOneStep) {
    Script->SetText("update t set a = 1 where a = 2");
    Script->SetSelection(0, 0);
    Key(Qt::Key_H, Qt::ControlModifier);
    ASSERT_TRUE(Window->FindBar1->ReplaceField()->isVisible());
    QTest::keyClicks(Window->FindBar1->FindField(), "a");
    Window->findChild<QCheckBox*>("cbWholeWord")->setChecked(true);
    QTest::keyClicks(Window->FindBar1->ReplaceField(), "amount");
    QTest::mouseClick(Window->findChild<QPushButton*>("btnReplaceAll"), Qt::LeftButton);
    EXPECT_EQ(Script->Text(), "update t set amount = 1 where amount = 2");
    EXPECT_EQ(Window->FindBar1->Status(), "2 replaced");
    Key(Qt::Key_Escape);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Script->Text(), "update t set a = 1 where a = 2");
}

TEST_F(FindBarTest, ReplaceTakesOneMatchAtATime) {
    Script->SetText("a; a; a");
    Script->SetSelection(0, 0);
    Key(Qt::Key_H, Qt::ControlModifier);
    QTest::keyClicks(Window->FindBar1->FindField(), "a");
    QTest::keyClicks(Window->FindBar1->ReplaceField(), "b");
    Window->FindBar1->ReplaceField()->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Window->FindBar1->ReplaceField()->hasFocus(); }));
    Key(Qt::Key_Return); // in the replace field: the first press finds the first match
    EXPECT_EQ(Script->Text(), "a; a; a");
    EXPECT_EQ(Script->SelStart(), 0);
    Key(Qt::Key_Return);
    EXPECT_EQ(Script->Text(), "b; a; a");
    EXPECT_EQ(Script->SelStart(), 3);
}

TEST_F(FindBarTest, CtrlLGoesToALine) {
    QString text;
    for (int i = 1; i <= 200; ++i)
        text += QString("select %1\r\n").arg(i);
    Script->SetText(text);
    Script->SetSelection(0, 0);
    Key(Qt::Key_L, Qt::ControlModifier);
    ASSERT_TRUE(Window->GoToLineBar1->isVisible());
    EXPECT_EQ(Window->GoToLineBar1->LineField()->text(), "1");
    QTest::keyClicks(Window->GoToLineBar1->LineField(), "150");
    Key(Qt::Key_Return);
    EXPECT_FALSE(Window->GoToLineBar1->isVisible());
    EXPECT_EQ(Focused(), Script);
    EXPECT_EQ(Script->Text().left(Script->SelStart()).count("\r\n"), 149);
    EXPECT_TRUE(Script->SelectedText().isEmpty());
    int top = Editor().VisibleRange()->TopLine();
    EXPECT_LE(top, 150);
    EXPECT_GE(top + Editor().VisibleLines(), 150);
    // A line that is not there keeps the bar open and says which lines there are.
    Key(Qt::Key_L, Qt::ControlModifier);
    QTest::keyClicks(Window->GoToLineBar1->LineField(), "999");
    Key(Qt::Key_Return);
    EXPECT_TRUE(Window->GoToLineBar1->isVisible());
    EXPECT_EQ(Window->GoToLineBar1->Status(), "The script has lines 1 to 201");
    Key(Qt::Key_Escape);
    EXPECT_FALSE(Window->GoToLineBar1->isVisible());
}

TEST_F(FindBarTest, LineNumbersShowUntilTurnedOff) {
    EXPECT_TRUE(Window->LineNumbers1->isChecked());
    EXPECT_GT(Editor().GutterWidth(), 0);
    Script->SetText("select 1");
    QImage shown = Script->viewport()->grab().toImage();
    const QColor gutter = Role(QPalette::Button);
    EXPECT_EQ(shown.pixelColor(1, 1), gutter);
    Window->LineNumbers1->trigger();
    EXPECT_EQ(Editor().GutterWidth(), 0);
    shown = Script->viewport()->grab().toImage();
    EXPECT_NE(shown.pixelColor(1, 1), gutter);
    // F3 is still the log's.
    EXPECT_EQ(Window->Log1->shortcut(), QKeySequence(Qt::Key_F3));
}

// The choice is the workspace's: a window opened there later starts as the last one was left.
TEST_F(FindBarTest, TheLineNumbersChoiceOutlivesTheWindow) {
    Window->LineNumbers1->trigger();
    Window = std::make_unique<TfrmMain>();
    EXPECT_FALSE(Window->LineNumbers1->isChecked());
    EXPECT_EQ(dynamic_cast<TMemoScriptEditor*>(Window->SourceEdit1)->SourceEdit().GutterWidth(), 0);
    Window->LineNumbers1->trigger();
    Window = std::make_unique<TfrmMain>();
    EXPECT_TRUE(Window->LineNumbers1->isChecked());
    // A file the program cannot read is no choice: the numbers show.
    Window.reset();
    QFile::remove(Workspace.filePath("view.dat"));
    ASSERT_TRUE(QDir().mkdir(Workspace.filePath("view.dat")));
    Window = std::make_unique<TfrmMain>();
    EXPECT_TRUE(Window->LineNumbers1->isChecked());
}

} // namespace
