// The component library's object list: an ordered list of object pointers whose owns-objects
// flag decides whether removing an item (Delete, Clear, destruction) also deletes it.
#pragma once

#include "Rtl_exceptions.h"
#include "Rtl_texts.h"

#include <algorithm>
#include <deque>
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
        FItems.push_back(item.get());
        item.release();
        return Count() - 1;
    }
    void Insert(int index, T* item) {
        if (index < 0 || index > Count())
            throw EListError(Format(rtl::Tr("List index out of bounds (%d)"), index));
        FItems.insert(FItems.begin() + index, item);
    }
    // Removes the item at index, deleting it when the list owns its objects.
    void Delete(int index) {
        T* item = Items(index);
        FItems.erase(FItems.begin() + index);
        if (FOwnsObjects)
            delete item;
    }
    // Removes count items from index on, deleting them (last first) when the list owns them.
    void DeleteRange(int index, int count) {
        if (count <= 0)
            return;
        CheckIndex(index);
        CheckIndex(index + count - 1);
        const std::vector<T*> removed(FItems.begin() + index, FItems.begin() + index + count);
        FItems.erase(FItems.begin() + index, FItems.begin() + index + count);
        if (FOwnsObjects)
            for (auto it = removed.rbegin(); it != removed.rend(); ++it)
                delete *it;
    }
    // Removes the item at index without deleting it; the caller takes it over.
    T* ExtractAt(int index) {
        T* item = Items(index);
        FItems.erase(FItems.begin() + index);
        return item;
    }
    // Removes the items at indexes (strictly ascending) without deleting them, in one pass over
    // the list, and returns them in that order; the caller takes them over.
    std::vector<T*> ExtractSorted(const std::vector<int>& indexes) {
        CheckSorted(indexes, Count());
        std::vector<T*> taken;
        taken.reserve(indexes.size());
        size_t write = indexes.empty() ? FItems.size() : static_cast<size_t>(indexes.front());
        size_t next = 0;
        for (size_t read = write; read < FItems.size(); ++read) {
            if (next < indexes.size() && read == static_cast<size_t>(indexes[next])) {
                taken.push_back(FItems[read]);
                ++next;
            } else {
                FItems[write++] = FItems[read];
            }
        }
        FItems.resize(write);
        return taken;
    }
    // Puts items[i] at index indexes[i] of the list that results, indexes strictly ascending, in
    // one pass over the list.
    void InsertSorted(const std::vector<int>& indexes, const std::vector<T*>& items) {
        if (indexes.size() != items.size())
            throw EListError(rtl::Tr("List index out of bounds"));
        const size_t total = FItems.size() + items.size();
        CheckSorted(indexes, static_cast<int>(total));
        size_t read = FItems.size();
        FItems.resize(total);
        // From the end, so that every item moves once and none is overwritten before it moves.
        size_t next = items.size();
        for (size_t write = total; write-- > 0;) {
            if (next > 0 && write == static_cast<size_t>(indexes[next - 1]))
                FItems[write] = items[--next];
            else
                FItems[write] = FItems[--read];
        }
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
    // Trades items with another list; the owning flags stay with their lists.
    void SwapItems(TObjectList& other) noexcept { FItems.swap(other.FItems); }
    // Empties the list, deleting the items (last first) when it owns them.
    void Clear() {
        std::deque<T*> items;
        items.swap(FItems);
        if (FOwnsObjects)
            for (auto it = items.rbegin(); it != items.rend(); ++it)
                delete *it;
    }

private:
    // Strictly ascending indexes, each below limit.
    static void CheckSorted(const std::vector<int>& indexes, int limit) {
        for (size_t i = 0; i < indexes.size(); ++i)
            if (indexes[i] < 0 || indexes[i] >= limit || (i > 0 && indexes[i] <= indexes[i - 1]))
                throw EListError(Format(rtl::Tr("List index out of bounds (%d)"), indexes[i]));
    }
    void CheckIndex(int index) const {
        if (index < 0 || index >= Count())
            throw EListError(Format(rtl::Tr("List index out of bounds (%d)"), index));
    }
    void RequireOwnership() const {
        if (!FOwnsObjects)
            throw EInvalidOperation(rtl::Tr("The list does not own its objects."));
    }

    // A deque: pending commands leave from the front, and growing never moves the items.
    std::deque<T*> FItems;
    bool FOwnsObjects;
};

} // namespace rtl
