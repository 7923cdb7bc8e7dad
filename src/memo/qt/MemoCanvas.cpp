#include "MemoCanvas.h"

#include "CharCells.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <algorithm>
#include <cmath>

namespace memo {

namespace {

// How a character is shown when it is not one of the font's own glyphs.
enum class TLook { Glyph, Mark, Invisible };

const QChar DottedCircle(0x25CC);

TLook LookOf(char32_t C) {
    bool variationSelector = (C >= 0xFE00 && C <= 0xFE0F) || (C >= 0xE0100 && C <= 0xE01EF);
    if (variationSelector)
        return TLook::Invisible;
    switch (QChar::category(C)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return TLook::Invisible;
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return TLook::Mark;
    default:
        return TLook::Glyph;
    }
}

// A character that the font's own glyph may show on one cell.
bool IsOwnGlyphCandidate(char32_t C) {
    return C <= 0xFFFF && CellsOf(C) == 1 && LookOf(C) == TLook::Glyph;
}

} // namespace

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
                           std::u32string_view Text, const TCellFont& Font, const QColor& Color,
                           const QColor& Background) {
    QPainter* painter = PainterOn(Target);
    if (painter == nullptr)
        return;
    painter->setClipping(false); // a plain fill is the fastest
    painter->fillRect(Clip, Background);
    painter->setClipRect(Clip);
    painter->setPen(Color);
    if (!Font.Glyphs.isValid())
        return;
    if (std::all_of(Text.begin(), Text.end(), IsOwnGlyphCandidate)) {
        // The common case: the whole piece in one lookup and one run.
        FGlyphs = Font.Glyphs.glyphIndexesForString(
            QString::fromUcs4(Text.data(), static_cast<qsizetype>(Text.size())));
        if (FGlyphs.size() == static_cast<qsizetype>(Text.size()) && !FGlyphs.contains(0u)) {
            FGlyphPositions.resize(FGlyphs.size());
            for (qsizetype i = 0; i < FGlyphs.size(); ++i)
                FGlyphPositions[i] = QPointF(static_cast<qreal>(i * Font.Cell), 0);
            DrawGlyphRun(*painter, Baseline, Font);
            return;
        }
    }
    FGlyphs.clear();
    FGlyphPositions.clear();
    int x = Baseline.x();
    for (char32_t c : Text) {
        const QRect cells(x, Clip.top(), CellsOf(c) * Font.Cell, Clip.height());
        x += cells.width();
        if (cells.right() < Clip.left() || cells.left() > Clip.right())
            continue;
        quint32 glyph = 0;
        if (IsOwnGlyphCandidate(c)) {
            const QChar one(static_cast<char16_t>(c));
            int count = 1;
            Font.Glyphs.glyphIndexesForChars(&one, 1, &glyph, &count);
        }
        if (glyph != 0) {
            FGlyphs << glyph;
            FGlyphPositions << QPointF(cells.left() - Baseline.x(), 0);
        } else {
            DrawAlone(*painter, cells & Clip, Baseline.y(), c, Font);
            painter->setClipRect(Clip);
        }
    }
    DrawGlyphRun(*painter, Baseline, Font);
}

void TMemoCanvas::DrawGlyphRun(QPainter& Painter, QPoint Baseline, const TCellFont& Font) {
    if (FGlyphs.isEmpty())
        return;
    QGlyphRun run;
    run.setRawFont(Font.Glyphs);
    run.setGlyphIndexes(FGlyphs);
    run.setPositions(FGlyphPositions);
    run.setUnderline(Font.Font.underline());
    run.setStrikeOut(Font.Font.strikeOut());
    Painter.drawGlyphRun(Baseline, run);
}

void TMemoCanvas::DrawAlone(QPainter& Painter, const QRect& Cells, int BaselineY, char32_t C,
                            const TCellFont& Font) {
    if (Cells.isEmpty())
        return;
    Painter.setClipRect(Cells);
    const TLook look = LookOf(C);
    if (look == TLook::Invisible) {
        // No ink of its own: a framed, tinted block says that something is there.
        const QRect mark = Cells.adjusted(1, 2, -2, -2);
        QColor tint = Painter.pen().color();
        tint.setAlpha(48);
        Painter.fillRect(mark, tint);
        Painter.drawRect(mark);
        return;
    }
    QString shown = QString::fromUcs4(&C, 1);
    if (look == TLook::Mark)
        shown.prepend(DottedCircle);
    Painter.setFont(Font.Font);
    const qreal advance = QFontMetricsF(Font.Font).horizontalAdvance(shown);
    const qreal room = Cells.width();
    Painter.save();
    if (advance > room) {
        Painter.translate(Cells.left(), 0);
        Painter.scale(room / advance, 1);
        Painter.drawText(QPointF(0, BaselineY), shown);
    } else {
        Painter.drawText(QPointF(Cells.left() + (room - advance) / 2, BaselineY), shown);
    }
    Painter.restore();
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
