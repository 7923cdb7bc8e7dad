#pragma once
// Formatted ranges: spans of a line piece with a background colour and a font, the unit of
// painting.
#include "Graphics.h"
#include "Ranges.h"

#include <vector>

namespace memo {

class TCustomFormattedRange : public TMCRange {
public:
    explicit TCustomFormattedRange(TMCRanges* Collection = nullptr) : TMCRange(Collection) {}

    // Set on a range made for one painting pass: the painter frees it once it has dealt with it.
    bool FreeAfterPaint() const { return Flag(FreeAfterPaintFlag); }
    void SetFreeAfterPaint(bool Value) { SetFlag(FreeAfterPaintFlag, Value); }

    TColor Color() const { return GetColor(); }
    TFont* Font() const { return GetFont(); }
    virtual TColor GetColor() const = 0;
    virtual TFont* GetFont() const = 0;
    virtual void SetColor(TColor) {}
    virtual void SetFont(const TFont*) {}

protected:
    void AssignTo(TPersistent* Dest) const override;

private:
    static constexpr unsigned FreeAfterPaintFlag = 1;
};

// Stores its own colour and owns its own font.
class TFormattedRange : public TCustomFormattedRange {
public:
    explicit TFormattedRange(TMCRanges* Collection = nullptr) : TCustomFormattedRange(Collection) {}
    TColor GetColor() const override { return FColor; }
    TFont* GetFont() const override { return &FFont; }
    void SetColor(TColor Value) override { FColor = Value; }
    // Copies every attribute of Value; nullptr leaves the font as it is.
    void SetFont(const TFont* Value) override;

private:
    TColor FColor = clBlack;
    mutable TFont FFont;
};

// Paints with its editor's background colour and the editor's own font object.
class TNormalFormattedRange : public TCustomFormattedRange {
public:
    explicit TNormalFormattedRange(TMCRanges* Collection = nullptr)
        : TCustomFormattedRange(Collection) {}
    TColor GetColor() const override;
    TFont* GetFont() const override;
};

// The formatted pieces of one line piece, in text order.
using TFormattedRangeArray = std::vector<TCustomFormattedRange*>;

} // namespace memo
