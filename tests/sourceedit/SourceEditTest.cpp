// The source editor control: painting with the chain and the selection, the runs printing reads,
// the font and the on/off switch of colouring, auto-indent and brace expansion.
#include "SourceEditFixture.h"

namespace sourceedit::test {
namespace {

// A drawn piece: its text, font colour, style and background.
struct Piece {
    std::u32string Text;
    memo::TColor Color;
    memo::TFontStyles Style;
    memo::TColor Background;
    friend bool operator==(const Piece&, const Piece&) = default;
    friend std::ostream& operator<<(std::ostream& Out, const Piece& P) {
        return Out << std::string(P.Text.begin(), P.Text.end()) << " " << std::hex << P.Color << "/"
                   << int(P.Style) << " on " << P.Background;
    }
};

class Painting : public SourceEditFixture {
protected:
    std::vector<Piece> PaintLine(int Line) {
        Host.ClearPaint();
        Editor->Paint();
        std::vector<Piece> pieces;
        for (const auto& text : Host.Texts)
            if (text.Y == (Line - 1) * Host.LineHeight && !text.Text.empty())
                pieces.push_back({text.Text, text.Font.Color, text.Font.Style, text.Background});
        return pieces;
    }
};

using memo::clBlue;
using memo::clHighlight;
using memo::clHighlightText;
using memo::clRed;
using memo::clWindow;
using memo::clWindowText;

TEST_F(Painting, EveryRangeIsDrawnInItsOwnColour) {
    Editor->SetText(U"select 'a' /* c */ (1) from\r\nx");
    EXPECT_EQ(PaintLine(1), (std::vector<Piece>{{U"select", clBlue, 0, clWindow},
                                                {U" ", clWindowText, 0, clWindow},
                                                {U"'a'", clRed, 0, clWindow},
                                                {U" ", clWindowText, 0, clWindow},
                                                {U"/* c */", memo::clTeal, 0, clWindow},
                                                {U" ", clWindowText, 0, clWindow},
                                                {U"(", memo::clBlack, 0, clWindow},
                                                {U"1", clBlue, 0, clWindow},
                                                {U")", memo::clBlack, 0, clWindow},
                                                {U" ", clWindowText, 0, clWindow},
                                                {U"from", clBlue, 0, clWindow}}));
}

TEST_F(Painting, ASelectionAcrossRangesKeepsTheirTypefaces) {
    Editor->SyntaxColoring().WordLists().Items(0)->SetStyle(memo::fsBold);
    Editor->SyntaxColoring().WordLists().Items(0)->SetCustomStyle(true);
    Editor->SetText(U"select 'ab' from t");
    Select(4, 9); // "ect 'a"
    EXPECT_EQ(PaintLine(1),
              (std::vector<Piece>{{U"sel", clBlue, memo::fsBold, clWindow},
                                  {U"ect", clHighlightText, memo::fsBold, clHighlight},
                                  {U" ", clHighlightText, 0, clHighlight},
                                  {U"'a", clHighlightText, 0, clHighlight},
                                  {U"b'", clRed, 0, clWindow},
                                  {U" ", clWindowText, 0, clWindow},
                                  {U"from", clBlue, memo::fsBold, clWindow},
                                  {U" t", clWindowText, 0, clWindow}}));
    // A hidden selection paints as none.
    Editor->Selection()->SetHidden(true);
    EXPECT_EQ(PaintLine(1)[0], (Piece{U"select", clBlue, memo::fsBold, clWindow}));
}

TEST_F(Painting, WholeRangesAreHandedToPaintingThemselves) {
    Editor->SetText(U"select a from t");
    Select(8, 8); // "a"
    memo::TMCRange line(Editor.get(), 1, Editor->TextLength());
    memo::TFormattedRangeArray pieces;
    Editor->GetFormattedRanges(&line, pieces);
    ASSERT_EQ(pieces.size(), 6u);
    EXPECT_NE(dynamic_cast<TWordListRange*>(pieces[0]), nullptr);        // select
    EXPECT_NE(dynamic_cast<memo::TFormattedRange*>(pieces[1]), nullptr); // " " cut off " a "
    EXPECT_EQ(pieces[2]->GetColor(), clHighlight);                       // a
    EXPECT_NE(dynamic_cast<TWordListRange*>(pieces[4]), nullptr);        // from
    EXPECT_NE(dynamic_cast<TNormalTextRange*>(pieces[5]), nullptr);      // " t"
    int covered = 0;
    for (memo::TCustomFormattedRange* piece : pieces) {
        EXPECT_TRUE(piece->FreeAfterPaint());
        EXPECT_EQ(piece->RStart(), covered + 1);
        covered = piece->REnd();
        delete piece;
    }
    EXPECT_EQ(covered, Editor->TextLength());
}

TEST_F(Painting, PrintingReadsTheRunsWithoutTheSelection) {
    Editor->SetText(U"select 'a'\r\n(1)");
    Select(1, Editor->TextLength());
    std::vector<TStyledSpan> runs;
    Editor->GetStyledSpans(1, Editor->TextLength(), runs);
    std::vector<std::pair<std::u32string, memo::TColor>> seen;
    for (const TStyledSpan& run : runs) {
        EXPECT_EQ(run.Color, clWindow);
        seen.emplace_back(Editor->Chars(run.RStart, run.REnd), run.Font.Color);
    }
    EXPECT_EQ(seen, (std::vector<std::pair<std::u32string, memo::TColor>>{{U"select", clBlue},
                                                                          {U" ", clWindowText},
                                                                          {U"'a'", clRed},
                                                                          {U"\r\n", clWindowText},
                                                                          {U"(", memo::clBlack},
                                                                          {U"1", clBlue},
                                                                          {U")", memo::clBlack}}));
    // A piece of a range is a run of its own.
    runs.clear();
    Editor->GetStyledSpans(3, 4, runs);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].Font.Color, clBlue);
}

