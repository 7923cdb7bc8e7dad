// Marks over the painted text: the pieces of a line are cut where a mark begins and ends, and the
// marked ones are drawn in the information colours (a pair, so the text stays readable on every
// palette). The selection keeps its own colours.
#include "MemoComponent.h"

#include <algorithm>

namespace memo {

void TMemoComponent::SetMarkFinder(TMarkFinder Finder) {
    FMarkFinder = std::move(Finder);
    if (WindowExists())
        RepaintVisible();
}

void TMemoComponent::MarkPieces(TFormattedRangeArray& Pieces, int Start, int End) {
    std::vector<TMarkSpan> marks;
    FMarkFinder(Start, End, marks);
    if (marks.empty())
        return;
    TFormattedRangeArray cut;
    cut.reserve(Pieces.size() + 2 * marks.size());
    auto add = [&](const TCustomFormattedRange& from, int s, int e, bool marked) {
        auto* piece = new TFormattedRange();
        piece->SetFreeAfterPaint(true);
        piece->SetEditor(this);
        piece->SetRStart(s);
        piece->SetREnd(e);
        TFont font = from.GetFont() != nullptr ? *from.GetFont() : FFont;
        if (marked)
            font.Color = clInfoText;
        piece->SetFont(&font);
        piece->SetColor(marked ? clInfoBk : from.GetColor());
        cut.push_back(piece);
    };
    size_t first = 0;
    for (TCustomFormattedRange* piece : Pieces) {
        int s = piece->RStart();
        int e = piece->REnd();
        while (first < marks.size() && marks[first].REnd < s)
            ++first;
        bool selected = piece->GetColor() == clHighlight;
        if (selected || e < s || first == marks.size() || marks[first].RStart > e) {
            cut.push_back(piece);
            continue;
        }
        int at = s;
        for (size_t k = first; k < marks.size() && marks[k].RStart <= e; ++k) {
            int markStart = std::max(marks[k].RStart, at);
            int markEnd = std::min(marks[k].REnd, e);
            if (markStart > markEnd)
                continue;
            if (markStart > at)
                add(*piece, at, markStart - 1, false);
            add(*piece, markStart, markEnd, true);
            at = markEnd + 1;
        }
        if (at <= e)
            add(*piece, at, e, false);
        if (piece->FreeAfterPaint())
            delete piece;
    }
    Pieces.swap(cut);
}

} // namespace memo
