// The component library's object list: an ordered list of object pointers whose owns-objects
// flag decides whether removing an item (Delete, Clear, destruction) also deletes it.
#pragma once

#include "Rtl_exceptions.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace rtl {

template <typename T> class TObjectList {
public:
    explicit TObjectList(bool ownsObjects = true) : FOwnsObjects(ownsObjects) {}
    TObjectList(const TObjectList&) = delete;
    TObjectList& operator=(const TObjectList&) = delete;
    virtual ~TObjectList() { Clear(); }

    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool value) { FOwnsObjects = value; }

    int Count() const { return static_cast<int>(FItems.size()); }
    bool Empty() const { return FItems.empty(); }
    T* Items(int index) const {
        CheckIndex(index);
        return FItems[static_cast<size_t>(index)];
    }
    T* operator[](int index) const { return Items(index); }
    T* First() const { return Items(0); }
    T* Last() const { return Items(Count() - 1); }
    int IndexOf(const T* item) const {
        const auto found = std::find(FItems.begin(), FItems.end(), item);
        return found == FItems.end() ? -1 : static_cast<int>(found - FItems.begin());
    }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

    // Appends; an owning list takes the item over. When the list cannot grow, nothing changes
    // (and an owning list has not taken the item).
    int Add(T* item) {
        FItems.push_back(item);
        return Count() - 1;
    }
    // The owning form: the list must own its objects.
    int Add(std::unique_ptr<T> item) {
        RequireOwnership();
        FItems.reserve(FItems.size() + 1);
        FItems.push_back(item.release());
        return Count() - 1;
    }
    void Insert(int index, T* item) {
        if (index < 0 || index > Count())
            throw EListError(Format("List index out of bounds (%d)", index));
        FItems.insert(FItems.begin() + index, item);
    }
    // Removes the item at index, deleting it when the list owns its objects.
    void Delete(int index) {
        T* item = Items(index);
        FItems.erase(FItems.begin() + index);
        if (FOwnsObjects)
            delete item;
    }
    // Removes the item without deleting it; the caller takes it over. Nothing when absent.
    T* Extract(T* item) {
        const int index = IndexOf(item);
        if (index < 0)
            return nullptr;
        FItems.erase(FItems.begin() + index);
        return item;
    }
    void Exchange(int index1, int index2) {
        CheckIndex(index1);
        CheckIndex(index2);
        std::swap(FItems[static_cast<size_t>(index1)], FItems[static_cast<size_t>(index2)]);
    }
    void Move(int currentIndex, int newIndex) {
        CheckIndex(currentIndex);
        CheckIndex(newIndex);
        T* item = FItems[static_cast<size_t>(currentIndex)];
        FItems.erase(FItems.begin() + currentIndex);
        FItems.insert(FItems.begin() + newIndex, item);
    }
    // Empties the list, deleting the items (last first) when it owns them.
    void Clear() {
        std::vector<T*> items;
        items.swap(FItems);
        if (FOwnsObjects)
            for (auto it = items.rbegin(); it != items.rend(); ++it)
                delete *it;
    }
    void Reserve(int capacity) { FItems.reserve(static_cast<size_t>(capacity)); }

private:
    void CheckIndex(int index) const {
        if (index < 0 || index >= Count())
            throw EListError(Format("List index out of bounds (%d)", index));
    }
    void RequireOwnership() const {
        if (!FOwnsObjects)
            throw EInvalidOperation("The list does not own its objects.");
    }

    std::vector<T*> FItems;
    bool FOwnsObjects;
};

} // namespace rtl
