#include "LineWidths.h"

#include <algorithm>

namespace memo {

void TLineWidths::Clear() {
    FWidths.Clear();
    std::fill(FLinesOfWidth.begin(), FLinesOfWidth.end(), 0);
    FLinesOfLongWidth.clear();
    FMax = 0;
}

void TLineWidths::Insert(int Index, int Width) {
    FWidths.Insert(Index, Width);
    Tally(Width, +1);
}

void TLineWidths::Delete(int Index) {
    Tally(FWidths.ValueAt(Index), -1);
    FWidths.DeleteRange(Index, 1);
}

void TLineWidths::Put(int Index, int Width) {
    Tally(FWidths.ValueAt(Index), -1);
    FWidths[Index] = Width;
    Tally(Width, +1);
}

void TLineWidths::Tally(int Width, int Delta) {
    if (Width < TableWidths) {
        FLinesOfWidth[static_cast<size_t>(Width)] += Delta;
    } else {
        auto& lines = FLinesOfLongWidth[Width];
        lines += Delta;
        if (lines == 0)
            FLinesOfLongWidth.erase(Width);
    }
    if (Delta > 0 && Width > FMax)
        FMax = Width;
    else if (Delta < 0 && Width == FMax)
        FindMax();
}

void TLineWidths::FindMax() {
    if (!FLinesOfLongWidth.empty()) {
        FMax = FLinesOfLongWidth.rbegin()->first;
        return;
    }
    FMax = std::min(FMax, TableWidths - 1);
    while (FMax > 0 && FLinesOfWidth[static_cast<size_t>(FMax)] == 0)
        --FMax;
}

} // namespace memo
