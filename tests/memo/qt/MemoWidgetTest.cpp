// The editor widget driven offscreen with real key, mouse and wheel events: the keyboard
// commands, mouse selection, the clipboard, what the window shows, and which keys the editor
// takes from the window's shortcuts.
#include "MemoWidget.h"

#include "FontCache.h"
#include "PaintCounter.h"
#include "QtPrinting.h"
#include "QtText.h"

#include <QAction>
#include <QApplication>
#include <QBackingStore>
#include <QClipboard>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>
#include <utility>

namespace memo {
namespace {

QString Numbered(int Count) {
    QStringList lines;
    for (int i = 1; i <= Count; ++i)
        lines << QString("line %1").arg(i);
    return lines.join("\r\n");
}

class MemoWidgetTest : public testing::Test {
protected:
    void SetUp() override {
        // A caret that does not blink is always there to be seen in a grab.
        FlashTime = QApplication::cursorFlashTime();
        QApplication::setCursorFlashTime(0);
        Window = std::make_unique<QWidget>();
        Widget = new TMemoWidget(Window.get());
        Other = new QLineEdit(Window.get());
        auto* layout = new QVBoxLayout(Window.get());
        layout->addWidget(Widget);
        layout->addWidget(Other);
        Window->resize(420, 260);
        Window->show();
        Window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
        Focus(Widget);
    }
    void TearDown() override {
        Window.reset();
        QApplication::setCursorFlashTime(FlashTime);
    }

    void Focus(QWidget* Control) {
        Control->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([Control] { return Control->hasFocus(); }));
    }
    TMemoComponent& Editor() const { return Widget->Editor(); }
    void SetText(const QString& Text) { Editor().SetText(ToU32(Text)); }
    QString Text() const { return ToQString(Editor().GetText()); }
    std::pair<int, int> Sel() const {
        return {Editor().Selection()->RStart(), Editor().Selection()->REnd()};
    }
    int TopLine() const { return Editor().VisibleRange()->TopLine(); }

    void Key(Qt::Key K, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
        QTest::keyClick(Widget, K, Modifiers);
    }
    void Type(const QString& Keys) { QTest::keyClicks(Widget, Keys); }

    // The middle of the character cell at a line and column of the view.
    QPoint Cell(int Line, int Col) const {
        return QPoint(
            Editor().LeftMargin() + (Col - 1) * Editor().CharWidth() + Editor().CharWidth() / 2,
            Editor().TopMargin() + (Line - 1) * Editor().LineHeight() + Editor().LineHeight() / 2);
    }
    void Mouse(QEvent::Type Type, QPoint At, Qt::MouseButton Button,
               Qt::MouseButtons Buttons) const {
        QMouseEvent event(Type, At, Widget->viewport()->mapToGlobal(At), Button, Buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(Widget->viewport(), &event);
    }
    void Press(QPoint At, Qt::MouseButton Button = Qt::LeftButton) const {
        Mouse(QEvent::MouseButtonPress, At, Button, Button);
    }
    void MoveWithLeft(QPoint To) const {
        Mouse(QEvent::MouseMove, To, Qt::NoButton, Qt::LeftButton);
    }
    void Release(QPoint At, Qt::MouseButton Button = Qt::LeftButton) const {
        Mouse(QEvent::MouseButtonRelease, At, Button, Qt::NoButton);
    }

    QImage Shown() const { return Widget->viewport()->grab().toImage(); }
    QColor Role(QPalette::ColorRole R) const {
        return Widget->palette().color(QPalette::Active, R);
    }

    int FlashTime = 0;
    std::unique_ptr<QWidget> Window;
    TMemoWidget* Widget = nullptr;
    QLineEdit* Other = nullptr;
};

// --- Keys through real key events ------------------------------------------------------------

TEST_F(MemoWidgetTest, BackspaceAtALineStartJoinsTheLinesAndDeleteAtTheEndDoesNothing) {
    Type("ab");
    Key(Qt::Key_Return);
    Type("cd");
    Key(Qt::Key_Home);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Text(), "abcd");
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Text(), "abcd");
    Key(Qt::Key_Home);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Text(), "bcd");
}

