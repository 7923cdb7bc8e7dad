#pragma once
// A host that has a window but draws nothing: the core's own cost, without a toolkit's.
#include "MemoHost.h"

namespace bench {

class NullHost : public memo::TMemoHost {
public:
    memo::TSize Client{1280, 1024};
    long Calls = 0; // keeps the calls from being optimised away

    bool WindowExists() const override { return true; }
    memo::TSize ClientSize() const override { return Client; }
    void RecreateWindow() override {}
    bool SetFocus() override { return true; }
    void ContentChanged() override {}
    memo::TSize TextExtent(const memo::TFont&, std::u32string_view Text) override {
        return memo::TSize{8 * static_cast<int>(Text.size()), 16};
    }
    void FillRect(memo::TPaintTarget, const memo::TRect&, memo::TColor) override { ++Calls; }
    void TextOut(memo::TPaintTarget, int, int, const memo::TRect&, std::u32string_view Text,
                 const memo::TFont&, memo::TColor) override {
        Calls += static_cast<long>(Text.size());
    }
    void ScrollPixels(memo::TPaintTarget, int, const memo::TRect&) override { ++Calls; }
    void Invalidate() override {}
    void RepaintNow() override {}
    bool HasBitmap() const override { return false; }
    memo::TSize BitmapSize() const override { return {}; }
    void SetBitmapSize(memo::TSize) override {}
    void FreeBitmap() override {}
    void CopyBitmapToWindow() override {}
    void CreateCaret(int, int) override {}
    void DestroyCaret() override {}
    void ShowCaret() override {}
    void HideCaret() override {}
    void SetCaretPos(int, int) override { ++Calls; }
    void SetScrollInfo(memo::TScrollBarKind, int, int, int, int) override { ++Calls; }
    void SetScrollPos(memo::TScrollBarKind, int) override {}
    int GetScrollPos(memo::TScrollBarKind) const override { return 0; }
    void StartTimer(int, int) override {}
    void StopTimer(int) override {}
    memo::TPoint CursorPos() const override { return {}; }
    std::u32string ClipboardText() override { return {}; }
    void SetClipboardText(std::u32string_view) override {}
};

} // namespace bench
