#pragma once
// The lexical range classes: formatted ranges made from entries of the syntax chain, so that
// painting (and printing) draws each with the font of its kind. They also give the chain's
// comparison of an old range with a new one, and its diagnostics.
#include "FormattedRanges.h"
#include "SyntaxToken.h"

#include <string>
#include <vector>

namespace sourceedit {

class TSourceEdit;
class TCustomStyle;
class TWordList;

// Whether an old range and a new one coincide: the same class, the same end and the same
// attribute (for symbols and numbers: the same characters).
bool SameAs(const TSyntaxToken& Old, const TSyntaxToken& New);

class TSyntaxRange : public memo::TCustomFormattedRange {
public:
    const TSyntaxToken& Token() const { return FToken; }
    TSyntaxKind Kind() const { return FToken.Kind; }
    int ParenthesisLevel() const { return FToken.ParenthesisLevel; }
    int LevelAfter() const { return FToken.LevelAfter(); }
    TSourceEdit* SourceEdit() const;
    // This range taken as the old one, Other as the new one.
    bool SameAs(const TSyntaxRange& Other) const;
    // The editor's background; clWindow without an editor.
    memo::TColor GetColor() const override;

protected:
    explicit TSyntaxRange(const TSyntaxToken& Token) : FToken(Token) {}
    // The editor's font; nullptr without an editor.
    memo::TFont* EditorFont() const;

private:
    TSyntaxToken FToken; // its extent is the range's own
};

// Plain text: the editor's font.
class TNormalTextRange : public TSyntaxRange {
public:
    explicit TNormalTextRange(const TSyntaxToken& Token) : TSyntaxRange(Token) {}
    memo::TFont* GetFont() const override { return EditorFont(); }
};

// A stretch in a delimited style: the style's font.
class TCustomStyleRange : public TSyntaxRange {
public:
    explicit TCustomStyleRange(const TSyntaxToken& Token) : TSyntaxRange(Token) {}
    TCustomStyle* Style() const;
    memo::TFont* GetFont() const override;
};

// A word of a word list: the list's font.
class TWordListRange : public TSyntaxRange {
public:
    explicit TWordListRange(const TSyntaxToken& Token) : TSyntaxRange(Token) {}
    TWordList* WordList() const;
    memo::TFont* GetFont() const override;
};

// A run of symbol characters: the settings' symbol font while colouring is on.
class TSymbolRange : public TSyntaxRange {
public:
    explicit TSymbolRange(const TSyntaxToken& Token) : TSyntaxRange(Token) {}
    std::u32string Symbol() const { return Text(); }
    memo::TFont* GetFont() const override;
};

// A number: the settings' number font while colouring is on.
class TNumberRange : public TSyntaxRange {
public:
    explicit TNumberRange(const TSyntaxToken& Token) : TSyntaxRange(Token) {}
    std::u32string Number() const { return Text(); }
    memo::TFont* GetFont() const override;
};

// One parenthesis: the parenthesis font in the colour of its level while colouring is on.
class TParenthesisRange : public TSyntaxRange {
public:
    explicit TParenthesisRange(const TSyntaxToken& Token) : TSyntaxRange(Token) {}
    TParenthesisStyle Style() const { return static_cast<TParenthesisStyle>(Token().Attribute); }
    memo::TFont* GetFont() const override;
};

// A range object of Token's class over Token's extent, in no collection, for Editor; nullptr for
// a gap. The caller owns it.
TSyntaxRange* CreateSyntaxRange(const TSyntaxToken& Token, TSourceEdit* Editor);

// The class name of a lexical range of Kind ("TNormalTextRange", ...).
const char* SyntaxRangeClassName(TSyntaxKind Kind);

// A lexical range for diagnostics.
struct TDebuggableRange {
    int Start = 0;
    int End = 0;
    std::u32string Text;
    std::string ClassName;
};
using TDebuggableRanges = std::vector<TDebuggableRange>;

} // namespace sourceedit
