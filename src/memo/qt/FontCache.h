#pragma once
// The editor's fonts in Qt terms. The editor lays its text out on a grid of equal cells: a family
// that is not installed, or not fixed-pitch, gives way to the system's fixed-pitch family at the
// same pixel height, and every glyph is drawn at its cell so that fractional advances never drift
// off the grid.
#include "Graphics.h"

#include <QFont>
#include <QRawFont>
#include <deque>

namespace memo {

// Font in Qt terms: its family at its pixel height and style, or the system's fixed-pitch family
// where that one is missing or not fixed-pitch.
QFont ResolveFont(const TFont& Font);

struct TQtFont {
    QFont Font;
    int Ascent = 0;
    int Height = 0;    // ascent plus descent: the height of a line
    qreal Advance = 0; // of one character ("M")
};

// A font for drawing on cells of one width.
struct TCellFont {
    int Cell = -1;
    QRawFont Glyphs; // for placing the font's own glyphs on the cells, many in one run
    QFont Font;      // for a character drawn alone, in a glyph of another font if need be
};

class TFontCache {
public:
    // The font for measuring (the font's colour plays no part).
    const TQtFont& Get(const TFont& Font);
    // The font for drawing on cells CellWidth pixels wide.
    const TCellFont& OnCells(const TFont& Font, int CellWidth);

private:
    struct TEntry {
        TFont Key;
        TQtFont Metrics;
        TCellFont OnCells;
    };
    TEntry& EntryFor(const TFont& Font);

    // A handful: the editor's font and its styled variants. A deque keeps references valid.
    std::deque<TEntry> FEntries;
};

} // namespace memo
