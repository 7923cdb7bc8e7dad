#pragma once
// The editor's fonts in Qt terms. The editor lays its text out on a grid of equal cells: a family
// that is not installed, or not fixed-pitch, gives way to the system's fixed-pitch family at the
// same pixel height, and drawing spaces every glyph to the cell width so that fractional
// advances never drift off the grid.
#include "Graphics.h"

#include <QFont>
#include <deque>

namespace memo {

struct TQtFont {
    QFont Font;
    int Ascent = 0;
    int Height = 0;    // ascent plus descent: the height of a line
    qreal Advance = 0; // of one character ("M")
};

class TFontCache {
public:
    // The font for measuring (the font's colour plays no part).
    const TQtFont& Get(const TFont& Font);
    // The font for drawing on cells CellWidth pixels wide.
    const QFont& OnCells(const TFont& Font, int CellWidth);

private:
    struct TEntry {
        TFont Key;
        TQtFont Metrics;
        QFont Spaced;
        int SpacedCell = -1;
    };
    TEntry& EntryFor(const TFont& Font);

    // A handful: the editor's font and its styled variants. A deque keeps references valid.
    std::deque<TEntry> FEntries;
};

} // namespace memo
