#include "ObjList.h"

#include <algorithm>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

namespace memo {

std::string TObject::ClassName() const {
    const char* mangled = typeid(*this).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
    std::string name = status == 0 && demangled ? demangled.get() : mangled;
    auto colon = name.rfind("::");
    return colon == std::string::npos ? name : name.substr(colon + 2);
}

void TPersistent::Assign(const TPersistent* Source) {
    if (Source == nullptr)
        AssignError(nullptr);
    Source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* Dest) const {
    Dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* Source) const {
    std::string source = Source ? Source->ClassName() : "nil";
    throw EConvertError("Cannot assign a " + source + " to a " + ClassName());
}

TOwnedPersistent::TOwnedPersistent(TPersistent* AOwner) {
    SetOwner(AOwner);
}

TOwnedPersistent::~TOwnedPersistent() {
    TOwnedPersistent::SetOwner(nullptr);
}

TObjectContainer::~TObjectContainer() {
    Clear();
}

TContainerItem* TObjectContainer::Items(int Index) const {
    if (Index < 0 || Index >= static_cast<int>(FItems.size()))
        return nullptr;
    return FItems[static_cast<size_t>(Index)];
}

void TObjectContainer::Notify(void* Param, int Value) {
    auto items = Snapshot();
    for (auto it = items.rbegin(); it != items.rend(); ++it)
        (*it)->Notify(Param, Value);
}

void TObjectContainer::Clear() {
    while (Count() > 0)
        delete Items(Count() - 1);
}

std::uint32_t& TObjectContainer::IndexOf(TContainerItem* Item) {
    return Item->FIndex;
}

std::uint32_t TObjectContainer::IndexOf(const TContainerItem* Item) {
    return Item->FIndex;
}

void TObjectContainer::InsertItem(TContainerItem* Item) {
    Item->FIndex = static_cast<std::uint32_t>(FItems.size());
    FItems.push_back(Item);
}

void TObjectContainer::RemoveItem(TContainerItem* Item) {
    auto at = FItems.begin() + Item->FIndex;
    at = FItems.erase(at);
    for (; at != FItems.end(); ++at)
        --(*at)->FIndex;
}

namespace {
struct NotifyTag {};
using NotifyEvents = TSparseEvents<NotifyTag, TItemNotifyEvent>;
} // namespace

TContainerItem::TContainerItem(TObjectContainer* ACollection) : FCollection(nullptr) {
    JoinCollection(ACollection);
}

void TContainerItem::JoinCollection(TObjectContainer* ACollection) {
    if (FCollection != nullptr || ACollection == nullptr)
        return;
    FCollection = ACollection;
    FCollection->InsertItem(this);
}

TContainerItem::~TContainerItem() {
    NotifyEvents::Erase(this);
    LeaveCollection();
}

void TContainerItem::LeaveCollection() {
    if (FCollection == nullptr)
        return;
    FCollection->RemoveItem(this);
    FCollection = nullptr;
}

void TContainerItem::Notify(void* Param, int Value) {
    // A copy: the handler may free this item, and with it the event.
    if (auto* event = NotifyEvents::Find(this)) {
        TItemNotifyEvent handler = *event;
        handler(this, Param, Value);
    }
}

const TItemNotifyEvent* TContainerItem::OnNotify() const {
    return NotifyEvents::Find(this);
}

void TContainerItem::SetOnNotify(TItemNotifyEvent Event) {
    NotifyEvents::Set(this, std::move(Event));
}

} // namespace memo
