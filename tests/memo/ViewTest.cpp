// Painting, caret, scrolling and mouse selection against a recording host.
#include "EditorFixture.h"

#include <algorithm>
#include <string>
#include <vector>

namespace memo {
namespace {

using test::EditorFixture;
using View = EditorFixture;

std::u32string ManyLines(int Count, std::u32string_view Line) {
    std::u32string text;
    for (int i = 0; i < Count; ++i) {
        if (i > 0)
            text += U"\r\n";
        text += Line;
    }
    return text;
}

TEST_F(View, ASelectionSplitsTheLineIntoThreePieces) {
    Editor->SetText(U"abcd");
    Select(2, 3);
    Host.ClearPaint();
    Editor->Paint();
    ASSERT_GE(Host.Texts.size(), 3u);
    auto& t = Host.Texts;
    EXPECT_EQ(t[0].Text, U"a");
    EXPECT_EQ(t[1].Text, U"bc");
    EXPECT_EQ(t[2].Text, U"d");
    EXPECT_EQ(t[0].X, 2);
    EXPECT_EQ(t[1].X, 10);
    EXPECT_EQ(t[2].X, 26);
    EXPECT_EQ(t[0].Background, clWindow);
    EXPECT_EQ(t[0].Font.Color, clWindowText);
    EXPECT_EQ(t[1].Background, clHighlight);
    EXPECT_EQ(t[1].Font.Color, clHighlightText);
    EXPECT_EQ(t[2].Background, clWindow);
}

TEST_F(View, ATabIsDrawnAsSpacesToTheNextStop) {
    Editor->SetTabSize(8);
    Editor->SetText(U"a\tb");
    Host.ClearPaint();
    Editor->Paint();
    ASSERT_FALSE(Host.Texts.empty());
    EXPECT_EQ(Host.Texts[0].Text, U"a       b");
}

TEST_F(View, WideCharactersArePaintedCaretedAndClickedOnTheirTwoCells) {
    Editor->SetText(U"a\u4E2Db\t\u3042");
    Editor->SetTabSize(8);
    Host.ClearPaint();
    Editor->Paint();
    ASSERT_FALSE(Host.Texts.empty());
    EXPECT_EQ(Host.Texts[0].Text, U"a\u4E2Db    \u3042");
    EXPECT_EQ(Host.Texts[0].Clip.Right, 2 + 10 * 8); // 1 + 2 + 1 + 4 + 2 cells
    Editor->FocusIn();
    Editor->Selection()->CollapseTo(3); // after the ideograph
    EXPECT_EQ(Host.Caret.x, 2 + 3 * 8 - 1);
    auto clickAt = [this](int X) {
        Editor->MouseDown(TMouseButton::mbLeft, X, 2);
        Editor->MouseUp(TMouseButton::mbLeft, X, 2);
        return Editor->Selection()->CaretPos();
    };
    EXPECT_EQ(clickAt(2 + 8 + 5), 2);  // the left half of the ideograph: before it
    EXPECT_EQ(clickAt(2 + 8 + 11), 3); // its right half: after it
    EXPECT_EQ(clickAt(2 + 16 + 7), 3);
    EXPECT_EQ(clickAt(2 + 8 * 8 + 9), 6); // the right half of the last one: the end
    // Selecting the ideograph repaints its two cells in the highlight.
    Host.ClearPaint();
    Select(2, 2);
    ASSERT_EQ(Host.Texts.size(), 1u);
    EXPECT_EQ(Host.Texts[0].Clip, (TRect{10, 0, 26, 16}));
}

TEST_F(View, TypingRepaintsOnlyTheTailOfItsLine) {
    Editor->SetText(U"the widest\r\nline2\r\nline3");
    Editor->Selection()->CollapseTo(15);
    Host.ClearPaint();
    auto bars = Host.Bars;
    Host.Bars.clear();
    Type(U"x");
    ASSERT_EQ(Host.Texts.size(), 1u);
    EXPECT_EQ(Host.Texts[0].Text, U"ixne2");
    EXPECT_EQ(Host.Texts[0].X, 10);
    EXPECT_EQ(Host.Texts[0].Y, 16);
    EXPECT_EQ(Host.Texts[0].Clip.Right, Host.Client.cx); // through the line break
    EXPECT_TRUE(Host.Bars.empty());                      // no new layout
}

std::vector<int> DrawnRows(const test::RecordingHost& Host) {
    std::vector<int> rows;
    for (auto& t : Host.Texts)
        if (rows.empty() || rows.back() != t.Y)
            rows.push_back(t.Y);
    return rows;
}

TEST_F(View, ANewLineMovesTheLinesBelowAndPaintsOnlyTheEditedOnes) {
    Editor->SetText(U"abcdefgh\r\nab"); // splitting the widest line narrows the range
    Editor->Selection()->CollapseTo(5);
    Host.ClearPaint();
    Type(U"\r");
    ASSERT_EQ(Host.Scrolls.size(), 1u);
    EXPECT_EQ(Host.Scrolls[0].Dy, 16);
    EXPECT_EQ(Host.Scrolls[0].Area, (TRect{2, 16, 402, 160}));
    EXPECT_EQ(DrawnRows(Host), (std::vector<int>{0, 16}));
    EXPECT_EQ(Host.Bars[TScrollBarKind::sbVertical].Max, 3);
    EXPECT_EQ(Host.Bars[TScrollBarKind::sbHorizontal].Max, 4);
}

TEST_F(View, JoiningLinesMovesTheLinesBelowUpAndPaintsTheBottomStrip) {
    Editor->SetText(ManyLines(30, U"text"));
    Editor->Selection()->CollapseTo(Editor->LineColToPos(3, 5));
    Host.ClearPaint();
    Editor->KeyDown(TKey::kDelete, 0);
    ASSERT_EQ(Host.Scrolls.size(), 1u);
    EXPECT_EQ(Host.Scrolls[0].Dy, -16);
    EXPECT_EQ(Host.Scrolls[0].Area, (TRect{2, 48, 402, 160}));
    EXPECT_EQ(DrawnRows(Host), (std::vector<int>{32, 144, 160, 176}));
    EXPECT_EQ(Host.Bars[TScrollBarKind::sbVertical].Max, 29);
}

TEST_F(View, ReplacingLinesByAsManyRepaintsThemAll) {
    Editor->SetText(U"ab\r\ncd\r\nef");
    Select(1, 6);
    Host.ClearPaint();
    Editor->Selection()->SetText(U"x\r\ny");
    EXPECT_EQ(DrawnRows(Host), (std::vector<int>{0, 16}));
    EXPECT_EQ(Host.DrawnTexts().back(), U"y");
}

TEST_F(View, LinesAddedBelowTheViewPaintNothing) {
    Editor->SetText(ManyLines(30, U"text"));
    Host.ClearPaint();
    Editor->Lines().Add(U"more");
    EXPECT_TRUE(Host.Texts.empty());
    EXPECT_TRUE(Host.Scrolls.empty());
    EXPECT_EQ(Host.Bars[TScrollBarKind::sbVertical].Max, 31);
}

TEST_F(View, LinesRemovedAboveOrPastTheViewLayItOutAgain) {
    Editor->SetText(ManyLines(30, U"text"));
    Editor->VScroll(TScrollCode::scBottom, 0);
    ASSERT_EQ(Editor->VisibleRange()->TopLine(), 21);
    Host.ClearPaint();
    Editor->Lines().Delete(0); // above: the view stays on its text
    EXPECT_EQ(Editor->VisibleRange()->TopLine(), 20);
    EXPECT_TRUE(Host.Scrolls.empty());
    Select(Editor->LineColToPos(25, 0), Editor->TextLength()); // the last lines
    Host.ClearPaint();
    Editor->Selection()->Delete();
    EXPECT_EQ(Editor->LineCount(), 24);
    EXPECT_EQ(Editor->VisibleRange()->TopLine(), 15);
    EXPECT_EQ(DrawnRows(Host).front(), 0); // everything drawn anew
    EXPECT_EQ(Host.Bars[TScrollBarKind::sbVertical].Pos, 15);
}

TEST_F(View, TypingOnTheWidestLineRaisesTheHorizontalRangeAtOnce) {
    Editor->SetText(U"ab\r\nabcd");
    EXPECT_EQ(Host.Bars[TScrollBarKind::sbHorizontal].Max, 4);
    Editor->Selection()->CollapseTo(3);
    Type(U"xyz");
    EXPECT_EQ(Host.Bars[TScrollBarKind::sbHorizontal].Max, 5);
    // Growing past the widest line still repaints only the tail of the line typed on.
    Host.ClearPaint();
    Type(U"w");
    EXPECT_EQ(Host.Bars[TScrollBarKind::sbHorizontal].Max, 6);
    EXPECT_EQ(Host.DrawnTexts(), std::vector<std::u32string>{U"zw"});
}

TEST_F(View, DeletingFromTheWidestLineLaysTheViewOutAgain) {
    Editor->SetText(std::u32string(60, U'x') + U"\r\nab");
    Editor->VisibleRange()->SetLeftCol(5);
    ASSERT_EQ(Editor->VisibleRange()->LeftCol(), 5);
    Select(1, 50);
    Editor->Selection()->Delete();
    EXPECT_EQ(Host.Bars[TScrollBarKind::sbHorizontal].Max, 10);
    EXPECT_EQ(Editor->VisibleRange()->LeftCol(), 1);
}

TEST_F(View, ScrollingDownOneLineMovesPixelsAndPaintsOnlyTheNewLines) {
    Editor->SetText(ManyLines(30, U"text"));
    Host.ClearPaint();
    Editor->VScroll(TScrollCode::scLineDown, 0);
    EXPECT_EQ(Editor->VisibleRange()->TopLine(), 2);
    ASSERT_EQ(Host.Scrolls.size(), 1u);
    EXPECT_EQ(Host.Scrolls[0].Dy, -16);
    EXPECT_EQ(Host.Scrolls[0].Area, (TRect{2, 0, 402, 160}));
    ASSERT_FALSE(Host.Texts.empty());
    for (auto& t : Host.Texts)
        EXPECT_GE(t.Y, 144);
    EXPECT_EQ(Host.Bars[TScrollBarKind::sbVertical].Pos, 2);
    EXPECT_EQ(Host.Log.back(), "repaint-now");
}

TEST_F(View, ScrollRequestsClampAndKeepFullPositions) {
    Editor->SetText(ManyLines(70000, U"x"));
    Editor->VScroll(TScrollCode::scTrack, 69000);
    EXPECT_EQ(Editor->VisibleRange()->TopLine(), 69000);
    Editor->VScroll(TScrollCode::scBottom, 0);
    EXPECT_EQ(Editor->VisibleRange()->TopLine(), 70000 - 10 + 1);
    Editor->VScroll(TScrollCode::scPageDown, 0);
    EXPECT_EQ(Editor->VisibleRange()->TopLine(), 70000 - 10 + 1);
    Editor->VScroll(TScrollCode::scTop, 0);
    EXPECT_EQ(Editor->VisibleRange()->TopLine(), 1);
    Editor->VScroll(TScrollCode::scLineUp, 0);
    EXPECT_EQ(Editor->VisibleRange()->TopLine(), 1);
    Editor->SetText(std::u32string(120, U'y'));
    Editor->HScroll(TScrollCode::scPageDown, 0);
    EXPECT_EQ(Editor->VisibleRange()->LeftCol(), 51);
    Editor->HScroll(TScrollCode::scBottom, 0);
    EXPECT_EQ(Editor->VisibleRange()->LeftCol(), 71);
}

TEST_F(View, SelectionChangesRepaintOnlyWhatChangedTheirHighlight) {
    Editor->SetText(U"abcdefgh");
    Select(2, 3);
    Host.ClearPaint();
    Editor->Selection()->SetREnd(5);
    ASSERT_EQ(Host.Texts.size(), 1u);
    EXPECT_EQ(Host.Texts[0].Text, U"de");
    EXPECT_EQ(Host.Texts[0].X, 26);
    EXPECT_EQ(Host.Texts[0].Background, clHighlight);
    Host.ClearPaint();
    Editor->Selection()->CollapseTo(7);
    ASSERT_EQ(Host.Texts.size(), 1u);
    EXPECT_EQ(Host.Texts[0].Text, U"bcde");
    EXPECT_EQ(Host.Texts[0].Background, clWindow);
}

TEST_F(View, ScrollingSidewaysOrByAPageRepaintsTheWholeView) {
    Editor->SetText(ManyLines(30, std::u32string(200, U'w')));
    Host.ClearPaint();
    Editor->HScroll(TScrollCode::scLineDown, 0);
    EXPECT_EQ(Editor->VisibleRange()->LeftCol(), 2);
    EXPECT_TRUE(Host.Scrolls.empty());
    EXPECT_GE(Host.Texts.size(), 10u);
    Host.ClearPaint();
    Editor->VScroll(TScrollCode::scPageDown, 0);
    EXPECT_EQ(Editor->VisibleRange()->TopLine(), 11);
    EXPECT_TRUE(Host.Scrolls.empty());
    EXPECT_GE(Host.Texts.size(), 10u);
}

TEST_F(View, ANewBitmapHoldsTheWholeViewBeforeItsPixelsMove) {
    Editor->SetText(ManyLines(30, U"text"));
    Host.ClearPaint();
    Editor->SetBitmapped(true);
    int linesOnBitmap = 0;
    for (auto& t : Host.Texts)
        linesOnBitmap += t.Target == TPaintTarget::ptBitmap ? 1 : 0;
    EXPECT_GE(linesOnBitmap, Editor->VisibleLines());
}

TEST_F(View, ABitmappedEditorScrollsItsBitmap) {
    Editor->SetText(ManyLines(30, U"text"));
    Editor->SetBitmapped(true);
    Host.ClearPaint();
    Editor->VScroll(TScrollCode::scLineDown, 0);
    ASSERT_EQ(Host.Scrolls.size(), 1u);
    EXPECT_EQ(Host.Scrolls[0].Target, TPaintTarget::ptBitmap);
    EXPECT_GT(Host.Invalidations, 0);
}

TEST_F(View, GettingTextIntoABoundedBuffer) {
    Editor->SetText(U"abcdefg");
    char32_t buffer[5] = {U'?', U'?', U'?', U'?', U'?'};
    EXPECT_EQ(Editor->GetTextMessage(buffer, 5), 4);
    EXPECT_EQ(std::u32string(buffer, 5), std::u32string(U"abcd") + U'\0');
    EXPECT_EQ(Editor->GetTextMessage(buffer, 1), 0);
    EXPECT_EQ(buffer[0], U'\0');
    EXPECT_EQ(Editor->GetTextMessage(buffer, 0), 0);
    EXPECT_EQ(Editor->GetTextMessage(nullptr, 5), 0);
    EXPECT_EQ(Editor->GetTextLengthMessage(), 7);
    EXPECT_EQ(Editor->SetTextMessage(U"new\0ignored"), 1);
    EXPECT_EQ(Editor->GetText(), U"new");
}

TEST_F(View, TheCaretFollowsFocusSelectionAndSettings) {
    Editor->SetText(U"abc");
    Editor->FocusIn();
    EXPECT_TRUE(Host.CaretExists);
    EXPECT_EQ(Host.CaretSize, (TSize{2, 14}));
    Editor->Selection()->CollapseTo(3);
    EXPECT_EQ(Host.Caret, (TPoint{17, 1}));
    EXPECT_TRUE(Host.CaretVisible);
    Select(1, 2);
    EXPECT_FALSE(Host.CaretVisible);
    Editor->SetAlwaysShowCaret(true);
    EXPECT_TRUE(Host.CaretVisible);
    Editor->SetReadOnly(true);
    EXPECT_FALSE(Host.CaretVisible);
    Editor->SetReadOnly(false);
    EXPECT_TRUE(Host.CaretVisible);
    Editor->FocusOut();
    EXPECT_FALSE(Host.CaretExists);
}

TEST_F(View, ABackwardsSelectionPlacesTheCaretAtItsStart) {
    Editor->SetText(U"abcdef");
    Editor->SetAlwaysShowCaret(true);
    Editor->FocusIn();
    Editor->Selection()->CollapseTo(5);
    Editor->Selection()->ExtendTo(2);
    EXPECT_EQ(Host.Caret, (TPoint{2 + 8 - 1, 1}));
}

TEST_F(View, MakeVisibleKeepsItsMargins) {
    Editor->SetText(ManyLines(100, U"line"));
    auto* sel = Editor->Selection();
    sel->CollapseTo(Editor->LineColToPos(50, 1));
    sel->MakeVisible(4);
    EXPECT_EQ(Editor->VisibleRange()->TopLine(), 45);
    sel->CollapseTo(Editor->LineColToPos(44, 1));
    sel->MakeVisible(0);
    EXPECT_EQ(Editor->VisibleRange()->TopLine(), 44);
    sel->CollapseTo(1);
    sel->MakeVisible(4);
    EXPECT_EQ(Editor->VisibleRange()->TopLine(), 1);

    Editor->SetText(std::u32string(200, U'x'));
    sel->CollapseTo(81);
    sel->MakeVisible(4);
    EXPECT_EQ(Editor->VisibleRange()->LeftCol(), 35);
    sel->CollapseTo(30);
    sel->MakeVisible(4);
    EXPECT_EQ(Editor->VisibleRange()->LeftCol(), 26);
}

TEST_F(View, DraggingTheMouseSelects) {
    Editor->SetText(U"abcdef\r\nghijkl\r\nmnopqr");
    Editor->MouseDown(TMouseButton::mbLeft, 18, 19);
    EXPECT_EQ(Host.Log.front(), "focus");
    EXPECT_EQ(Editor->Selection()->RStart(), 11);
    EXPECT_EQ(Editor->Selection()->RLength(), 0);
    EXPECT_TRUE(Host.TimerRunning);
    EXPECT_EQ(Host.TimerInterval, 20);
    Editor->MouseMove(42, 40);
    EXPECT_EQ(Editor->Selection()->RStart(), 11);
    EXPECT_EQ(Editor->Selection()->REnd(), 21);
    Editor->MouseMove(-5, 40); // outside: ignored until the timer looks
    EXPECT_EQ(Editor->Selection()->REnd(), 21);
    Editor->MouseUp(TMouseButton::mbLeft, 42, 40);
    EXPECT_FALSE(Host.TimerRunning);
    EXPECT_FALSE(Editor->MouseSelecting());
    Editor->MouseMove(2, 0);
    EXPECT_EQ(Editor->Selection()->REnd(), 21);
}

TEST_F(View, ShiftClickExtendsDoubleClickSelectsAWordAndTripleClickTheLine) {
    Editor->SetText(U"select  top_10 from t\r\nnext");
    auto at = [](int Col) { return 2 + 8 * (Col - 1) + 3; }; // inside column Col
    auto sel = [this] { return std::make_pair(Editor->SelStart(), Editor->SelLength()); };
    Editor->MouseDown(TMouseButton::mbLeft, at(3), 2);
    Editor->MouseUp(TMouseButton::mbLeft, at(3), 2);
    Editor->MouseDown(TMouseButton::mbLeft, at(12), 2, ssShift);
    EXPECT_EQ(sel(), std::make_pair(2, 9));
    Editor->MouseUp(TMouseButton::mbLeft, at(12), 2);
    Editor->MouseDown(TMouseButton::mbLeft, at(12), 2, 0, 2);
    EXPECT_EQ(sel(), std::make_pair(8, 6)); // "top_10"
    EXPECT_EQ(Editor->Selection()->CaretPos(), 15);
    Editor->MouseDown(TMouseButton::mbLeft, at(7), 2, 0, 2);
    EXPECT_EQ(sel(), std::make_pair(6, 2)); // the two blanks
    Editor->MouseDown(TMouseButton::mbLeft, at(40), 2, 0, 2);
    EXPECT_EQ(sel(), std::make_pair(20, 1)); // past the line's end: its last word
    Editor->MouseDown(TMouseButton::mbLeft, at(12), 2, 0, 3);
    EXPECT_EQ(sel(), std::make_pair(0, 23)); // the line and its line break
    Editor->MouseDown(TMouseButton::mbLeft, at(2), 18, 0, 3);
    EXPECT_EQ(sel(), std::make_pair(23, 4)); // the last line
    EXPECT_FALSE(Editor->MouseSelecting());
    Editor->MouseDown(TMouseButton::mbRight, at(1), 2, 0, 2); // keeps it for the context menu
    EXPECT_EQ(sel(), std::make_pair(23, 4));
}

TEST_F(View, DraggingBelowTheWindowScrollsEveryTick) {
    Editor->SetText(ManyLines(30, U"abc"));
    Editor->MouseDown(TMouseButton::mbLeft, 2, 0);
    Host.Cursor = TPoint{2, 200};
    Editor->Timer(TMemoComponent::SelectionTimerId);
    EXPECT_EQ(Editor->VisibleRange()->TopLine(), 4);
    EXPECT_EQ(Editor->Selection()->REnd() + 1, Editor->LineColToPos(13, 1));
    Editor->Timer(TMemoComponent::SelectionTimerId);
    EXPECT_EQ(Editor->VisibleRange()->TopLine(), 7);
    Editor->MouseUp(TMouseButton::mbLeft, 2, 200);
    Editor->Timer(TMemoComponent::SelectionTimerId);
    EXPECT_EQ(Editor->VisibleRange()->TopLine(), 7);
}

TEST_F(View, ARightClickKeepsASelectionAndOtherwiseMovesTheCaret) {
    Editor->SetText(U"abcdef");
    Select(2, 4);
    Editor->MouseDown(TMouseButton::mbRight, 2 + 8 * 3, 2);
    EXPECT_EQ(Editor->Selection()->RStart(), 2);
    EXPECT_EQ(Editor->Selection()->REnd(), 4);
    EXPECT_FALSE(Host.TimerRunning);
    Editor->Selection()->CollapseTo(1);
    Editor->MouseDown(TMouseButton::mbRight, 2 + 8 * 3, 2);
    EXPECT_EQ(Editor->Selection()->RStart(), 4);
    Editor->MouseUp(TMouseButton::mbRight, 0, 0);
    Editor->Selection()->CollapseTo(1);
    Editor->MouseDown(TMouseButton::mbMiddle, 2 + 8 * 3, 2);
    EXPECT_EQ(Editor->Selection()->RStart(), 1);
}

TEST_F(View, EditsAnnounceTheSelectionChangeThenTheChange) {
    std::vector<std::string> events;
    Editor->OnSelectionChange = [&](TObject*) { events.push_back("selection"); };
    Editor->OnChange = [&](TObject*) { events.push_back("change"); };
    Type(U"x");
    EXPECT_EQ(events, (std::vector<std::string>{"selection", "change"}));
    events.clear();
    Editor->Lines().Add(U"more");
    EXPECT_EQ(events, (std::vector<std::string>{"selection", "change"}));
    EXPECT_EQ(Host.ContentChanges, 2);
}

TEST_F(View, ABitmappedEditorDrawsOffScreenAndCopiesOnPaint) {
    Editor->SetBitmapped(true);
    EXPECT_TRUE(Host.BitmapExists);
    EXPECT_EQ(Host.Bitmap, Host.Client);
    Host.ClearPaint();
    Type(U"a");
    ASSERT_FALSE(Host.Texts.empty());
    for (auto& t : Host.Texts)
        EXPECT_EQ(t.Target, TPaintTarget::ptBitmap);
    EXPECT_GT(Host.Invalidations, 0);
    Editor->Paint();
    EXPECT_EQ(Host.Log.back(), "copy-bitmap");
    Editor->SetBitmapped(false);
    EXPECT_FALSE(Host.BitmapExists);
}

TEST_F(View, AnEmptyTextFillsTheWholeClientArea) {
    Host.ClearPaint();
    Editor->Paint();
    ASSERT_FALSE(Host.Fills.empty());
    EXPECT_EQ(Host.Fills.back().Rect, (TRect{0, 0, 402, 160}));
    EXPECT_EQ(Host.Fills.back().Color, clWindow);
}

TEST_F(View, NothingIsDrawnWithoutAWindow) {
    Host.Exists = false;
    Host.ClearPaint();
    Type(U"abc");
    Editor->Paint();
    Editor->FocusIn();
    EXPECT_TRUE(Host.Texts.empty());
    EXPECT_TRUE(Host.Fills.empty());
    EXPECT_FALSE(Host.CaretExists);
    EXPECT_EQ(Editor->GetText(), U"abc");
}

TEST_F(View, MissingFontMetricsFallBack) {
    Host.CharWidth = 0;
    Host.LineHeight = 0;
    Editor->UpdateFontMetrics();
    EXPECT_EQ(Editor->LineHeight(), 13);
    EXPECT_EQ(Editor->CharWidth(), 8);
}

TEST_F(View, PixelsAndCellsConvertToTheNearestBoundary) {
    TLineCol cell;
    Editor->PixelToCell(TPoint{2 + 8 + 3, 17}, cell);
    EXPECT_EQ(cell, LineCol(2, 2));
    Editor->PixelToCell(TPoint{2 + 8 + 4, 0}, cell);
    EXPECT_EQ(cell, LineCol(1, 3));
    TPoint p;
    Editor->CellToPixel(LineCol(3, 4), p);
    EXPECT_EQ(p, (TPoint{2 + 24, 32}));
}

TEST_F(View, PropertiesRecreateTheWindowOnlyWhenTheyChange) {
    Editor->SetScrollBars(TScrollStyle::ssBoth);
    Editor->SetBorderStyle(TBorderStyle::bsSingle);
    EXPECT_EQ(Host.Recreations, 0);
    Editor->SetScrollBars(TScrollStyle::ssVertical);
    Editor->SetBorderStyle(TBorderStyle::bsNone);
    EXPECT_EQ(Host.Recreations, 2);
}

TEST_F(View, ClipboardMessagesWorkOnTheSelection) {
    Editor->SetText(U"hello world");
    Select(1, 5);
    Editor->CopyToClipboard();
    EXPECT_EQ(Host.Clipboard, U"hello");
    Editor->CutToClipboard();
    EXPECT_EQ(Editor->GetText(), U" world");
    Editor->Selection()->CollapseTo(7);
    Editor->PasteFromClipboard();
    EXPECT_EQ(Editor->GetText(), U" worldhello");
    Select(1, 1);
    Editor->ClearSelection();
    EXPECT_EQ(Editor->GetText(), U"worldhello");
    Editor->Selection()->CollapseTo(1);
    Host.Clipboard = U"kept";
    Editor->CopyToClipboard(); // nothing selected: the clipboard stays
    EXPECT_EQ(Host.Clipboard, U"kept");
}

// --- Formatted ranges ------------------------------------------------------------------------

TEST_F(View, AFormattedRangeCopiesFontsInsteadOfKeepingThem) {
    TFormattedRange range;
    EXPECT_EQ(range.Color(), clBlack);
    TFont font;
    font.Name = "Mono";
    font.Style = fsBold;
    range.SetFont(&font);
    font.Name = "Changed";
    EXPECT_EQ(range.Font()->Name, "Mono");
    range.SetFont(nullptr);
    EXPECT_EQ(range.Font()->Name, "Mono");
    EXPECT_TRUE(range.Font()->HasStyle(fsBold));
}

TEST_F(View, ANormalFormattedRangeUsesItsEditorsLook) {
    TNormalFormattedRange detached;
    EXPECT_EQ(detached.Color(), clWindow);
    EXPECT_EQ(detached.Font(), nullptr);
    TNormalFormattedRange attached;
    attached.SetEditor(Editor.get());
    Editor->SetColor(clSilver);
    EXPECT_EQ(attached.Color(), clSilver);
    EXPECT_EQ(attached.Font(), Editor->Font());
}

TEST_F(View, CopyingBetweenFormattedRangesFollowsTheirSetters) {
    Editor->SetText(U"0123456789");
    TFormattedRange formatted;
    formatted.SetEditor(Editor.get());
    formatted.SetRStart(2);
    formatted.SetREnd(5);
    formatted.SetColor(clRed);
    TNormalFormattedRange normal;
    normal.SetEditor(Editor.get());
    normal.Assign(&formatted);
    EXPECT_EQ(normal.RStart(), 2);
    EXPECT_EQ(normal.REnd(), 5);
    EXPECT_EQ(normal.Color(), Editor->Color());

    normal.SetRStart(7);
    normal.SetREnd(8);
    formatted.Assign(&normal);
    EXPECT_EQ(formatted.RStart(), 7);
    EXPECT_EQ(formatted.Color(), Editor->Color());
    EXPECT_EQ(*formatted.Font(), *Editor->Font());
    EXPECT_NE(formatted.Font(), Editor->Font());
}

// A producer that hands over an empty throw-away piece and a lasting one.
class ProducingEditor : public TMemoComponent {
public:
    using TMemoComponent::TMemoComponent;
    struct Piece : TFormattedRange {
        explicit Piece(int* Freed) : FFreed(Freed) {}
        ~Piece() override { ++*FFreed; }
        int* FFreed;
    };
    int Freed = 0;
    std::unique_ptr<Piece> Lasting;
    void GetFormattedRanges(TCustomRange* Range, TFormattedRangeArray& Pieces) override {
        auto* empty = new Piece(&Freed);
        empty->SetFreeAfterPaint(true);
        empty->SetEditor(this);
        empty->SetRStart(Range->RStart());
        empty->SetREnd(Range->RStart() - 1);
        Pieces.push_back(empty);
        if (!Lasting)
            Lasting = std::make_unique<Piece>(&Freed);
        Lasting->SetEditor(this);
        Lasting->SetRStart(Range->RStart());
        Lasting->SetREnd(Range->REnd());
        Pieces.push_back(Lasting.get());
    }
};

TEST(FormattedRangePainting, ThrowAwayPiecesAreFreedAndLastingOnesKept) {
    test::RecordingHost host;
    ProducingEditor editor(&host);
    editor.UpdateFontMetrics();
    editor.SetText(U"abc");
    int freedBefore = editor.Freed;
    host.ClearPaint();
    editor.Paint();
    EXPECT_GT(editor.Freed, freedBefore);
    ASSERT_EQ(host.Texts.size(), 1u);
    EXPECT_EQ(host.Texts[0].Text, U"abc");
    EXPECT_EQ(host.Texts[0].Background, clBlack);
    int freedAfterPaint = editor.Freed;
    editor.Lasting.reset();
    EXPECT_EQ(editor.Freed, freedAfterPaint + 1);
}

} // namespace
} // namespace memo
