// Find, replace and go to line in a source editor, and the marks of a search as they are painted.
#include "FindReplace.h"

#include "GoToLine.h"
#include "SourceEditFixture.h"

#include <gtest/gtest.h>

namespace sourceedit::test {
namespace {

class FindReplaceTest : public SourceEditFixture {
protected:
    std::u32string SelectedText() const { return Editor->Selection()->Text(); }
    int Caret() const { return Editor->SelStart(); }
};

TEST_F(FindReplaceTest, FindNextAndPreviousGoRoundTheEnds) {
    Editor->SetText(U"select a from t\r\nselect b from u\r\nselect c");
    TTextSearch search(U"SELECT", {});
    Editor->Selection()->CollapseTo(3);
    TFindOutcome next = FindNext(*Editor, search);
    EXPECT_EQ(next.Match, (TTextMatch{17, 6}));
    EXPECT_FALSE(next.Wrapped);
    EXPECT_EQ(SelectedText(), U"select");
    // A selected match is passed over.
    EXPECT_EQ(FindNext(*Editor, search).Match.Start, 34);
    TFindOutcome wrapped = FindNext(*Editor, search);
    EXPECT_EQ(wrapped.Match.Start, 0);
    EXPECT_TRUE(wrapped.Wrapped);
    TFindOutcome back = FindPrevious(*Editor, search);
    EXPECT_EQ(back.Match.Start, 34);
    EXPECT_TRUE(back.Wrapped);
    EXPECT_EQ(FindPrevious(*Editor, search).Match.Start, 17);
}

TEST_F(FindReplaceTest, NothingFoundLeavesTheSelection) {
    Editor->SetText(U"select 1");
    Select(1, 6);
    TFindOutcome outcome = FindNext(*Editor, TTextSearch(U"update", {}));
    EXPECT_FALSE(outcome.Match.Found());
    EXPECT_FALSE(outcome.Wrapped);
    EXPECT_EQ(SelectedText(), U"select");
}

TEST_F(FindReplaceTest, ReplaceTakesTheSelectedMatchThenFindsTheNext) {
    Editor->SetText(U"a = 1; a = 2; b = a");
    TTextSearch search(U"a", {.WholeWord = true});
    bool replaced = true;
    // A caret that is not on a match: the first replace only finds.
    ReplaceSelected(*Editor, search, U"x", replaced);
    EXPECT_FALSE(replaced);
    EXPECT_EQ(Caret(), 0);
    TFindOutcome outcome = ReplaceSelected(*Editor, search, U"total", replaced);
    EXPECT_TRUE(replaced);
    EXPECT_EQ(Editor->GetText(), U"total = 1; a = 2; b = a");
    EXPECT_EQ(outcome.Match.Start, 11);
    EXPECT_EQ(SelectedText(), U"a");
}

TEST_F(FindReplaceTest, ReplaceAllIsOneUndoStep) {
    std::u32string original = U"select name from t where name <> 'name' -- name\r\nname";
    Editor->SetText(original);
    Editor->ClearUndoHistory();
    Type(U" ");
    std::u32string typed = Editor->GetText();
    EXPECT_EQ(ReplaceAll(*Editor, TTextSearch(U"NAME", {.WholeWord = true}), U"[full name]"), 5);
    EXPECT_EQ(Editor->GetText(), U"select [full name] from t where [full name] <> '[full name]' -- "
                                 U"[full name]\r\n[full name] ");
    Editor->Undo();
    EXPECT_EQ(Editor->GetText(), typed);
    Editor->Redo();
    EXPECT_EQ(Editor->GetText().substr(0, 18), U"select [full name]");
    Editor->Undo();
    Editor->Undo();
    EXPECT_EQ(Editor->GetText(), original);
    // The colouring follows: the chain is what a fresh scan of the new text makes.
    Editor->Redo();
    Editor->Redo();
    EXPECT_EQ(Lexemes(), FreshLexemes(Editor->GetText()));
}

TEST_F(FindReplaceTest, ReplaceAllWithGroupsAndWithNothingToReplace) {
    Editor->SetText(U"exec p @a = 1, @bb = 2");
    TTextSearch variables(U"@(\\w+)", {.RegularExpression = true});
    EXPECT_EQ(ReplaceAll(*Editor, variables, U"@p_$1"), 2);
    EXPECT_EQ(Editor->GetText(), U"exec p @p_a = 1, @p_bb = 2");
    EXPECT_EQ(ReplaceAll(*Editor, TTextSearch(U"missing", {}), U"x"), 0);
    EXPECT_EQ(Editor->GetText(), U"exec p @p_a = 1, @p_bb = 2");
    Editor->Undo();
    EXPECT_EQ(Editor->GetText(), U"exec p @a = 1, @bb = 2");
}

TEST_F(FindReplaceTest, ReadOnlyTextIsNotReplaced) {
    Editor->SetText(U"select 1");
    Editor->SetReadOnly(true);
    EXPECT_EQ(ReplaceAll(*Editor, TTextSearch(U"1", {}), U"2"), 0);
    Select(8, 8);
    bool replaced = true;
    ReplaceSelected(*Editor, TTextSearch(U"1", {}), U"2", replaced);
    EXPECT_FALSE(replaced);
    EXPECT_EQ(Editor->GetText(), U"select 1");
}

TEST_F(FindReplaceTest, MatchesAreMarkedInThePaintedLinesOnly) {
    std::u32string text;
    for (int i = 0; i < 40; ++i)
        text += U"select id from t\r\n";
    Editor->SetText(text);
    MarkMatches(*Editor, std::make_shared<TTextSearch>(U"id", TSearchOptions{}));
    Host.ClearPaint();
    Editor->Paint();
    int marked = 0;
    for (const memo::test::TextOutCall& call : Host.Texts) {
        if (call.Background == memo::clInfoBk) {
            EXPECT_EQ(call.Text, U"id");
            EXPECT_EQ(call.Font.Color, memo::clInfoText);
            ++marked;
        }
    }
    // The ten lines shown, the partly shown one and the one below it; none of the other 28.
    EXPECT_GE(marked, 10);
    EXPECT_LE(marked, 12);
    // The selection keeps its own colours over a match.
    Select(8, 9);
    Host.ClearPaint();
    Editor->Paint();
    EXPECT_EQ(std::count_if(Host.Texts.begin(), Host.Texts.end(),
                            [](const auto& c) { return c.Background == memo::clInfoBk; }),
              marked - 1);
    MarkMatches(*Editor, nullptr);
    Host.ClearPaint();
    Editor->Paint();
    EXPECT_TRUE(std::none_of(Host.Texts.begin(), Host.Texts.end(),
                             [](const auto& c) { return c.Background == memo::clInfoBk; }));
}

TEST_F(FindReplaceTest, GoToLinePlacesTheCaretAtTheLineStart) {
    std::u32string text;
    for (int i = 1; i <= 100; ++i)
        text += U"line\r\n";
    Editor->SetText(text);
    GoToLine(*Editor, 50);
    EXPECT_EQ(Caret(), 49 * 6);
    EXPECT_LE(Editor->VisibleRange()->TopLine(), 50);
    EXPECT_GE(Editor->VisibleRange()->TopLine() + Editor->VisibleLines(), 50);
    GoToLine(*Editor, 1000);
    EXPECT_EQ(Editor->PosToLineCol(Caret() + 1).Line, Editor->LineCount());
    GoToLine(*Editor, -3);
    EXPECT_EQ(Caret(), 0);
}

} // namespace
} // namespace sourceedit::test
