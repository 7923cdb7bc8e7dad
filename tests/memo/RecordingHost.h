#pragma once
// A host that records what the editor core asks of its window, for tests.
#include "MemoHost.h"

#include <map>
#include <string>
#include <vector>

namespace memo::test {

struct TextOutCall {
    TPaintTarget Target;
    int X, Y;
    TRect Clip;
    std::u32string Text;
    TFont Font;
    TColor Background;
};

struct FillCall {
    TPaintTarget Target;
    TRect Rect;
    TColor Color;
};

struct ScrollCall {
    TPaintTarget Target;
    int Dy;
    TRect Area;
};

struct ScrollInfo {
    int Min = 0, Max = 0, Page = 0, Pos = 0;
};

class RecordingHost : public TMemoHost {
public:
    // Metrics: every character is CharWidth wide and LineHeight high.
    int CharWidth = 8;
    int LineHeight = 16;
    TSize Client{402, 160}; // 50 columns and 10 lines with the default margins
    bool Exists = true;
    bool FocusAllowed = true;

    std::vector<TextOutCall> Texts;
    std::vector<FillCall> Fills;
    std::vector<ScrollCall> Scrolls;
    std::vector<std::string> Log; // caret, timer, bar and window calls in order
    std::map<TScrollBarKind, ScrollInfo> Bars;
    int Invalidations = 0;
    int ContentChanges = 0;
    int Recreations = 0;
    bool CaretExists = false;
    bool CaretVisible = false;
    TPoint Caret;
    TSize CaretSize;
    bool TimerRunning = false;
    int TimerInterval = 0;
    TPoint Cursor;
    std::u32string Clipboard;
    bool BitmapExists = false;
    TSize Bitmap;

    void ClearPaint() {
        Texts.clear();
        Fills.clear();
        Scrolls.clear();
        Invalidations = 0;
    }
    // The texts drawn, in order.
    std::vector<std::u32string> DrawnTexts() const {
        std::vector<std::u32string> out;
        for (auto& t : Texts)
            out.push_back(t.Text);
        return out;
    }

    bool WindowExists() const override { return Exists; }
    TSize ClientSize() const override { return Client; }
    void RecreateWindow() override { ++Recreations; }
    bool SetFocus() override {
        Log.push_back("focus");
        return FocusAllowed;
    }
    void ContentChanged() override { ++ContentChanges; }
    TSize TextExtent(const TFont&, std::u32string_view Text) override {
        return TSize{CharWidth * static_cast<int>(Text.size()), LineHeight};
    }
    void FillRect(TPaintTarget Target, const TRect& Rect, TColor Color) override {
        Fills.push_back({Target, Rect, Color});
    }
    void TextOut(TPaintTarget Target, int X, int Y, const TRect& Clip, std::u32string_view Text,
                 const TFont& Font, TColor Background) override {
        Texts.push_back({Target, X, Y, Clip, std::u32string(Text), Font, Background});
    }
    void ScrollPixels(TPaintTarget Target, int Dy, const TRect& Area) override {
        Scrolls.push_back({Target, Dy, Area});
    }
    void Invalidate() override { ++Invalidations; }
    void RepaintNow() override { Log.push_back("repaint-now"); }
    bool HasBitmap() const override { return BitmapExists; }
    TSize BitmapSize() const override { return Bitmap; }
    void SetBitmapSize(TSize Size) override {
        BitmapExists = true;
        Bitmap = Size;
    }
    void FreeBitmap() override {
        BitmapExists = false;
        Bitmap = TSize{};
    }
    void CopyBitmapToWindow() override { Log.push_back("copy-bitmap"); }
    void CreateCaret(int Width, int Height) override {
        CaretExists = true;
        CaretVisible = false;
        CaretSize = TSize{Width, Height};
        Log.push_back("create-caret");
    }
    void DestroyCaret() override {
        CaretExists = false;
        CaretVisible = false;
        Log.push_back("destroy-caret");
    }
    void ShowCaret() override {
        CaretVisible = true;
        Log.push_back("show-caret");
    }
    void HideCaret() override {
        CaretVisible = false;
        Log.push_back("hide-caret");
    }
    void SetCaretPos(int X, int Y) override { Caret = TPoint{X, Y}; }
    void SetScrollInfo(TScrollBarKind Bar, int Min, int Max, int Page, int Pos) override {
        Bars[Bar] = ScrollInfo{Min, Max, Page, Pos};
    }
    void SetScrollPos(TScrollBarKind Bar, int Pos) override { Bars[Bar].Pos = Pos; }
    int GetScrollPos(TScrollBarKind Bar) const override {
        auto it = Bars.find(Bar);
        return it == Bars.end() ? 0 : it->second.Pos;
    }
    void StartTimer(int, int IntervalMs) override {
        TimerRunning = true;
        TimerInterval = IntervalMs;
    }
    void StopTimer(int) override { TimerRunning = false; }
    TPoint CursorPos() const override { return Cursor; }
    std::u32string ClipboardText() override { return Clipboard; }
    void SetClipboardText(std::u32string_view Text) override { Clipboard = Text; }
};

} // namespace memo::test
