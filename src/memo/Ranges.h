#pragma once
// Live spans of the editor's text: the range classes, their update bracket and notifications.
#include "Graphics.h"
#include "LineCol.h"
#include "ObjList.h"
#include "RangePool.h"

#include <memory>
#include <string>
#include <string_view>

namespace memo {

class TMemoComponent;
class TMCRanges;

class TCustomRange : public TContainerItem {
public:
    // A range made in an editor's Ranges belongs to it: its Editor is the collection's owner and
    // every edit moves it. A range made without a collection is moved by nobody; whoever makes
    // it sets its Editor.
    explicit TCustomRange(TMCRanges* Collection);
    ~TCustomRange() override;

    static void* operator new(std::size_t Size) { return TRangePool::Allocate(Size); }
    static void operator delete(void* Block, std::size_t Size) noexcept {
        TRangePool::Release(Block, Size);
    }

    TMemoComponent* Editor() const { return FEditor; }
    void SetEditor(TMemoComponent* AEditor) { FEditor = AEditor; }

    int RStart() const { return GetRStart(); }
    int REnd() const { return GetREnd(); }
    int RLength() const { return GetRLength(); }
    std::u32string Text() const;

    virtual void SetRStart(int Value);
    virtual void SetREnd(int Value);
    virtual void SetRLength(int Value);
    virtual int GetRStart() const = 0;
    virtual int GetREnd() const = 0;
    virtual int GetRLength() const;
    virtual void GetEndLineCol(TLineCol& LC) const;
    virtual void GetStartLineCol(TLineCol& LC) const;
    virtual void SetEndLineCol(const TLineCol& LC);
    virtual void SetStartLineCol(const TLineCol& LC);
    virtual void SetText(std::u32string_view S);
    virtual void GetText(std::u32string& S) const;
    virtual void Delete();
    // Repaints the lines the range covers.
    virtual void Paint();
    // Scrolls the editor so that the range's caret end is visible, Margin lines and columns in.
    virtual void MakeVisible(int Margin);

    void BeginUpdate();
    void EndUpdate();
    void CancelUpdate();
    int UpdateCount() const { return FUpdateCount; }

    // The client pixel of a caret standing at the start, or just after the end.
    void GetStartPoint(TPoint& P) const;
    void GetEndPoint(TPoint& P) const;

    const TNotifyEvent* OnChange() const;
    void SetOnChange(TNotifyEvent Event);
    const TNotifyEvent* OnOverwrite() const;
    void SetOnOverwrite(TNotifyEvent Event);

protected:
    void AssignTo(TPersistent* Dest) const override;
    virtual void UpdateStarted() {}
    virtual void Changed();
    virtual void UpdateCancelled() {}
    virtual void DoOverwrite();
    // Where a caret at the range's moving end stands.
    virtual int CaretEndPos() const { return REnd() + 1; }
    // A descendant whose UpdateStarted or Changed must run on every edit, also on edits that do
    // not move it, calls this in its constructor; the collection then visits it every time.
    void ObserveEveryEdit();

    // A few yes/no facts for descendants, kept beside the update count so that a range stays
    // small (millions of them exist).
    bool Flag(unsigned Bit) const { return (FFlags & Bit) != 0; }
    void SetFlag(unsigned Bit, bool Value) { FFlags = Value ? (FFlags | Bit) : (FFlags & ~Bit); }

private:
    friend class TMCRanges;
    static constexpr int MaxUpdateCount = (1 << 23) - 1;
    int FUpdateCount : 24 = 0;
    unsigned FFlags : 8 = 0;
    TMemoComponent* FEditor = nullptr;
};

class TMCRange : public TCustomRange {
public:
    // A new range is empty at position 1.
    explicit TMCRange(TMCRanges* Collection = nullptr);
    // A temporary range of AEditor over Start … End, in no collection.
    TMCRange(TMemoComponent* AEditor, int Start, int End);
    ~TMCRange() override;

    // Final: the collection moves stored positions itself and relies on these clamps.
    void SetRStart(int Value) final;
    void SetREnd(int Value) final;
    int GetRStart() const final { return FStart + Delta(); }
    int GetREnd() const final { return FEnd + Delta(); }

private:
    friend class TMCRanges;
    int Delta() const;
    // Stores absolute positions as they are, without clamps or notifications.
    void Store(int Start, int End);

    // Relative to the collection's delta for this range; absolute without a collection.
    int FStart = 1;
    int FEnd = 0;
};

class TWholeTextRange : public TCustomRange {
public:
    TWholeTextRange() : TCustomRange(nullptr) {}
    int GetRStart() const override { return 1; }
    int GetREnd() const override;
};

class TVisibleRange : public TCustomRange {
public:
    explicit TVisibleRange(TMCRanges* Collection) : TCustomRange(Collection) {}

    int TopLine() const { return FTopLine; }
    int LeftCol() const { return FLeftCol; }
    int RightCol() const;
    void SetTopLine(int Value);
    void SetLeftCol(int Value);
    void SetRightCol(int Value);
    // Keeps TopLine and LeftCol inside the text and sets the scroll bar positions.
    void Clamp();

    void SetRStart(int Value) override;
    void SetREnd(int) override {}
    void SetRLength(int) override {}
    int GetRStart() const override;
    int GetREnd() const override;
    void GetEndLineCol(TLineCol& LC) const override;
    void GetStartLineCol(TLineCol& LC) const override;
    void SetEndLineCol(const TLineCol&) override {}
    void SetStartLineCol(const TLineCol& LC) override;

protected:
    void UpdateStarted() override;
    void Changed() override;

private:
    friend class TMemoComponent;
    void MovePixelsAndPaintStrip(int OldTop);

    int FLeftCol = 1;
    int FTopLine = 1;
    TRect FSaved; // LeftCol, TopLine, RightCol, bottom line when the update started
};

class TSelectionRange : public TMCRange {
public:
    explicit TSelectionRange(TMCRanges* Collection);
    ~TSelectionRange() override;

    int CaretPos() const { return FBackwards ? RStart() : REnd() + 1; }
    void CollapseTo(int Pos);
    void ExtendTo(int Pos);
    int CaretDisplayCol();
    int CharColForLine(int Line);
    void HideEditCaret();
    void ShowEditCaret();
    void PlaceCaret();

    bool Backwards() const { return FBackwards; }
    void SetBackwards(bool Value) { FBackwards = Value; }
    bool Hidden() const { return FHidden; }
    void SetHidden(bool Value);
    int DesiredCol() const { return FDesiredCol; }
    void SetDesiredCol(int Value) { FDesiredCol = Value; }
    bool CaretShown() const { return FCaretShown; }
    // Drops the snapshot taken when the update started, so that Changed repaints nothing.
    void DiscardSnapshot() { FOldSelection.reset(); }

protected:
    void AssignTo(TPersistent* Dest) const override;
    void UpdateStarted() override;
    void Changed() override;
    void UpdateCancelled() override;
    int CaretEndPos() const override { return CaretPos(); }

private:
    void RepaintDifference(const TMCRange& Old);

    std::unique_ptr<TMCRange> FOldSelection;
    bool FBackwards = false;
    bool FHidden = false;
    bool FCaretShown = false;
    int FDesiredCol = -1;
};

} // namespace memo
