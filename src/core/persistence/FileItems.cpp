#include "core/persistence/FileItems.h"

#include <algorithm>
#include <atomic>

thread_local TGlobalLinkManager GlobalLinkManager;

uint64_t TIOListObject::NewSerial() {
    // Analysis threads make models of their own: the counter is shared safely.
    static std::atomic<uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

int32_t TIOListObject::GetIndex() const {
    if (!OwnerList) return -1;
    const auto& items = OwnerList->AllItems();
    if (CachedIndex >= 0 && CachedIndex < static_cast<int32_t>(items.size()) &&
        items[CachedIndex] == this)
        return CachedIndex;
    CachedIndex = OwnerList->IndexOf(this);
    return CachedIndex;
}

TIOObjectList::~TIOObjectList() {
    if (!GlobalLinkManager.IsEmpty()) GlobalLinkManager.Forget(this);
    Clear();
}

void TIOObjectList::Save(TFileObject& file) {
    file.WriteInteger(Count());
    file.EndLine();
    for (auto* item : Items)
        item->Save(file);
}

void TIOObjectList::LoadItems(TFileObject& file, const TIOItemFactory& factory) {
    Clear();
    int32_t count = file.ReadInteger();
    // A count is outside input: reserve no more than the rest of the text could hold.
    if (count > 0) Items.reserve(std::min<size_t>(count, file.RemainingTokenCapacity()));
    for (int32_t i = 0; i < count; ++i) {
        std::unique_ptr<TIOListObject> item = factory();
        item->Load(file);
        AddItem(item.release());
    }
}

TIOListObject* TIOObjectList::GetItem(int32_t index) const {
    if (index < 0 || index >= Count()) throw EListError(index);
    return Items[index];
}

int32_t TIOObjectList::AddItem(TIOListObject* item) {
    if (!item) return -1;
    Items.push_back(item);
    if (OwnsObjects) {
        item->OwnerList = this;
        item->CachedIndex = Count() - 1;
    }
    return Count() - 1;
}

void TIOObjectList::Insert(int32_t index, TIOListObject* item) {
    if (index < 0 || index > Count()) throw EListError(index);
    if (!item) return;
    Items.insert(Items.begin() + index, item);
    if (OwnsObjects) item->OwnerList = this;
}

void TIOObjectList::Release(TIOListObject* item) {
    if (OwnsObjects) delete item;
}

void TIOObjectList::Delete(int32_t index) {
    TIOListObject* item = GetItem(index);
    Items.erase(Items.begin() + index);
    Release(item);
}

TIOListObject* TIOObjectList::Extract(TIOListObject* item) {
    int32_t index = IndexOf(item);
    if (index < 0) return nullptr;
    Items.erase(Items.begin() + index);
    if (item->OwnerList == this) item->OwnerList = nullptr;
    return item;
}

int32_t TIOObjectList::Remove(TIOListObject* item) {
    int32_t index = IndexOf(item);
    if (index >= 0) Delete(index);
    return index;
}

int32_t TIOObjectList::IndexOf(const TIOListObject* item) const {
    auto it = std::find(Items.begin(), Items.end(), item);
    return it == Items.end() ? -1 : static_cast<int32_t>(it - Items.begin());
}

void TIOObjectList::Move(int32_t from, int32_t to) {
    if (from < 0 || from >= Count()) throw EListError(from);
    if (to < 0 || to >= Count()) throw EListError(to);
    TIOListObject* item = Items[from];
    Items.erase(Items.begin() + from);
    Items.insert(Items.begin() + to, item);
}

void TIOObjectList::Clear() {
    // Items are freed from the end so that an item's destructor may still look at
    // the ones before it.
    std::vector<TIOListObject*> items;
    items.swap(Items);
    for (auto it = items.rbegin(); it != items.rend(); ++it)
        Release(*it);
}

TIOListObjectLink::~TIOListObjectLink() {
    if (!GlobalLinkManager.IsEmpty()) GlobalLinkManager.Forget(this);
}

void TIOListObjectLink::Save(TFileObject& file) const {
    file.WriteInteger(Target ? Target->GetIndex() : -1);
}

void TIOListObjectLink::Load(TIOObjectList& list, TFileObject& file) {
    Target = nullptr;
    int32_t index = file.ReadInteger();
    if (index >= 0) GlobalLinkManager.AddReference(this, &list, index);
}

void TGlobalLinkManager::AddReference(TIOListObjectLink* link, TIOObjectList* list, int32_t index) {
    References.push_back({link, list, index});
}

void TGlobalLinkManager::ResolveAll() {
    std::vector<TLinkManagerReference> pending;
    pending.swap(References);
    for (const auto& ref : pending)
        ref.Link->SetTarget(ref.List->GetItem(ref.Index));
}

void TGlobalLinkManager::Forget(const TIOListObjectLink* link) {
    std::erase_if(References, [link](const auto& ref) { return ref.Link == link; });
}

void TGlobalLinkManager::Forget(const TIOObjectList* list) {
    std::erase_if(References, [list](const auto& ref) { return ref.List == list; });
}
