#pragma once
// TCollection and TCollectionItem: an owning, ordered collection whose items report their changes
// to it, and which reports its own changes (items added, deleted, moved or changed) through one
// overridable notification, held back while an update is open.
#include "ObjList.h"

#include <string>
#include <vector>

namespace sourceedit {

class TCollection;

class TCollectionItem : public memo::TPersistent {
public:
    // Leaves the collection, which then reports the change.
    ~TCollectionItem() override;

    TCollection* Collection() const { return FCollection; }
    int Index() const;
    // Moves the item to Value (clamped to the collection) and reports the whole collection changed.
    void SetIndex(int Value);
    // The name the item shows; the class name when it has none of its own.
    virtual std::string DisplayName() const { return ClassName(); }

protected:
    TCollectionItem() = default;
    // Reports a change to the collection: of the whole collection, or of this item only.
    void ReportChange(bool AllItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
};

class TCollection : public memo::TPersistent {
public:
    ~TCollection() override;

    memo::TPersistent* GetOwner() const override { return FOwner; }
    int Count() const { return static_cast<int>(FItems.size()); }
    // nullptr for an index out of range.
    TCollectionItem* Items(int Index) const;
    int IndexOf(const TCollectionItem* Item) const;
    void Delete(int Index);
    void Clear();
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    // Source: a collection; its items are copied onto new items of this one, in one update.
    void Assign(const memo::TPersistent* Source) override;

protected:
    explicit TCollection(memo::TPersistent* Owner) : FOwner(Owner) {}
    // A new item of the collection's item class, appended; the collection reports the change.
    TCollectionItem* AddItem();
    virtual TCollectionItem* NewItem() const = 0;
    // The change notification: Item when only that item changed, nullptr for the collection.
    virtual void Update(TCollectionItem*) {}
    // Update(nullptr), unless an update is open.
    void Changed();

private:
    friend class TCollectionItem;
    void Move(TCollectionItem* Item, int To);
    void Remove(TCollectionItem* Item);

    memo::TPersistent* FOwner;
    std::vector<TCollectionItem*> FItems; // owned
    int FUpdateCount = 0;
};

} // namespace sourceedit
