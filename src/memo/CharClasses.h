#pragma once
// The classes of characters that word moves and word selection go by.

namespace memo {

inline bool IsLineBreak(char32_t C) {
    return C == U'\r' || C == U'\n';
}

// Digits, ASCII letters and the underscore; every other character is a non-word character.
inline bool IsWordChar(char32_t C) {
    return (C >= U'0' && C <= U'9') || (C >= U'A' && C <= U'Z') || (C >= U'a' && C <= U'z') ||
           C == U'_';
}

} // namespace memo
