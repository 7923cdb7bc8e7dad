#include "FormattedRanges.h"

#include "MemoComponent.h"

namespace memo {

void TCustomFormattedRange::AssignTo(TPersistent* Dest) const {
    TMCRange::AssignTo(Dest);
    if (auto* dest = dynamic_cast<TCustomFormattedRange*>(Dest)) {
        dest->SetColor(GetColor());
        dest->SetFont(GetFont());
    }
}

void TFormattedRange::SetFont(const TFont* Value) {
    if (Value != nullptr)
        FFont = *Value;
}

TColor TNormalFormattedRange::GetColor() const {
    return Editor() != nullptr ? Editor()->Color() : clWindow;
}

TFont* TNormalFormattedRange::GetFont() const {
    return Editor() != nullptr ? Editor()->Font() : nullptr;
}

} // namespace memo
