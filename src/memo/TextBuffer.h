#pragma once
// The editor's characters, kept in a gap buffer so that typing in the middle of a 10 MB script does
// not move the rest of it. A character is a code point, but it is stored in the fewest bytes that
// hold every character of the text: one while all of them are Latin-1 (nearly every script), two
// within the Basic Multilingual Plane, four beyond it. Indexes here are 0-based; the editor speaks
// 1-based positions.
#include "SplitVector.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace memo {

// A copy of the characters in the width they are stored in: the cheapest copy of a long text (a
// 10 MB script of Latin-1 characters takes 10 MB here, 40 MB as a std::u32string), to be widened
// later, on another thread if need be.
class TTextSnapshot {
public:
    std::u32string ToString() const;

private:
    friend class TTextBuffer;
    std::size_t FLength = 0;
    std::unique_ptr<std::uint8_t[]> F1; // the one of the three that matches the buffer's width
    std::unique_ptr<char16_t[]> F2;
    std::unique_ptr<char32_t[]> F4;
};

class TTextBuffer {
public:
    // A buffer that takes Chars over as they are, without a copy: one byte a character when they
    // are all Latin-1, two within the Basic Multilingual Plane, four beyond it. Their spare
    // capacity is room for typing.
    static TTextBuffer Of(std::vector<std::uint8_t>&& Chars) { return Adopted(1, Chars); }
    static TTextBuffer Of(std::vector<char16_t>&& Chars) { return Adopted(2, Chars); }
    static TTextBuffer Of(std::vector<char32_t>&& Chars) { return Adopted(4, Chars); }

    int Length() const { return static_cast<int>(FLength); }
    char32_t At(int Index) const {
        switch (FWidth) {
        case 1:
            return F1.ValueAt(Index);
        case 2:
            return F2.ValueAt(Index);
        default:
            return F4.ValueAt(Index);
        }
    }
    // Copies Count characters from Index into Out.
    void CopyOut(int Index, int Count, char32_t* Out) const {
        Visit(*this, [&](const auto& Chars) { Chars.CopyOut(Index, Count, Out); });
    }
    std::u32string Substr(int Index, int Count) const {
        std::u32string out(static_cast<size_t>(Count), U'\0');
        CopyOut(Index, Count, out.data());
        return out;
    }
    std::u32string ToString() const { return Substr(0, Length()); }
    TTextSnapshot Snapshot() const;
    void Replace(int Index, int OldCount, std::u32string_view NewText);
    // Bytes per stored character: 1, 2 or 4.
    int CharWidth() const { return FWidth; }
    // Calls F with the stored characters as SplitVector<T>::TRuns, T the stored width's type.
    template <class Fn>
    void VisitRuns(Fn&& F) const {
        Visit(*this, [&](const auto& Chars) { F(Chars.Runs()); });
    }
    size_t CapacityBytes() const {
        return F1.CapacityBytes() + F2.CapacityBytes() + F4.CapacityBytes();
    }

private:
    template <class T>
    static TTextBuffer Adopted(int Width, std::vector<T>& Chars) {
        TTextBuffer buffer;
        buffer.FWidth = Width;
        buffer.FLength = static_cast<std::ptrdiff_t>(Chars.size());
        Visit(buffer, [&](auto& Gapped) {
            if constexpr (std::is_same_v<std::remove_cvref_t<decltype(Gapped)>, SplitVector<T>>)
                Gapped.Adopt(std::move(Chars));
        });
        return buffer;
    }
    // Calls F with the gap buffer in use.
    template <class Self, class Fn>
    static void Visit(Self& Buffer, Fn&& F) {
        switch (Buffer.FWidth) {
        case 1:
            F(Buffer.F1);
            break;
        case 2:
            F(Buffer.F2);
            break;
        default:
            F(Buffer.F4);
            break;
        }
    }
    // Moves the text into the buffer of Width bytes per character.
    void Widen(int Width);

    SplitVector<std::uint8_t> F1;
    SplitVector<char16_t> F2;
    SplitVector<char32_t> F4;
    int FWidth = 1;
    std::ptrdiff_t FLength = 0;
};

} // namespace memo