TEST_F(MemoWidgetTest, AnArrowCollapsesASelectionWhereShiftArrowShrinksIt) {
    Type("abcdef");
    Key(Qt::Key_Home);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(Sel(), std::make_pair(1, 1));
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Left);
    EXPECT_EQ(Sel(), std::make_pair(1, 0));
}

TEST_F(MemoWidgetTest, CtrlRightStopsAfterAWordThenBeforeTheNext) {
    Type("abc  def");
    Key(Qt::Key_Home);
    Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(Editor().Selection()->CaretPos(), 4);
    Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(Editor().Selection()->CaretPos(), 6);
}

TEST_F(MemoWidgetTest, UpAndDownKeepTheColumnAndStopAtTheEndsOfTheText) {
    SetText("abcdef\r\nab\r\nabcdef");
    Editor().Selection()->CollapseTo(6);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(Editor().Selection()->CaretPos(), Editor().LineColToPos(3, 6));
    Key(Qt::Key_Down);
    EXPECT_EQ(Editor().Selection()->CaretPos(), Editor().TextLength() + 1);
    Key(Qt::Key_Home, Qt::ControlModifier);
    Key(Qt::Key_Right);
    Key(Qt::Key_Up);
    EXPECT_EQ(Editor().Selection()->CaretPos(), 1);
}

TEST_F(MemoWidgetTest, ShiftAloneScrollsTheCaretBackIntoView) {
    SetText(Numbered(100));
    Key(Qt::Key_End, Qt::ControlModifier);
    Widget->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    ASSERT_EQ(TopLine(), 1);
    Key(Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(TopLine(), 100 - Editor().VisibleLines() + 1);
}

TEST_F(MemoWidgetTest, TypingIsOneUndoStepAndRedoSelectsIt) {
    Type("select 1");
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Text(), "");
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Text(), "select 1");
    EXPECT_EQ(Sel(), std::make_pair(1, 8));
    Key(Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(Text(), "");
    Key(Qt::Key_Backspace, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(Text(), "select 1");
}

TEST_F(MemoWidgetTest, EnterAndTabTypeAndTheFocusStays) {
    Type("a");
    Key(Qt::Key_Return);
    Key(Qt::Key_Tab);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Text(), "a\r\n\t\t");
    EXPECT_TRUE(Widget->hasFocus());
}

TEST_F(MemoWidgetTest, CtrlOrAltAloneMakeNoText) {
    Key(Qt::Key_Q, Qt::ControlModifier);
    Key(Qt::Key_Space, Qt::ControlModifier);
    Key(Qt::Key_A, Qt::AltModifier);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Text(), "");
    // Ctrl and Alt together are AltGr on some keyboards.
    QKeyEvent altGr(QEvent::KeyPress, Qt::Key_At, Qt::ControlModifier | Qt::AltModifier, "@");
    QApplication::sendEvent(Widget, &altGr);
    EXPECT_EQ(Text(), "@");
}

TEST_F(MemoWidgetTest, AKeyDownHandlerCanCancelTheKey) {
    Widget->OnKeyDown = [](QKeyEvent* Event) {
        if (Event->key() == Qt::Key_X)
            Event->ignore();
    };
    Type("axb");
    EXPECT_EQ(Text(), "ab");
}

TEST_F(MemoWidgetTest, ReadOnlyKeysScrollAndPasteNothing) {
    SetText(Numbered(100));
    Editor().SetReadOnly(true);
    Editor().Selection()->CollapseTo(3);
    QApplication::clipboard()->setText("pasted");
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    Key(Qt::Key_Up);
    EXPECT_EQ(TopLine(), 2);
    EXPECT_EQ(Widget->verticalScrollBar()->value(), 2);
    Key(Qt::Key_V, Qt::ControlModifier);
    Type("x");
    EXPECT_EQ(Text(), Numbered(100));
    EXPECT_EQ(Sel(), std::make_pair(3, 2));
}

