#include "FontCache.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <algorithm>

namespace memo {

namespace {

constexpr int DefaultPixelHeight = 13;

void ApplyStyle(QFont& Font, const TFont& From) {
    Font.setBold(From.HasStyle(fsBold));
    Font.setItalic(From.HasStyle(fsItalic));
    Font.setUnderline(From.HasStyle(fsUnderline));
    Font.setStrikeOut(From.HasStyle(fsStrikeOut));
}

// A negative height is the character height, which is Qt's pixel size; a positive one is the
// cell height (ascent plus descent), reached by scaling.
void ApplyHeight(QFont& Font, int Height) {
    int pixels = Height < 0 ? -Height : Height > 0 ? Height : DefaultPixelHeight;
    Font.setPixelSize(pixels);
    if (Height > 0) {
        int cell = QFontMetrics(Font).height();
        if (cell > 0 && cell != Height)
            Font.setPixelSize(std::max(1, pixels * Height / cell));
    }
}

// Measured rather than asked: some fixed-pitch families do not say so.
bool IsFixedPitch(const QFont& Font) {
    QFontMetricsF metrics(Font);
    qreal m = metrics.horizontalAdvance(QChar('M'));
    return metrics.horizontalAdvance(QChar('i')) == m && metrics.horizontalAdvance(QChar('W')) == m;
}

} // namespace

QFont ResolveFont(const TFont& From) {
    const QString family = QString::fromStdString(From.Name);
    QFont font(family);
    ApplyStyle(font, From);
    ApplyHeight(font, From.Height);
    if (!QFontDatabase::hasFamily(family) || !IsFixedPitch(font)) {
        QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setFamily(fixed.family());
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
        ApplyHeight(font, From.Height);
    }
    return font;
}

TFontCache::TEntry& TFontCache::EntryFor(const TFont& Font) {
    TFont key = Font;
    key.Color = clBlack;
    auto found = std::find_if(FEntries.begin(), FEntries.end(),
                              [&key](const TEntry& e) { return e.Key == key; });
    if (found != FEntries.end())
        return *found;
    TEntry entry;
    entry.Key = key;
    entry.Metrics.Font = ResolveFont(Font);
    QFontMetrics metrics(entry.Metrics.Font);
    entry.Metrics.Ascent = metrics.ascent();
    entry.Metrics.Height = metrics.height();
    entry.Metrics.Advance = QFontMetricsF(entry.Metrics.Font).horizontalAdvance(QChar('M'));
    FEntries.push_back(entry);
    return FEntries.back();
}

const TQtFont& TFontCache::Get(const TFont& Font) {
    return EntryFor(Font).Metrics;
}

const TCellFont& TFontCache::OnCells(const TFont& Font, int CellWidth) {
    TEntry& entry = EntryFor(Font);
    TCellFont& cells = entry.OnCells;
    if (cells.Cell != CellWidth) {
        cells.Cell = CellWidth;
        cells.Glyphs = QRawFont::fromFont(entry.Metrics.Font);
        cells.Font = entry.Metrics.Font;
    }
    return cells;
}

} // namespace memo
