#pragma once
// TCustomStyle and TCustomStyles: the delimited styles of the colouring settings, such as comments
// and string literals. A style colours everything from its begin text through its end text.
#include "StyledItems.h"

#include <string>
#include <string_view>

namespace sourceedit {

class TCustomStyle : public TStyledItem {
public:
    TCustomStyle() : TStyledItem(memo::clMaroon) {}
    // References from other styles of the collection to this one are dropped.
    ~TCustomStyle() override;

    void SetCaption(std::string_view Value) { FCaption = Value; }
    // "#13" stands for a line end: it is stored as the one character CR.
    const std::u32string& BeginText() const { return FBeginText; }
    void SetBeginText(std::u32string_view Value);
    const std::u32string& EndText() const { return FEndText; }
    void SetEndText(std::u32string_view Value);
    // At most one character: an end text right after it does not end the style.
    const std::u32string& IgnoreChar() const { return FIgnoreChar; }
    void SetIgnoreChar(std::u32string_view Value);
    // Whether other styles may begin inside this one.
    bool Switchable() const { return FSwitchable; }
    void SetSwitchable(bool Value) { Set(FSwitchable, Value); }
    // Whether a begin text inside the style opens another level that needs an end text of its own
    // (for styles read at once, not switchable ones).
    bool Nested() const { return FNested; }
    void SetNested(bool Value) { Set(FNested, Value); }
    // Whether an end text written twice running is part of the style, not its end ("]]" in a
    // bracketed name).
    bool DoubledEnd() const { return FDoubledEnd; }
    void SetDoubledEnd(bool Value) { Set(FDoubledEnd, Value); }
    // The two styles of the collection that may not begin inside this one (-1, nullptr: none).
    int DontSwitchToIndex1() const { return IndexOf(FDontSwitchTo1); }
    void SetDontSwitchToIndex1(int Value) { SetDontSwitchTo(FDontSwitchTo1, Value); }
    int DontSwitchToIndex2() const { return IndexOf(FDontSwitchTo2); }
    void SetDontSwitchToIndex2(int Value) { SetDontSwitchTo(FDontSwitchTo2, Value); }
    TCustomStyle* DontSwitchTo1() const { return FDontSwitchTo1; }
    TCustomStyle* DontSwitchTo2() const { return FDontSwitchTo2; }

    void Assign(const memo::TPersistent* Source) override;

private:
    static int IndexOf(const TCustomStyle* Style) { return Style ? Style->Index() : -1; }
    void SetDontSwitchTo(TCustomStyle*& Field, int Index);

    std::u32string FBeginText;
    std::u32string FEndText;
    std::u32string FIgnoreChar;
    bool FSwitchable = false;
    bool FNested = false;
    bool FDoubledEnd = false;
    TCustomStyle* FDontSwitchTo1 = nullptr;
    TCustomStyle* FDontSwitchTo2 = nullptr;
};

class TCustomStyles : public TStyledItems {
public:
    explicit TCustomStyles(TSyntaxColoring* Settings) : TStyledItems(Settings) {}

    TCustomStyle* Add() { return static_cast<TCustomStyle*>(AddItem()); }
    TCustomStyle* Items(int Index) const {
        return static_cast<TCustomStyle*>(TCollection::Items(Index));
    }
    // The first style, in collection order, whose begin text starts Text (the next 20 characters
    // of the editor's text); nullptr when none does.
    TCustomStyle* FindStyleAt(std::u32string_view Text) const;

    // How many characters of the text FindStyleAt looks at.
    static constexpr int LookAhead = 20;

protected:
    TCollectionItem* NewItem() const override { return new TCustomStyle(); }
    // Every change is the settings'.
    void Update(TCollectionItem*) override;
};

} // namespace sourceedit
