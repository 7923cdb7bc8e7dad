#pragma once
// The editor on screen: a scroll area that hosts an editor core (a TMemoComponent or a
// descendant), draws what the core paints through a back buffer, and turns Qt's key, mouse,
// wheel, focus, resize and scroll-bar events into the core's calls.
#include "EditCaret.h"
#include "FontCache.h"
#include "MemoCanvas.h"
#include "MemoComponentUnit.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QElapsedTimer>
#include <functional>
#include <map>
#include <memory>

class QScrollBar;

namespace memo {

class TMemoWidget : public QAbstractScrollArea, private TMemoHost {
    Q_OBJECT

public:
    // Hosts Editor, or a plain TMemoComponent when none is given, and owns it.
    explicit TMemoWidget(QWidget* Parent = nullptr,
                         std::unique_ptr<TMemoComponent> Editor = nullptr);
    ~TMemoWidget() override;

    TMemoComponent& Editor() const { return *FEditor; }

    // Runs first for every key press; a handler that ignores the event cancels the key for the
    // editor (and the event goes on to the parent, as ignored key events do).
    std::function<void(QKeyEvent* Event)> OnKeyDown;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The text changed (before the editor's OnChange).
    void Changed();

protected:
    bool event(QEvent* Event) override;
    bool viewportEvent(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    // Text composed by an input method is typed like keys.
    void inputMethodEvent(QInputMethodEvent* Event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery Query) const override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void timerEvent(QTimerEvent* Event) override;
    // The view moves through the editor, never by Qt scrolling the viewport.
    void scrollContentsBy(int, int) override {}

private:
    // --- TMemoHost ---
    bool WindowExists() const override { return true; }
    TSize ClientSize() const override;
    void RecreateWindow() override;
    bool SetFocus() override;
    void ContentChanged() override { emit Changed(); }
    TSize TextExtent(const TFont& Font, std::u32string_view Text) override;
    void FillRect(TPaintTarget Target, const TRect& Rect, TColor Color) override;
    void TextOut(TPaintTarget Target, int X, int Y, const TRect& Clip, std::u32string_view Text,
                 const TFont& Font, TColor Background) override;
    void ScrollPixels(TPaintTarget Target, int Dy, const TRect& Area) override;
    void Invalidate() override;
    void RepaintNow() override;
    bool HasBitmap() const override { return FCanvas.HasBitmap(); }
    TSize BitmapSize() const override;
    void SetBitmapSize(TSize Size) override;
    void FreeBitmap() override { FCanvas.FreeBitmap(); }
    void CopyBitmapToWindow() override;
    void CreateCaret(int Width, int Height) override { FCaret.Create(Width, Height); }
    void DestroyCaret() override { FCaret.Destroy(); }
    void ShowCaret() override { FCaret.Show(); }
    void HideCaret() override { FCaret.Hide(); }
    void SetCaretPos(int X, int Y) override { FCaret.MoveTo(X, Y); }
    void SetScrollInfo(TScrollBarKind Bar, int Min, int Max, int Page, int Pos) override;
    void SetScrollPos(TScrollBarKind Bar, int Pos) override;
    int GetScrollPos(TScrollBarKind Bar) const override;
    void StartTimer(int Id, int IntervalMs) override;
    void StopTimer(int Id) override;
    TPoint CursorPos() const override { return TPoint{FMousePos.x(), FMousePos.y()}; }
    std::u32string ClipboardText() override;
    void SetClipboardText(std::u32string_view Text) override;

    QScrollBar* Bar(TScrollBarKind Kind) const;
    void ScrollBarAction(TScrollBarKind Kind, int Action);
    // Whether the editor takes a key before the window's shortcuts do.
    bool ClaimsKey(const QKeyEvent& Event) const;
    // Shows Area of the back buffer again (not while a paint is showing it already).
    void ShowArea(const QRect& Area);
    // A back buffer of the viewport's size and ratio; a new one is painted whole.
    void FitBackBuffer();
    // A drag ends when its button release goes elsewhere (a context menu, the focus moving).
    void EndMouseSelection();

    std::unique_ptr<TMemoComponent> FEditor;
    TMemoCanvas FCanvas;
    TFontCache FFonts;
    TEditCaret FCaret;
    std::map<int, QBasicTimer> FTimers; // the editor's timers by id
    QPoint FMousePos;                   // the last mouse position, also outside the view
    QPoint FWheelRest;                  // wheel turns short of a step
    QElapsedTimer FDoubleClicked;       // since the last double click, for a triple click
    QPoint FDoubleClickPos;
    bool FPaintRequested = true; // the editor paints the whole view at the next paint
    bool FShowing = false;       // inside paintEvent
    QRect FPendingArea;          // drawn since the last paint
};

} // namespace memo