// --- The window's shortcuts -------------------------------------------------------------------

TEST_F(MemoWidgetTest, TheEditorTakesOnlyItsOwnKeysFromTheWindowsShortcuts) {
    std::map<QString, int> triggered;
    for (const char* keys : {"Ins", "Ctrl+E", "F5", "Ctrl+C", "Shift+Ins", "Backspace", "Ctrl+Z"}) {
        auto* action = new QAction(Window.get());
        action->setShortcut(QKeySequence(keys));
        QObject::connect(action, &QAction::triggered, [&triggered, keys] { ++triggered[keys]; });
        Window->addAction(action);
    }
    Type("ab");
    for (const char* keys : {"Ins", "Ctrl+E", "F5", "Ctrl+C", "Shift+Ins", "Backspace", "Ctrl+Z"}) {
        QKeySequence sequence(keys);
        QTest::keyClick(Widget, sequence[0].key(), sequence[0].keyboardModifiers());
    }
    EXPECT_EQ(triggered, (std::map<QString, int>{{"Ins", 1}, {"Ctrl+E", 1}, {"F5", 1}}));
}

// --- Mouse ------------------------------------------------------------------------------------

TEST_F(MemoWidgetTest, ClickingPlacesTheCaretAndDraggingSelects) {
    SetText("abcdef\r\nghijkl");
    QTest::mouseClick(Widget->viewport(), Qt::LeftButton, {}, Cell(2, 3) - QPoint(3, 0));
    EXPECT_EQ(Editor().Selection()->CaretPos(), Editor().LineColToPos(2, 3));
    Press(Cell(1, 2) - QPoint(3, 0));
    MoveWithLeft(Cell(1, 5) - QPoint(3, 0));
    Release(Cell(1, 5) - QPoint(3, 0));
    EXPECT_EQ(Sel(), std::make_pair(2, 4));
    EXPECT_FALSE(Editor().MouseSelecting());
    EXPECT_EQ(Widget->viewport()->cursor().shape(), Qt::IBeamCursor);
}

TEST_F(MemoWidgetTest, ShiftClickExtendsDoubleClickSelectsAWordTripleClickTheLine) {
    SetText("alpha beta\r\ngamma");
    QWidget* view = Widget->viewport();
    QTest::mouseClick(view, Qt::LeftButton, {}, Cell(1, 2) - QPoint(3, 0));
    QTest::mouseClick(view, Qt::LeftButton, Qt::ShiftModifier, Cell(2, 3) - QPoint(3, 0));
    EXPECT_EQ(Sel(), std::make_pair(2, Editor().LineColToPos(2, 3) - 1));
    QTest::qWait(QApplication::doubleClickInterval() + 20); // two clicks, not a double click
    QTest::mouseDClick(view, Qt::LeftButton, {}, Cell(1, 8));
    EXPECT_EQ(ToQString(Editor().Selection()->Text()), "beta");
    QTest::mousePress(view, Qt::LeftButton, {}, Cell(1, 8));
    QTest::mouseRelease(view, Qt::LeftButton, {}, Cell(1, 8));
    EXPECT_EQ(ToQString(Editor().Selection()->Text()), "alpha beta\r\n");
    QTest::qWait(QApplication::doubleClickInterval() + 20);
    QTest::mouseClick(view, Qt::LeftButton, {}, Cell(1, 8) - QPoint(3, 0));
    EXPECT_EQ(Editor().SelLength(), 0); // a later click is a click again
}

TEST_F(MemoWidgetTest, EscapeCtrlAAndCtrlYThroughRealKeys) {
    Type("ab");
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Sel(), std::make_pair(1, 2));
    Key(Qt::Key_Escape);
    EXPECT_EQ(Sel(), std::make_pair(3, 2));
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Text(), "");
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Text(), "ab");
}

