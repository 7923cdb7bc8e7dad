#pragma once
// The pixels the editor draws on: the window's back buffer (what the view shows) and the editor's
// own off-screen bitmap (Bitmapped), both at the device pixel ratio. One painter stays open across
// the drawing calls of an event and is closed before pixels move or are shown.
#include "FontCache.h"
#include "MemoHost.h"

#include <QPainter>
#include <QPixmap>

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
    // Fills Clip with Background, then draws Text from Baseline in Color, clipped to Clip, one
    // character a cell.
    void DrawText(TPaintTarget Target, QPoint Baseline, const QRect& Clip, const QString& Text,
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
    // Places the glyphs of Text on the cells; false when Font lacks one of them.
    bool DrawOnCells(QPainter& Painter, QPoint Baseline, const QString& Text,
                     const TCellFont& Font);

    QPixmap FWindow;
    QSize FWindowSize;
    QPixmap FBitmap;
    QSize FBitmapSize;
    bool FHasBitmap = false;
    qreal FDpr = 1;
    QPainter FPainter;
    const QPixmap* FPainted = nullptr; // what FPainter is open on
    QList<QPointF> FGlyphPositions;    // kept: a line of text is drawn with each keystroke
};

} // namespace memo
