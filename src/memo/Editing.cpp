// The edit primitive and what is built directly on it: whole-text changes, indenting, and the
// text and clipboard messages.
#include "MemoComponent.h"

#include <algorithm>
#include <cstdlib>

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

template <class Fn>
void TMemoComponent::ApplyEdit(TCustomRange* Range, int S, int OldLength, int L, Fn&& Replace) {
    const int F = S + OldLength - 1;
    int oldLineCount = LineCount();
    int oldMaxWidth = FMaxLineWidth;
    int oldTopLine = FVisibleRange->TopLine();
    int editLine = PosToLineCol(S).Line;
    int lineDelta = Replace();

    FRanges->AdjustForEdit(S, F, L - OldLength, Range, FVisibleRange);

    if (lineDelta != 0 && editLine < FVisibleRange->TopLine())
        FVisibleRange->FTopLine += lineDelta;

    if (Range == FSelection) {
        FSelection->CollapseTo(S + L);
    } else {
        if (Range->RStart() != S)
            Range->SetRStart(S);
        Range->SetRLength(L);
    }

    TextReplaced(S, OldLength, L);

    // Only what changed is drawn again, unless the view itself has to move: a narrower text may
    // push it left. The last line the new text reaches: a replacement of several lines
    // repaints them all.
    int lastLine = PosToLineCol(S + L).Line;
    bool shown = FVisibleRange->LeftCol() <= std::max(FMaxLineWidth - FVisibleCols + 1, 1);
    // A wider or narrower gutter moves the whole text sideways.
    if (LineCount() != oldLineCount && FitGutter())
        shown = false;
    if (shown && LineCount() != oldLineCount) {
        shown = MoveLinesBelowEdit(editLine, lastLine, lineDelta, oldTopLine);
        if (shown) // the numbers below the edit changed
            PaintGutter(editLine, LineCount() + 1);
    } else if (shown) {
        TMCRange tail(this, S - 1, LineColToPos(lastLine + 1, 0));
        tail.Paint();
    }
    if (!shown)
        UpdateView();
    else if (FMaxLineWidth != oldMaxWidth && WindowExists())
        SetHorizontalScrollInfo();

    ReplaceFinished();
    FSelection->EndUpdate();
    Change();
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
    ApplyEdit(Range, s, oldLength, l, [&] { return ReplaceTextAndLineIndex(s, f, NewText); });
}

void TMemoComponent::AdoptText(TTextBuffer&& Text) {
    TIntegerList starts;
    TLineWidths widths;
    if (Text.Length() > MaxTextLength || !IndexLines(Text, starts, widths)) {
        // Not a text as a file decodes to: the ordinary edit makes its line breaks CR LF.
        SetText(Text.ToString());
        ClearUndoHistory();
        return;
    }
    FSelection->BeginUpdate();
    FSelection->DiscardSnapshot();
    ClearUndoHistory();
    const int newLength = Text.Length();
    ApplyEdit(FWholeText.get(), 1, FTextLength, newLength, [&] {
        return AdoptTextAndLineIndex(std::move(Text), std::move(starts), std::move(widths));
    });
}

bool TMemoComponent::MoveLinesBelowEdit(int EditLine, int LastLine, int LineDelta, int OldTopLine) {
    const TVisibleRange& view = *FVisibleRange;
    int top = view.TopLine();
    bool viewMoves = top != OldTopLine || top > std::max(LineCount() - FVisibleLines + 1, 1);
    if (!WindowExists() || view.UpdateCount() > 0 || viewMoves ||
        std::abs(LineDelta) > FVisibleLines)
        return false;
    int lastShown = top + FVisibleLines + 1; // the partly visible line and the one below it
    if (EditLine <= lastShown) {
        TSize client = ClientSize();
        int rowBelow = (EditLine - top + 1) * FLineHeight + FTopMargin;
        int dy = LineDelta * FLineHeight;
        TRect below{FLeftMargin, rowBelow, client.cx, client.cy};
        if (!below.IsEmpty()) {
            bool onBitmap = FBitmapped && FHost->HasBitmap();
            FHost->ScrollPixels(onBitmap ? TPaintTarget::ptBitmap : TPaintTarget::ptWindow, dy,
                                below);
        }
        PaintWholeLines(EditLine, LastLine);
        if (LineDelta < 0) {
            // The strip the lines below uncovered at the bottom.
            int stripTop = std::max(client.cy + dy, rowBelow) - FTopMargin;
            PaintWholeLines(top + stripTop / FLineHeight, lastShown);
        }
    }
    FHost->SetScrollInfo(TScrollBarKind::sbVertical, 1, LineCount(), FVisibleLines, top);
    return true;
}

void TMemoComponent::PaintWholeLines(int FirstLine, int LastLine) {
    TMCRange lines(this, LineColToPos(FirstLine, 1), LineColToPos(LastLine + 1, 0));
    lines.Paint();
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
    if (!FHost)
        return;
    // A clipboard without text (empty, or holding an image) has nothing to replace the
    // selection with: pasting it must not delete the selection.
    std::u32string text = FHost->ClipboardText();
    if (!text.empty())
        FSelection->SetText(text);
}

void TMemoComponent::ClearSelection() {
    FSelection->Delete();
}

} // namespace memo
