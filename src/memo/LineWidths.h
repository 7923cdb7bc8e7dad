#pragma once
// The display width of every line, with a count of lines per width, so that the widest line is
// known exactly after every edit without measuring the whole text again.
#include "SplitVector.h"

#include <cstdint>
#include <map>
#include <vector>

namespace memo {

class TLineWidths {
public:
    void Clear();
    int Count() const { return static_cast<int>(FWidths.Length()); }
    int Get(int Index) const { return FWidths.ValueAt(Index); }
    void Insert(int Index, int Width);
    void Delete(int Index);
    void Put(int Index, int Width);
    int Max() const { return FMax; }
    size_t CapacityBytes() const {
        return FWidths.CapacityBytes() + FLinesOfWidth.capacity() * sizeof(int) +
               FLinesOfLongWidth.size() * 48;
    }

private:
    void Tally(int Width, int Delta);
    void FindMax();

    SplitVector<std::int32_t> FWidths;
    // Number of lines of each width: a table for ordinary widths, a map for the rare very long
    // lines (a one-million-character line must not cost a million-entry table).
    static constexpr int TableWidths = 4096;
    std::vector<int> FLinesOfWidth = std::vector<int>(TableWidths, 0);
    std::map<int, int> FLinesOfLongWidth;
    int FMax = 0;
};

} // namespace memo
