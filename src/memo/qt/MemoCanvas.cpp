#include "MemoCanvas.h"

#include <QGlyphRun>
#include <cmath>

namespace memo {

QPixmap TMemoCanvas::NewPixmap(QSize Size) const {
    QPixmap pixmap(Size.expandedTo(QSize(1, 1)) * FDpr);
    pixmap.setDevicePixelRatio(FDpr);
    return pixmap;
}

void TMemoCanvas::SetWindowSize(QSize Size, qreal Dpr, const QColor& Background) {
    EndPainting();
    FDpr = Dpr;
    FWindowSize = Size;
    FWindow = NewPixmap(Size);
    FWindow.fill(Background);
    if (FHasBitmap) {
        // The bitmap follows the ratio; the editor repaints it when it is resized anyway.
        FBitmap = NewPixmap(FBitmapSize);
        FBitmap.fill(Background);
    }
}

const QPixmap& TMemoCanvas::WindowPixels() {
    EndPainting();
    return FWindow;
}

QPixmap& TMemoCanvas::Pixels(TPaintTarget Target) {
    return Target == TPaintTarget::ptBitmap ? FBitmap : FWindow;
}

QPainter* TMemoCanvas::PainterOn(TPaintTarget Target) {
    QPixmap& pixels = Pixels(Target);
    if (pixels.isNull() || (Target == TPaintTarget::ptBitmap && !FHasBitmap))
        return nullptr;
    if (FPainted != &pixels) {
        EndPainting();
        FPainter.begin(&pixels);
        FPainted = &pixels;
    }
    return &FPainter;
}

void TMemoCanvas::EndPainting() {
    if (FPainted != nullptr)
        FPainter.end();
    FPainted = nullptr;
}

void TMemoCanvas::Fill(TPaintTarget Target, const QRect& Rect, const QColor& Color) {
    if (QPainter* painter = PainterOn(Target)) {
        painter->setClipping(false);
        painter->fillRect(Rect, Color);
    }
}

void TMemoCanvas::DrawText(TPaintTarget Target, QPoint Baseline, const QRect& Clip,
                           const QString& Text, const TCellFont& Font, const QColor& Color,
                           const QColor& Background) {
    QPainter* painter = PainterOn(Target);
    if (painter == nullptr)
        return;
    painter->setClipping(false); // a plain fill is the fastest
    painter->fillRect(Clip, Background);
    painter->setClipRect(Clip);
    painter->setPen(Color);
    if (!DrawOnCells(*painter, Baseline, Text, Font)) {
        // Glyphs from other fonts: Qt finds them, the spacing keeps the cells.
        painter->setFont(Font.Spaced);
        painter->drawText(Baseline, Text);
    }
}

bool TMemoCanvas::DrawOnCells(QPainter& Painter, QPoint Baseline, const QString& Text,
                              const TCellFont& Font) {
    if (!Font.Glyphs.isValid())
        return false;
    QList<quint32> glyphs = Font.Glyphs.glyphIndexesForString(Text);
    // One glyph per character: no surrogate pairs, and none missing.
    if (glyphs.size() != Text.size() || glyphs.contains(0u))
        return false;
    FGlyphPositions.resize(glyphs.size());
    for (qsizetype i = 0; i < glyphs.size(); ++i)
        FGlyphPositions[i] = QPointF(static_cast<qreal>(i * Font.Cell), 0);
    QGlyphRun run;
    run.setRawFont(Font.Glyphs);
    run.setGlyphIndexes(glyphs);
    run.setPositions(FGlyphPositions);
    run.setUnderline(Font.Spaced.underline());
    run.setStrikeOut(Font.Spaced.strikeOut());
    Painter.drawGlyphRun(Baseline, run);
    return true;
}

void TMemoCanvas::Scroll(TPaintTarget Target, int Dy, const QRect& Area) {
    QPixmap& pixels = Pixels(Target);
    if (pixels.isNull())
        return;
    EndPainting();
    // The pixmap scrolls in device pixels.
    QRect device(QPoint(static_cast<int>(std::lround(Area.left() * FDpr)),
                        static_cast<int>(std::lround(Area.top() * FDpr))),
                 QPoint(static_cast<int>(std::lround((Area.right() + 1) * FDpr)) - 1,
                        static_cast<int>(std::lround((Area.bottom() + 1) * FDpr)) - 1));
    pixels.scroll(0, static_cast<int>(std::lround(Dy * FDpr)), device);
}

void TMemoCanvas::SetBitmapSize(QSize Size) {
    EndPainting();
    FBitmap = NewPixmap(Size);
    FBitmapSize = Size;
    FHasBitmap = true;
}

void TMemoCanvas::FreeBitmap() {
    EndPainting();
    FBitmap = QPixmap();
    FBitmapSize = QSize();
    FHasBitmap = false;
}

void TMemoCanvas::CopyBitmapToWindow() {
    if (!FHasBitmap)
        return;
    EndPainting();
    if (QPainter* painter = PainterOn(TPaintTarget::ptWindow)) {
        painter->setClipping(false);
        painter->drawPixmap(0, 0, FBitmap);
    }
}

} // namespace memo
