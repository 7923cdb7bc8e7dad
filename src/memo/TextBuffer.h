#pragma once
// The editor's characters, one char32_t per character, kept in a gap buffer so that typing in the
// middle of a 10 MB script does not move the rest of it. Indexes here are 0-based; the editor
// speaks 1-based positions.
#include "SplitVector.h"

#include <string>
#include <string_view>

namespace memo {

class TTextBuffer {
public:
    int Length() const { return static_cast<int>(FChars.Length()); }
    char32_t At(int Index) const { return FChars.ValueAt(Index); }
    std::u32string Substr(int Index, int Count) const {
        std::u32string out(static_cast<size_t>(Count), U'\0');
        FChars.CopyOut(Index, Count, out.data());
        return out;
    }
    std::u32string ToString() const { return Substr(0, Length()); }
    void Replace(int Index, int OldCount, std::u32string_view NewText) {
        FChars.DeleteRange(Index, OldCount);
        FChars.InsertRange(Index, NewText.data(), static_cast<std::ptrdiff_t>(NewText.size()));
    }
    size_t CapacityBytes() const { return FChars.CapacityBytes(); }

private:
    SplitVector<char32_t> FChars;
};

} // namespace memo