TEST_F(MemoWidgetTest, ADragBeyondTheBottomEdgeKeepsScrolling) {
    SetText(Numbered(200));
    QPoint lineStart = Cell(1, 1) - QPoint(3, 0);
    Press(lineStart);
    QPoint below(lineStart.x(), Widget->viewport()->height() + 2 * Editor().LineHeight());
    MoveWithLeft(below);
    ASSERT_TRUE(QTest::qWaitFor([this] { return TopLine() > 5; }, 2000));
    int top = TopLine();
    ASSERT_TRUE(QTest::qWaitFor([this, top] { return TopLine() > top; }, 2000));
    Release(below);
    EXPECT_EQ(Sel().first, 1);
    EXPECT_GE(Editor().PosToLineCol(Sel().second).Line, TopLine() + Editor().VisibleLines() - 2);
    top = TopLine();
    QTest::qWait(100);
    EXPECT_EQ(TopLine(), top); // released: the timer stopped
}

TEST_F(MemoWidgetTest, ARightClickInsideASelectionKeepsIt) {
    SetText("abcdef");
    Editor().Selection()->CollapseTo(2);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    QTest::mouseClick(Widget->viewport(), Qt::RightButton, {}, Cell(1, 3));
    EXPECT_EQ(Sel(), std::make_pair(2, 3));
    Key(Qt::Key_Right);
    QTest::mouseClick(Widget->viewport(), Qt::RightButton, {}, Cell(1, 6) - QPoint(3, 0));
    EXPECT_EQ(Sel(), std::make_pair(6, 5));
    EXPECT_FALSE(Editor().MouseSelecting());
}

TEST_F(MemoWidgetTest, AContextMenuEndsTheDragItsPressStarted) {
    SetText("abcdef");
    Press(Cell(1, 2), Qt::RightButton);
    ASSERT_TRUE(Editor().MouseSelecting());
    QContextMenuEvent menu(QContextMenuEvent::Mouse, Cell(1, 2),
                           Widget->viewport()->mapToGlobal(Cell(1, 2)));
    QApplication::sendEvent(Widget->viewport(), &menu);
    EXPECT_FALSE(Editor().MouseSelecting());
}

TEST_F(MemoWidgetTest, TheWheelScrollsByTheSystemsStep) {
    SetText(Numbered(100));
    auto wheel = [this](int Delta) {
        QPoint at = Cell(2, 2);
        QWheelEvent event(at, Widget->viewport()->mapToGlobal(at), QPoint(), QPoint(0, Delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Widget->viewport(), &event);
    };
    int step = QApplication::wheelScrollLines();
    wheel(-120);
    EXPECT_EQ(TopLine(), 1 + step);
    wheel(-60);
    wheel(-60); // half notches add up
    EXPECT_EQ(TopLine(), 1 + 2 * step);
    wheel(240);
    EXPECT_EQ(TopLine(), 1);
    EXPECT_EQ(Widget->verticalScrollBar()->value(), 1);
}

// --- Clipboard --------------------------------------------------------------------------------

TEST_F(MemoWidgetTest, TheClipboardRoundTripsLinesInThePlatformsBreaks) {
    Type("ab");
    Key(Qt::Key_Return);
    Type("cd");
    Key(Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "ab\ncd");
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Text(), "ab\r\ncdab\r\ncd");
    QApplication::clipboard()->setText("x\ny\rz");
    Key(Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(Text(), "ab\r\ncdab\r\ncdx\r\ny\r\nz");
    Key(Qt::Key_Left, Qt::ShiftModifier);
    Key(Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "z");
    Key(Qt::Key_Left, Qt::ShiftModifier);
    Key(Qt::Key_Left, Qt::ShiftModifier);
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "y\n");
    EXPECT_EQ(Text(), "ab\r\ncdab\r\ncdx\r\n");
}

