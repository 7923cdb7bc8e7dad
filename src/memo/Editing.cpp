// The edit primitive and what is built directly on it: whole-text changes, indenting, and the
// text and clipboard messages.
#include "MemoComponent.h"

#include <algorithm>

namespace memo {

namespace {

bool HasLoneLineBreak(std::u32string_view Text) {
    for (size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == U'\r') {
            if (i + 1 >= Text.size() || Text[i + 1] != U'\n')
                return true;
            ++i;
        } else if (Text[i] == U'\n') {
            return true;
        }
    }
    return false;
}

} // namespace

void TMemoComponent::KeepLineBreaksWhole(int& S, int& F) const {
    auto splitsPair = [this](int pos) { return CharAt(pos - 1) == U'\r' && CharAt(pos) == U'\n'; };
    if (F < S) {
        // An insertion between CR and LF goes before the line break.
        if (splitsPair(S)) {
            --S;
            --F;
        }
        return;
    }
    if (splitsPair(S))
        --S;
    if (splitsPair(F + 1))
        ++F;
}

void TMemoComponent::ReplaceRangeText(TCustomRange* Range, std::u32string_view NewText) {
    if (Range == nullptr)
        return;
    FSelection->BeginUpdate();
    FSelection->DiscardSnapshot();

    int s = Range->RStart();
    // The edited range as it reports itself now (WholeText: the old text length).
    int f = Range->REnd();
    std::u32string normalized;
    if (HasLoneLineBreak(NewText)) {
        normalized = NormalizeLineBreaks(NewText);
        NewText = normalized;
    }
    // A range may report positions outside the text (one set before an edit): keep the
    // replacement inside it.
    s = std::clamp(s, 1, FTextLength + 1);
    f = std::clamp(f, s - 1, FTextLength);
    KeepLineBreaksWhole(s, f);
    int oldLength = f - s + 1;
    // Positions are 32-bit: a text may not grow past MaxTextLength characters.
    size_t room = static_cast<size_t>(MaxTextLength - (FTextLength - oldLength));
    if (NewText.size() > room)
        NewText = NewText.substr(0, room);
    int l = static_cast<int>(NewText.size());

    if (!FUndoing)
        RecordUndo(s, f, l);

    int oldLineCount = LineCount();
    int oldMaxWidth = FMaxLineWidth;
    int editLine = PosToLineCol(s).Line;
    int lineDelta = ReplaceTextAndLineIndex(s, f, NewText);

    FRanges->AdjustForEdit(s, f, l - oldLength, Range, FVisibleRange);

    if (lineDelta != 0 && editLine < FVisibleRange->TopLine())
        FVisibleRange->FTopLine += lineDelta;

    if (Range == FSelection) {
        FSelection->CollapseTo(s + l);
    } else {
        if (Range->RStart() != s)
            Range->SetRStart(s);
        Range->SetRLength(l);
    }

    TextReplaced(s, oldLength, l);

    if (LineCount() != oldLineCount || FMaxLineWidth < oldMaxWidth) {
        UpdateView();
    } else {
        // A line that grew past the widest one changes nothing on screen but itself and the
        // horizontal range: typing at the end of a long line stays incremental.
        if (FMaxLineWidth != oldMaxWidth && WindowExists())
            SetHorizontalScrollInfo();
        TMCRange tail(this, s - 1, LineColToPos(editLine + 1, 0));
        tail.Paint();
    }

    ReplaceFinished();
    FSelection->EndUpdate();
    Change();
}

void TMemoComponent::TextReplaced(int, int, int) {}

void TMemoComponent::ReplaceFinished() {}

void TMemoComponent::Change() {
    if (FChangesSuspended)
        return;
    if (FHost)
        FHost->ContentChanged();
    if (OnChange)
        OnChange(this);
}

void TMemoComponent::SelectionChange() {
    if (FChangesSuspended)
        return;
    if (OnSelectionChange)
        OnSelectionChange(this);
}

void TMemoComponent::SetText(std::u32string_view S) {
    FWholeText->SetText(S);
}

void TMemoComponent::Clear() {
    SetText(std::u32string_view());
}

void TMemoComponent::IndentSelection(int Amount) {
    if (Amount == 0)
        return;
    // Bounded so that a wild amount cannot exhaust memory; no real indent comes near it.
    constexpr int MaxIndent = 1000;
    Amount = std::clamp(Amount, -MaxIndent, MaxIndent);
    auto isIndent = [](char32_t c) { return c == U'\t' || c == U' '; };

    FChangesSuspended = true;
    FVisibleRange->BeginUpdate();
    PushUndo(NewUndoSeparator());
    int firstLine = PosToLineCol(FSelection->RStart()).Line;
    // An empty selection at a line start ends on the line before; indent the caret's line.
    int lastLine = std::max(firstLine, PosToLineCol(FSelection->REnd()).Line);
    for (int line = firstLine; line <= lastLine; ++line) {
        int lineStart = LineColToPos(line, 1);
        int lineEnd = lineStart + LineLength(line);
        int p = lineStart;
        while (p < lineEnd && isIndent(CharAt(p)))
            ++p;
        if (Amount > 0) {
            bool selectionStartsHere = FSelection->RLength() > 0 && FSelection->RStart() == p;
            TMCRange at(this, p, p - 1);
            at.SetText(std::u32string(static_cast<size_t>(Amount), U'\t'));
            if (selectionStartsHere)
                FSelection->SetRStart(p);
        } else {
            int count = std::min(-Amount, p - lineStart);
            TMCRange run(this, p - count, p - 1);
            run.Delete();
        }
    }
    PushUndo(NewUndoSeparator());
    FVisibleRange->CancelUpdate();
    RepaintVisible();
    FChangesSuspended = false;
    Change();
    SelectionChange();
}

void TMemoComponent::RepaintVisible() {
    FSelection->HideEditCaret();
    FVisibleRange->Paint();
    FSelection->PlaceCaret();
    FSelection->ShowEditCaret();
}

// --- Messages --------------------------------------------------------------------------------

int TMemoComponent::SetTextMessage(const char32_t* S) {
    SetText(S != nullptr ? std::u32string_view(S) : std::u32string_view());
    return 1;
}

int TMemoComponent::GetTextMessage(char32_t* Buffer, size_t BufferSize) const {
    if (Buffer == nullptr || BufferSize == 0)
        return 0;
    int count =
        static_cast<int>(std::min<size_t>(BufferSize - 1, static_cast<size_t>(FTextLength)));
    std::u32string text = FText.Substr(0, count);
    std::copy(text.begin(), text.end(), Buffer);
    Buffer[count] = U'\0';
    return count;
}

void TMemoComponent::CopyToClipboard() {
    if (FSelection->RLength() > 0 && FHost)
        FHost->SetClipboardText(FSelection->Text());
}

void TMemoComponent::CutToClipboard() {
    if (FSelection->RLength() > 0 && FHost) {
        FHost->SetClipboardText(FSelection->Text());
        FSelection->Delete();
    }
}

void TMemoComponent::PasteFromClipboard() {
    if (FHost)
        FSelection->SetText(FHost->ClipboardText());
}

void TMemoComponent::ClearSelection() {
    FSelection->Delete();
}

} // namespace memo