TEST_F(Painting, WithColouringOffTheEditorPaintsPlain) {
    Editor->SetText(U"select 'a'");
    Editor->SyntaxColoring().SetEnabled(false);
    EXPECT_TRUE(Editor->Chain().Empty());
    EXPECT_EQ(PaintLine(1), (std::vector<Piece>{{U"select 'a'", clWindowText, 0, clWindow}}));
    Editor->SyntaxColoring().SetEnabled(true);
    EXPECT_EQ(PaintLine(1).size(), 3u);
}

TEST_F(Painting, TheLexicalFontsFollowTheEditorsFont) {
    Editor->SetText(U"select 1");
    memo::TFont font = Editor->GetFontValue();
    font.Name = "DejaVu Sans Mono";
    font.Height = -20;
    Editor->SetFont(font);
    PaintLine(1);
    ASSERT_FALSE(Host.Texts.empty());
    for (const auto& text : Host.Texts) {
        EXPECT_EQ(text.Font.Name, "DejaVu Sans Mono");
        EXPECT_EQ(text.Font.Height, -20);
    }
}

TEST_F(Painting, ParenthesesBeyondTheRescanAreRedrawnInTheirNewLevelsColour) {
    Editor->SyntaxColoring().ParenthesisColors().SetStrings({"$0000FF", "$00FF00"});
    Editor->SetText(U"a\r\nb+c (d)");
    Editor->Selection()->CollapseTo(1);
    Host.ClearPaint();
    Type(U"(");
    // The rescan stops at "+"; the parenthesis after it is drawn again, now at level 2.
    auto redrawn = std::find_if(Host.Texts.begin(), Host.Texts.end(), [&](const auto& t) {
        return t.Text == U"(" && t.Y == Host.LineHeight;
    });
    ASSERT_NE(redrawn, Host.Texts.end());
    EXPECT_EQ(redrawn->Font.Color, 0x00FF00u);
}

// --- Typing ----------------------------------------------------------------------------------

TEST_F(Painting, ATextTakenOverIsColouredAsTheSameTextSet) {
    Type(U"select 'old");
    const std::u32string script = U"/* a\r\n*/ select [x y], N'z' -- don't\r\ngo\r\n(1.5e3)";
    Editor->AdoptText(
        memo::TTextBuffer::Of(std::vector<std::uint8_t>(script.begin(), script.end())));
    EXPECT_EQ(Lexemes(), FreshLexemes(script));
    EXPECT_EQ(Editor->FindChainGap().Valid(), false);
    // Edits repair the chain of the taken-over text as they repair any other.
    Editor->Selection()->CollapseTo(1);
    Type(U"'");
    EXPECT_EQ(Lexemes(), FreshLexemes(U"'" + script));
}

using Typing = SourceEditFixture;

TEST_F(Typing, EnterIndentsAsTheLineBeforeTheCaret) {
    Editor->SetText(U"  \tab");
    Editor->Selection()->CollapseTo(5); // between a and b
    Type(U"\r");
    EXPECT_EQ(Editor->GetText(), U"  \ta\r\n  \tb");
    EXPECT_EQ(Editor->Selection()->CaretPos(), 10);
    // Only the blanks before the caret are copied.
    Editor->SetText(U"    x");
    Editor->Selection()->CollapseTo(3);
    Type(U"\r");
    EXPECT_EQ(Editor->GetText(), U"  \r\n    x");
    // A selection is replaced by the line break and the indent.
    Editor->SetText(U"  abc");
    Select(4, 4);
    Type(U"\r");
    EXPECT_EQ(Editor->GetText(), U"  a\r\n  c");
    // Without auto-indent, Enter is a line break only.
    Editor->SetAutoIndent(false);
    Editor->SetText(U"  ab");
    Editor->Selection()->CollapseTo(4);
    Type(U"\r");
    EXPECT_EQ(Editor->GetText(), U"  a\r\nb");
}

TEST_F(Typing, AnOpeningBraceOnABlankLineBecomesABlock) {
    Editor->SetAutoIndentIncrease(true);
    Editor->SetText(U"x\r\n  ");
    Editor->Selection()->CollapseTo(Editor->TextLength() + 1);
    Type(U"{");
    EXPECT_EQ(Editor->GetText(), U"x\r\n  {\r\n  \t\r\n  }");
    EXPECT_EQ(Editor->Selection()->CaretPos(), Editor->LineColToPos(3, 4));
    // After other text, or with text after the caret, it is a plain character.
    Editor->SetText(U"  a");
    Editor->Selection()->CollapseTo(4);
    Type(U"{");
    EXPECT_EQ(Editor->GetText(), U"  a{");
    Editor->SetText(U"  a");
    Editor->Selection()->CollapseTo(3);
    Type(U"{");
    EXPECT_EQ(Editor->GetText(), U"  {a");
    // It does not need auto-indent.
    Editor->SetAutoIndent(false);
    Editor->SetText(U"");
    Type(U"{");
    EXPECT_EQ(Editor->GetText(), U"{\r\n\t\r\n}");
}

TEST_F(Typing, AReadOnlyEditorTakesNeitherEnterNorBraces) {
    Editor->SetAutoIndentIncrease(true);
    Editor->SetText(U"  ");
    Editor->SetReadOnly(true);
    Editor->Selection()->CollapseTo(3);
    Type(U"\r{");
    EXPECT_EQ(Editor->GetText(), U"  ");
}

} // namespace
} // namespace sourceedit::test
