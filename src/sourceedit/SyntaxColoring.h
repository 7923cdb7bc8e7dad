#pragma once
// TSyntaxColoring: what the source editor colours and how. Word lists, delimited styles, the look
// of numbers, symbols and parentheses, and whether colouring is on. It keeps one ready-made font
// per kind of lexical range, built from the editor's font whenever anything changes, and every
// change ends in a rescan of the whole text.
#include "CustomStyles.h"
#include "Graphics.h"
#include "ObjList.h"
#include "StringList.h"
#include "WordLists.h"

#include <cstdint>

namespace sourceedit {

// How plain text is cut into words, names and numbers.
enum class TTokenRules : std::uint8_t {
    // Identifiers of letters, digits, "_", "#" and "$"; one that begins with a digit or "$" is a
    // number; "@", "#" and "." are symbols.
    trGeneric,
    // Transact-SQL: "@", "@@", "#" and "##" begin names (variables, system functions, temporary
    // tables), each one range; numbers are read where they begin, in the forms 12, 1.5, .5, 7.,
    // 1.5e-3, 0x1F and $12.50; a style that begins with a letter (N'...') begins only where no
    // identifier goes on.
    trTransactSql
};

class TSyntaxColoring : public memo::TPersistent {
public:
    // Owner: the editor whose text is coloured (a TSourceEdit), or nullptr.
    explicit TSyntaxColoring(memo::TObject* Owner);

    memo::TObject* Owner() const { return FOwner; }

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    memo::TColor SymbolColor() const { return FSymbolColor; }
    void SetSymbolColor(memo::TColor Value);
    memo::TFontStyles SymbolStyle() const { return FSymbolStyle; }
    void SetSymbolStyle(memo::TFontStyles Value);
    bool SymbolCustomStyle() const { return FSymbolCustomStyle; }
    void SetSymbolCustomStyle(bool Value);
    memo::TColor NumberColor() const { return FNumberColor; }
    void SetNumberColor(memo::TColor Value);
    memo::TFontStyles NumberStyle() const { return FNumberStyle; }
    void SetNumberStyle(memo::TFontStyles Value);
    bool NumberCustomStyle() const { return FNumberCustomStyle; }
    void SetNumberCustomStyle(bool Value);
    TTokenRules TokenRules() const { return FTokenRules; }
    void SetTokenRules(TTokenRules Value);
    TWordLists& WordLists() { return FWordLists; }
    const TWordLists& WordLists() const { return FWordLists; }
    void SetWordLists(const TWordLists& Value);
    TCustomStyles& CustomStyles() { return FCustomStyles; }
    const TCustomStyles& CustomStyles() const { return FCustomStyles; }
    void SetCustomStyles(const TCustomStyles& Value);
    // One colour per parenthesis level, as numbers ("$000000"); the levels cycle through them.
    TStringList& ParenthesisColors() { return FParenthesisColors; }
    const TStringList& ParenthesisColors() const { return FParenthesisColors; }
    void SetParenthesisColors(const TStringList& Value);
    memo::TFontStyles ParenthesisStyle() const { return FParenthesisStyle; }
    void SetParenthesisStyle(memo::TFontStyles Value);
    bool ParenthesisCustomStyle() const { return FParenthesisCustomStyle; }
    void SetParenthesisCustomStyle(bool Value);

    memo::TFont& SymbolFont() { return FSymbolFont; }
    memo::TFont& NumberFont() { return FNumberFont; }
    memo::TFont& ParenthesisFont() { return FParenthesisFont; }

    // The colour of parenthesis level Index + 1: clWindowText for a negative index, no entries or
    // an entry that is not a number.
    memo::TColor GetParenthesisColor(int Index) const;

    // Rebuilds the fonts from the editor's font and rescans the whole text; nothing while an
    // update is open or without a source editor as owner.
    virtual void Changed();
    virtual void BeginUpdate() { ++FUpdateCount; }
    virtual void EndUpdate();
    // The update count also guards the scanner, which holds it while it runs, and the editor's
    // teardown, which holds it for good.
    int UpdateCount() const { return FUpdateCount; }
    void SetUpdateCount(int Value) { FUpdateCount = Value; }
    // Counts every change, also those made while an update is open: what is built from the
    // settings is built again when it differs.
    unsigned Generation() const { return FGeneration; }

    // Source: a TSyntaxColoring; everything is copied with one Changed at the end.
    void Assign(const memo::TPersistent* Source) override;

private:
    template <class T>
    void Set(T& Field, T Value);
    // The editor's font with Color, and with Style when CustomStyle is set.
    static memo::TFont Styled(const memo::TFont& Base, memo::TColor Color, bool CustomStyle,
                              memo::TFontStyles Style);

    memo::TObject* FOwner;
    bool FEnabled = true;
    memo::TColor FSymbolColor = memo::clOlive;
    memo::TFontStyles FSymbolStyle = 0;
    bool FSymbolCustomStyle = false;
    memo::TColor FNumberColor = memo::clGreen;
    memo::TFontStyles FNumberStyle = 0;
    bool FNumberCustomStyle = false;
    TTokenRules FTokenRules = TTokenRules::trGeneric;
    TWordLists FWordLists{this};
    TCustomStyles FCustomStyles{this};
    TStringList FParenthesisColors;
    memo::TFontStyles FParenthesisStyle = 0;
    bool FParenthesisCustomStyle = false;
    int FUpdateCount = 0;
    unsigned FGeneration = 0;
    memo::TFont FSymbolFont;
    memo::TFont FNumberFont;
    memo::TFont FParenthesisFont;
};

} // namespace sourceedit
