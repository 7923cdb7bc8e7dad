#include "MemoComponentStrings.h"

#include "MemoComponent.h"

#include <algorithm>

namespace memo {

int TMemoComponentStrings::GetCount() const {
    return FEditor->TextLength() == 0 ? 0 : FEditor->LineCount();
}

void TMemoComponentStrings::Replace(int Start, int End, std::u32string_view S) {
    TMCRange span(FEditor, Start, End);
    span.SetText(S);
}

std::u32string TMemoComponentStrings::Get(int Index) const {
    int line = Index + 1;
    return FEditor->Chars(FEditor->LineColToPos(line, 1), FEditor->LineColToPos(line + 1, -2));
}

void TMemoComponentStrings::Put(int Index, std::u32string_view S) {
    int line = Index + 1;
    Replace(FEditor->LineColToPos(line, 1), FEditor->LineColToPos(line + 1, -2), S);
}

void TMemoComponentStrings::Insert(int Index, std::u32string_view S) {
    Index = std::max(Index, 0);
    if (FEditor->TextLength() == 0) {
        FEditor->SetText(S);
    } else if (Index < FEditor->LineCount()) {
        int at = FEditor->LineColToPos(Index + 1, 1);
        Replace(at, at - 1, std::u32string(S) + U"\r\n");
    } else {
        int end = FEditor->TextLength() + 1;
        Replace(end, end - 1, U"\r\n" + std::u32string(S));
    }
}

void TMemoComponentStrings::Delete(int Index) {
    int line = Index + 1;
    if (line < FEditor->LineCount())
        Replace(FEditor->LineColToPos(line, 1), FEditor->LineColToPos(line + 1, 0), U"");
    else
        Replace(FEditor->LineColToPos(line, -1), FEditor->LineColToPos(line + 1, -2), U"");
}

void TMemoComponentStrings::Clear() {
    FEditor->Clear();
}

std::u32string TMemoComponentStrings::GetTextStr() const {
    return FEditor->GetText();
}

void TMemoComponentStrings::SetTextStr(std::u32string_view S) {
    FEditor->SetText(S);
}

void TMemoComponentStrings::Assign(const std::vector<std::u32string>& Lines) {
    std::u32string text;
    for (size_t i = 0; i < Lines.size(); ++i) {
        if (i > 0)
            text += U"\r\n";
        text += Lines[i];
    }
    SetTextStr(text);
}

} // namespace memo
