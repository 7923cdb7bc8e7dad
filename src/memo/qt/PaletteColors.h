#pragma once
// The editor's colours in Qt terms: explicit colours as they are, system colours from the palette.
#include "Graphics.h"

#include <QColor>
#include <QPalette>

namespace memo {

QColor ToQColor(TColor Color, const QPalette& Palette);

} // namespace memo