// --- What the window shows --------------------------------------------------------------------

TEST_F(MemoWidgetTest, ASelectionIsShownInTheHighlightColours) {
    SetText("a   b");
    Editor().Selection()->CollapseTo(2);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    QImage shown = Shown();
    EXPECT_EQ(shown.pixelColor(Cell(1, 2)), Role(QPalette::Highlight));
    EXPECT_EQ(shown.pixelColor(Cell(1, 3)), Role(QPalette::Highlight));
    EXPECT_EQ(shown.pixelColor(Cell(1, 4)), Role(QPalette::Base));
    EXPECT_EQ(shown.pixelColor(Cell(2, 2)), Role(QPalette::Base));
    EXPECT_EQ(shown.pixelColor(0, Cell(1, 2).y()), Role(QPalette::Base)); // the margin
}

TEST_F(MemoWidgetTest, TheCaretIsShownWhereTheEditorPlacesItWhileFocused) {
    Type("  "); // blanks: nothing drawn beside the caret
    int width = Editor().CharWidth();
    QPoint caret(Editor().LeftMargin() + 2 * width - 1, Editor().LineHeight() / 2);
    QColor base = Role(QPalette::Base);
    QColor inverted(255 - base.red(), 255 - base.green(), 255 - base.blue());
    QImage shown = Shown();
    EXPECT_EQ(shown.pixelColor(caret), inverted);
    EXPECT_EQ(shown.pixelColor(caret + QPoint(1, 0)), inverted); // two pixels wide
    EXPECT_EQ(shown.pixelColor(caret + QPoint(2, 0)), base);
    EXPECT_EQ(shown.pixelColor(caret.x(), 0), base); // from one pixel below the line's top
    EXPECT_EQ(shown.pixelColor(caret.x(), Editor().LineHeight() - 1), base);
    Focus(Other);
    EXPECT_FALSE(Editor().CaretCreated());
    EXPECT_EQ(Shown().pixelColor(caret), base);
    Focus(Widget);
    EXPECT_EQ(Shown().pixelColor(caret), inverted);
    Editor().SetReadOnly(true);
    EXPECT_EQ(Shown().pixelColor(caret), base);
}

TEST_F(MemoWidgetTest, TheCaretBlinksWhileShown) {
    QApplication::setCursorFlashTime(100);
    Focus(Other);
    Focus(Widget); // a new caret, blinking
    QPoint caret(Editor().LeftMargin() - 1, Editor().LineHeight() / 2);
    QColor base = Role(QPalette::Base);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Shown().pixelColor(caret) == base; }, 1000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Shown().pixelColor(caret) != base; }, 1000));
}

TEST_F(MemoWidgetTest, TextSitsOnTheCellGrid) {
    SetText(QString(40, 'M') + "\r\n" + QString(40, 'i'));
    Editor().Selection()->CollapseTo(1); // the caret away from where the lines end
    QImage shown = Shown();
    QColor base = Role(QPalette::Base);
    int width = Editor().CharWidth();
    // The fortieth character of either line lies inside the fortieth cell: a fraction of a
    // pixel lost on every glyph would have moved it by a whole cell.
    auto inked = [&](int Line, int FromX, int ToX) {
        int top = (Line - 1) * Editor().LineHeight();
        for (int y = top; y < top + Editor().LineHeight(); ++y)
            for (int x = FromX; x < ToX; ++x)
                if (shown.pixelColor(x, y) != base)
                    return true;
        return false;
    };
    int cell40 = Editor().LeftMargin() + 39 * width;
    EXPECT_TRUE(inked(2, cell40, cell40 + width));
    EXPECT_FALSE(inked(2, cell40 + width, cell40 + 3 * width));
    EXPECT_FALSE(inked(1, cell40 + width + 1, cell40 + 3 * width));
}

