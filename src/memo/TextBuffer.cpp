#include "TextBuffer.h"

#include <algorithm>

namespace memo {

namespace {

int WidthFor(std::u32string_view Text) {
    char32_t widest = 0;
    for (char32_t c : Text)
        widest = std::max(widest, c);
    return widest <= 0xFF ? 1 : widest <= 0xFFFF ? 2 : 4;
}

} // namespace

void TTextBuffer::Replace(int Index, int OldCount, std::u32string_view NewText) {
    int width = WidthFor(NewText);
    if (Index == 0 && OldCount == Length()) {
        // A new whole text: it alone decides the width.
        Visit(*this, [](auto& Chars) { Chars.Clear(); });
        FWidth = width;
        FLength = 0;
        OldCount = 0;
    } else if (width > FWidth) {
        Widen(width);
    }
    Visit(*this, [&](auto& Chars) {
        Chars.DeleteRange(Index, OldCount);
        Chars.InsertRange(Index, NewText.data(), static_cast<std::ptrdiff_t>(NewText.size()));
    });
    FLength += static_cast<std::ptrdiff_t>(NewText.size()) - OldCount;
}

void TTextBuffer::Widen(int Width) {
    // In slices, so that even a long text needs no second copy of itself on the way.
    constexpr int Slice = 4096;
    char32_t slice[Slice];
    auto moveInto = [&](auto& Wider) {
        for (int from = 0; from < Length(); from += Slice) {
            int count = std::min(Slice, Length() - from);
            CopyOut(from, count, slice);
            Wider.InsertRange(from, slice, count);
        }
    };
    if (Width == 2)
        moveInto(F2);
    else
        moveInto(F4);
    Visit(*this, [](auto& Chars) { Chars.Clear(); });
    FWidth = Width;
}

} // namespace memo
