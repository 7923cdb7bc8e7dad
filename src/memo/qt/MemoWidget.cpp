#include "MemoWidget.h"

#include "KeyMapping.h"
#include "PaletteColors.h"
#include "QtText.h"
#include "ViewScrollBar.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <optional>

namespace memo {

namespace {

QRect ToQRect(const TRect& Rect) {
    return QRect(Rect.Left, Rect.Top, Rect.Right - Rect.Left, Rect.Bottom - Rect.Top);
}

QSize ToQSize(TSize Size) {
    return QSize(Size.cx, Size.cy);
}

TMouseButton ButtonOf(Qt::MouseButton Button) {
    switch (Button) {
    case Qt::LeftButton:
        return TMouseButton::mbLeft;
    case Qt::RightButton:
        return TMouseButton::mbRight;
    default: // no selection meaning, like the middle button
        return TMouseButton::mbMiddle;
    }
}

std::optional<TScrollCode> ScrollCodeOf(int Action) {
    switch (Action) {
    case QAbstractSlider::SliderSingleStepAdd:
        return TScrollCode::scLineDown;
    case QAbstractSlider::SliderSingleStepSub:
        return TScrollCode::scLineUp;
    case QAbstractSlider::SliderPageStepAdd:
        return TScrollCode::scPageDown;
    case QAbstractSlider::SliderPageStepSub:
        return TScrollCode::scPageUp;
    case QAbstractSlider::SliderToMinimum:
        return TScrollCode::scTop;
    case QAbstractSlider::SliderToMaximum:
        return TScrollCode::scBottom;
    case QAbstractSlider::SliderMove:
        return TScrollCode::scTrack;
    default:
        return std::nullopt;
    }
}

} // namespace

TMemoWidget::TMemoWidget(QWidget* Parent, std::unique_ptr<TMemoComponent> Editor)
    : QAbstractScrollArea(Parent),
      FEditor(Editor ? std::move(Editor) : std::make_unique<TMemoComponent>()),
      FCaret([this](const QRect& Area) { ShowArea(Area); }) {
    // Every pixel comes from the back buffer: nothing is erased first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    viewport()->setCursor(Qt::IBeamCursor);
    setAttribute(Qt::WA_InputMethodEnabled);
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBar(new TViewScrollBar(Qt::Vertical));
    setHorizontalScrollBar(new TViewScrollBar(Qt::Horizontal));
    // The bars are always on or always off: a new range never shows or hides one, and the scroll
    // area's layout for it would draw both bars again with every line added.
    for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()})
        disconnect(bar, SIGNAL(rangeChanged(int, int)), this, SLOT(_q_showOrHideScrollBars()));
    setMinimumSize(ToQSize(TMemoComponent::MinimumSize));
    resize(ToQSize(TMemoComponent::DefaultSize));
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int Action) { ScrollBarAction(TScrollBarKind::sbVertical, Action); });
    connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int Action) { ScrollBarAction(TScrollBarKind::sbHorizontal, Action); });
    FEditor->SetHost(this);
    RecreateWindow();
}

TMemoWidget::~TMemoWidget() {
    FEditor->FocusOut(); // the caret goes while its host is still here
    FEditor->SetHost(nullptr);
}

QSize TMemoWidget::sizeHint() const {
    return ToQSize(TMemoComponent::DefaultSize);
}

QSize TMemoWidget::minimumSizeHint() const {
    return ToQSize(TMemoComponent::MinimumSize);
}

// --- Events ----------------------------------------------------------------------------------

bool TMemoWidget::ClaimsKey(const QKeyEvent& Event) const {
    if (FEditor->HandlesKey(KeyOf(Event.key()), ShiftOf(Event.modifiers())))
        return true;
    std::u32string typed = TypedCharacters(Event);
    return std::any_of(typed.begin(), typed.end(),
                       [this](char32_t C) { return FEditor->TakesCharacter(C); });
}

