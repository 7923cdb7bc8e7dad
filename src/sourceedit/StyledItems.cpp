#include "StyledItems.h"

#include "SyntaxColoring.h"

namespace sourceedit {

TStyledItems::TStyledItems(TSyntaxColoring* Settings)
    : TCollection(Settings), FSettings(Settings) {}

std::string TStyledItem::DisplayName() const {
    return FCaption.empty() ? TCollectionItem::DisplayName() : FCaption;
}

void TStyledItem::Changed() {
    auto* items = static_cast<TStyledItems*>(Collection());
    if (items != nullptr && items->Settings() != nullptr)
        items->Settings()->Changed();
}

void TStyledItem::AssignLook(const TStyledItem& Source) {
    FCustomColor = Source.FCustomColor;
    FColor = Source.FColor;
    FCustomStyle = Source.FCustomStyle;
    FStyle = Source.FStyle;
}

} // namespace sourceedit
