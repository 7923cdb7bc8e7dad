#include "MemoCanvas.h"

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
                           const QString& Text, const QFont& Font, const QColor& Color,
                           const QColor& Background) {
    QPainter* painter = PainterOn(Target);
    if (painter == nullptr)
        return;
    painter->setClipRect(Clip);
    painter->fillRect(Clip, Background);
    painter->setFont(Font);
    painter->setPen(Color);
    painter->drawText(Baseline, Text);
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
