#pragma once
// What word lists and custom styles share: a caption, a colour and a font style of their own (each
// applied only when its flag is set), the font the settings build from them, and a collection that
// belongs to the settings, which hear of every change.
#include "Collection.h"
#include "Graphics.h"

#include <string>

namespace sourceedit {

class TSyntaxColoring;

class TStyledItems : public TCollection {
public:
    TSyntaxColoring* Settings() const { return FSettings; }

protected:
    explicit TStyledItems(TSyntaxColoring* Settings);

private:
    TSyntaxColoring* FSettings;
};

class TStyledItem : public TCollectionItem {
public:
    const std::string& Caption() const { return FCaption; }
    bool CustomColor() const { return FCustomColor; }
    void SetCustomColor(bool Value) { Set(FCustomColor, Value); }
    memo::TColor Color() const { return FColor; }
    void SetColor(memo::TColor Value) { Set(FColor, Value); }
    bool CustomStyle() const { return FCustomStyle; }
    void SetCustomStyle(bool Value) { Set(FCustomStyle, Value); }
    memo::TFontStyles Style() const { return FStyle; }
    void SetStyle(memo::TFontStyles Value) { Set(FStyle, Value); }
    // Built by the settings from the editor's font.
    memo::TFont& Font() { return FFont; }
    const memo::TFont& Font() const { return FFont; }

    // The caption, or the class name when there is none.
    std::string DisplayName() const override;
    // Tells the settings of its collection, when there are any.
    virtual void Changed();

protected:
    explicit TStyledItem(memo::TColor Color) : FColor(Color) {}
    // Stores Value and reports the change, when it differs.
    template <class T>
    void Set(T& Field, T Value) {
        if (Field == Value)
            return;
        Field = std::move(Value);
        Changed();
    }
    // Copies the colour and style fields of Source, without notifications.
    void AssignLook(const TStyledItem& Source);

    std::string FCaption;

private:
    bool FCustomColor = true;
    memo::TColor FColor;
    bool FCustomStyle = false;
    memo::TFontStyles FStyle = 0;
    memo::TFont FFont;
};

} // namespace sourceedit
