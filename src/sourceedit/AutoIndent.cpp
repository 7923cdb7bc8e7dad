// Typing in the source editor: Enter indents the new line as the old one, and an opening brace
// typed on a blank line can become a block.
#include "SourceEdit.h"

namespace sourceedit {

int FirstNonBlank(std::u32string_view S) {
    size_t i = 0;
    while (i < S.size() && (S[i] == U'\t' || S[i] == U' '))
        ++i;
    return static_cast<int>(i) + 1;
}

void TSourceEdit::LineBeforeSelection(int& LineStart, std::u32string& Before) const {
    int selectionStart = Selection()->RStart();
    LineStart = LineColToPos(PosToLineCol(selectionStart).Line, 1);
    Before = Chars(LineStart, selectionStart - 1);
}

void TSourceEdit::KeyPress(char32_t Key) {
    if (!ReadOnly()) {
        if (Key == U'\r' && FAutoIndent) {
            int lineStart = 0;
            std::u32string before;
            LineBeforeSelection(lineStart, before);
            std::u32string indent =
                before.substr(0, static_cast<size_t>(FirstNonBlank(before) - 1));
            Selection()->SetText(U"\r\n" + indent);
            Selection()->MakeVisible(4);
            Key = U'\0';
        }
        if (Key == FAutoIndentIncreaseStart && FAutoIndentIncrease) {
            int lineStart = 0;
            std::u32string before;
            LineBeforeSelection(lineStart, before);
            int firstText = lineStart + FirstNonBlank(before) - 1;
            // Only on a line of blanks, with the caret at its end.
            if (firstText > TextLength() || CharAt(firstText) == U'\r') {
                std::u32string first = std::u32string(1, Key) + U"\r\n" + before + U"\t";
                std::u32string block = first + U"\r\n" + before + FAutoIndentIncreaseEnd;
                int start = Selection()->RStart();
                Selection()->SetText(block);
                Selection()->CollapseTo(start + static_cast<int>(first.size()));
                Selection()->MakeVisible(4);
                Key = U'\0';
            }
        }
    }
    TMemoComponent::KeyPress(Key);
}

} // namespace sourceedit
