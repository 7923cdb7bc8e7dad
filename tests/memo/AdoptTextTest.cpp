// A whole text taken over as it is stored (a script read from a file): the same editor state as
// setting that text, without an undo step back to the text before.
#include "EditorFixture.h"

#include <string>
#include <vector>

namespace memo::test {
namespace {

std::vector<std::uint8_t> Latin1(std::u32string_view Text) {
    return std::vector<std::uint8_t>(Text.begin(), Text.end());
}

// Line starts and widths of an editor, to compare two of them.
std::vector<int> LineIndexOf(const TMemoComponent& Editor) {
    std::vector<int> index;
    for (int line = 1; line <= Editor.LineCount(); ++line) {
        index.push_back(Editor.LineStarts().Get(line - 1));
        index.push_back(Editor.LineDisplayWidth(line));
    }
    index.push_back(Editor.MaxLineWidth());
    return index;
}

class AdoptText : public EditorFixture {
protected:
    // An editor that was given Text by SetText, to compare with.
    static std::unique_ptr<TMemoComponent> SetTo(std::u32string_view Text) {
        auto editor = std::make_unique<TMemoComponent>();
        editor->SetTabSize(8);
        editor->SetText(Text);
        return editor;
    }
};

TEST_F(AdoptText, GivesTheTextAndLineIndexThatSettingItGives) {
    Editor->SetTabSize(8);
    const std::u32string texts[] = {U"", U"select 1", U"a\tb\r\n\r\n\tlonger line\r\nend\r\n",
                                    U"caf\u00E9\r\nx"};
    for (const std::u32string& text : texts) {
        SCOPED_TRACE(std::string(text.begin(), text.end()));
        Editor->AdoptText(TTextBuffer::Of(Latin1(text)));
        EXPECT_EQ(Editor->GetText(), text);
        EXPECT_EQ(Editor->TextLength(), static_cast<int>(text.size()));
        EXPECT_EQ(LineIndexOf(*Editor), LineIndexOf(*SetTo(text)));
    }
}

TEST_F(AdoptText, KeepsTheWidthTheCharactersComeIn) {
    Editor->AdoptText(TTextBuffer::Of(std::vector<char16_t>{u'\u20AC', u'1'}));
    EXPECT_EQ(Editor->Text().CharWidth(), 2);
    EXPECT_EQ(Editor->GetText(), U"\u20AC1");
    Editor->AdoptText(TTextBuffer::Of(std::vector<char32_t>{U'\U0001F600', U'\r', U'\n'}));
    EXPECT_EQ(Editor->Text().CharWidth(), 4);
    EXPECT_EQ(Editor->LineCount(), 2);
}

TEST_F(AdoptText, LeavesNoUndoStepAndNotifiesOnce) {
    Type(U"old text");
    int changes = 0;
    Editor->OnChange = [&changes](TObject*) { ++changes; };
    Select(1, 3);
    Editor->AdoptText(TTextBuffer::Of(Latin1(U"new\r\ntext")));
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(Editor->CanUndoMessage(0));
    EXPECT_FALSE(Editor->CanUndoMessage(1));
    // The selection covered replaced text: it collapses, as with any whole-text edit.
    EXPECT_EQ(Editor->SelLength(), 0);
    EXPECT_EQ(Editor->GetText(), U"new\r\ntext");
}

TEST_F(AdoptText, TypingGoesOnInTheTakenOverCharacters) {
    std::vector<std::uint8_t> chars = Latin1(U"ab\r\ncd");
    chars.reserve(64); // room left, as a decoder leaves it
    Editor->AdoptText(TTextBuffer::Of(std::move(chars)));
    Editor->Selection()->CollapseTo(Editor->LineColToPos(2, 2));
    Editor->Selection()->SetText(U"x\r\n\u00FF\u0100");
    EXPECT_EQ(Editor->GetText(), U"ab\r\ncx\r\n\u00FF\u0100d");
    EXPECT_EQ(Editor->LineCount(), 3);
    EXPECT_EQ(Editor->Text().CharWidth(), 2);
}

TEST_F(AdoptText, OtherLineBreaksAreMadeCrLf) {
    Editor->SetTabSize(8);
    for (const std::u32string text : {U"a\nb\rc\r", U"\nx", U"x\r", U"x\r\r\n\ty"}) {
        SCOPED_TRACE(std::string(text.begin(), text.end()));
        Editor->AdoptText(TTextBuffer::Of(Latin1(text)));
        const auto set = SetTo(text);
        EXPECT_EQ(Editor->GetText(), set->GetText());
        EXPECT_EQ(LineIndexOf(*Editor), LineIndexOf(*set));
        EXPECT_FALSE(Editor->CanUndoMessage(0));
    }
    Editor->AdoptText(TTextBuffer::Of(std::vector<char16_t>{u'\u20AC', u'\n'}));
    EXPECT_EQ(Editor->GetText(), U"\u20AC\r\n");
}

} // namespace
} // namespace memo::test
