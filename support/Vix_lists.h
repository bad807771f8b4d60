// Reorderings of a list expressed as exchanges of two positions, so that the caller can apply
// each exchange as one undoable step and undo the whole reordering by replaying it backwards.
#pragma once

#include "Rtl_exceptions.h"

#include <concepts>
#include <cstdint>
#include <memory>
#include <string_view>
#include <type_traits>
#include <vector>

struct TExchange {
    int32_t Index1;
    int32_t Index2;

    friend bool operator==(const TExchange&, const TExchange&) = default;
};

using TExchangePlan = std::vector<TExchange>;

// Negative when the entry at index1 goes before the entry at index2.
template <typename TList>
using TItemComparer = int (*)(const TList& list, int index1, int index2, int32_t userValue);

// A non-owning reference to a callable int(int, int), so that the sorting work can live in one
// compiled function instead of being instantiated for every list type. It must not outlive the
// callable it refers to; passing a lambda straight into SortPlan is safe.
class TPositionComparer {
public:
    template <typename F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, TPositionComparer> &&
             std::is_invocable_r_v<int, std::remove_reference_t<F>&, int, int>)
        TPositionComparer(F&& callable)
    noexcept
        : FContext(const_cast<void*>(static_cast<const void*>(std::addressof(callable)))),
          FInvoke([](void* context, int index1, int index2) -> int {
              return (*static_cast<std::remove_reference_t<F>*>(context))(index1, index2);
          }) {}

    int operator()(int index1, int index2) const { return FInvoke(FContext, index1, index2); }

private:
    void* FContext;
    int (*FInvoke)(void*, int, int);
};

// The exchanges that sort positions 0..count-1 stably: entries that compare equal keep their
// order. The comparer is always called with original positions.
TExchangePlan SortPlan(int count, TPositionComparer compare);
// The same for entries that order as their keys order byte for byte: the plan sorts each key's
// first eight bytes as one integer with its position beside it, a digit at a time, and reads
// the keys only where those bytes are equal; it costs less than sorting the keys themselves.
TExchangePlan SortPlanByKeys(const std::vector<std::string_view>& keys);
// The exchanges that reverse positions 0..count-1.
TExchangePlan ReversePlan(int count);
// The exchanges that move every selected position by up to |step| places (towards the start when
// step < 0), without letting selected entries pass one another or leave the list. EListError
// when a selected position lies outside 0..count-1.
TExchangePlan MovePlan(int count, const std::vector<int>& selected, int step);

// The list overloads only read Count(); the constraint keeps a plain integer (of any type) from
// being taken for a list.
template <typename TList>
concept CCountedList = requires(const TList& list) {
    { list.Count() } -> std::convertible_to<int>;
};

template <CCountedList TList>
TExchangePlan SortPlan(const TList& list, TItemComparer<TList> comparer, int32_t userValue) {
    return SortPlan(static_cast<int>(list.Count()), [&list, comparer, userValue](int a, int b) {
        return comparer(list, a, b, userValue);
    });
}

template <CCountedList TList> TExchangePlan ReversePlan(const TList& list) {
    return ReversePlan(static_cast<int>(list.Count()));
}

template <CCountedList TList>
TExchangePlan MovePlan(const TList& list, const std::vector<int>& selected, int step) {
    return MovePlan(static_cast<int>(list.Count()), selected, step);
}
