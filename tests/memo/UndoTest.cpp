// Undo and redo: recording, merging runs of typing and deleting, groups, and the histories.
#include "EditorFixture.h"

namespace memo {
namespace {

using test::EditorFixture;
using Undo = EditorFixture;

std::pair<int, int> Extent(const TCustomRange* R) {
    return {R->RStart(), R->REnd()};
}

void Backspace(TMemoComponent& E) {
    auto* sel = E.Selection();
    int caret = sel->CaretPos();
    sel->BeginUpdate();
    sel->SetRStart(caret - 1);
    sel->SetREnd(caret - 1);
    sel->CancelUpdate();
    sel->Delete();
}

TEST_F(Undo, TypingIsOneStepAndRedoSelectsIt) {
    Editor->SetText(U"ab");
    Editor->Selection()->CollapseTo(1);
    Type(U"xyz");
    Editor->Undo();
    EXPECT_EQ(Editor->GetText(), U"ab");
    EXPECT_TRUE(Editor->CanRedo());
    Editor->Redo();
    EXPECT_EQ(Editor->GetText(), U"xyzab");
    EXPECT_EQ(Extent(Editor->Selection()), std::make_pair(1, 3));
}

TEST_F(Undo, TypingRightAfterInsertedTextJoinsItsStep) {
    Editor->SetText(U"ab");
    Editor->Selection()->CollapseTo(3);
    Type(U"c");
    Editor->Undo();
    EXPECT_EQ(Editor->GetText(), U"");
}

TEST_F(Undo, TypingElsewhereStartsANewStep) {
    Type(U"ab");
    Editor->Selection()->CollapseTo(1);
    Type(U"c");
    Editor->Undo();
    EXPECT_EQ(Editor->GetText(), U"ab");
    Editor->Undo();
    EXPECT_EQ(Editor->GetText(), U"");
    Editor->Undo(); // nothing left
    EXPECT_EQ(Editor->GetText(), U"");
    EXPECT_FALSE(Editor->CanUndo());
}

TEST_F(Undo, BackspacesAreOneStepThatRestoresAndSelects) {
    Editor->SetText(U"hello");
    Editor->Selection()->CollapseTo(6);
    Backspace(*Editor);
    Backspace(*Editor);
    Backspace(*Editor);
    EXPECT_EQ(Editor->GetText(), U"he");
    Editor->Undo();
    EXPECT_EQ(Editor->GetText(), U"hello");
    EXPECT_EQ(Extent(Editor->Selection()), std::make_pair(3, 5));
}

TEST_F(Undo, ForwardDeletesAreOneStep) {
    Editor->SetText(U"hello");
    for (int i = 0; i < 3; ++i) {
        Select(2, 2);
        Editor->Selection()->Delete();
    }
    EXPECT_EQ(Editor->GetText(), U"ho");
    Editor->Undo();
    EXPECT_EQ(Editor->GetText(), U"hello");
    Editor->Undo(); // the text that was set
    EXPECT_EQ(Editor->GetText(), U"");
}

TEST_F(Undo, ReplacingASelectionIsItsOwnStep) {
    Editor->SetText(U"one two");
    Select(5, 7);
    Type(U"T");
    Type(U"wo");
    EXPECT_EQ(Editor->GetText(), U"one Two");
    Editor->Undo();
    EXPECT_EQ(Editor->GetText(), U"one T");
    Editor->Undo();
    EXPECT_EQ(Editor->GetText(), U"one two");
    EXPECT_EQ(Extent(Editor->Selection()), std::make_pair(5, 7));
}

TEST_F(Undo, ANewEditEndsRedo) {
    Type(U"ab");
    Editor->Undo();
    EXPECT_TRUE(Editor->CanUndoMessage(1));
    Type(U"c");
    EXPECT_FALSE(Editor->CanUndoMessage(1));
    EXPECT_TRUE(Editor->CanUndoMessage(0));
    EXPECT_TRUE(Editor->CanUndoMessage(2)); // anything but 1 means undo
}

TEST_F(Undo, IndentingIsUndoneAndRedoneInOneStep) {
    Editor->SetText(U"a\r\n b\r\nc");
    Select(1, 5);
    int changes = 0, selectionChanges = 0;
    Editor->OnChange = [&](TObject*) { ++changes; };
    Editor->OnSelectionChange = [&](TObject*) { ++selectionChanges; };
    Editor->IndentSelection(1);
    EXPECT_EQ(Editor->GetText(), U"\ta\r\n \tb\r\nc");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(selectionChanges, 1);
    EXPECT_EQ(Editor->Selection()->RStart(), 1); // started where the tab went in
    Editor->IndentSelection(-2);
    EXPECT_EQ(Editor->GetText(), U"a\r\nb\r\nc");
    Editor->Undo();
    EXPECT_EQ(Editor->GetText(), U"\ta\r\n \tb\r\nc");
    Editor->Undo();
    EXPECT_EQ(Editor->GetText(), U"a\r\n b\r\nc");
    EXPECT_FALSE(Editor->ChangesSuspended());
    EXPECT_EQ(Editor->VisibleRange()->UpdateCount(), 0);
    Editor->Redo();
    EXPECT_EQ(Editor->GetText(), U"\ta\r\n \tb\r\nc");
    Editor->IndentSelection(0);
    EXPECT_EQ(Editor->GetText(), U"\ta\r\n \tb\r\nc");
}

TEST_F(Undo, IndentingAtALineStartIndentsThatLine) {
    Editor->SetText(U"a\r\nb");
    Editor->Selection()->CollapseTo(4);
    Editor->IndentSelection(1);
    EXPECT_EQ(Editor->GetText(), U"a\r\n\tb");
}

TEST_F(Undo, AGroupWithoutItsClosingSeparatorEndsWithTheHistory) {
    Type(U"a");
    Editor->Selection()->CollapseTo(1);
    Type(U"b");
    Editor->PushUndo(Editor->NewUndoSeparator());
    Editor->Undo();
    EXPECT_EQ(Editor->GetText(), U"");
    EXPECT_FALSE(Editor->CanUndo());
    EXPECT_FALSE(Editor->ChangesSuspended());
    EXPECT_EQ(Editor->VisibleRange()->UpdateCount(), 0);
    Editor->Redo();
    EXPECT_EQ(Editor->GetText(), U"ba");
    EXPECT_FALSE(Editor->CanRedo());
}

TEST_F(Undo, PoppingAnEmptyHistoryKeepsTheRecord) {
    TUndoOperation op;
    op.Start = 4;
    op.Text = U"kept";
    Editor->PopUndo(op);
    Editor->PopRedo(op);
    EXPECT_EQ(op.Start, 4);
    EXPECT_EQ(op.Text, U"kept");
    Editor->PushUndo(nullptr);
    EXPECT_FALSE(Editor->CanUndo());
    TUndoOperation* separator = Editor->NewUndoSeparator();
    EXPECT_TRUE(Editor->IsUndoSeparator(*separator));
    delete separator;
}

TEST_F(Undo, LoadingAWholeTextCanBeUndone) {
    Editor->Lines().SetTextStr(U"first");
    Editor->Lines().SetTextStr(U"second");
    Editor->Undo();
    EXPECT_EQ(Editor->GetText(), U"first");
}

} // namespace
} // namespace memo
