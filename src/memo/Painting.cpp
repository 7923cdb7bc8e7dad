// Layout and painting: the view's metrics, range painting line piece by line piece, and the
// formatted pieces of the plain editor.
#include "MemoComponent.h"

#include <algorithm>

namespace memo {

namespace {

// Expands tabs to spaces with B columns left to the next stop; B carries on across pieces.
// Cells counts the cells the shown text takes.
std::u32string ExpandTabs(std::u32string_view Chars, int TabSize, int& B, std::int64_t& Cells) {
    std::u32string shown;
    shown.reserve(Chars.size());
    Cells = 0;
    for (char32_t c : Chars) {
        if (c == U'\t') {
            int spaces = std::max(B, 0);
            shown.append(static_cast<size_t>(spaces), U' ');
            Cells += spaces;
            B = TabSize;
        } else {
            shown += c;
            int cells = CellsOf(c);
            Cells += cells;
            for (B -= cells; B <= 0;)
                B += TabSize;
        }
    }
    return shown;
}

// A piece's characters without a trailing LF and its CR, or without a trailing CR.
std::u32string_view WithoutLineBreak(std::u32string_view Chars) {
    if (!Chars.empty() && Chars.back() == U'\n')
        Chars.remove_suffix(1);
    if (!Chars.empty() && Chars.back() == U'\r')
        Chars.remove_suffix(1);
    return Chars;
}

} // namespace

void TCustomRange::Paint() {
    TMemoComponent* e = FEditor;
    if (e == nullptr || !e->WindowExists() || e->VisibleRange()->UpdateCount() > 0)
        return;
    int start = RStart();
    int end = REnd();
    bool wholeView = this == e->VisibleRange() || this == e->WholeText();
    if (end < start && start < e->TextLength() && !wholeView)
        return;

    TMemoHost& host = *e->Host();
    bool caretHidden = false;
    if (e->Bitmapped()) {
        e->UpdateBitmap();
        e->FCanvas = TPaintTarget::ptBitmap;
    } else {
        e->FCanvas = TPaintTarget::ptWindow;
        int caret = e->Selection()->CaretPos();
        if (start >= caret - 1 && end <= caret) {
            e->Selection()->HideEditCaret();
            caretHidden = true;
        }
    }
    TSize client = host.ClientSize();
    if (e->TextLength() == 0)
        host.FillRect(e->FCanvas, TRect{0, 0, client.cx, client.cy}, e->Color());
    else
        e->PaintLines(start, end);
    if (wholeView)
        e->PaintGutter(1, e->LineCount() + 1);
    if (e->Bitmapped())
        host.Invalidate();
    else if (caretHidden)
        e->Selection()->ShowEditCaret();
}

void TMemoComponent::PaintLines(int Start, int End) {
    TMemoHost& host = *FHost;
    TSize client = host.ClientSize();
    const TVisibleRange& view = *FVisibleRange;
    int top = view.TopLine();
    TLineCol first = PosToLineCol(Start);
    TLineCol last = PosToLineCol(End);
    int fromLine = std::max(first.Line, top);
    int toLine = std::min(last.Line + (End >= FTextLength ? 1 : 0),
                          top + FVisibleLines + 1 + (view.REnd() >= FTextLength ? 1 : 0));
    for (int i = fromLine; i <= toLine; ++i) {
        int c0 = i == first.Line ? first.Col : 1;
        int h = i == first.Line ? CharColToDisplayCol(LineCol(i, c0)) : 1;
        TLineCol visible = LineCol(i, std::max(h, view.LeftCol()));
        int d0 = DisplayToCharColStart(visible);
        int c1 = std::min(i == last.Line ? last.Col : LineLength(i) + 2, view.RightCol());
        int y = (i - top) * FLineHeight + FTopMargin;
        if (i > LineCount()) {
            FillIfVisible(TRect{FLeftMargin, y, client.cx, y + FLineHeight});
        } else if (c1 >= c0) {
            TMCRange piece(this, LineColToPos(i, visible.Col), LineColToPos(i, c1));
            PaintRangeText(&piece, (d0 - view.LeftCol()) * FCharWidth + FLeftMargin,
                           FTabSize - (d0 - 1) % FTabSize, y);
        }
        if (i >= LineCount()) {
            int below = (LineCount() - top + 1) * FLineHeight + FTopMargin;
            FillIfVisible(TRect{FLeftMargin, below, client.cx, client.cy});
        }
    }
}

void TMemoComponent::FillIfVisible(const TRect& Rect) {
    if (!Rect.IsEmpty())
        FHost->FillRect(FCanvas, Rect, FColor);
}

void TMemoComponent::PaintRangeText(TCustomRange* Range, int X, int FirstTabWidth, int Y) {
    if (!WindowExists())
        return;
    if (Range->RLength() < 1 && Range->REnd() < FTextLength)
        return;
    TFormattedRangeArray pieces;
    GetFormattedRanges(Range, pieces);
    if (FMarkFinder)
        MarkPieces(pieces, Range->RStart(), Range->REnd());
    TSize client = FHost->ClientSize();
    int left = X;
    int b = FirstTabWidth;
    for (TCustomFormattedRange* piece : pieces) {
        if (piece->RLength() > 0) {
            std::u32string chars = piece->Text();
            bool endsLine = !chars.empty() && (chars.back() == U'\r' || chars.back() == U'\n');
            std::int64_t cells = 0;
            std::u32string shown = ExpandTabs(WithoutLineBreak(chars), FTabSize, b, cells);
            int right = endsLine ? client.cx : ClampToInt(std::int64_t{left} + cells * FCharWidth);
            TRect clip{std::max(left, FLeftMargin), Y, right, Y + FLineHeight};
            if (!clip.IsEmpty()) {
                const TFont* font = piece->GetFont();
                FHost->TextOut(FCanvas, left, Y, clip, shown, font ? *font : FFont,
                               piece->GetColor());
            }
            left = right;
        }
        if (piece->FreeAfterPaint())
            delete piece;
    }
    if (Range->REnd() >= FTextLength)
        FillIfVisible(TRect{std::max(left, FLeftMargin), Y, client.cx, Y + FLineHeight});
}

void TMemoComponent::GetFormattedRanges(TCustomRange* Range, TFormattedRangeArray& Pieces) {
    auto add = [&](TCustomFormattedRange* piece, int start, int end) {
        piece->SetFreeAfterPaint(true);
        piece->SetEditor(this);
        piece->SetRStart(start);
        piece->SetREnd(end);
        Pieces.push_back(piece);
        return piece;
    };
    auto normal = [&](int start, int end) {
        if (start <= end)
            add(new TNormalFormattedRange(), start, end);
    };
    int start = Range->RStart();
    int end = Range->REnd();
    if (FSelection->Hidden() || FSelection->RLength() <= 0) {
        normal(start, end);
        return;
    }
    int selStart = FSelection->RStart();
    int selEnd = FSelection->REnd();
    normal(start, std::min(selStart - 1, end));
    int from = std::max(selStart, start);
    int to = std::min(selEnd, end);
    if (from <= to) {
        auto* selected = add(new TFormattedRange(), from, to);
        TFont font = FFont;
        font.Color = clHighlightText;
        selected->SetFont(&font);
        selected->SetColor(clHighlight);
    }
    normal(std::max(selEnd + 1, start), end);
}

void TMemoComponent::PaintMargins(const TRect& LeftRect, const TRect& TopRect,
                                  TPaintTarget Canvas) {
    if (!FHost)
        return;
    if (!LeftRect.IsEmpty())
        FHost->FillRect(Canvas, LeftRect, FColor);
    if (!TopRect.IsEmpty())
        FHost->FillRect(Canvas, TopRect, FColor);
}

void TMemoComponent::PaintMarginsOn(TPaintTarget Canvas) {
    TSize client = ClientSize();
    PaintMargins(TRect{0, 0, FLeftMargin, client.cy}, TRect{0, 0, client.cx, FTopMargin}, Canvas);
    PaintGutter(1, LineCount() + 1);
}

void TMemoComponent::UpdateFontMetrics() {
    if (FHost) {
        FLineHeight = FHost->TextExtent(FFont, U"Q").cy;
        FCharWidth = FHost->TextExtent(FFont, U"M").cx;
    }
    if (FLineHeight <= 0)
        FLineHeight = 13;
    if (FCharWidth <= 0)
        FCharWidth = 8;
    FitGutter();
    // The caret is as high as a line.
    if (FCaretCreated)
        CreateEditCaret();
    UpdateView();
}

void TMemoComponent::UpdateView() {
    if (!WindowExists())
        return;
    UpdateBitmap();
    if (FLineHeight <= 0)
        FLineHeight = 13;
    if (FCharWidth <= 0)
        FCharWidth = 8;
    TSize client = ClientSize();
    FVisibleLines = std::max(1, (client.cy - FTopMargin) / FLineHeight);
    FVisibleCols = std::max(1, (client.cx - FLeftMargin) / FCharWidth);
    FVisibleRange->Clamp();
    RepaintVisible();
    FHost->SetScrollInfo(TScrollBarKind::sbVertical, 1, LineCount(), FVisibleLines,
                         FVisibleRange->TopLine());
    SetHorizontalScrollInfo();
}

void TMemoComponent::SetHorizontalScrollInfo() {
    FHost->SetScrollInfo(TScrollBarKind::sbHorizontal, 1, FMaxLineWidth, FVisibleCols,
                         FVisibleRange->LeftCol());
}

void TMemoComponent::UpdateBitmap() {
    if (!FHost)
        return;
    if (!FBitmapped) {
        if (FHost->HasBitmap())
            FHost->FreeBitmap();
        return;
    }
    TSize client = ClientSize();
    if (!FHost->HasBitmap() || FHost->BitmapSize() != client) {
        FHost->SetBitmapSize(client);
        PaintMarginsOn(TPaintTarget::ptBitmap);
    }
}

void TMemoComponent::Paint() {
    if (!WindowExists())
        return;
    FSelection->HideEditCaret();
    if (FBitmapped) {
        UpdateBitmap();
        FHost->CopyBitmapToWindow();
    } else {
        PaintMarginsOn(TPaintTarget::ptWindow);
        FVisibleRange->Paint();
    }
    FSelection->ShowEditCaret();
}

} // namespace memo
