#pragma once
// The editor's colours in Qt terms: explicit colours as they are, system colours from the palette.
#include "Graphics.h"

#include <QColor>
#include <QPalette>

namespace memo {

QColor ToQColor(TColor Color, const QPalette& Palette);

// A text colour drawn on the paper: a system colour from the palette; an explicit one as it is on
// light paper and lighter on dark paper, so that it still reads (PaletteContrast.h).
QColor ToQInk(TColor Ink, const QColor& Paper, const QPalette& Palette);

} // namespace memo
