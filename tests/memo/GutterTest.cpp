// The line-number gutter: where the numbers are drawn, and that they are drawn again only where
// they change.
#include "EditorFixture.h"

#include <algorithm>

namespace memo::test {
namespace {

std::u32string NumberOf(int Line) {
    std::u32string out;
    for (char c : std::to_string(Line))
        out += static_cast<char32_t>(c);
    return out;
}

class GutterTest : public EditorFixture {
protected:
    GutterTest() {
        std::u32string text;
        for (int i = 1; i <= 30; ++i)
            text += U"line\r\n";
        text += U"end";
        Editor->SetText(text);
        Editor->SetShowLineNumbers(true);
        Host.ClearPaint();
    }

    // The numbers drawn in the gutter since the last ClearPaint, in order.
    std::vector<std::u32string> GutterNumbers() const {
        std::vector<std::u32string> out;
        for (const TextOutCall& call : Host.Texts)
            if (call.Background == clBtnFace)
                out.push_back(call.Text);
        return out;
    }
    // The gutter row of each number drawn: its top in lines of the view.
    std::vector<int> GutterRows() const {
        std::vector<int> out;
        for (const TextOutCall& call : Host.Texts)
            if (call.Background == clBtnFace)
                out.push_back(call.Y / Host.LineHeight);
        return out;
    }
};

TEST_F(GutterTest, TheTextMovesRightOfTheNumbers) {
    // 31 lines: two digits and half a cell on either side.
    EXPECT_EQ(Editor->GutterWidth(), 3 * Host.CharWidth);
    EXPECT_EQ(Editor->TextLeft(), 2 + 3 * Host.CharWidth);
    Editor->Paint();
    std::vector<std::u32string> numbers = GutterNumbers();
    ASSERT_GE(numbers.size(), 10u);
    EXPECT_EQ(numbers.front(), U"1");
    EXPECT_EQ(numbers[9], U"10");
    for (const TextOutCall& call : Host.Texts) {
        if (call.Background == clBtnFace) {
            EXPECT_EQ(call.Font.Color, clBtnText);
            EXPECT_LE(call.Clip.Right, Editor->GutterWidth());
        } else {
            EXPECT_GE(call.Clip.Left, Editor->TextLeft());
        }
    }
    // Clicking at the text's first cell puts the caret at column 1.
    Editor->MouseDown(TMouseButton::mbLeft, Editor->TextLeft() + 1, 1);
    Editor->MouseUp(TMouseButton::mbLeft, Editor->TextLeft() + 1, 1);
    EXPECT_EQ(Editor->SelStart(), 0);
    // The margin as set stays what it was.
    EXPECT_EQ(Editor->LeftMargin(), 2);
    Editor->SetShowLineNumbers(false);
    EXPECT_EQ(Editor->TextLeft(), 2);
    EXPECT_EQ(Editor->GutterWidth(), 0);
}

TEST_F(GutterTest, TypingWithinALineLeavesTheNumbersAlone) {
    Editor->Selection()->CollapseTo(3);
    Type(U"xyz");
    EXPECT_TRUE(GutterNumbers().empty());
}

TEST_F(GutterTest, ANewLineRedrawsTheNumbersFromItDown) {
    Editor->Selection()->CollapseTo(Editor->LineColToPos(4, 3));
    Type(U"\r\n");
    std::vector<std::u32string> numbers = GutterNumbers();
    ASSERT_FALSE(numbers.empty());
    EXPECT_EQ(numbers.front(), U"4");
    EXPECT_EQ(GutterRows().front(), 3);
    // Nothing above the edit.
    EXPECT_TRUE(std::none_of(numbers.begin(), numbers.end(), [](const std::u32string& n) {
        return n == U"1" || n == U"2" || n == U"3";
    }));
}

TEST_F(GutterTest, ScrollingRedrawsTheNumbersOfTheView) {
    Editor->VScroll(TScrollCode::scLineDown, 0);
    std::vector<std::u32string> numbers = GutterNumbers();
    ASSERT_GE(numbers.size(), 10u);
    EXPECT_EQ(numbers.front(), U"2");
    EXPECT_EQ(GutterRows().front(), 0);
}

TEST_F(GutterTest, TheGutterWidensWhenTheLinesReachAThirdDigit) {
    std::u32string more;
    for (int i = 0; i < 70; ++i)
        more += U"\r\nmore";
    Editor->Selection()->CollapseTo(Editor->TextLength() + 1);
    Editor->Selection()->SetText(more);
    EXPECT_EQ(Editor->LineCount(), 101);
    EXPECT_EQ(Editor->GutterWidth(), 4 * Host.CharWidth);
    EXPECT_EQ(Editor->TextLeft(), 2 + 4 * Host.CharWidth);
    // The whole view was drawn again at the new margin.
    std::vector<std::u32string> numbers = GutterNumbers();
    ASSERT_GE(numbers.size(), 10u);
    EXPECT_EQ(numbers.front(), NumberOf(Editor->VisibleRange()->TopLine()));
    for (const TextOutCall& call : Host.Texts) {
        if (call.Background != clBtnFace) {
            EXPECT_GE(call.Clip.Left, Editor->TextLeft());
        }
    }
    Editor->Undo();
    EXPECT_EQ(Editor->GutterWidth(), 3 * Host.CharWidth);
}

} // namespace
} // namespace memo::test
