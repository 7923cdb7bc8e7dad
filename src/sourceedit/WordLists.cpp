#include "WordLists.h"

#include "SyntaxColoring.h"

namespace sourceedit {

namespace {

char AsciiUpper(char C) {
    return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C;
}

bool EqualAsciiUpper(std::string_view A, std::string_view B) {
    if (A.size() != B.size())
        return false;
    for (size_t i = 0; i < A.size(); ++i)
        if (AsciiUpper(A[i]) != AsciiUpper(B[i]))
            return false;
    return true;
}

} // namespace

TWordList::TWordList() : TStyledItem(memo::clBlue) {
    FWords.OnChange = [this](memo::TObject*) { Changed(); };
}

void TWordList::SetCaption(std::string_view Value) {
    if (FCaption == Value)
        return;
    FCaption = Value;
    ReportChange(false);
}

void TWordList::SetWords(const TStringList& Value) {
    FWords.Assign(&Value);
    Changed();
}

bool TWordList::ContainsWord(std::string_view Word) const {
    for (const std::string& entry : FWords.Items()) {
        if (FCaseSensitive ? entry == Word : EqualAsciiUpper(entry, Word))
            return true;
    }
    return false;
}

void TWordList::Assign(const memo::TPersistent* Source) {
    auto* source = dynamic_cast<const TWordList*>(Source);
    if (source == nullptr) {
        TCollectionItem::Assign(Source);
        return;
    }
    SetCaption(source->FCaption);
    AssignLook(*source);
    FCaseSensitive = source->FCaseSensitive;
    FAloneOnLine = source->FAloneOnLine;
    FWords.Assign(&source->FWords);
    Changed();
}

TWordList* TWordLists::FindWordList(std::string_view Word, bool AloneOnLine) const {
    if (AloneOnLine)
        for (int i = 0; i < Count(); ++i)
            if (Items(i)->AloneOnLine() && Items(i)->ContainsWord(Word))
                return Items(i);
    for (int i = 0; i < Count(); ++i)
        if (!Items(i)->AloneOnLine() && Items(i)->ContainsWord(Word))
            return Items(i);
    return nullptr;
}

void TWordLists::Update(TCollectionItem* Item) {
    if (Item != nullptr)
        static_cast<TWordList*>(Item)->Changed();
    else if (Settings() != nullptr)
        Settings()->Changed();
}

} // namespace sourceedit
