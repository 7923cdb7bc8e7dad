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

std::u32string TTextSnapshot::ToString() const {
    std::u32string text(FLength, U'\0');
    const auto widen = [&text](const auto* Chars) {
        std::copy(Chars, Chars + text.size(), text.begin());
    };
    if (F1)
        widen(F1.get());
    else if (F2)
        widen(F2.get());
    else if (F4)
        widen(F4.get());
    return text;
}

TTextSnapshot TTextBuffer::Snapshot() const {
    TTextSnapshot snapshot;
    snapshot.FLength = static_cast<std::size_t>(FLength);
    switch (FWidth) {
    case 1:
        snapshot.F1 = std::make_unique_for_overwrite<std::uint8_t[]>(snapshot.FLength);
        F1.CopyOut(0, FLength, snapshot.F1.get());
        break;
    case 2:
        snapshot.F2 = std::make_unique_for_overwrite<char16_t[]>(snapshot.FLength);
        F2.CopyOut(0, FLength, snapshot.F2.get());
        break;
    default:
        snapshot.F4 = std::make_unique_for_overwrite<char32_t[]>(snapshot.FLength);
        F4.CopyOut(0, FLength, snapshot.F4.get());
        break;
    }
    return snapshot;
}

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
