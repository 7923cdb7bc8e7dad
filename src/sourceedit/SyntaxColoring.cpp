#include "SyntaxColoring.h"

#include "SourceEdit.h"

#include <charconv>
#include <cstdint>
#include <optional>

namespace sourceedit {

namespace {

// The standard string-to-integer conversion: optional blanks and sign, then decimal digits or
// hexadecimal ones after "$" (or "0x"); the whole string must convert, within 32 bits.
std::optional<std::int32_t> StrToInt(std::string_view S) {
    while (!S.empty() && S.front() == ' ')
        S.remove_prefix(1);
    bool negative = false;
    if (!S.empty() && (S.front() == '-' || S.front() == '+')) {
        negative = S.front() == '-';
        S.remove_prefix(1);
    }
    int base = 10;
    if (S.starts_with('$')) {
        base = 16;
        S.remove_prefix(1);
    } else if (S.starts_with("0x") || S.starts_with("0X")) {
        base = 16;
        S.remove_prefix(2);
    }
    if (S.empty() || S.front() == '-' || S.front() == '+')
        return std::nullopt;
    std::uint64_t value = 0;
    auto [end, error] = std::from_chars(S.data(), S.data() + S.size(), value, base);
    if (error != std::errc() || end != S.data() + S.size())
        return std::nullopt;
    // Hexadecimal covers the 32 bits unsigned; decimal stays within the signed range.
    std::uint64_t limit = base == 16 ? 0xFFFFFFFFu : negative ? 0x80000000u : 0x7FFFFFFFu;
    if (value > limit)
        return std::nullopt;
    auto bits = static_cast<std::uint32_t>(value);
    if (negative)
        bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
}

} // namespace

TSyntaxColoring::TSyntaxColoring(memo::TObject* Owner) : FOwner(Owner) {
    FParenthesisColors.Add("$000000");
    FParenthesisColors.OnChange = [this](memo::TObject*) { Changed(); };
}

template <class T>
void TSyntaxColoring::Set(T& Field, T Value) {
    if (Field == Value)
        return;
    Field = Value;
    Changed();
}

void TSyntaxColoring::SetEnabled(bool Value) {
    Set(FEnabled, Value);
}

void TSyntaxColoring::SetSymbolColor(memo::TColor Value) {
    Set(FSymbolColor, Value);
}

void TSyntaxColoring::SetSymbolStyle(memo::TFontStyles Value) {
    Set(FSymbolStyle, Value);
}

void TSyntaxColoring::SetSymbolCustomStyle(bool Value) {
    Set(FSymbolCustomStyle, Value);
}

void TSyntaxColoring::SetNumberColor(memo::TColor Value) {
    Set(FNumberColor, Value);
}

void TSyntaxColoring::SetNumberStyle(memo::TFontStyles Value) {
    Set(FNumberStyle, Value);
}

void TSyntaxColoring::SetNumberCustomStyle(bool Value) {
    Set(FNumberCustomStyle, Value);
}

void TSyntaxColoring::SetTokenRules(TTokenRules Value) {
    Set(FTokenRules, Value);
}

void TSyntaxColoring::SetParenthesisStyle(memo::TFontStyles Value) {
    Set(FParenthesisStyle, Value);
}

void TSyntaxColoring::SetParenthesisCustomStyle(bool Value) {
    Set(FParenthesisCustomStyle, Value);
}

void TSyntaxColoring::SetWordLists(const TWordLists& Value) {
    FWordLists.Assign(&Value);
    Changed();
}

void TSyntaxColoring::SetCustomStyles(const TCustomStyles& Value) {
    FCustomStyles.Assign(&Value);
    Changed();
}

void TSyntaxColoring::SetParenthesisColors(const TStringList& Value) {
    FParenthesisColors.Assign(&Value);
}

void TSyntaxColoring::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        Changed();
}

memo::TColor TSyntaxColoring::GetParenthesisColor(int Index) const {
    if (FParenthesisColors.Count() == 0 || Index < 0)
        return memo::clWindowText;
    std::optional<std::int32_t> color =
        StrToInt(FParenthesisColors.Strings(Index % FParenthesisColors.Count()));
    return color ? static_cast<memo::TColor>(*color) : memo::clWindowText;
}

memo::TFont TSyntaxColoring::Styled(const memo::TFont& Base, memo::TColor Color, bool CustomStyle,
                                    memo::TFontStyles Style) {
    memo::TFont font = Base;
    font.Color = Color;
    if (CustomStyle)
        font.Style = Style;
    return font;
}

void TSyntaxColoring::Changed() {
    ++FGeneration;
    if (FUpdateCount != 0)
        return;
    auto* editor = dynamic_cast<TSourceEdit*>(FOwner);
    if (editor == nullptr)
        return;
    const memo::TFont& base = editor->GetFontValue();
    FSymbolFont = Styled(base, FSymbolColor, FSymbolCustomStyle, FSymbolStyle);
    FNumberFont = Styled(base, FNumberColor, FNumberCustomStyle, FNumberStyle);
    FParenthesisFont =
        Styled(base, GetParenthesisColor(0), FParenthesisCustomStyle, FParenthesisStyle);
    // Word lists and styles keep the editor's colour unless they have their own.
    for (int i = 0; i < FWordLists.Count(); ++i) {
        TWordList& list = *FWordLists.Items(i);
        list.Font() = Styled(base, list.CustomColor() ? list.Color() : base.Color,
                             list.CustomStyle(), list.Style());
    }
    for (int i = 0; i < FCustomStyles.Count(); ++i) {
        TCustomStyle& style = *FCustomStyles.Items(i);
        style.Font() = Styled(base, style.CustomColor() ? style.Color() : base.Color,
                              style.CustomStyle(), style.Style());
    }
    editor->RescanAll();
}

void TSyntaxColoring::Assign(const memo::TPersistent* Source) {
    auto* source = dynamic_cast<const TSyntaxColoring*>(Source);
    if (source == nullptr) {
        TPersistent::Assign(Source);
        return;
    }
    if (source == this)
        return;
    BeginUpdate();
    FEnabled = source->FEnabled;
    FSymbolColor = source->FSymbolColor;
    FSymbolStyle = source->FSymbolStyle;
    FSymbolCustomStyle = source->FSymbolCustomStyle;
    FNumberColor = source->FNumberColor;
    FNumberStyle = source->FNumberStyle;
    FNumberCustomStyle = source->FNumberCustomStyle;
    FTokenRules = source->FTokenRules;
    FWordLists.Assign(&source->FWordLists);
    FCustomStyles.Assign(&source->FCustomStyles);
    FParenthesisColors.Assign(&source->FParenthesisColors);
    FParenthesisStyle = source->FParenthesisStyle;
    FParenthesisCustomStyle = source->FParenthesisCustomStyle;
    EndUpdate();
}

} // namespace sourceedit
