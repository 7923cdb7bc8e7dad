#pragma once
// Colours, fonts and geometry shared by the editor and its host.
#include <cstdint>
#include <string>

namespace memo {

// 0x00BBGGRR is an explicit colour (red in the low byte); 0xFF0000nn is system colour nn,
// resolved by the host when it draws.
using TColor = std::uint32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clWindow = 0xFF000005;
inline constexpr TColor clWindowText = 0xFF000008;
inline constexpr TColor clHighlight = 0xFF00000D;
inline constexpr TColor clHighlightText = 0xFF00000E;
inline constexpr TColor clBtnFace = 0xFF00000F;
inline constexpr TColor clBtnText = 0xFF000012;
inline constexpr TColor clInfoText = 0xFF000017;
inline constexpr TColor clInfoBk = 0xFF000018;

constexpr bool IsSystemColor(TColor Color) {
    return (Color & 0xFF000000u) == 0xFF000000u;
}
constexpr int SystemColorIndex(TColor Color) {
    return static_cast<int>(Color & 0xFFu);
}
constexpr int RedOf(TColor Color) {
    return static_cast<int>(Color & 0xFFu);
}
constexpr int GreenOf(TColor Color) {
    return static_cast<int>((Color >> 8) & 0xFFu);
}
constexpr int BlueOf(TColor Color) {
    return static_cast<int>((Color >> 16) & 0xFFu);
}

enum TFontStyle : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = std::uint8_t; // a set of TFontStyle bits

enum class TFontPitch : std::uint8_t { fpDefault, fpVariable, fpFixed };

inline constexpr int DEFAULT_CHARSET = 1;

// A font value: assigning one font to another copies every attribute.
struct TFont {
    std::string Name = "Courier New";
    int Height = -13; // pixels; negative: character height (10 points at 96 dpi)
    int Charset = DEFAULT_CHARSET;
    TFontPitch Pitch = TFontPitch::fpDefault;
    TFontStyles Style = 0;
    TColor Color = clWindowText;

    bool HasStyle(TFontStyle S) const { return (Style & S) != 0; }
    friend bool operator==(const TFont&, const TFont&) = default;
};

struct TPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

} // namespace memo
