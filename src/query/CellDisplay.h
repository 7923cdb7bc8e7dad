#pragma once
// How a value looks in a grid cell: text as it is, long text and bytes in a short form that
// reads well on one line. The stored value is never touched; only what is shown is shortened.
#include <QString>
#include <string_view>

namespace velmora::query {

// Characters of text a cell shows before it cuts off with an ellipsis.
inline constexpr int ShownTextCharacters = 200;
// Bytes a cell shows in hexadecimal before it cuts off.
inline constexpr int ShownBinaryBytes = 16;

// UTF-8 text on one line: line breaks shown as a pilcrow, tabs as a blank, and at most
// ShownTextCharacters characters followed by an ellipsis.
QString ShortText(std::string_view Utf8);

// The whole of a text that ShortText shows in a short form, as a tooltip that wraps its lines;
// empty when the short form is the whole text. Bounded at ToolTipCharacters, so that a huge
// value cannot make a tooltip larger than the screen.
inline constexpr int ToolTipCharacters = 10000;
QString WholeTextTip(std::string_view Utf8);

// "0x" and the hexadecimal digits of the bytes; a longer value shows its first
// ShownBinaryBytes bytes, an ellipsis and its size, as in "0x0102… (4096 bytes)".
QString ShortBinary(std::string_view Bytes);

} // namespace velmora::query
