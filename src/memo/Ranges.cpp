#include "Ranges.h"

#include "MemoComponent.h"

#include <algorithm>

namespace memo {

namespace {
struct ChangeTag {};
struct OverwriteTag {};
using ChangeEvents = TSparseEvents<ChangeTag, TNotifyEvent>;
using OverwriteEvents = TSparseEvents<OverwriteTag, TNotifyEvent>;
} // namespace

// --- TCustomRange ----------------------------------------------------------------------------

TCustomRange::TCustomRange(TMCRanges* Collection)
    : TContainerItem(nullptr), FEditor(Collection ? Collection->Editor() : nullptr) {
    // The collection handles its items as ranges: join once this part is built.
    JoinCollection(Collection);
}

TCustomRange::~TCustomRange() {
    ChangeEvents::Erase(this);
    OverwriteEvents::Erase(this);
    LeaveCollection();
}

std::u32string TCustomRange::Text() const {
    std::u32string text;
    GetText(text);
    return text;
}

void TCustomRange::SetRStart(int) {}

void TCustomRange::SetREnd(int) {}

void TCustomRange::SetRLength(int Value) {
    SetREnd(ClampToInt(std::int64_t{RStart()} + Value - 1));
}

int TCustomRange::GetRLength() const {
    return REnd() - RStart() + 1;
}

void TCustomRange::GetEndLineCol(TLineCol& LC) const {
    if (FEditor)
        FEditor->PosToLineCol(REnd(), LC);
    else
        LC = LineCol(1, 0);
}

void TCustomRange::GetStartLineCol(TLineCol& LC) const {
    if (FEditor)
        FEditor->PosToLineCol(RStart(), LC);
    else
        LC = LineCol(1, 1);
}

void TCustomRange::SetEndLineCol(const TLineCol& LC) {
    if (FEditor)
        SetREnd(FEditor->LineColToPos(LC));
}

void TCustomRange::SetStartLineCol(const TLineCol& LC) {
    if (FEditor)
        SetRStart(FEditor->LineColToPos(LC));
}

void TCustomRange::SetText(std::u32string_view S) {
    if (FEditor)
        FEditor->ReplaceRangeText(this, S);
}

void TCustomRange::GetText(std::u32string& S) const {
    S = FEditor ? FEditor->Chars(RStart(), REnd()) : std::u32string();
}

void TCustomRange::Delete() {
    if (RLength() > 0)
        SetText(std::u32string_view());
}

void TCustomRange::BeginUpdate() {
    if (FUpdateCount == 0)
        UpdateStarted();
    if (FUpdateCount < MaxUpdateCount)
        FUpdateCount = FUpdateCount + 1;
}

void TCustomRange::EndUpdate() {
    if (FUpdateCount <= 0)
        return; // an unbalanced end changes nothing
    FUpdateCount = FUpdateCount - 1;
    if (FUpdateCount == 0)
        Changed();
}

void TCustomRange::CancelUpdate() {
    if (FUpdateCount <= 0)
        return;
    FUpdateCount = FUpdateCount - 1;
    if (FUpdateCount == 0)
        UpdateCancelled();
}

// Events are copied before they run: a handler may free its range, and with it the event.
void TCustomRange::Changed() {
    if (auto* event = ChangeEvents::Find(this)) {
        TNotifyEvent handler = *event;
        handler(this);
    }
}

void TCustomRange::DoOverwrite() {
    if (auto* event = OverwriteEvents::Find(this)) {
        TNotifyEvent handler = *event;
        handler(this);
    }
}

const TNotifyEvent* TCustomRange::OnChange() const {
    return ChangeEvents::Find(this);
}

void TCustomRange::SetOnChange(TNotifyEvent Event) {
    bool observing = static_cast<bool>(Event);
    ChangeEvents::Set(this, std::move(Event));
    if (auto* ranges = static_cast<TMCRanges*>(Collection()))
        ranges->SetObserving(this, observing);
}

const TNotifyEvent* TCustomRange::OnOverwrite() const {
    return OverwriteEvents::Find(this);
}

void TCustomRange::SetOnOverwrite(TNotifyEvent Event) {
    OverwriteEvents::Set(this, std::move(Event));
}

void TCustomRange::ObserveEveryEdit() {
    if (auto* ranges = static_cast<TMCRanges*>(Collection()))
        ranges->SetObserving(this, true);
}

void TCustomRange::AssignTo(TPersistent* Dest) const {
    auto* dest = dynamic_cast<TCustomRange*>(Dest);
    if (dest == nullptr) {
        TContainerItem::AssignTo(Dest);
        return;
    }
    int start = RStart();
    int end = REnd();
    dest->BeginUpdate();
    dest->SetRStart(start);
    dest->SetREnd(end);
    dest->EndUpdate();
}

void TCustomRange::GetEndPoint(TPoint& P) const {
    P = TPoint{};
    if (!FEditor)
        return;
    const TMemoComponent& e = *FEditor;
    int end = REnd();
    TLineCol lc = e.PosToLineCol(end);
    char32_t c = e.CharAt(end);
    if (end >= 1 && end <= e.TextLength() && (c == U'\r' || c == U'\n'))
        lc = LineCol(lc.Line + 1, 0);
    int k = e.CharColToDisplayCol(LineCol(lc.Line, lc.Col + 1)) - 1;
    P.x = (k - e.VisibleRange()->LeftCol() + 1) * e.CharWidth() + e.TextLeft();
    P.y = (lc.Line - e.VisibleRange()->TopLine()) * e.LineHeight() + e.TopMargin();
}

void TCustomRange::GetStartPoint(TPoint& P) const {
    P = TPoint{};
    if (!FEditor)
        return;
    const TMemoComponent& e = *FEditor;
    TLineCol lc = e.PosToLineCol(RStart());
    int k = e.CharColToDisplayCol(lc) - 1;
    P.x = (k - e.VisibleRange()->LeftCol() + 1) * e.CharWidth() + e.TextLeft();
    P.y = (lc.Line - e.VisibleRange()->TopLine()) * e.LineHeight() + e.TopMargin();
}

void TCustomRange::MakeVisible(int Margin) {
    if (!FEditor)
        return;
    TMemoComponent& e = *FEditor;
    TVisibleRange& view = *e.VisibleRange();
    TLineCol lc = e.PosToLineCol(CaretEndPos());
    int column = e.CharColToDisplayCol(lc);
    view.BeginUpdate();
    int m = std::min(Margin, 2);
    bool set = false;
    if (lc.Line - m < view.TopLine()) {
        view.SetTopLine(lc.Line - Margin);
        set = true;
    } else if (view.TopLine() < lc.Line - e.VisibleLines() + 1) {
        view.SetTopLine(lc.Line + Margin - e.VisibleLines() + 1);
        set = true;
    }
    auto setLeft = [&](int value) {
        value = std::max(1, value);
        if (value != view.LeftCol()) {
            view.SetLeftCol(value);
            set = true;
        }
    };
    if (column - m < view.LeftCol())
        setLeft(column - Margin);
    else if (view.LeftCol() < column - e.VisibleCols())
        setLeft(Margin + column - e.VisibleCols());
    if (set)
        view.EndUpdate();
    else
        view.CancelUpdate();
}

// --- TMCRange --------------------------------------------------------------------------------

TMCRange::TMCRange(TMCRanges* Collection) : TCustomRange(Collection) {
    if (Collection)
        Collection->TrackPositions(this);
    Store(1, 0);
}

TMCRange::TMCRange(TMemoComponent* AEditor, int Start, int End) : TCustomRange(nullptr) {
    SetEditor(AEditor);
    BeginUpdate();
    SetRStart(Start);
    SetREnd(End);
    CancelUpdate();
}

TMCRange::~TMCRange() = default;

int TMCRange::Delta() const {
    auto* ranges = static_cast<TMCRanges*>(Collection());
    return ranges ? ranges->DeltaOf(this) : 0;
}

void TMCRange::Store(int Start, int End) {
    int delta = Delta();
    FStart = Start - delta;
    FEnd = End - delta;
    if (auto* ranges = static_cast<TMCRanges*>(Collection()))
        ranges->Widen(this, Start, End);
}

void TMCRange::SetREnd(int Value) {
    BeginUpdate();
    int start = RStart();
    int end = std::max(Value, start - 1);
    if (Editor() && end > Editor()->TextLength())
        end = Editor()->TextLength();
    Store(start, end);
    EndUpdate();
}

void TMCRange::SetRStart(int Value) {
    BeginUpdate();
    int start = std::max(Value, 1);
    if (Editor() && start > Editor()->TextLength() + 1)
        start = Editor()->TextLength() + 1;
    Store(start, REnd());
    SetREnd(REnd());
    EndUpdate();
}

// --- TWholeTextRange -------------------------------------------------------------------------

int TWholeTextRange::GetREnd() const {
    return Editor() ? Editor()->TextLength() : 0;
}

} // namespace memo
