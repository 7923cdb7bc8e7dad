#include "MemoComponent.h"

#include <algorithm>

namespace memo {

int TVisibleRange::RightCol() const {
    return Editor() ? FLeftCol + Editor()->VisibleCols() + 1 : FLeftCol + 2;
}

void TVisibleRange::SetTopLine(int Value) {
    BeginUpdate();
    FTopLine = Value;
    Clamp();
    EndUpdate();
}

void TVisibleRange::SetLeftCol(int Value) {
    BeginUpdate();
    FLeftCol = Value;
    Clamp();
    EndUpdate();
}

void TVisibleRange::SetRightCol(int Value) {
    SetLeftCol(Value - (Editor() ? Editor()->VisibleCols() : 1));
}

void TVisibleRange::Clamp() {
    TMemoComponent* e = Editor();
    if (e == nullptr)
        return;
    FTopLine = std::max(std::min(FTopLine, e->LineCount() - e->VisibleLines() + 1), 1);
    FLeftCol = std::max(std::min(FLeftCol, e->MaxLineWidth() - e->VisibleCols() + 1), 1);
    if (e->WindowExists()) {
        e->Host()->SetScrollPos(TScrollBarKind::sbVertical, FTopLine);
        e->Host()->SetScrollPos(TScrollBarKind::sbHorizontal, FLeftCol);
    }
}

void TVisibleRange::SetRStart(int Value) {
    if (Editor())
        SetTopLine(Editor()->PosToLineCol(Value).Line);
}

int TVisibleRange::GetRStart() const {
    return Editor() ? Editor()->LineColToPos(FTopLine, 1) : 1;
}

int TVisibleRange::GetREnd() const {
    TMemoComponent* e = Editor();
    if (e == nullptr)
        return 0;
    int end = e->LineColToPos(FTopLine + e->VisibleLines() + 1, 0);
    return std::min(end, e->TextLength());
}

void TVisibleRange::GetStartLineCol(TLineCol& LC) const {
    LC = LineCol(FTopLine, FLeftCol);
}

void TVisibleRange::GetEndLineCol(TLineCol& LC) const {
    int lines = Editor() ? Editor()->VisibleLines() : 1;
    LC = LineCol(FTopLine + lines + 1, RightCol());
}

void TVisibleRange::SetStartLineCol(const TLineCol& LC) {
    BeginUpdate();
    FTopLine = LC.Line;
    FLeftCol = LC.Col;
    Clamp();
    EndUpdate();
}

void TVisibleRange::UpdateStarted() {
    int lines = Editor() ? Editor()->VisibleLines() : 1;
    FSaved = TRect{FLeftCol, FTopLine, RightCol(), FTopLine + lines + 1};
}

void TVisibleRange::Changed() {
    TCustomRange::Changed();
    TMemoComponent* e = Editor();
    if (e == nullptr || !e->WindowExists())
        return;
    TRect now{FLeftCol, FTopLine, RightCol(), FTopLine + e->VisibleLines() + 1};
    if (now == FSaved)
        return;
    e->Selection()->HideEditCaret();
    bool overlap = now.Top < FSaved.Bottom - 1 && FSaved.Top < now.Bottom - 1;
    if (now.Left == FSaved.Left && overlap)
        MovePixelsAndPaintStrip(FSaved.Top);
    else
        Paint();
    e->Selection()->PlaceCaret();
    e->Selection()->ShowEditCaret();
}

void TVisibleRange::MovePixelsAndPaintStrip(int OldTop) {
    TMemoComponent& e = *Editor();
    TMemoHost& host = *e.Host();
    TSize client = host.ClientSize();
    int dy = (OldTop - FTopLine) * e.LineHeight();
    bool onBitmap = e.Bitmapped() && host.HasBitmap();
    TRect area{e.TextLeft(), e.TopMargin(), client.cx, client.cy};
    host.ScrollPixels(onBitmap ? TPaintTarget::ptBitmap : TPaintTarget::ptWindow, dy, area);

    // The strip the move uncovered, relative to the top margin.
    int height = client.cy - e.TopMargin();
    int stripTop = dy < 0 ? std::max(height + dy, 0) : 0;
    int stripBottom = dy < 0 ? height : std::min(dy, height);
    int first = FTopLine + stripTop / e.LineHeight();
    int last = FTopLine + (stripBottom - 1) / e.LineHeight() + 1;
    TMCRange strip(&e, e.LineColToPos(first, 1), e.LineColToPos(last + 1, 0));
    strip.Paint();
    e.PaintGutter(FTopLine, FTopLine + e.VisibleLines());
    if (e.Bitmapped())
        host.Invalidate();
}

} // namespace memo