bool TMemoWidget::event(QEvent* Event) {
    if (Event->type() == QEvent::ShortcutOverride) {
        // The editor's own keys win over the window's shortcuts; the others (Insert, Ctrl+E,
        // F5, ...) stay the window's.
        if (ClaimsKey(*static_cast<QKeyEvent*>(Event))) {
            Event->accept();
            return true;
        }
    } else if (Event->type() == QEvent::KeyPress) {
        // Tab types a tab instead of moving the focus.
        auto* key = static_cast<QKeyEvent*>(Event);
        bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(Event);
}

bool TMemoWidget::viewportEvent(QEvent* Event) {
    if (Event->type() == QEvent::ContextMenu)
        EndMouseSelection();
    return QAbstractScrollArea::viewportEvent(Event);
}

void TMemoWidget::keyPressEvent(QKeyEvent* Event) {
    if (OnKeyDown) {
        Event->accept();
        OnKeyDown(Event);
        if (!Event->isAccepted())
            return;
    }
    bool claimed = ClaimsKey(*Event);
    FEditor->KeyDown(KeyOf(Event->key()), ShiftOf(Event->modifiers()));
    for (char32_t c : TypedCharacters(*Event))
        FEditor->KeyPress(c);
    // Keys without a meaning here go on to the parent.
    Event->setAccepted(claimed);
}

void TMemoWidget::inputMethodEvent(QInputMethodEvent* Event) {
    for (char32_t c : ToU32(Event->commitString()))
        FEditor->KeyPress(c);
    Event->accept();
}

QVariant TMemoWidget::inputMethodQuery(Qt::InputMethodQuery Query) const {
    if (Query == Qt::ImCursorRectangle)
        return FCaret.Rect().translated(viewport()->pos());
    return QAbstractScrollArea::inputMethodQuery(Query);
}

void TMemoWidget::mousePressEvent(QMouseEvent* Event) {
    FMousePos = Event->position().toPoint();
    // A press soon after a double click, where it was, is the third of a triple click.
    bool third =
        FDoubleClicked.isValid() &&
        FDoubleClicked.elapsed() < QApplication::doubleClickInterval() &&
        (FMousePos - FDoubleClickPos).manhattanLength() <= QApplication::startDragDistance();
    FDoubleClicked.invalidate();
    FEditor->MouseDown(ButtonOf(Event->button()), FMousePos.x(), FMousePos.y(),
                       ShiftOf(Event->modifiers()), third ? 3 : 1);
}

void TMemoWidget::mouseDoubleClickEvent(QMouseEvent* Event) {
    FMousePos = Event->position().toPoint();
    if (Event->button() == Qt::LeftButton) {
        FDoubleClicked.start();
        FDoubleClickPos = FMousePos;
    }
    FEditor->MouseDown(ButtonOf(Event->button()), FMousePos.x(), FMousePos.y(),
                       ShiftOf(Event->modifiers()), 2);
}

void TMemoWidget::mouseMoveEvent(QMouseEvent* Event) {
    FMousePos = Event->position().toPoint();
    FEditor->MouseMove(FMousePos.x(), FMousePos.y());
}

void TMemoWidget::mouseReleaseEvent(QMouseEvent* Event) {
    FMousePos = Event->position().toPoint();
    FEditor->MouseUp(ButtonOf(Event->button()), FMousePos.x(), FMousePos.y());
}

void TMemoWidget::EndMouseSelection() {
    if (FEditor->MouseSelecting())
        FEditor->MouseUp(TMouseButton::mbLeft, FMousePos.x(), FMousePos.y());
}

void TMemoWidget::wheelEvent(QWheelEvent* Event) {
    constexpr int Notch = 120; // one step of a wheel, in eighths of a degree
    FWheelRest += Event->angleDelta();
    int down = -FWheelRest.y() / Notch;
    int right = -FWheelRest.x() / Notch;
    FWheelRest += QPoint(right * Notch, down * Notch);
    int lines = QApplication::wheelScrollLines();
    const TVisibleRange& view = *FEditor->VisibleRange();
    if (down != 0)
        FEditor->VScroll(TScrollCode::scPosition, view.TopLine() + down * lines);
    if (right != 0)
        FEditor->HScroll(TScrollCode::scPosition, view.LeftCol() + right * lines);
    Event->accept();
}

void TMemoWidget::focusInEvent(QFocusEvent* Event) {
    QAbstractScrollArea::focusInEvent(Event);
    FEditor->FocusIn();
}

void TMemoWidget::focusOutEvent(QFocusEvent* Event) {
    QAbstractScrollArea::focusOutEvent(Event);
    EndMouseSelection();
    FEditor->FocusOut();
}

void TMemoWidget::timerEvent(QTimerEvent* Event) {
    for (auto& [id, timer] : FTimers) {
        if (timer.timerId() == Event->timerId()) {
            FEditor->Timer(id);
            return;
        }
    }
    QAbstractScrollArea::timerEvent(Event);
}

void TMemoWidget::resizeEvent(QResizeEvent* Event) {
    QAbstractScrollArea::resizeEvent(Event);
    FitBackBuffer();
}

void TMemoWidget::changeEvent(QEvent* Event) {
    QAbstractScrollArea::changeEvent(Event);
    if (Event->type() == QEvent::PaletteChange || Event->type() == QEvent::StyleChange) {
        // The system colours are the palette's: everything is drawn again.
        FPaintRequested = true;
        viewport()->update();
    }
}

void TMemoWidget::paintEvent(QPaintEvent*) {
    FShowing = true;
    FPendingArea = QRect();
    FitBackBuffer();
    if (FPaintRequested) {
        FPaintRequested = false;
        FEditor->Paint();
    }
    FShowing = false;
    QPainter painter(viewport());
    painter.drawPixmap(0, 0, FCanvas.WindowPixels()); // clipped to the area being shown
    FCaret.Paint(painter);
}

void TMemoWidget::FitBackBuffer() {
    QSize size = viewport()->size();
    qreal ratio = viewport()->devicePixelRatioF();
    if (size == FCanvas.WindowSize() && ratio == FCanvas.Dpr())
        return;
    FCanvas.SetWindowSize(size, ratio, ToQColor(FEditor->Color(), palette()));
    FPaintRequested = true;
    ShowArea(viewport()->rect());
    FEditor->Resize();
}

void TMemoWidget::ShowArea(const QRect& Area) {
    if (FShowing)
        return;
    // One rectangle around everything drawn since the last paint: a region of many line pieces
    // would cost more to show than the few pixels it saves.
    FPendingArea |= Area;
    viewport()->update(FPendingArea);
}

void TMemoWidget::ScrollBarAction(TScrollBarKind Kind, int Action) {
    std::optional<TScrollCode> code = ScrollCodeOf(Action);
    if (!code)
        return;
    QScrollBar* bar = Bar(Kind);
    if (Kind == TScrollBarKind::sbVertical)
        FEditor->VScroll(*code, bar->sliderPosition());
    else
        FEditor->HScroll(*code, bar->sliderPosition());
    // The editor has the last word on where the view stands.
    bar->setSliderPosition(bar->value());
}

// --- Host: window -----------------------------------------------------------------------------

TSize TMemoWidget::ClientSize() const {
    return TSize{viewport()->width(), viewport()->height()};
}

void TMemoWidget::RecreateWindow() {
    TScrollStyle bars = FEditor->ScrollBars();
    bool vertical = bars == TScrollStyle::ssVertical || bars == TScrollStyle::ssBoth;
    bool horizontal = bars == TScrollStyle::ssHorizontal || bars == TScrollStyle::ssBoth;
    setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    bool sunken = FEditor->BorderStyle() == TBorderStyle::bsSingle;
    setFrameStyle(sunken ? QFrame::StyledPanel | QFrame::Sunken : QFrame::NoFrame);
    FEditor->UpdateFontMetrics();
}

bool TMemoWidget::SetFocus() {
    setFocus(Qt::MouseFocusReason);
    return hasFocus();
}

// --- Host: drawing ----------------------------------------------------------------------------

TSize TMemoWidget::TextExtent(const TFont& Font, std::u32string_view Text) {
    const TQtFont& font = FFonts.Get(Font);
    double width = font.Advance * static_cast<double>(Text.size());
    return TSize{static_cast<int>(std::lround(width)), font.Height};
}

void TMemoWidget::FillRect(TPaintTarget Target, const TRect& Rect, TColor Color) {
    QRect area = ToQRect(Rect);
    FCanvas.Fill(Target, area, ToQColor(Color, palette()));
    if (Target == TPaintTarget::ptWindow)
        ShowArea(area);
}

void TMemoWidget::TextOut(TPaintTarget Target, int X, int Y, const TRect& Clip,
                          std::u32string_view Text, const TFont& Font, TColor Background) {
    QRect clip = ToQRect(Clip);
    // Every piece of a line sits on the baseline of the editor's own font.
    int ascent = FFonts.Get(FEditor->GetFontValue()).Ascent;
    const QColor paper = ToQColor(Background, palette());
    FCanvas.DrawText(Target, QPoint(X, Y + ascent), clip, Text,
                     FFonts.OnCells(Font, FEditor->CharWidth()),
                     ToQInk(Font.Color, paper, palette()), paper);
    if (Target == TPaintTarget::ptWindow)
        ShowArea(clip);
}

void TMemoWidget::ScrollPixels(TPaintTarget Target, int Dy, const TRect& Area) {
    QRect area = ToQRect(Area);
    FCanvas.Scroll(Target, Dy, area);
    // The screen's pixels (and the areas still waiting to be shown) move with the canvas's, so
    // only the strip the move uncovers is copied to the screen again, not the whole area.
    if (Target == TPaintTarget::ptWindow && !FShowing)
        viewport()->scroll(0, Dy, area);
}

void TMemoWidget::Invalidate() {
    FPaintRequested = true;
    ShowArea(viewport()->rect());
}

void TMemoWidget::RepaintNow() {
    viewport()->repaint();
}

TSize TMemoWidget::BitmapSize() const {
    QSize size = FCanvas.BitmapSize();
    return TSize{size.width(), size.height()};
}

void TMemoWidget::SetBitmapSize(TSize Size) {
    FCanvas.SetBitmapSize(ToQSize(Size));
}

void TMemoWidget::CopyBitmapToWindow() {
    FCanvas.CopyBitmapToWindow();
    ShowArea(viewport()->rect());
}

// --- Host: scroll bars, timers, clipboard -----------------------------------------------------

QScrollBar* TMemoWidget::Bar(TScrollBarKind Kind) const {
    return Kind == TScrollBarKind::sbVertical ? verticalScrollBar() : horizontalScrollBar();
}

void TMemoWidget::SetScrollInfo(TScrollBarKind Kind, int Min, int Max, int Page, int Pos) {
    QScrollBar* bar = Bar(Kind);
    // A bar whose page shows everything is greyed, not hidden.
    bool needed = static_cast<long long>(Max) - Min + 1 > Page;
    bar->setRange(Min, std::max(Min, Max - Page + 1));
    bar->setPageStep(std::max(Page, 1));
    bar->setSingleStep(1);
    bar->setValue(Pos);
    bar->setEnabled(needed);
}

void TMemoWidget::SetScrollPos(TScrollBarKind Kind, int Pos) {
    Bar(Kind)->setValue(Pos);
}

int TMemoWidget::GetScrollPos(TScrollBarKind Kind) const {
    return Bar(Kind)->value();
}

void TMemoWidget::StartTimer(int Id, int IntervalMs) {
    FTimers[Id].start(IntervalMs, Qt::PreciseTimer, this);
}

void TMemoWidget::StopTimer(int Id) {
    auto timer = FTimers.find(Id);
    if (timer != FTimers.end())
        timer->second.stop();
}

std::u32string TMemoWidget::ClipboardText() {
    return ToU32(QGuiApplication::clipboard()->text());
}

void TMemoWidget::SetClipboardText(std::u32string_view Text) {
    QString text = ToQString(Text);
#ifndef Q_OS_WIN
    // Other programs here expect the platform's line breaks; a paste turns them back into CR LF.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
#endif
    QGuiApplication::clipboard()->setText(text);
}

} // namespace memo
