#pragma once
// Characters (code points) stored in the fewest bytes that hold every one of them: one while all
// are Latin-1 (nearly every script), two within the Basic Multilingual Plane, four beyond it. A
// script is decoded into this and handed to the editor as it is, so that a long script is never
// held four bytes a character on the way.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::files {

struct TNarrowText {
    int Width = 1;                    // bytes per character: 1, 2 or 4
    std::vector<std::uint8_t> Latin1; // the characters while Width is 1
    std::vector<char16_t> Bmp;        // while Width is 2
    std::vector<char32_t> Full;       // while Width is 4

    std::size_t Length() const {
        return Width == 1 ? Latin1.size() : Width == 2 ? Bmp.size() : Full.size();
    }
    char32_t At(std::size_t Index) const {
        return Width == 1   ? char32_t{Latin1[Index]}
               : Width == 2 ? char32_t{Bmp[Index]}
                            : Full[Index];
    }
    // Calls F with the vector that holds the characters.
    template <class Fn>
    decltype(auto) Visit(Fn&& F) const {
        if (Width == 1)
            return F(Latin1);
        if (Width == 2)
            return F(Bmp);
        return F(Full);
    }
    std::u32string ToString() const {
        return Visit([](const auto& Chars) { return std::u32string(Chars.begin(), Chars.end()); });
    }
};

// The index of the first character where Text and Other differ; the shorter length when one is
// the start of the other (the common length when they are equal).
std::size_t FirstDifference(const TNarrowText& Text, std::u32string_view Other);

inline bool operator==(const TNarrowText& Text, std::u32string_view Other) {
    return Text.Length() == Other.size() && FirstDifference(Text, Other) == Other.size();
}

} // namespace velmora::files