TEST_F(MemoWidgetTest, ScrollingByTheBarMovesPixelsAndPaintsWhatARepaintWould) {
    SetText(Numbered(100));
    QScrollBar* bar = Widget->verticalScrollBar();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(TopLine(), 2);
    EXPECT_EQ(bar->value(), 2);
    QImage moved = Shown();
    Editor().UpdateView(); // everything drawn anew
    EXPECT_EQ(moved, Shown());
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(TopLine(), 2 + Editor().VisibleLines());
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(TopLine(), 100 - Editor().VisibleLines() + 1);
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setSliderPosition(10); // dragging the thumb
    EXPECT_EQ(TopLine(), 10);
}

TEST_F(MemoWidgetTest, EditsThatAddOrRemoveLinesShowWhatARepaintWould) {
    SetText(Numbered(100));
    auto showsAsRepainted = [this] {
        QImage shown = Shown();
        Editor().UpdateView();
        return shown == Shown();
    };
    Editor().Selection()->CollapseTo(Editor().LineColToPos(3, 3));
    Key(Qt::Key_Return);
    EXPECT_TRUE(showsAsRepainted());
    Key(Qt::Key_Backspace);
    EXPECT_TRUE(showsAsRepainted());
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    QApplication::clipboard()->setText("one\ntwo\nthree\nfour");
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(showsAsRepainted());
    Key(Qt::Key_Up, Qt::ShiftModifier);
    Key(Qt::Key_Up, Qt::ShiftModifier);
    Key(Qt::Key_Delete);
    EXPECT_TRUE(showsAsRepainted());
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Up, Qt::ShiftModifier | Qt::ControlModifier);
    Key(Qt::Key_Up, Qt::ShiftModifier);
    Key(Qt::Key_Delete);
    EXPECT_TRUE(showsAsRepainted());
    // A text shorter than the view, with margins.
    Editor().SetTopMargin(3);
    Editor().SetLeftMargin(7);
    SetText("a\r\nb\r\nc\r\nd");
    Editor().UpdateView();
    Editor().Selection()->CollapseTo(Editor().LineColToPos(2, 2));
    Key(Qt::Key_Delete);
    EXPECT_TRUE(showsAsRepainted());
    Key(Qt::Key_Return);
    Key(Qt::Key_Return);
    EXPECT_TRUE(showsAsRepainted());
    Editor().SetBitmapped(true); // the pixels move inside the editor's own bitmap
    Key(Qt::Key_Backspace);
    EXPECT_TRUE(showsAsRepainted());
    Key(Qt::Key_Return);
    EXPECT_TRUE(showsAsRepainted());
}

// The screen itself, not a fresh grab: a scroll moves the pixels already shown, so what it left
// on screen (the caret that stood there, lines drawn but not yet shown) must be what a repaint
// draws.
TEST_F(MemoWidgetTest, WhatTheScreenHoldsAfterAScrollIsWhatARepaintDraws) {
    auto* screen = dynamic_cast<QImage*>(Window->backingStore()->paintDevice());
    ASSERT_NE(screen, nullptr) << "the platform's backing store holds no image";
    auto showsAsRepainted = [&] {
        QCoreApplication::processEvents();
        qreal ratio = screen->devicePixelRatio();
        QRect area(Widget->viewport()->mapTo(Window.get(), QPoint(0, 0)) * ratio,
                   Widget->viewport()->size() * ratio);
        return screen->copy(area) == Shown();
    };
    SetText(Numbered(100));
    QCoreApplication::processEvents();
    int bottom = Editor().VisibleLines();
    Editor().Selection()->CollapseTo(Editor().LineColToPos(bottom, 3));
    for (int i = 0; i < 12; ++i) { // Enter at the bottom line pulls the view down
        Key(Qt::Key_Return);
        Type("x");
        EXPECT_TRUE(showsAsRepainted()) << "after Enter " << i + 1;
    }
    EXPECT_GT(TopLine(), 1);
    Key(Qt::Key_PageUp);
    EXPECT_TRUE(showsAsRepainted());
    Widget->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_TRUE(showsAsRepainted());
    Key(Qt::Key_Up); // the caret scrolls the view back up
    Key(Qt::Key_Up);
    EXPECT_TRUE(showsAsRepainted());
}

