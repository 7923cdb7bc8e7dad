#include "NarrowText.h"

#include <algorithm>

namespace velmora::files {

std::size_t FirstDifference(const TNarrowText& Text, std::u32string_view Other) {
    return Text.Visit([Other](const auto& Chars) {
        const std::size_t common = std::min(Chars.size(), Other.size());
        const auto differs = std::mismatch(Chars.begin(), Chars.begin() + common, Other.begin(),
                                           [](auto C, char32_t O) { return char32_t{C} == O; });
        return static_cast<std::size_t>(differs.first - Chars.begin());
    });
}

} // namespace velmora::files
