#pragma once
// The character classes of the scanner. They are the ASCII ones: every code above 127 is a plain
// character that belongs to no identifier, number or symbol.
namespace sourceedit {

constexpr bool IsDigit(char32_t C) {
    return C >= U'0' && C <= U'9';
}

constexpr bool IsWordChar(char32_t C) {
    return IsDigit(C) || (C >= U'A' && C <= U'Z') || (C >= U'a' && C <= U'z') || C == U'_';
}

constexpr bool IsIdentChar(char32_t C) {
    return IsWordChar(C) || C == U'#' || C == U'$';
}

constexpr bool IsNumberStart(char32_t C) {
    return IsDigit(C) || C == U'#' || C == U'$';
}

constexpr bool IsParenthesis(char32_t C) {
    return C == U'(' || C == U')';
}

// ! " # % & ' ( ) * + , - . / : ; < = > ? @ [ \ ] ^ { | } ~ (not $, _ or the backquote).
constexpr bool IsSymbolChar(char32_t C) {
    return (C >= 0x21 && C <= 0x23) || (C >= 0x25 && C <= 0x2F) || (C >= 0x3A && C <= 0x40) ||
           (C >= 0x5B && C <= 0x5E) || (C >= 0x7B && C <= 0x7E);
}

} // namespace sourceedit
