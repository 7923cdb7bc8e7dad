#include "PaletteColors.h"

#include "PaletteContrast.h"

namespace memo {

namespace {

QPalette::ColorRole RoleOf(int SystemIndex) {
    switch (SystemIndex) {
    case SystemColorIndex(clWindow):
        return QPalette::Base;
    case SystemColorIndex(clHighlight):
        return QPalette::Highlight;
    case SystemColorIndex(clHighlightText):
        return QPalette::HighlightedText;
    case SystemColorIndex(clBtnFace):
        return QPalette::Button;
    case SystemColorIndex(clBtnText):
        return QPalette::ButtonText;
    case SystemColorIndex(clInfoBk):
        return QPalette::ToolTipBase;
    case SystemColorIndex(clInfoText):
        return QPalette::ToolTipText;
    default: // clWindowText, and any system colour the editor does not name
        return QPalette::Text;
    }
}

} // namespace

QColor ToQColor(TColor Color, const QPalette& Palette) {
    if (IsSystemColor(Color)) {
        // The active group: a selection looks the same whether or not the window has the focus.
        return Palette.color(QPalette::Active, RoleOf(SystemColorIndex(Color)));
    }
    return QColor(RedOf(Color), GreenOf(Color), BlueOf(Color));
}

QColor ToQInk(TColor Ink, const QColor& Paper, const QPalette& Palette) {
    const QColor ink = ToQColor(Ink, Palette);
    return IsSystemColor(Ink) ? ink : FixedInkOn(ink, Paper);
}

} // namespace memo
