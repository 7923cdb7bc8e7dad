#pragma once
// Small owned-object classes: persistent objects with an owner, owning containers and their
// items. Plain C++, no toolkit.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace memo {

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
    // The class name without namespace, as used in assignment errors and diagnostics.
    std::string ClassName() const;
};

// A plain notification: a callback that receives the sender.
using TNotifyEvent = std::function<void(TObject* Sender)>;

// Raised when one persistent object cannot be copied onto another.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TPersistent : public TObject {
public:
    // Copies Source onto this object; by default Source decides (AssignTo).
    virtual void Assign(const TPersistent* Source);
    virtual TPersistent* GetOwner() const { return nullptr; }

protected:
    virtual void AssignTo(TPersistent* Dest) const;
    [[noreturn]] void AssignError(const TPersistent* Source) const;
};

class TOwnedPersistent : public TPersistent {
public:
    explicit TOwnedPersistent(TPersistent* AOwner);
    ~TOwnedPersistent() override;
    virtual void SetOwner(TPersistent* AOwner) { FOwner = AOwner; }
    TPersistent* Owner() const { return FOwner; }
    TPersistent* GetOwner() const override { return FOwner; }

private:
    TPersistent* FOwner = nullptr;
};

class TContainerItem;

// An owning collection of items. The container frees its items when it goes; an item removes
// itself when it is freed. Storage is virtual so that a container with millions of items can
// keep them its own way.
class TObjectContainer : public TPersistent {
public:
    explicit TObjectContainer(TObject* AOwner) : FOwner(AOwner) {}
    ~TObjectContainer() override;
    TObject* Owner() const { return FOwner; }

    virtual int Count() const { return static_cast<int>(FItems.size()); }
    // Items in collection order; nullptr for an index out of range.
    virtual TContainerItem* Items(int Index) const;
    // Calls Notify of every item, from the last to the first.
    virtual void Notify(void* Param, int Value);
    // Frees every item, the last one first.
    void Clear();

protected:
    friend class TContainerItem;
    virtual void InsertItem(TContainerItem* Item);
    virtual void RemoveItem(TContainerItem* Item);
    // The items in collection order (a copy, so that callbacks may free items).
    virtual std::vector<TContainerItem*> Snapshot() const { return FItems; }
    static std::uint32_t& IndexOf(TContainerItem* Item);
    static std::uint32_t IndexOf(const TContainerItem* Item);

private:
    TObject* FOwner;
    std::vector<TContainerItem*> FItems;
};

using TItemNotifyEvent = std::function<void(TObject* Sender, void* Param, int Value)>;

class TContainerItem : public TPersistent {
public:
    explicit TContainerItem(TObjectContainer* ACollection);
    ~TContainerItem() override;
    TObjectContainer* Collection() const { return FCollection; }
    virtual void Notify(void* Param, int Value);

    const TItemNotifyEvent* OnNotify() const;
    void SetOnNotify(TItemNotifyEvent Event);

protected:
    // For descendants that join their collection only once their own part is built, and leave
    // it while their own part still exists.
    void JoinCollection(TObjectContainer* ACollection);
    void LeaveCollection();

private:
    friend class TObjectContainer;
    TObjectContainer* FCollection;
    // Where the container keeps this item; its meaning belongs to the container. (Declared
    // after FCollection so that descendants can use the space behind it.)
    std::uint32_t FIndex = 0;
};

// Events that few objects of a kind ever get live in a side table instead of in every object,
// which keeps objects that exist by the million small. Tag makes one table per event kind.
template <class Tag, class Event>
class TSparseEvents {
public:
    static const Event* Find(const void* Owner) {
        auto& map = Map();
        if (map.empty())
            return nullptr;
        auto it = map.find(Owner);
        return it == map.end() ? nullptr : &it->second;
    }
    static void Set(const void* Owner, Event E) {
        if (E)
            Map()[Owner] = std::move(E);
        else
            Erase(Owner);
    }
    static void Erase(const void* Owner) {
        auto& map = Map();
        if (!map.empty())
            map.erase(Owner);
    }

private:
    static std::unordered_map<const void*, Event>& Map() {
        static auto* map = new std::unordered_map<const void*, Event>(); // outlives every owner
        return *map;
    }
};

} // namespace memo
