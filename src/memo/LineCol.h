#pragma once
#include <cstdint>
#include <limits>

namespace memo {

// A line and a character column, both 1-based; a tab counts as one character.
struct TLineCol {
    int Line = 0;
    int Col = 0;
    friend bool operator==(const TLineCol&, const TLineCol&) = default;
};

inline TLineCol LineCol(int Line, int Col) {
    return TLineCol{Line, Col};
}

// Positions are 32-bit; arithmetic on out-of-range input saturates instead of wrapping.
inline int ClampToInt(std::int64_t Value) {
    if (Value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (Value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(Value);
}

} // namespace memo
