// The keyboard commands against a recording host: deleting, moving, selecting, the clipboard and
// undo keys, typing, and the read-only mode.
#include "EditorFixture.h"

#include <string>
#include <utility>

namespace memo {
namespace {

using test::EditorFixture;

std::u32string Numbered(int Count) {
    std::u32string text;
    for (int i = 1; i <= Count; ++i) {
        if (i > 1)
            text += U"\r\n";
        text += U"line " + std::u32string(1, static_cast<char32_t>(U'a' + (i - 1) % 26));
    }
    return text;
}

class Keyboard : public EditorFixture {
protected:
    void Press(TKey Key, TShiftState Shift = 0) { Editor->KeyDown(Key, Shift); }
    void Chars(std::u32string_view Text) {
        for (char32_t c : Text)
            Editor->KeyPress(c);
    }
    std::pair<int, int> Sel() const {
        return {Editor->Selection()->RStart(), Editor->Selection()->REnd()};
    }
    int Caret() const { return Editor->Selection()->CaretPos(); }
    int TopLine() const { return Editor->VisibleRange()->TopLine(); }
};

// --- Deleting ---------------------------------------------------------------------------------

TEST_F(Keyboard, BackspaceAtALineStartJoinsTheLinesInOneStep) {
    Editor->SetText(U"ab\r\ncd");
    Editor->Selection()->CollapseTo(5);
    Press(TKey::kBackspace);
    EXPECT_EQ(Editor->GetText(), U"abcd");
    EXPECT_EQ(Caret(), 3);
    Editor->Undo();
    EXPECT_EQ(Editor->GetText(), U"ab\r\ncd");
}

TEST_F(Keyboard, BackspaceAndDeleteStopAtTheEndsOfTheText) {
    Editor->SetText(U"ab");
    Editor->Selection()->CollapseTo(1);
    Press(TKey::kBackspace);
    Editor->Selection()->CollapseTo(3);
    Press(TKey::kDelete);
    EXPECT_EQ(Editor->GetText(), U"ab");
    Editor->Undo(); // only the text's arrival was recorded
    EXPECT_EQ(Editor->GetText(), U"");
    EXPECT_FALSE(Editor->CanUndo());
}

TEST_F(Keyboard, DeleteAtALineEndJoinsTheNextLine) {
    Editor->SetText(U"ab\r\ncd");
    Editor->Selection()->CollapseTo(3);
    Press(TKey::kDelete);
    EXPECT_EQ(Editor->GetText(), U"abcd");
    EXPECT_EQ(Caret(), 3);
}

TEST_F(Keyboard, DeletingWidensQuietlyAndReportsOneSelectionChangeAndOneChange) {
    Editor->SetText(U"abc");
    Editor->Selection()->CollapseTo(3);
    std::string events;
    Editor->OnSelectionChange = [&](TObject*) { events += 's'; };
    Editor->OnChange = [&](TObject*) { events += 'c'; };
    Press(TKey::kBackspace);
    EXPECT_EQ(events, "sc");
    EXPECT_EQ(Editor->GetText(), U"ac");
}

TEST_F(Keyboard, ASelectionIsDeletedWholeByEitherKeyAndByClear) {
    for (TKey key : {TKey::kBackspace, TKey::kDelete, TKey::kClear}) {
        Editor->SetText(U"abcdef");
        Select(2, 4);
        Press(key, key == TKey::kClear ? ssShift : 0); // Clear works with any modifiers
        EXPECT_EQ(Editor->GetText(), U"aef");
        EXPECT_EQ(Sel(), std::make_pair(2, 1));
    }
}

TEST_F(Keyboard, RunsOfBackspacesAndOfDeletesAreOneUndoStepEach) {
    Editor->SetText(U"abcdef");
    Editor->Selection()->CollapseTo(4);
    Press(TKey::kBackspace);
    Press(TKey::kBackspace);
    Editor->Selection()->CollapseTo(3);
    Press(TKey::kDelete);
    Press(TKey::kDelete);
    EXPECT_EQ(Editor->GetText(), U"ad");
    Press(TKey::kBackspace, ssAlt);
    EXPECT_EQ(Editor->GetText(), U"adef");
    Press(TKey::kBackspace, ssAlt);
    EXPECT_EQ(Editor->GetText(), U"abcdef");
    Press(TKey::kBackspace, ssShift | ssAlt);
    EXPECT_EQ(Editor->GetText(), U"adef");
}

// --- Undo and the clipboard -------------------------------------------------------------------

TEST_F(Keyboard, CtrlZUndoesAndWithShiftRedoesWhateverElseIsHeld) {
    Chars(U"abc");
    Press(TKey::kZ, ssCtrl);
    EXPECT_EQ(Editor->GetText(), U"");
    Press(TKey::kZ, ssCtrl | ssShift);
    EXPECT_EQ(Editor->GetText(), U"abc");
    Press(TKey::kZ, ssCtrl | ssAlt);
    EXPECT_EQ(Editor->GetText(), U"");
    Press(TKey::kZ); // plain Z is a letter for the character stage, not a command
    EXPECT_EQ(Editor->GetText(), U"");
}

TEST_F(Keyboard, ClipboardKeysCopyCutAndPaste) {
    Editor->SetText(U"hello world");
    Select(1, 5);
    Press(TKey::kInsert, ssCtrl);
    EXPECT_EQ(Host.Clipboard, U"hello");
    Select(7, 11);
    Press(TKey::kC, ssCtrl);
    EXPECT_EQ(Host.Clipboard, U"world");
    Press(TKey::kDelete, ssShift);
    EXPECT_EQ(Editor->GetText(), U"hello ");
    Editor->Selection()->CollapseTo(1);
    Press(TKey::kInsert, ssShift);
    EXPECT_EQ(Editor->GetText(), U"worldhello ");
    Select(1, 5);
    Press(TKey::kX, ssCtrl);
    EXPECT_EQ(Editor->GetText(), U"hello ");
    Editor->Selection()->CollapseTo(7);
    Press(TKey::kV, ssCtrl);
    EXPECT_EQ(Editor->GetText(), U"hello world");
}

TEST_F(Keyboard, ClipboardLettersNeedCtrlAlone) {
    Editor->SetText(U"abc");
    Select(1, 3);
    Host.Clipboard = U"x";
    Press(TKey::kC, ssCtrl | ssShift);
    Press(TKey::kX, ssCtrl | ssAlt);
    Press(TKey::kV, ssCtrl | ssShift);
    EXPECT_EQ(Host.Clipboard, U"x");
    EXPECT_EQ(Editor->GetText(), U"abc");
}

TEST_F(Keyboard, CtrlASelectsEverythingEscapeCollapsesAndCtrlYRedoes) {
    Editor->SetText(U"one\r\ntwo");
    Editor->Selection()->CollapseTo(2);
    Press(TKey::kA, ssCtrl);
    EXPECT_EQ(Sel(), std::make_pair(1, 8));
    EXPECT_EQ(Caret(), 9);
    Press(TKey::kEscape);
    EXPECT_EQ(Sel(), std::make_pair(9, 8));
    Press(TKey::kEscape); // nothing selected: nothing moves
    EXPECT_EQ(Caret(), 9);
    Press(TKey::kBackspace);
    Editor->Undo();
    EXPECT_EQ(Editor->GetText(), U"one\r\ntwo");
    Press(TKey::kY, ssCtrl);
    EXPECT_EQ(Editor->GetText(), U"one\r\ntw");
    Press(TKey::kY, ssCtrl | ssShift); // not Ctrl alone: no command
    Press(TKey::kA, ssCtrl | ssAlt);
    EXPECT_EQ(Editor->GetText(), U"one\r\ntw");
    EXPECT_EQ(Caret(), 8);
    EXPECT_FALSE(Editor->HandlesKey(TKey::kA, 0)); // a plain A is typed
    Editor->SetReadOnly(true);
    EXPECT_TRUE(Editor->HandlesKey(TKey::kA, ssCtrl));
    EXPECT_FALSE(Editor->HandlesKey(TKey::kY, ssCtrl));
}

TEST_F(Keyboard, PastingAClipboardWithoutTextKeepsTheSelection) {
    Editor->SetText(U"keep me");
    Select(1, 4);
    Host.Clipboard.clear();
    Press(TKey::kV, ssCtrl);
    Press(TKey::kInsert, ssShift);
    Editor->PasteFromClipboard();
    EXPECT_EQ(Editor->GetText(), U"keep me");
    EXPECT_EQ(Sel(), std::make_pair(1, 4));
    Editor->Undo(); // nothing but the text's arrival was recorded
    EXPECT_EQ(Editor->GetText(), U"");
}

TEST_F(Keyboard, PastingALongTextShowsTheCaret) {
    Host.Clipboard = Numbered(30);
    Press(TKey::kV, ssCtrl);
    EXPECT_EQ(Editor->LineCount(), 30);
    EXPECT_EQ(TopLine(), 21);
}

// --- Moving and selecting ---------------------------------------------------------------------

TEST_F(Keyboard, AnArrowFirstCollapsesASelectionAndShiftShrinksIt) {
    Editor->SetText(U"abcdef");
    Select(2, 3);
    Press(TKey::kLeft);
    EXPECT_EQ(Sel(), std::make_pair(2, 1));
    Select(2, 3);
    Press(TKey::kLeft, ssShift);
    EXPECT_EQ(Sel(), std::make_pair(2, 2));
    Select(2, 3);
    Press(TKey::kDown);
    EXPECT_EQ(Sel(), std::make_pair(4, 3));
    Select(2, 3);
    Press(TKey::kUp);
    EXPECT_EQ(Sel(), std::make_pair(2, 1));
}

TEST_F(Keyboard, WithTheCaretAlwaysShownArrowsMoveFromTheCaret) {
    Editor->SetAlwaysShowCaret(true);
    Editor->SetText(U"abcdef");
    Select(2, 3);
    Press(TKey::kRight);
    EXPECT_EQ(Sel(), std::make_pair(5, 4));
}

TEST_F(Keyboard, ShiftArrowsTurnTheSelectionAroundItsAnchor) {
    Editor->SetText(U"abcdef");
    Editor->Selection()->CollapseTo(3);
    Press(TKey::kLeft, ssShift);
    EXPECT_TRUE(Editor->Selection()->Backwards());
    EXPECT_EQ(Sel(), std::make_pair(2, 2));
    Press(TKey::kRight, ssShift);
    Press(TKey::kRight, ssShift);
    EXPECT_FALSE(Editor->Selection()->Backwards());
    EXPECT_EQ(Sel(), std::make_pair(3, 3));
}

TEST_F(Keyboard, LeftAndRightStepOverALineBreakWhole) {
    Editor->SetText(U"ab\r\ncd");
    Editor->Selection()->CollapseTo(3);
    Press(TKey::kRight);
    EXPECT_EQ(Caret(), 5);
    Press(TKey::kLeft);
    EXPECT_EQ(Caret(), 3);
}

TEST_F(Keyboard, CaretMovesStopAtTheEndsOfTheText) {
    Editor->SetText(U"ab");
    Editor->Selection()->CollapseTo(1);
    Press(TKey::kLeft);
    EXPECT_EQ(Sel(), std::make_pair(1, 0));
    Editor->Selection()->CollapseTo(3);
    Press(TKey::kRight, ssShift);
    EXPECT_EQ(Sel(), std::make_pair(3, 2));
}

TEST_F(Keyboard, CtrlRightAndLeftCrossOneRunAtATime) {
    Editor->SetText(U"abc  def\r\n  x_1");
    Editor->Selection()->CollapseTo(1);
    Press(TKey::kRight, ssCtrl);
    EXPECT_EQ(Caret(), 4); // after the first word
    Press(TKey::kRight, ssCtrl);
    EXPECT_EQ(Caret(), 6); // before the second
    Press(TKey::kRight, ssCtrl);
    EXPECT_EQ(Caret(), 9);
    Press(TKey::kRight, ssCtrl);
    EXPECT_EQ(Caret(), 13); // blanks and the line break are one run
    Press(TKey::kRight, ssCtrl);
    EXPECT_EQ(Caret(), 16);
    Press(TKey::kRight, ssCtrl);
    EXPECT_EQ(Caret(), 16);
    Press(TKey::kLeft, ssCtrl);
    EXPECT_EQ(Caret(), 13);
    Press(TKey::kLeft, ssCtrl);
    EXPECT_EQ(Caret(), 9);
    Press(TKey::kLeft, ssCtrl | ssShift);
    EXPECT_EQ(Sel(), std::make_pair(6, 8));
}

TEST_F(Keyboard, UpOnTheFirstLineAndDownOnTheLastGoToTheEndsOfTheText) {
    Editor->SetText(U"abc\r\ndef");
    Editor->Selection()->CollapseTo(3);
    Press(TKey::kUp);
    EXPECT_EQ(Caret(), 1);
    Editor->Selection()->CollapseTo(7);
    Press(TKey::kDown);
    EXPECT_EQ(Caret(), 9);
}

TEST_F(Keyboard, UpAndDownKeepTheDisplayColumnAcrossShortAndTabbedLines) {
    Editor->SetTabSize(8);
    Editor->SetText(U"abcdefghijk\r\nab\r\n\tcdefg\r\nabcdefghijk");
    Editor->Selection()->CollapseTo(11); // display column 11
    Press(TKey::kDown);
    EXPECT_EQ(Caret(), 16); // end of the short line
    Press(TKey::kDown);
    EXPECT_EQ(Editor->PosToLineCol(Caret()), LineCol(3, 4)); // tab + "cd": column 11
    Press(TKey::kDown);
    EXPECT_EQ(Editor->PosToLineCol(Caret()), LineCol(4, 11));
    Press(TKey::kLeft);
    Press(TKey::kUp);
    EXPECT_EQ(Editor->PosToLineCol(Caret()), LineCol(3, 3)); // a new column after Left
}

TEST_F(Keyboard, ShiftDownExtendsAndKeepsTheColumn) {
    Editor->SetText(U"abcd\r\nx\r\nabcd");
    Editor->Selection()->CollapseTo(3);
    Press(TKey::kDown, ssShift);
    Press(TKey::kDown, ssShift);
    EXPECT_EQ(Sel(), std::make_pair(3, 11));
}

TEST_F(Keyboard, PageKeysMoveByOneLessThanTheVisibleLines) {
    Editor->SetText(Numbered(40));
    Editor->Selection()->CollapseTo(Editor->LineColToPos(2, 3));
    Press(TKey::kPageDown);
    EXPECT_EQ(Editor->PosToLineCol(Caret()), LineCol(11, 3));
    EXPECT_EQ(TopLine(), 2); // the caret's line is the last one shown
    Press(TKey::kPageUp);
    EXPECT_EQ(Editor->PosToLineCol(Caret()), LineCol(2, 3));
    Press(TKey::kPageUp);
    EXPECT_EQ(Caret(), 1);
}

TEST_F(Keyboard, HomeAndEndGoToTheLineOrWithCtrlTheText) {
    Editor->SetText(U"ab\r\ncde\r\nf");
    Editor->Selection()->CollapseTo(6);
    Press(TKey::kEnd);
    EXPECT_EQ(Caret(), 8);
    Press(TKey::kHome);
    EXPECT_EQ(Caret(), 5);
    Press(TKey::kEnd, ssCtrl);
    EXPECT_EQ(Caret(), 11);
    Press(TKey::kHome, ssCtrl | ssShift);
    EXPECT_EQ(Sel(), std::make_pair(1, 10));
    EXPECT_TRUE(Editor->Selection()->Backwards());
}

TEST_F(Keyboard, ALoneModifierBringsTheCaretBackIntoView) {
    Editor->SetText(Numbered(40));
    Editor->Selection()->CollapseTo(Editor->LineColToPos(30, 1));
    Editor->VScroll(TScrollCode::scTop, 0);
    ASSERT_EQ(TopLine(), 1);
    Press(TKey::kOther, ssShift);
    EXPECT_EQ(TopLine(), 21);
}

// --- Typing -----------------------------------------------------------------------------------

TEST_F(Keyboard, TypingReplacesTheSelectionAndEnterGivesALineBreak) {
    Editor->SetText(U"abcd");
    Select(2, 3);
    Chars(U"x\r\ty");
    EXPECT_EQ(Editor->GetText(), U"ax\r\n\tyd");
    EXPECT_EQ(Caret(), 7);
}

TEST_F(Keyboard, ControlCharactersAreNoText) {
    Chars(U"a\b\n\x1b\x7f\x03"
          U"b");
    EXPECT_EQ(Editor->GetText(), U"ab");
}

TEST_F(Keyboard, ARunOfTypingIsOneUndoStepAndAReplacementAnother) {
    Editor->SetText(U"one two");
    Select(5, 7);
    Chars(U"t");
    Chars(U"hree");
    EXPECT_EQ(Editor->GetText(), U"one three");
    Press(TKey::kZ, ssCtrl);
    EXPECT_EQ(Editor->GetText(), U"one t");
    Press(TKey::kZ, ssCtrl);
    EXPECT_EQ(Editor->GetText(), U"one two");
}

// --- Read-only --------------------------------------------------------------------------------

TEST_F(Keyboard, ReadOnlyKeysScrollAndNeverMoveTheCaret) {
    Editor->SetText(Numbered(40) + U"\r\n" + std::u32string(80, U'w'));
    Editor->SetReadOnly(true);
    Editor->Selection()->CollapseTo(3);
    Press(TKey::kDown);
    EXPECT_EQ(TopLine(), 2);
    Press(TKey::kPageDown);
    EXPECT_EQ(TopLine(), 12);
    Press(TKey::kUp, ssShift);
    EXPECT_EQ(TopLine(), 11);
    Press(TKey::kEnd, ssCtrl);
    EXPECT_EQ(TopLine(), 32);
    Press(TKey::kEnd);
    EXPECT_EQ(Editor->VisibleRange()->LeftCol(), 31);
    Press(TKey::kLeft);
    EXPECT_EQ(Editor->VisibleRange()->LeftCol(), 30);
    Press(TKey::kHome);
    EXPECT_EQ(Editor->VisibleRange()->LeftCol(), 1);
    EXPECT_EQ(TopLine(), 32);
    Press(TKey::kHome, ssCtrl);
    EXPECT_EQ(TopLine(), 1);
    EXPECT_EQ(Sel(), std::make_pair(3, 2));
}

TEST_F(Keyboard, ReadOnlyTextCannotBeChangedByKeys) {
    Editor->SetText(U"abc");
    Editor->Selection()->CollapseTo(1);
    Chars(U"x");
    Editor->SetReadOnly(true);
    Select(1, 2);
    Host.Clipboard = U"pasted";
    Press(TKey::kV, ssCtrl);
    Press(TKey::kInsert, ssShift);
    Press(TKey::kX, ssCtrl);
    Press(TKey::kDelete, ssShift);
    Press(TKey::kBackspace);
    Press(TKey::kDelete);
    Press(TKey::kZ, ssCtrl);
    Press(TKey::kBackspace, ssAlt);
    Chars(U"y\r");
    EXPECT_EQ(Editor->GetText(), U"xabc");
    EXPECT_EQ(Host.Clipboard, U"pasted");
    Press(TKey::kC, ssCtrl);
    EXPECT_EQ(Host.Clipboard, U"xa");
}

TEST_F(Keyboard, TheEditorClaimsOnlyKeysItGivesAMeaning) {
    EXPECT_TRUE(Editor->HandlesKey(TKey::kC, ssCtrl));
    EXPECT_TRUE(Editor->HandlesKey(TKey::kZ, ssCtrl | ssShift));
    EXPECT_TRUE(Editor->HandlesKey(TKey::kInsert, ssShift));
    EXPECT_TRUE(Editor->HandlesKey(TKey::kBackspace, ssAlt));
    EXPECT_TRUE(Editor->HandlesKey(TKey::kLeft, ssCtrl | ssAlt));
    EXPECT_FALSE(Editor->HandlesKey(TKey::kInsert, 0)); // left to the window's menu
    EXPECT_FALSE(Editor->HandlesKey(TKey::kOther, ssCtrl));
    EXPECT_FALSE(Editor->HandlesKey(TKey::kBackspace, ssCtrl));
    EXPECT_TRUE(Editor->TakesCharacter(U'\t'));
    EXPECT_FALSE(Editor->TakesCharacter(U'\x1b'));
    Editor->SetReadOnly(true);
    EXPECT_FALSE(Editor->TakesCharacter(U'a'));
    EXPECT_FALSE(Editor->HandlesKey(TKey::kV, ssCtrl));
    EXPECT_FALSE(Editor->HandlesKey(TKey::kBackspace, 0));
    EXPECT_TRUE(Editor->HandlesKey(TKey::kInsert, ssCtrl));
    EXPECT_TRUE(Editor->HandlesKey(TKey::kPageDown, 0));
}

} // namespace
} // namespace memo