TEST_F(MemoWidgetTest, WideAndInvisibleCharactersAreDrawnOnTheirOwnCells) {
    Focus(Other); // no caret in the picture
    const int width = Editor().CharWidth();
    const int left = Editor().LeftMargin();
    const QColor base = Role(QPalette::Base);
    struct TCase {
        std::u32string Text;
        int Cells;
    };
    // An ideograph and an emoji (two cells), a glyph of another font much wider than a cell,
    // NUL, a byte-order mark, a combining mark alone and a zero-width space.
    const TCase cases[] = {{U"\u4E2D", 2}, {U"\U0001F600", 2}, {U"\u27FF", 1}, {{U'\0'}, 1},
                           {U"\uFEFF", 1}, {U"\u0301", 1},     {U"\u200B", 1}};
    for (const TCase& c : cases) {
        Editor().SetText(c.Text);
        QImage shown = Shown();
        auto inked = [&](int From, int To) {
            for (int x = From; x < To; ++x)
                for (int y = 0; y < Editor().LineHeight(); ++y)
                    if (shown.pixelColor(x, y) != base)
                        return true;
            return false;
        };
        const int end = left + c.Cells * width;
        const int code = static_cast<int>(c.Text[0]);
        EXPECT_TRUE(inked(left, end)) << "nothing shown for " << std::hex << code;
        EXPECT_TRUE(inked(end - width, end)) << "not on all its cells: " << std::hex << code;
        EXPECT_FALSE(inked(end, end + 3 * width)) << "drawn past its cells: " << std::hex << code;
    }
}

TEST_F(MemoWidgetTest, LinesWithWideCharactersShowWhatARepaintWould) {
    using namespace std::string_literals;
    Editor().SetText(U"ab\u4E2Dcd\0ef\uFEFF\U0001F600gh\u27FFije\u0301\r\n\u3042\u3044\u3046"s);
    auto showsAsRepainted = [this] {
        QImage shown = Shown();
        Editor().UpdateView();
        return shown == Shown();
    };
    for (int pos : {2, 4, 7, 10, 13}) {
        Editor().Selection()->CollapseTo(pos);
        Type("x");
        EXPECT_TRUE(showsAsRepainted()) << "typed at " << pos;
        Key(Qt::Key_Backspace);
        EXPECT_TRUE(showsAsRepainted()) << "deleted at " << pos;
    }
    Editor().Selection()->CollapseTo(2);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_TRUE(showsAsRepainted());
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_TRUE(showsAsRepainted());
}

TEST_F(MemoWidgetTest, ScrollBarsAreGreyedWhenEverythingShows) {
    QScrollBar* vertical = Widget->verticalScrollBar();
    QScrollBar* horizontal = Widget->horizontalScrollBar();
    SetText("short");
    EXPECT_TRUE(vertical->isVisible());
    EXPECT_TRUE(horizontal->isVisible());
    EXPECT_FALSE(vertical->isEnabled());
    EXPECT_FALSE(horizontal->isEnabled());
    SetText(Numbered(100) + "\r\n" + QString(200, 'w'));
    EXPECT_TRUE(vertical->isEnabled());
    EXPECT_TRUE(horizontal->isEnabled());
    EXPECT_EQ(vertical->maximum(), 101 - Editor().VisibleLines() + 1);
    EXPECT_EQ(vertical->pageStep(), Editor().VisibleLines());
    EXPECT_EQ(horizontal->maximum(), 200 - Editor().VisibleCols() + 1);
}

