#include "CustomStyles.h"

#include "SyntaxColoring.h"

namespace sourceedit {

namespace {

std::u32string WithLineEnd(std::u32string_view Value) {
    return std::u32string(Value == U"#13" ? std::u32string_view(U"\r") : Value);
}

} // namespace

TCustomStyle::~TCustomStyle() {
    // The collection may be going itself: it is only a collection of styles here.
    if (TCollection* styles = Collection()) {
        for (int i = 0; i < styles->Count(); ++i) {
            auto* other = static_cast<TCustomStyle*>(styles->Items(i));
            if (other->FDontSwitchTo1 == this)
                other->FDontSwitchTo1 = nullptr;
            if (other->FDontSwitchTo2 == this)
                other->FDontSwitchTo2 = nullptr;
        }
    }
}

void TCustomStyle::SetBeginText(std::u32string_view Value) {
    Set(FBeginText, WithLineEnd(Value));
}

void TCustomStyle::SetEndText(std::u32string_view Value) {
    Set(FEndText, WithLineEnd(Value));
}

void TCustomStyle::SetIgnoreChar(std::u32string_view Value) {
    Set(FIgnoreChar, std::u32string(Value.substr(0, 1)));
}

void TCustomStyle::SetDontSwitchTo(TCustomStyle*& Field, int Index) {
    auto* styles = static_cast<TCustomStyles*>(Collection());
    Set(Field, styles != nullptr ? styles->Items(Index) : nullptr);
}

void TCustomStyle::Assign(const memo::TPersistent* Source) {
    auto* source = dynamic_cast<const TCustomStyle*>(Source);
    if (source == nullptr) {
        TCollectionItem::Assign(Source);
        return;
    }
    SetCaption(source->FCaption);
    AssignLook(*source);
    FBeginText = source->FBeginText; // as they are: "#13" stays three characters
    FEndText = source->FEndText;
    FIgnoreChar = source->FIgnoreChar;
    FSwitchable = source->FSwitchable;
    FNested = source->FNested;
    FDoubledEnd = source->FDoubledEnd;
    // By index, so that they resolve in this style's own collection.
    SetDontSwitchToIndex1(source->DontSwitchToIndex1());
    SetDontSwitchToIndex2(source->DontSwitchToIndex2());
    Changed();
}

void TCustomStyles::Update(TCollectionItem*) {
    if (Settings() != nullptr)
        Settings()->Changed();
}

TCustomStyle* TCustomStyles::FindStyleAt(std::u32string_view Text) const {
    Text = Text.substr(0, LookAhead);
    if (Text.empty())
        return nullptr;
    for (int i = 0; i < Count(); ++i)
        if (Text.starts_with(Items(i)->BeginText()))
            return Items(i);
    return nullptr;
}

} // namespace sourceedit
