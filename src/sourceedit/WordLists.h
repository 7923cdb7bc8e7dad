#pragma once
// TWordList and TWordLists: the word lists of the colouring settings. A word list colours every
// identifier found among its words.
#include "StringList.h"
#include "StyledItems.h"

#include <string>
#include <string_view>

namespace sourceedit {

class TWordList : public TStyledItem {
public:
    TWordList();

    // A new caption is reported to the collection as a change of this item.
    void SetCaption(std::string_view Value);
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value) { Set(FCaseSensitive, Value); }
    // Whether the list's words count only where one stands alone on its line, with nothing but
    // blanks around it (a batch separator); such a list wins over the others there.
    bool AloneOnLine() const { return FAloneOnLine; }
    void SetAloneOnLine(bool Value) { Set(FAloneOnLine, Value); }
    // Sorted without regard to letter case; a word already there is not added again.
    TStringList& Words() { return FWords; }
    const TStringList& Words() const { return FWords; }
    void SetWords(const TStringList& Value);

    bool ContainsWord(std::string_view Word) const;
    void Assign(const memo::TPersistent* Source) override;

private:
    bool FCaseSensitive = true;
    bool FAloneOnLine = false;
    TStringList FWords{true};
};

class TWordLists : public TStyledItems {
public:
    explicit TWordLists(TSyntaxColoring* Settings) : TStyledItems(Settings) {}

    TWordList* Add() { return static_cast<TWordList*>(AddItem()); }
    TWordList* Items(int Index) const { return static_cast<TWordList*>(TCollection::Items(Index)); }
    // The first list, in collection order, that contains Word; nullptr when none does. A list
    // kept for words alone on their line counts only when the word is (AloneOnLine), and then
    // before the others.
    TWordList* FindWordList(std::string_view Word, bool AloneOnLine = false) const;

protected:
    TCollectionItem* NewItem() const override { return new TWordList(); }
    // A change of one list is that list's; others are the settings'.
    void Update(TCollectionItem* Item) override;
};

} // namespace sourceedit
