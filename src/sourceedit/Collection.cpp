#include "Collection.h"

#include <algorithm>

namespace sourceedit {

TCollectionItem::~TCollectionItem() {
    if (FCollection != nullptr)
        FCollection->Remove(this);
}

int TCollectionItem::Index() const {
    return FCollection != nullptr ? FCollection->IndexOf(this) : -1;
}

void TCollectionItem::SetIndex(int Value) {
    if (FCollection != nullptr)
        FCollection->Move(this, Value);
}

void TCollectionItem::ReportChange(bool AllItems) {
    if (FCollection != nullptr && FCollection->FUpdateCount == 0)
        FCollection->Update(AllItems ? nullptr : this);
}

TCollection::~TCollection() {
    // Nothing is reported while the collection goes.
    FUpdateCount = 1;
    Clear();
}

TCollectionItem* TCollection::Items(int Index) const {
    if (Index < 0 || Index >= Count())
        return nullptr;
    return FItems[static_cast<size_t>(Index)];
}

int TCollection::IndexOf(const TCollectionItem* Item) const {
    auto at = std::find(FItems.begin(), FItems.end(), Item);
    return at == FItems.end() ? -1 : static_cast<int>(at - FItems.begin());
}

TCollectionItem* TCollection::AddItem() {
    TCollectionItem* item = NewItem();
    item->FCollection = this;
    FItems.push_back(item);
    Changed();
    return item;
}

void TCollection::Delete(int Index) {
    delete Items(Index);
}

void TCollection::Clear() {
    if (FItems.empty())
        return;
    BeginUpdate();
    while (!FItems.empty())
        delete FItems.back();
    EndUpdate();
}

void TCollection::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        Changed();
}

void TCollection::Changed() {
    if (FUpdateCount == 0)
        Update(nullptr);
}

void TCollection::Move(TCollectionItem* Item, int To) {
    int from = IndexOf(Item);
    To = std::clamp(To, 0, Count() - 1);
    if (from < 0 || from == To)
        return;
    FItems.erase(FItems.begin() + from);
    FItems.insert(FItems.begin() + To, Item);
    Item->ReportChange(true);
}

void TCollection::Remove(TCollectionItem* Item) {
    std::erase(FItems, Item);
    Item->FCollection = nullptr;
    Changed();
}

void TCollection::Assign(const memo::TPersistent* Source) {
    auto* source = dynamic_cast<const TCollection*>(Source);
    if (source == nullptr) {
        TPersistent::Assign(Source);
        return;
    }
    if (source == this)
        return;
    BeginUpdate();
    try {
        Clear();
        for (TCollectionItem* item : source->FItems)
            AddItem()->Assign(item);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

} // namespace sourceedit
