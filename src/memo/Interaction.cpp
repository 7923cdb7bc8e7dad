// Mouse selection, scrolling, the caret, focus and the properties that change the view.
#include "CharClasses.h"
#include "MemoComponent.h"

#include <algorithm>

namespace memo {

void TMemoComponent::PixelToCell(const TPoint& P, TLineCol& Cell) const {
    Cell.Line = (P.y - FTopMargin) / FLineHeight + 1;
    Cell.Col = (P.x + FCharWidth / 2 - FLeftMargin) / FCharWidth + 1;
}

void TMemoComponent::CellToPixel(const TLineCol& Cell, TPoint& P) const {
    P.x = (Cell.Col - 1) * FCharWidth + FLeftMargin;
    P.y = (Cell.Line - 1) * FLineHeight + FTopMargin;
}

int TMemoComponent::PositionAtPixel(int X, int Y) const {
    TLineCol cell;
    PixelToCell(TPoint{X, Y}, cell);
    cell.Line += FVisibleRange->TopLine() - 1;
    cell.Col += FVisibleRange->LeftCol() - 1;
    int column = cell.Col;
    int start = DisplayToCharColStart(cell);
    int pos = LineColToPos(cell);
    // The nearest cell boundary may lie inside a wide character: the half of it the click
    // fell on decides whether the caret goes before or after it.
    if (start < column && CellsOf(CharAt(pos)) > 1) {
        int middle = (start - FVisibleRange->LeftCol() + 1) * FCharWidth + FLeftMargin;
        if (X >= middle)
            ++pos;
    }
    return pos;
}

void TMemoComponent::MouseDown(TMouseButton Button, int X, int Y, TShiftState Shift, int Clicks) {
    if (FHost)
        FHost->SetFocus(); // a window that cannot take the focus still selects
    if (Button == TMouseButton::mbRight && FSelection->RLength() > 0)
        return; // keep the selection for the context menu
    if (Button != TMouseButton::mbLeft && Button != TMouseButton::mbRight)
        return;
    int pos = PositionAtPixel(X, Y);
    if (Button == TMouseButton::mbLeft && Clicks >= 2) {
        if (Clicks == 2)
            SelectWordAt(pos);
        else
            SelectLineAt(pos);
        return;
    }
    if (Button == TMouseButton::mbLeft && (Shift & ssShift) != 0)
        FSelection->ExtendTo(pos);
    else
        FSelection->CollapseTo(pos);
    FMouseSelecting = true;
    if (FHost)
        FHost->StartTimer(SelectionTimerId, SelectionTimerInterval);
}

void TMemoComponent::SelectAll() {
    SelectSpan(1, FTextLength + 1);
}

void TMemoComponent::SelectWordAt(int Pos) {
    // At a line's end or the text's end, the word is the one before.
    if (Pos > 1 && (Pos > FTextLength || IsLineBreak(CharAt(Pos))))
        --Pos;
    if (IsLineBreak(CharAt(Pos)) || Pos > FTextLength)
        return FSelection->CollapseTo(Pos);
    bool word = IsWordChar(CharAt(Pos));
    auto sameRun = [&](int p) {
        return p >= 1 && p <= FTextLength && !IsLineBreak(CharAt(p)) &&
               IsWordChar(CharAt(p)) == word;
    };
    int start = Pos;
    while (sameRun(start - 1))
        --start;
    int end = Pos;
    while (sameRun(end + 1))
        ++end;
    SelectSpan(start, end + 1);
}

void TMemoComponent::SelectLineAt(int Pos) {
    int line = PosToLineCol(Pos).Line;
    SelectSpan(LineColToPos(line, 1), std::min(LineColToPos(line + 1, 1), FTextLength + 1));
}

void TMemoComponent::SelectSpan(int Start, int CaretPos) {
    FSelection->BeginUpdate();
    FSelection->CollapseTo(Start);
    FSelection->ExtendTo(CaretPos);
    FSelection->EndUpdate();
    FSelection->MakeVisible(0);
}

void TMemoComponent::MouseMove(int X, int Y) {
    if (!FMouseSelecting)
        return;
    TSize client = ClientSize();
    if (X < 0 || Y < 0 || X >= client.cx || Y >= client.cy)
        return;
    FSelection->ExtendTo(PositionAtPixel(X, Y));
}

void TMemoComponent::MouseUp(TMouseButton Button, int, int) {
    if (!FMouseSelecting || Button == TMouseButton::mbMiddle)
        return;
    if (FHost)
        FHost->StopTimer(SelectionTimerId);
    FMouseSelecting = false;
}

void TMemoComponent::Timer(int Id) {
    if (Id != SelectionTimerId || !FMouseSelecting || !FHost)
        return;
    TPoint p = FHost->CursorPos();
    FSelection->ExtendTo(PositionAtPixel(p.x, p.y));
    FSelection->MakeVisible(0);
}

void TMemoComponent::VScroll(TScrollCode Code, int Pos) {
    ScrollBy(TScrollBarKind::sbVertical, Code, Pos);
}

void TMemoComponent::HScroll(TScrollCode Code, int Pos) {
    ScrollBy(TScrollBarKind::sbHorizontal, Code, Pos);
}

void TMemoComponent::ScrollBy(TScrollBarKind Bar, TScrollCode Code, int Pos) {
    bool vertical = Bar == TScrollBarKind::sbVertical;
    int page = vertical ? FVisibleLines : FVisibleCols;
    int extent = vertical ? LineCount() : FMaxLineWidth;
    FVisibleRange->BeginUpdate();
    int current = vertical ? (FHost ? FHost->GetScrollPos(Bar) : FVisibleRange->TopLine())
                           : FVisibleRange->LeftCol();
    std::int64_t target = current;
    switch (Code) {
    case TScrollCode::scLineUp:
        target = std::int64_t{current} - 1;
        break;
    case TScrollCode::scLineDown:
        target = std::int64_t{current} + 1;
        break;
    case TScrollCode::scPageUp:
        target = std::int64_t{current} - page;
        break;
    case TScrollCode::scPageDown:
        target = std::int64_t{current} + page;
        break;
    // The whole position: a 16-bit one would wrap on scripts of more than 65,535 lines.
    case TScrollCode::scPosition:
    case TScrollCode::scTrack:
        target = Pos;
        break;
    case TScrollCode::scTop:
        target = 1;
        break;
    case TScrollCode::scBottom:
        target = std::int64_t{extent} - page + 1;
        break;
    case TScrollCode::scEndScroll:
        break;
    }
    target =
        std::max<std::int64_t>(std::min<std::int64_t>(target, std::int64_t{extent} - page + 1), 1);
    if (target == current) {
        FVisibleRange->CancelUpdate();
        return;
    }
    int value = static_cast<int>(target);
    if (FHost)
        FHost->SetScrollPos(Bar, value);
    if (vertical)
        FVisibleRange->SetTopLine(value);
    else
        FVisibleRange->SetLeftCol(value);
    FVisibleRange->EndUpdate();
    if (FHost)
        FHost->RepaintNow();
}

void TMemoComponent::CreateEditCaret() {
    if (!FFocused || !WindowExists())
        return;
    DestroyEditCaret();
    FHost->CreateCaret(2, FLineHeight - 2);
    FCaretCreated = true;
    FSelection->PlaceCaret();
    FSelection->ShowEditCaret();
}

void TMemoComponent::DestroyEditCaret() {
    FSelection->HideEditCaret();
    if (FCaretCreated && FHost)
        FHost->DestroyCaret();
    FCaretCreated = false;
}

void TMemoComponent::FocusIn() {
    FFocused = true;
    CreateEditCaret();
}

void TMemoComponent::FocusOut() {
    FFocused = false;
    DestroyEditCaret();
}

void TMemoComponent::ScrollCaretIntoView() {
    FSelection->MakeVisible(4);
}

template <class T>
void TMemoComponent::SetWindowStyle(T& Field, T Value) {
    if (Value == Field)
        return;
    Field = Value;
    if (FHost)
        FHost->RecreateWindow();
}

void TMemoComponent::SetScrollBars(TScrollStyle Value) {
    SetWindowStyle(FScrollBars, Value);
}

void TMemoComponent::SetBorderStyle(TBorderStyle Value) {
    SetWindowStyle(FBorderStyle, Value);
}

void TMemoComponent::SetBitmapped(bool Value) {
    if (Value == FBitmapped)
        return;
    FBitmapped = Value;
    // A new bitmap holds nothing yet: the view is drawn into it whole, so that the pixels the
    // next edit or scroll moves inside it are the text's.
    if (FBitmapped && WindowExists())
        UpdateView();
    else
        UpdateBitmap();
}

void TMemoComponent::SetReadOnly(bool Value) {
    FReadOnly = Value;
    FSelection->ShowEditCaret();
}

void TMemoComponent::SetAlwaysShowCaret(bool Value) {
    FAlwaysShowCaret = Value;
    FSelection->ShowEditCaret();
}

void TMemoComponent::SetTabSize(int Value) {
    Value = std::max(Value, 1);
    if (Value == FTabSize)
        return;
    FSelection->BeginUpdate();
    FTabSize = Value;
    RemeasureAllLines();
    FVisibleRange->Clamp();
    // Tabs are drawn anew and the horizontal range follows the new widths.
    UpdateView();
    FSelection->EndUpdate();
}

void TMemoComponent::SetColor(TColor Value) {
    if (Value == FColor)
        return;
    FColor = Value;
    UpdateView();
}

void TMemoComponent::SetFont(const TFont& Value) {
    FFont = Value;
    FontChanged();
}

void TMemoComponent::FontChanged() {
    UpdateFontMetrics();
}

} // namespace memo
