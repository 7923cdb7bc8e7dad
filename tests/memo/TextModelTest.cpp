// Text storage and line index: conversions, tabs, Lines, and texts of unusual shape.
#include "EditorFixture.h"
#include "IntegerList.h"
#include "TextBuffer.h"

#include <random>

namespace memo {
namespace {

using test::EditorFixture;
using TextModel = EditorFixture;

std::vector<int> StartsOf(const TMemoComponent& E) {
    std::vector<int> starts;
    for (int i = 0; i < E.LineCount(); ++i)
        starts.push_back(E.LineStarts().Get(i));
    return starts;
}

TEST_F(TextModel, NewControlHasOneEmptyLineAndNoLines) {
    TMemoComponent fresh;
    EXPECT_EQ(fresh.TextLength(), 0);
    EXPECT_EQ(fresh.LineCount(), 1);
    EXPECT_EQ(StartsOf(fresh), std::vector<int>{1});
    EXPECT_EQ(fresh.Lines().Count(), 0);
    EXPECT_EQ(fresh.TabSize(), 2);
}

TEST_F(TextModel, EveryLineBreakBecomesCrLf) {
    Editor->SetText(U"a\nb\rc");
    EXPECT_EQ(Editor->GetText(), U"a\r\nb\r\nc");
    EXPECT_EQ(Editor->TextLength(), 7);
    EXPECT_EQ(StartsOf(*Editor), (std::vector<int>{1, 4, 7}));
    Editor->SetText(U"\r\r\n\n");
    EXPECT_EQ(Editor->GetText(), U"\r\n\r\n\r\n");
    EXPECT_EQ(Editor->LineCount(), 4);
}

TEST_F(TextModel, PositionsAndLineColumnsConvertBothWays) {
    Editor->SetText(U"ab\r\ncde\r\nf");
    EXPECT_EQ(Editor->PosToLineCol(1), LineCol(1, 1));
    // The CR and LF belong to the line they end.
    EXPECT_EQ(Editor->PosToLineCol(3), LineCol(1, 3));
    EXPECT_EQ(Editor->PosToLineCol(4), LineCol(1, 4));
    EXPECT_EQ(Editor->PosToLineCol(5), LineCol(2, 1));
    EXPECT_EQ(Editor->PosToLineCol(Editor->TextLength() + 1), LineCol(3, 2));
    EXPECT_EQ(Editor->PosToLineCol(0), LineCol(1, 0));
    EXPECT_EQ(Editor->LineColToPos(2, 3), 7);
    EXPECT_EQ(Editor->LineColToPos(2, 0), 4); // just before the line: the previous LF
    EXPECT_EQ(Editor->LineColToPos(0, 5), 5);
    EXPECT_EQ(Editor->LineColToPos(Editor->LineCount() + 1, 0), Editor->TextLength() + 2);
    EXPECT_EQ(Editor->LineLength(1), 2);
    EXPECT_EQ(Editor->LineLength(2), 3);
    EXPECT_EQ(Editor->LineLength(3), 1);
}

TEST_F(TextModel, HugeColumnsSaturateInsteadOfWrapping) {
    Editor->SetText(U"abc");
    EXPECT_EQ(Editor->LineColToPos(1, INT_MAX), INT_MAX);
    EXPECT_EQ(Editor->LineColToPos(5, INT_MAX), INT_MAX);
    TLineCol lc = LineCol(INT_MAX, INT_MAX);
    Editor->DisplayToCharCol(lc);
    EXPECT_EQ(lc, LineCol(1, 4));
    Editor->SetTabSize(4);
    EXPECT_EQ(Editor->CharColToDisplayCol(LineCol(1, INT_MAX)), INT_MAX);
}

TEST_F(TextModel, TabsExpandToTheNextStop) {
    Editor->SetTabSize(8);
    Editor->SetText(U"ab\tc");
    EXPECT_EQ(Editor->LineDisplayWidth(1), 9);
    for (int d = 3; d <= 8; ++d) {
        TLineCol lc = LineCol(1, d);
        EXPECT_EQ(Editor->DisplayToCharColStart(lc), 3) << d;
        EXPECT_EQ(lc.Col, 3) << d;
    }
    TLineCol c = LineCol(1, 9);
    Editor->DisplayToCharCol(c);
    EXPECT_EQ(c.Col, 4);
    TLineCol beyond = LineCol(1, 40);
    Editor->DisplayToCharCol(beyond);
    EXPECT_EQ(beyond.Col, 5);
    EXPECT_EQ(Editor->CharColToDisplayCol(LineCol(1, 4)), 9);
    EXPECT_EQ(Editor->TabWidthAt(3), 6);
    EXPECT_EQ(Editor->TabWidthAt(1), 8);
}

TEST(CharCells, WideCharactersTakeTwoCellsAndEveryOtherOne) {
    for (char32_t c : {U'a', U'\t', U'\0', U'\uFEFF', U'\u0301', U'\u00e9', U'\u2014', U'\u27FF',
                       U'\uFF61', U'\u2139', U'\U0010FFFF'})
        EXPECT_EQ(CellsOf(c), 1) << std::hex << static_cast<int>(c);
    for (char32_t c : {U'\u1100', U'\u4E2D', U'\u3000', U'\uAC00', U'\uFF01', U'\uFFE6',
                       U'\U0001F600', U'\U0001F680', U'\U00020000', U'\U0003FFFD', U'\u9FFF'})
        EXPECT_EQ(CellsOf(c), 2) << std::hex << static_cast<int>(c);
}

TEST_F(TextModel, WideCharactersTakeTwoColumnsAndTabsCountFromThem) {
    Editor->SetTabSize(8);
    Editor->SetText(U"a\u4E2D\U0001F600b\tc");
    EXPECT_EQ(Editor->LineDisplayWidth(1), 9);
    EXPECT_EQ(Editor->MaxLineWidth(), 9);
    EXPECT_EQ(Editor->CharColToDisplayCol(LineCol(1, 3)), 4); // the emoji after the ideograph
    EXPECT_EQ(Editor->CharColToDisplayCol(LineCol(1, 4)), 6);
    EXPECT_EQ(Editor->TabWidthAt(5), 2);
    // A column inside a wide character falls on that character.
    TLineCol middle = LineCol(1, 3);
    EXPECT_EQ(Editor->DisplayToCharColStart(middle), 2);
    EXPECT_EQ(middle.Col, 2);
    TLineCol after = LineCol(1, 6);
    Editor->DisplayToCharCol(after);
    EXPECT_EQ(after.Col, 4);
    Editor->SetTabSize(1); // no shortcut past the wide characters
    EXPECT_EQ(Editor->CharColToDisplayCol(LineCol(1, 4)), 6);
    EXPECT_EQ(Editor->MaxLineWidth(), 8);
}

TEST_F(TextModel, TabSizeBelowOneIsOneAndChangesTheWidestLine) {
    Editor->SetText(U"\t\tx");
    EXPECT_EQ(Editor->MaxLineWidth(), 5);
    Editor->SetTabSize(0);
    EXPECT_EQ(Editor->TabSize(), 1);
    EXPECT_EQ(Editor->MaxLineWidth(), 3);
    EXPECT_EQ(Editor->TabWidthAt(1), 1);
    TLineCol lc = LineCol(1, 2);
    EXPECT_EQ(Editor->DisplayToCharColStart(lc), 2);
}

TEST_F(TextModel, WidestLineStaysExactWhenItShrinksAcrossLines) {
    Editor->SetText(U"0123456789\r\nab");
    EXPECT_EQ(Editor->MaxLineWidth(), 10);
    // Cut from inside the wide line into the short one: the wide line is gone.
    TMCRange span(Editor.get(), 3, 13);
    span.Delete();
    EXPECT_EQ(Editor->GetText(), U"01b");
    EXPECT_EQ(Editor->MaxLineWidth(), 3);
}

TEST_F(TextModel, NulAndAnyCodePointAreOrdinaryCharacters) {
    std::u32string text = U"a";
    text += U'\0';
    text += U"\x10FFFF\u00e9";
    Editor->SetText(text);
    EXPECT_EQ(Editor->TextLength(), 4);
    EXPECT_EQ(Editor->CharAt(2), U'\0');
    EXPECT_EQ(Editor->LineDisplayWidth(1), 4);
    Editor->Selection()->CollapseTo(3);
    Editor->Selection()->SetText(std::u32string(1, U'\0'));
    EXPECT_EQ(Editor->TextLength(), 5);
    EXPECT_EQ(Editor->Chars(2, 3), std::u32string(2, U'\0'));
}

TEST_F(TextModel, LinesReadsAndWritesLineByLine) {
    auto& lines = Editor->Lines();
    lines.Insert(0, U"first");
    EXPECT_EQ(Editor->GetText(), U"first");
    lines.Add(U"third");
    lines.Insert(1, U"second");
    EXPECT_EQ(Editor->GetText(), U"first\r\nsecond\r\nthird");
    EXPECT_EQ(lines.Count(), 3);
    EXPECT_EQ(lines.Get(1), U"second");
    lines.Put(1, U"2nd");
    EXPECT_EQ(lines.Get(1), U"2nd");
    lines.Delete(0);
    EXPECT_EQ(Editor->GetText(), U"2nd\r\nthird");
    lines.Insert(99, U"last");
    EXPECT_EQ(Editor->GetText(), U"2nd\r\nthird\r\nlast");
    lines.SetTextStr(U"x\r\n");
    EXPECT_EQ(lines.Count(), 2); // a text ending in CR LF has a last, empty line
    EXPECT_EQ(lines.Get(1), U"");
    lines.Clear();
    EXPECT_EQ(lines.Count(), 0);
    lines.Delete(0); // nothing to delete
    EXPECT_EQ(Editor->TextLength(), 0);
}

TEST_F(TextModel, DeletingTheLastLineTakesTheLineBreakBeforeIt) {
    Editor->SetText(U"x\r\ny");
    Editor->Lines().Delete(1);
    EXPECT_EQ(Editor->GetText(), U"x");
    Editor->SetText(U"x\r\ny\r\nz");
    Editor->Lines().Delete(1);
    EXPECT_EQ(Editor->GetText(), U"x\r\nz");
}

TEST_F(TextModel, AnEditNeverSplitsALineBreak) {
    Editor->SetText(U"ab\r\ncd");
    // Inserting between CR and LF goes before the line break.
    TMCRange between(Editor.get(), 4, 3);
    between.SetText(U"x");
    EXPECT_EQ(Editor->GetText(), U"abx\r\ncd");
    // Deleting only the LF deletes the whole line break.
    TMCRange lf(Editor.get(), 5, 5);
    lf.Delete();
    EXPECT_EQ(Editor->GetText(), U"abxcd");
    EXPECT_EQ(Editor->LineCount(), 1);
}

TEST_F(TextModel, AMillionCharacterLineWorks) {
    std::u32string line(1000000, U'x');
    Editor->SetText(line);
    EXPECT_EQ(Editor->MaxLineWidth(), 1000000);
    Editor->Selection()->CollapseTo(500000);
    Editor->Selection()->SetText(U"\t");
    EXPECT_EQ(Editor->LineLength(1), 1000001);
    EXPECT_EQ(Editor->PosToLineCol(1000002), LineCol(1, 1000002));
    TLineCol end = LineCol(1, 2000000);
    Editor->DisplayToCharCol(end);
    EXPECT_EQ(end.Col, 1000002);
    Editor->Selection()->SetText(U"\r\n");
    EXPECT_EQ(Editor->LineCount(), 2);
}

TEST_F(TextModel, AMillionLinesWork) {
    std::u32string text;
    text.reserve(3000000);
    for (int i = 0; i < 1000000; ++i)
        text += U"a\r\n";
    Editor->SetText(text);
    EXPECT_EQ(Editor->LineCount(), 1000001);
    EXPECT_EQ(Editor->PosToLineCol(2999998), LineCol(1000000, 1));
    Editor->Selection()->CollapseTo(1500001);
    Editor->Selection()->SetText(U"b\r\n");
    EXPECT_EQ(Editor->LineCount(), 1000002);
    EXPECT_EQ(Editor->LineStarts().Get(1000001), 3000004);
    EXPECT_EQ(Editor->Lines().Get(500000), U"b");
}

// The integer list defers shifting; it must read like a plain vector after any operations.
TEST(TextBuffer, StoresEachCharacterInTheFewestBytesThatHoldThemAll) {
    TTextBuffer text;
    text.Replace(0, 0, U"select 'caf\u00e9'");
    EXPECT_EQ(text.CharWidth(), 1);
    // A character beyond Latin-1 widens the whole text; nothing changes on the way.
    text.Replace(8, 0, U"\u20ac");
    EXPECT_EQ(text.CharWidth(), 2);
    text.Replace(0, 0, U"\U0001F600");
    EXPECT_EQ(text.CharWidth(), 4);
    EXPECT_EQ(text.ToString(), U"\U0001F600select '\u20accaf\u00e9'");
    EXPECT_EQ(text.At(0), U'\U0001F600');
    // Deleting the wide characters keeps the width; a new whole text chooses it anew.
    text.Replace(0, 1, U"");
    EXPECT_EQ(text.CharWidth(), 4);
    EXPECT_EQ(text.Substr(7, 3), U"'\u20acc");
    text.Replace(0, text.Length(), U"x\u00ff");
    EXPECT_EQ(text.CharWidth(), 1);
    EXPECT_EQ(text.ToString(), U"x\u00ff");
    // Widening a long text moves it in slices.
    std::u32string longText(10000, U'a');
    text.Replace(0, text.Length(), longText);
    text.Replace(5000, 1, U"\u0101");
    longText[5000] = U'\u0101';
    EXPECT_EQ(text.ToString(), longText);
}

TEST(TextBuffer, ASnapshotHoldsTheTextInEveryWidthWhateverTheEditsSince) {
    TTextBuffer text;
    EXPECT_EQ(text.Snapshot().ToString(), U"");
    for (const std::u32string& wide :
         {std::u32string(U"a"), std::u32string(U"\u20ac"), std::u32string(U"\U0001F600")}) {
        text.Replace(0, text.Length(), U"select 1\r\ngo");
        text.Replace(6, 0, wide); // leaves the gap inside the text
        const std::u32string expected = text.ToString();
        const TTextSnapshot snapshot = text.Snapshot();
        text.Replace(0, 3, U"x");
        EXPECT_EQ(snapshot.ToString(), expected);
    }
}

TEST(IntegerList, MatchesAPlainVector) {
    std::mt19937 random(7);
    TIntegerList list;
    std::vector<std::int32_t> plain;
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int op = 0; op < 20000; ++op) {
        int count = static_cast<int>(plain.size());
        int index = pick(0, count);
        switch (pick(0, 4)) {
        case 0:
            list.Insert(index, op);
            plain.insert(plain.begin() + index, op);
            break;
        case 1:
            if (index < count) {
                list.Delete(index);
                plain.erase(plain.begin() + index);
            }
            break;
        case 2:
            if (index < count) {
                list.Put(index, -op);
                plain[static_cast<size_t>(index)] = -op;
            }
            break;
        case 3: {
            int delta = pick(-5, 5);
            list.AddFrom(index, delta);
            for (size_t i = static_cast<size_t>(index); i < plain.size(); ++i)
                plain[i] += delta;
            break;
        }
        default:
            list.Add(op);
            plain.push_back(op);
            break;
        }
        ASSERT_EQ(list.Count(), static_cast<int>(plain.size()));
        int probe = pick(0, std::max(0, list.Count() - 1));
        if (list.Count() > 0) {
            ASSERT_EQ(list.Get(probe), plain[static_cast<size_t>(probe)]) << op;
        }
    }
    for (int i = 0; i < list.Count(); ++i)
        ASSERT_EQ(list.Get(i), plain[static_cast<size_t>(i)]);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

} // namespace
} // namespace memo
