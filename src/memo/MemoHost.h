#pragma once
// What the editor core asks of the window it lives in. The Qt widget implements it with a
// back-buffer pixmap and QPainter; tests implement it with a recording host.
#include "Graphics.h"

#include <string>
#include <string_view>

namespace memo {

// Where a drawing call goes: the window itself or the off-screen bitmap (Bitmapped).
enum class TPaintTarget { ptWindow, ptBitmap };

enum class TScrollBarKind { sbHorizontal, sbVertical };

class TMemoHost {
public:
    virtual ~TMemoHost() = default;

    // Window
    // Whether the window and its parent exist; without them the core neither paints nor measures
    // the view.
    virtual bool WindowExists() const = 0;
    virtual TSize ClientSize() const = 0;
    // ScrollBars or BorderStyle changed: the host rebuilds its frame from the editor's values.
    virtual void RecreateWindow() = 0;
    // Takes the keyboard focus; false when the window cannot have it.
    virtual bool SetFocus() = 0;
    // The text changed (before OnChange fires): whatever the toolkit tells a parent.
    virtual void ContentChanged() = 0;

    // Character metrics
    virtual TSize TextExtent(const TFont& Font, std::u32string_view Text) = 0;

    // Canvas
    virtual void FillRect(TPaintTarget Target, const TRect& Rect, TColor Color) = 0;
    // Draws Text opaquely with its top-left at (X, Y), clipped to Clip.
    virtual void TextOut(TPaintTarget Target, int X, int Y, const TRect& Clip,
                         std::u32string_view Text, const TFont& Font, TColor Background) = 0;
    // Moves the pixels inside Area by Dy (negative: up); the core repaints what is uncovered.
    virtual void ScrollPixels(TPaintTarget Target, int Dy, const TRect& Area) = 0;
    // Asks for a paint request later (the whole client area).
    virtual void Invalidate() = 0;
    // Handles a pending paint request now.
    virtual void RepaintNow() = 0;

    // Off-screen bitmap
    virtual bool HasBitmap() const = 0;
    virtual TSize BitmapSize() const = 0;
    // Creates the bitmap when missing, then sizes it.
    virtual void SetBitmapSize(TSize Size) = 0;
    virtual void FreeBitmap() = 0;
    virtual void CopyBitmapToWindow() = 0;

    // Caret
    virtual void CreateCaret(int Width, int Height) = 0;
    virtual void DestroyCaret() = 0;
    virtual void ShowCaret() = 0;
    virtual void HideCaret() = 0;
    virtual void SetCaretPos(int X, int Y) = 0;

    // Scroll bars: a bar that is not needed is disabled, not hidden.
    virtual void SetScrollInfo(TScrollBarKind Bar, int Min, int Max, int Page, int Pos) = 0;
    virtual void SetScrollPos(TScrollBarKind Bar, int Pos) = 0;
    virtual int GetScrollPos(TScrollBarKind Bar) const = 0;

    // Timer: Timer(Id) of the editor is called every IntervalMs until stopped.
    virtual void StartTimer(int Id, int IntervalMs) = 0;
    virtual void StopTimer(int Id) = 0;

    // Input
    // The mouse cursor in client coordinates (also outside the window).
    virtual TPoint CursorPos() const = 0;
    virtual std::u32string ClipboardText() = 0;
    virtual void SetClipboardText(std::u32string_view Text) = 0;
};

} // namespace memo
