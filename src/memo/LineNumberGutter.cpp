// The line-number gutter: a column of line numbers left of the text, in the button colours,
// drawn again only where the numbers change (lines added or removed, the view scrolled).
#include "MemoComponent.h"

#include <algorithm>
#include <string>

namespace memo {

namespace {

int DigitCount(int Value) {
    int digits = 1;
    for (; Value >= 10; Value /= 10)
        ++digits;
    return digits;
}

std::u32string NumberText(int Value) {
    std::u32string text;
    for (char c : std::to_string(Value))
        text += static_cast<char32_t>(c);
    return text;
}

} // namespace

void TMemoComponent::SetLeftMargin(int Value) {
    FBaseLeftMargin = Value;
    FLeftMargin = Value + FGutterWidth;
}

void TMemoComponent::SetShowLineNumbers(bool Value) {
    if (FShowLineNumbers == Value)
        return;
    FShowLineNumbers = Value;
    FitGutter();
    if (WindowExists()) {
        PaintMarginsOn(FBitmapped && FHost->HasBitmap() ? TPaintTarget::ptBitmap
                                                        : TPaintTarget::ptWindow);
        UpdateView();
    }
}

bool TMemoComponent::FitGutter() {
    // Room for two digits at least, and half a cell on either side.
    int width = FShowLineNumbers ? (std::max(DigitCount(LineCount()), 2) + 1) * FCharWidth : 0;
    if (width == FGutterWidth)
        return false;
    FGutterWidth = width;
    FLeftMargin = FBaseLeftMargin + width;
    return true;
}

void TMemoComponent::PaintGutter(int FirstLine, int LastLine) {
    if (!FShowLineNumbers || !WindowExists() || FVisibleRange->UpdateCount() > 0)
        return;
    int top = FVisibleRange->TopLine();
    FirstLine = std::max(FirstLine, top);
    LastLine = std::min(LastLine, top + FVisibleLines); // the partly shown line too
    bool onBitmap = FBitmapped && FHost->HasBitmap();
    TPaintTarget target = onBitmap ? TPaintTarget::ptBitmap : TPaintTarget::ptWindow;
    TSize client = ClientSize();
    TFont font = FFont;
    font.Color = clBtnText;
    for (int line = FirstLine; line <= LastLine; ++line) {
        int y = (line - top) * FLineHeight + FTopMargin;
        if (y >= client.cy)
            break;
        TRect row{0, y, FGutterWidth, std::min(y + FLineHeight, client.cy)};
        if (line <= LineCount()) {
            std::u32string number = NumberText(line);
            int x = FGutterWidth - FCharWidth / 2 - static_cast<int>(number.size()) * FCharWidth;
            FHost->TextOut(target, x, y, row, number, font, clBtnFace);
        } else {
            FHost->FillRect(target, row, clBtnFace);
        }
        TRect gap{FGutterWidth, y, FLeftMargin, row.Bottom};
        if (!gap.IsEmpty())
            FHost->FillRect(target, gap, FColor);
    }
    if (onBitmap)
        FHost->Invalidate();
}

} // namespace memo
