#pragma once
// Persistent objects: how an object writes and reads its record, how lists of
// them are stored, and how references between them are stored as list positions
// and bound again after everything has been read.

#include "core/persistence/FileIO.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TIOObjectList;

// Base of every persistent object.
class TIOObject {
public:
    TIOObject() = default;
    TIOObject(const TIOObject&) = delete;
    TIOObject& operator=(const TIOObject&) = delete;
    virtual ~TIOObject() = default;

    // Every record begins on a new line: overrides call this first, then write their fields.
    virtual void Save(TFileObject& file) { file.EndLine(); }
    // Reads the fields in the order Save wrote them.
    virtual void Load(TFileObject& file) = 0;

    TIOObject* Owner = nullptr; // not owned
};

// A persistent object that can sit in a list and be the target of a link.
class TIOListObject : public TIOObject {
public:
    // Position in the owning list (its identity in a file), or -1 without one.
    int32_t GetIndex() const;

    // Unique among the objects made while the program runs; never saved. An undo snapshot
    // takes the serials of the objects it copies, so that what happened to an object since
    // (a run kept in a graph) can follow it when the snapshot comes back.
    static uint64_t NewSerial();
    uint64_t Serial = NewSerial();

    TIOObjectList* OwnerList = nullptr; // not owned

private:
    friend class TIOObjectList;
    mutable int32_t CachedIndex = -1;
};

// The list's standard index error.
class EListError : public EFileException {
public:
    explicit EListError(int64_t index)
        : EFileException("List index out of bounds (" + std::to_string(index) + ")") {}
};

using TIOItemFactory = std::function<std::unique_ptr<TIOListObject>()>;

// A list of persistent objects, owning them unless constructed otherwise.
class TIOObjectList {
public:
    explicit TIOObjectList(bool ownsObjects = true) : OwnsObjects(ownsObjects) {}
    TIOObjectList(const TIOObjectList&) = delete;
    TIOObjectList& operator=(const TIOObjectList&) = delete;
    virtual ~TIOObjectList();

    // Count, a line end, then every item's record (each begins with its own line end).
    virtual void Save(TFileObject& file);
    // Frees the old items, reads a count and that many records built by factory.
    void LoadItems(TFileObject& file, const TIOItemFactory& factory);

    int32_t Count() const { return static_cast<int32_t>(Items.size()); }
    bool IsEmpty() const { return Items.empty(); }
    TIOListObject* GetItem(int32_t index) const;
    // Appends the item (taking ownership when this list owns its items); -1 for none.
    int32_t AddItem(TIOListObject* item);
    int32_t AddItem(std::unique_ptr<TIOListObject> item) { return AddItem(item.release()); }
    void Insert(int32_t index, TIOListObject* item);
    // Removes the item at index, freeing it when owned.
    void Delete(int32_t index);
    // Removes the item without freeing it; the caller takes it over.
    TIOListObject* Extract(TIOListObject* item);
    // Removes and frees (when owned) the item; returns its former index or -1.
    int32_t Remove(TIOListObject* item);
    int32_t IndexOf(const TIOListObject* item) const;
    void Move(int32_t from, int32_t to);
    void Clear();

    const std::vector<TIOListObject*>& AllItems() const { return Items; }

    bool OwnsObjects;

private:
    void Release(TIOListObject* item);
    std::vector<TIOListObject*> Items;
};

// A list that holds one class of item.
template <class T> class TIOTypedList : public TIOObjectList {
public:
    using TIOObjectList::TIOObjectList;
    T* GetItem(int32_t index) const { return static_cast<T*>(TIOObjectList::GetItem(index)); }
    void LoadItems(TFileObject& file) {
        TIOObjectList::LoadItems(file, [] { return std::make_unique<T>(); });
    }
    T* operator[](int32_t index) const { return GetItem(index); }

    // Iteration over the typed items.
    class iterator {
    public:
        iterator(std::vector<TIOListObject*>::const_iterator it) : It(it) {}
        T* operator*() const { return static_cast<T*>(*It); }
        iterator& operator++() {
            ++It;
            return *this;
        }
        bool operator!=(const iterator& other) const { return It != other.It; }
        bool operator==(const iterator& other) const { return It == other.It; }

    private:
        std::vector<TIOListObject*>::const_iterator It;
    };
    iterator begin() const { return iterator(AllItems().begin()); }
    iterator end() const { return iterator(AllItems().end()); }
};

// A stored reference to a list object: written as the target's index, bound after loading.
class TIOListObjectLink {
public:
    TIOListObjectLink() = default;
    TIOListObjectLink(const TIOListObjectLink&) = delete;
    TIOListObjectLink& operator=(const TIOListObjectLink&) = delete;
    virtual ~TIOListObjectLink();

    TIOListObject* GetTarget() const { return Target; }
    void SetTarget(TIOListObject* target) { Target = target; }
    bool IsAssigned() const { return Target != nullptr; }

    void Save(TFileObject& file) const;
    // Clears the target and registers the stored index to be bound by ResolveAll.
    void Load(TIOObjectList& list, TFileObject& file);

protected:
    TIOListObject* Target = nullptr; // not owned
};

// A link whose target is of one class.
template <class T> class TIOTypedLink : public TIOListObjectLink {
public:
    T* GetTarget() const { return dynamic_cast<T*>(Target); }
};

struct TLinkManagerReference {
    TIOListObjectLink* Link; // not owned
    TIOObjectList* List;     // not owned
    int32_t Index;
};

// Pending references of one load or copy; empty between operations.
class TGlobalLinkManager {
public:
    void AddReference(TIOListObjectLink* link, TIOObjectList* list, int32_t index);
    // Binds every pending reference in the order added, then forgets them all. An index
    // past its list raises EListError (and the remaining references are dropped too).
    void ResolveAll();
    // Drops every pending reference, e.g. after a load that failed half way.
    void Clear() { References.clear(); }
    bool IsEmpty() const { return References.empty(); }
    size_t Count() const { return References.size(); }

    // Called when a link or list goes away while references are pending.
    void Forget(const TIOListObjectLink* link);
    void Forget(const TIOObjectList* list);

private:
    std::vector<TLinkManagerReference> References;
};

// Each thread's own: a model freed on an analysis worker must not look at the references
// another thread's load has pending.
extern thread_local TGlobalLinkManager GlobalLinkManager;
