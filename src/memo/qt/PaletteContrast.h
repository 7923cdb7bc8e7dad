#pragma once
// Contrast between colours, as the accessibility guidelines measure it, and fixed colours kept
// readable on a dark palette: a colour chosen for text on white paper (maroon, blue, teal) stays
// exactly as it is on light paper; on dark paper the same hue, made lighter until it reads.
#include <QColor>

// The relative luminance of the colour, from 0 (black) to 1 (white).
double RelativeLuminance(const QColor& Color);

// From 1 (no contrast) to 21 (black on white), whichever of the two is lighter.
double ContrastRatio(const QColor& First, const QColor& Second);

// Paper on which white text reads better than black.
bool IsDarkPaper(const QColor& Paper);

// The contrast text needs to be read with ease.
constexpr double ReadableContrast = 4.5;

// A fixed text colour as it is drawn on the paper: unchanged on light paper; on dark paper, of
// the same hue and saturation, lighter until it reaches the readable contrast with the paper
// (unchanged when it already does).
QColor FixedInkOn(const QColor& Ink, const QColor& Paper);
