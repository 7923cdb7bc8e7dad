#pragma once
// How many cells of the editor's fixed-pitch grid a character takes. Columns, the caret, clicks,
// painting and the widths of lines all count with it, so that they agree on where a character
// stands.
namespace memo {

// Two for the wide characters of East Asian scripts and for emoji (Unicode's East Asian Width
// W and F), one for every other character: combining marks and invisible characters keep a
// cell of their own, so that each can be seen, clicked and deleted.
int CellsOfWide(char32_t C);

inline int CellsOf(char32_t C) {
    return C < 0x1100 ? 1 : CellsOfWide(C);
}

} // namespace memo
