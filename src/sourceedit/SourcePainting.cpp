// Painting with the syntax chain: each line piece is cut along the lexical ranges, so that every
// word, number, symbol, parenthesis, comment and string is drawn in its own font; the selection
// keeps the typeface and style of its ranges and takes the selection's colours.
#include "SourceEdit.h"

#include <algorithm>

namespace sourceedit {

void TSourceEdit::GetFormattedRanges(memo::TCustomRange* Range,
                                     memo::TFormattedRangeArray& Pieces) {
    if (!FSyntaxColoring->Enabled()) {
        TMemoComponent::GetFormattedRanges(Range, Pieces);
        return;
    }
    ProduceFromChain(*Range, Pieces, true);
}

void TSourceEdit::GetStyledSpans(int Start, int End, std::vector<TStyledSpan>& Spans) {
    memo::TMCRange stretch(this, Start, End);
    memo::TFormattedRangeArray pieces;
    if (FSyntaxColoring->Enabled())
        ProduceFromChain(stretch, pieces, false);
    else
        ProducePlain(stretch.RStart(), stretch.REnd(), pieces, false);
    for (memo::TCustomFormattedRange* piece : pieces) {
        const memo::TFont* font = piece->GetFont();
        Spans.push_back(TStyledSpan{piece->RStart(), piece->REnd(), font ? *font : GetFontValue(),
                                    piece->GetColor()});
        if (piece->FreeAfterPaint())
            delete piece;
    }
}

void TSourceEdit::ProducePlain(int Start, int End, memo::TFormattedRangeArray& Pieces,
                               bool WithSelection) {
    if (Start > End)
        return;
    memo::TMCRange stretch(this, Start, End);
    if (WithSelection) {
        TMemoComponent::GetFormattedRanges(&stretch, Pieces);
        return;
    }
    auto* piece = new memo::TNormalFormattedRange();
    piece->SetFreeAfterPaint(true);
    piece->SetEditor(this);
    piece->SetRStart(Start);
    piece->SetREnd(End);
    Pieces.push_back(piece);
}

void TSourceEdit::ProduceFromChain(const memo::TCustomRange& Segment,
                                   memo::TFormattedRangeArray& Pieces, bool WithSelection) {
    int segStart = Segment.RStart();
    int segEnd = Segment.REnd();
    const memo::TSelectionRange& selection = *Selection();
    bool selected = WithSelection && !selection.Hidden() && selection.RLength() > 0;
    int selStart = selection.RStart();
    int selEnd = selection.REnd();

    SettleTo(segEnd);
    // The entry that holds the segment's first character, found from where the last piece ended.
    TRangeCursor cursor = FChain.At(segStart, FPaintCursor);
    int done = segStart - 1;
    for (; cursor.Valid() && cursor.Token().RStart <= segEnd; cursor.Next()) {
        FPaintCursor = cursor;
        const TSyntaxToken& token = cursor.Token();
        int from = std::max(token.RStart, done + 1);
        if (!token.IsRange()) {
            done = std::min(token.REnd, segEnd);
            ProducePlain(from, done, Pieces, WithSelection);
            continue;
        }
        std::unique_ptr<TSyntaxRange> owned(CreateSyntaxRange(token, this));
        TSyntaxRange* range = owned.get(); // painting frees it once it is handed over
        // A stretch of the range: the range itself when it is all of it, else a piece in its font
        // and the editor's background.
        auto produce = [&](int A, int B) {
            if (A > B)
                return;
            if (A == range->RStart() && B == range->REnd()) {
                range->SetFreeAfterPaint(true);
                Pieces.push_back(owned.release());
                return;
            }
            auto* piece = new memo::TFormattedRange();
            piece->SetFreeAfterPaint(true);
            piece->SetEditor(this);
            piece->SetRStart(A);
            piece->SetREnd(B);
            piece->SetFont(range->GetFont());
            piece->SetColor(Color());
            Pieces.push_back(piece);
        };
        if (selected) {
            produce(from, std::min({selStart - 1, segEnd, token.REnd}));
            int selectedFrom = std::max({selStart, segStart, token.RStart});
            int selectedTo = std::min({selEnd, segEnd, token.REnd});
            if (selectedFrom <= selectedTo) {
                auto* piece = new memo::TFormattedRange();
                piece->SetFreeAfterPaint(true);
                piece->SetEditor(this);
                piece->SetRStart(selectedFrom);
                piece->SetREnd(selectedTo);
                memo::TFont font = *range->GetFont();
                font.Color = memo::clHighlightText;
                piece->SetFont(&font);
                piece->SetColor(memo::clHighlight);
                Pieces.push_back(piece);
            }
            from = std::max({selEnd + 1, segStart, token.RStart});
        }
        done = std::min(token.REnd, segEnd);
        produce(from, done);
    }
    // Characters beyond the chain (it is empty while colouring waits for a full scan).
    ProducePlain(done + 1, segEnd, Pieces, WithSelection);
}

} // namespace sourceedit