TEST_F(MemoWidgetTest, AScrollBarIsDrawnAgainExactlyWhenWhatItShowsChanges) {
    QScrollBar* bar = Widget->verticalScrollBar();
    PaintCounter count(bar);
    // What the window shows of the bar, against the bar drawn afresh (a paint not counted).
    auto showsAsRepainted = [&] {
        QCoreApplication::processEvents();
        int paints = count.Paints;
        QPoint at = bar->mapTo(Window.get(), QPoint());
        QImage shown =
            Window->screen()
                ->grabWindow(Window->winId(), at.x(), at.y(), bar->width(), bar->height())
                .toImage()
                .convertToFormat(QImage::Format_RGB32);
        bool same = shown == bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
        count.Paints = paints;
        return same;
    };
    SetText(Numbered(20000));
    Editor().Selection()->CollapseTo(Editor().LineColToPos(10000, 1));
    Editor().Selection()->MakeVisible(4);
    ASSERT_TRUE(showsAsRepainted());
    int paints = count.Paints;
    // One line more of 20,000 moves the handle by less than a pixel.
    Key(Qt::Key_Return);
    EXPECT_TRUE(showsAsRepainted());
    EXPECT_EQ(count.Paints, paints);
    EXPECT_EQ(bar->maximum(), 20001 - Editor().VisibleLines() + 1);
    // A range, a position or a page that moves the handle shows at once.
    SetText(Numbered(3 * Editor().VisibleLines()));
    EXPECT_TRUE(showsAsRepainted());
    EXPECT_GT(count.Paints, paints);
    paints = count.Paints;
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_TRUE(showsAsRepainted());
    EXPECT_GT(count.Paints, paints);
    paints = count.Paints;
    Window->resize(Window->width(), Window->height() + 3 * Editor().LineHeight());
    EXPECT_TRUE(showsAsRepainted());
    EXPECT_GT(count.Paints, paints);
    EXPECT_EQ(bar->pageStep(), Editor().VisibleLines());
}

TEST_F(MemoWidgetTest, ResizingLaysTheViewOutAgain) {
    SetText(Numbered(100));
    int lines = Editor().VisibleLines();
    Window->resize(Window->width(), Window->height() + 5 * Editor().LineHeight());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Editor().VisibleLines() == lines + 5; }));
    EXPECT_EQ(Editor().VisibleLines(),
              (Widget->viewport()->height() - Editor().TopMargin()) / Editor().LineHeight());
    EXPECT_EQ(Widget->verticalScrollBar()->pageStep(), lines + 5);
    // The rows that came into view show their lines.
    QImage shown = Shown();
    QColor base = Role(QPalette::Base);
    int row = (lines + 2) * Editor().LineHeight() + Editor().LineHeight() / 2;
    bool inked = false;
    for (int x = 0; x < 6 * Editor().CharWidth(); ++x)
        inked = inked || shown.pixelColor(x, row) != base;
    EXPECT_TRUE(inked);
}

TEST_F(MemoWidgetTest, ABitmappedEditorShowsTheSame) {
    SetText("select *\r\n  from t");
    Editor().Selection()->CollapseTo(3);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    QImage direct = Shown();
    Editor().SetBitmapped(true);
    Editor().UpdateView();
    EXPECT_EQ(Shown(), direct);
    Key(Qt::Key_Up, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Shown(), direct);
}

// --- Fonts ------------------------------------------------------------------------------------

TEST(FontCache, AMissingOrProportionalFamilyGivesWayToAFixedPitchOne) {
    TFontCache fonts;
    for (const char* family : {"No Such Family", "DejaVu Sans"}) {
        TFont font;
        font.Name = family;
        font.Height = -13;
        QFont resolved = fonts.Get(font).Font;
        QFontMetricsF metrics(resolved);
        EXPECT_EQ(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('M')) << family;
        EXPECT_EQ(resolved.pixelSize(), 13) << family;
    }
    TFont bold;
    bold.Style = fsBold | fsItalic;
    EXPECT_TRUE(fonts.Get(bold).Font.bold());
    EXPECT_TRUE(fonts.Get(bold).Font.italic());
}

} // namespace
} // namespace memo
