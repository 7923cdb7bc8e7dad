#include "SyntaxRanges.h"

#include "SourceEdit.h"

namespace sourceedit {

bool SameAs(const TSyntaxToken& Old, const TSyntaxToken& New) {
    if (Old.Kind != New.Kind || Old.REnd != New.REnd || !Old.IsRange())
        return false;
    switch (Old.Kind) {
    case TSyntaxKind::skNormalText:
        return true;
    case TSyntaxKind::skSymbol:
    case TSyntaxKind::skNumber:
        // The same end and start: the same characters.
        return Old.RStart == New.RStart;
    default:
        return Old.Attribute == New.Attribute;
    }
}

TSourceEdit* TSyntaxRange::SourceEdit() const {
    return static_cast<TSourceEdit*>(Editor());
}

bool TSyntaxRange::SameAs(const TSyntaxRange& Other) const {
    TSyntaxToken old = FToken;
    old.RStart = RStart();
    old.REnd = REnd();
    TSyntaxToken fresh = Other.FToken;
    fresh.RStart = Other.RStart();
    fresh.REnd = Other.REnd();
    return sourceedit::SameAs(old, fresh);
}

memo::TColor TSyntaxRange::GetColor() const {
    return Editor() != nullptr ? Editor()->Color() : memo::clWindow;
}

memo::TFont* TSyntaxRange::EditorFont() const {
    return Editor() != nullptr ? Editor()->Font() : nullptr;
}

TCustomStyle* TCustomStyleRange::Style() const {
    return SourceEdit() ? SourceEdit()->SyntaxColoring().CustomStyles().Items(Token().Attribute)
                        : nullptr;
}

memo::TFont* TCustomStyleRange::GetFont() const {
    TCustomStyle* style = Style();
    return style != nullptr ? &style->Font() : EditorFont();
}

TWordList* TWordListRange::WordList() const {
    return SourceEdit() ? SourceEdit()->SyntaxColoring().WordLists().Items(Token().Attribute)
                        : nullptr;
}

memo::TFont* TWordListRange::GetFont() const {
    TWordList* list = WordList();
    return list != nullptr ? &list->Font() : EditorFont();
}

memo::TFont* TSymbolRange::GetFont() const {
    TSourceEdit* editor = SourceEdit();
    if (editor == nullptr || !editor->SyntaxColoring().Enabled())
        return EditorFont();
    return &editor->SyntaxColoring().SymbolFont();
}

memo::TFont* TNumberRange::GetFont() const {
    TSourceEdit* editor = SourceEdit();
    if (editor == nullptr || !editor->SyntaxColoring().Enabled())
        return EditorFont();
    return &editor->SyntaxColoring().NumberFont();
}

memo::TFont* TParenthesisRange::GetFont() const {
    TSourceEdit* editor = SourceEdit();
    if (editor == nullptr || !editor->SyntaxColoring().Enabled())
        return EditorFont();
    // The one shared font, recoloured for this level: painting copies it at once.
    TSyntaxColoring& settings = editor->SyntaxColoring();
    settings.ParenthesisFont().Color = settings.GetParenthesisColor(ParenthesisLevel() - 1);
    return &settings.ParenthesisFont();
}

TSyntaxRange* CreateSyntaxRange(const TSyntaxToken& Token, TSourceEdit* Editor) {
    TSyntaxRange* range = nullptr;
    switch (Token.Kind) {
    case TSyntaxKind::skNormalText:
        range = new TNormalTextRange(Token);
        break;
    case TSyntaxKind::skCustomStyle:
        range = new TCustomStyleRange(Token);
        break;
    case TSyntaxKind::skWordList:
        range = new TWordListRange(Token);
        break;
    case TSyntaxKind::skSymbol:
        range = new TSymbolRange(Token);
        break;
    case TSyntaxKind::skNumber:
        range = new TNumberRange(Token);
        break;
    case TSyntaxKind::skParenthesis:
        range = new TParenthesisRange(Token);
        break;
    case TSyntaxKind::skGap:
        return nullptr;
    }
    range->SetEditor(Editor);
    range->BeginUpdate();
    range->SetRStart(Token.RStart);
    range->SetREnd(Token.REnd);
    range->CancelUpdate();
    return range;
}

const char* SyntaxRangeClassName(TSyntaxKind Kind) {
    switch (Kind) {
    case TSyntaxKind::skNormalText:
        return "TNormalTextRange";
    case TSyntaxKind::skCustomStyle:
        return "TCustomStyleRange";
    case TSyntaxKind::skWordList:
        return "TWordListRange";
    case TSyntaxKind::skSymbol:
        return "TSymbolRange";
    case TSyntaxKind::skNumber:
        return "TNumberRange";
    case TSyntaxKind::skParenthesis:
        return "TParenthesisRange";
    case TSyntaxKind::skGap:
        break;
    }
    return "";
}

} // namespace sourceedit
