#pragma once
// The pixels the editor draws on: the window's back buffer (what the view shows) and the editor's
// own off-screen bitmap (Bitmapped), both at the device pixel ratio. One painter stays open across
// the drawing calls of an event and is closed before pixels move or are shown.
#include "FontCache.h"
#include "MemoHost.h"

#include <QPainter>
#include <QPixmap>
#include <string_view>

namespace memo {

class TMemoCanvas {
public:
    TMemoCanvas() = default;
    TMemoCanvas(const TMemoCanvas&) = delete;
    TMemoCanvas& operator=(const TMemoCanvas&) = delete;
    ~TMemoCanvas() { EndPainting(); }

    // Makes the window buffer Size logical pixels at Dpr, all of it Background.
    void SetWindowSize(QSize Size, qreal Dpr, const QColor& Background);
    QSize WindowSize() const { return FWindowSize; }
    qreal Dpr() const { return FDpr; }
    // The window buffer, for showing.
    const QPixmap& WindowPixels();

    void Fill(TPaintTarget Target, const QRect& Rect, const QColor& Color);
    // Fills Clip with Background, then draws Text from Baseline in Color, clipped to Clip: each
    // character on its own cells (two for a wide one), never beyond them.
    void DrawText(TPaintTarget Target, QPoint Baseline, const QRect& Clip, std::u32string_view Text,
                  const TCellFont& Font, const QColor& Color, const QColor& Background);
    // Moves the pixels inside Area by Dy.
    void Scroll(TPaintTarget Target, int Dy, const QRect& Area);

    bool HasBitmap() const { return FHasBitmap; }
    QSize BitmapSize() const { return FBitmapSize; }
    void SetBitmapSize(QSize Size);
    void FreeBitmap();
    void CopyBitmapToWindow();

    void EndPainting();

private:
    QPixmap& Pixels(TPaintTarget Target);
    // The painter on Target's pixels; nullptr while they do not exist.
    QPainter* PainterOn(TPaintTarget Target);
    QPixmap NewPixmap(QSize Size) const;
    // Draws the glyphs gathered for one run, each at its cell.
    void DrawGlyphRun(QPainter& Painter, QPoint Baseline, const TCellFont& Font);
    // A character the font's glyphs do not show on one cell: a glyph of another font fitted to
    // its cells, a combining mark on a dotted circle, an invisible character as a framed mark.
    void DrawAlone(QPainter& Painter, const QRect& Cells, int BaselineY, char32_t C,
                   const TCellFont& Font);

    QPixmap FWindow;
    QSize FWindowSize;
    QPixmap FBitmap;
    QSize FBitmapSize;
    bool FHasBitmap = false;
    qreal FDpr = 1;
    QPainter FPainter;
    const QPixmap* FPainted = nullptr; // what FPainter is open on
    QList<quint32> FGlyphs;            // kept: a line of text is drawn with each keystroke
    QList<QPointF> FGlyphPositions;
};

} // namespace memo
