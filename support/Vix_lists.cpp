#include "Vix_lists.h"

#include "Rtl_texts.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <numeric>
#include <utility>

namespace {

// targets[p] is the position the entry now at p must reach; it is consumed. Following each cycle
// from its smallest position yields length - 1 exchanges per cycle, the fewest possible, and
// keeps every exchange of a cycle anchored at that position.
TExchangePlan ExchangesFromTargets(std::vector<int32_t>& targets) {
    const int32_t count = static_cast<int32_t>(targets.size());
    int32_t misplaced = 0;
    for (int32_t p = 0; p < count; ++p) {
        if (targets[p] != p) {
            ++misplaced;
        }
    }
    TExchangePlan plan;
    if (misplaced == 0) {
        return plan;
    }
    plan.reserve(static_cast<size_t>(misplaced) - 1);
    for (int32_t i = 0; i < count; ++i) {
        while (targets[i] != i) {
            const int32_t t = targets[i];
            plan.push_back({i, t});
            targets[i] = targets[t];
            targets[t] = t;
        }
    }
    return plan;
}

// Inverts a working order (order[k] = original position now at k) into per-position targets.
std::vector<int32_t> TargetsFromOrder(const std::vector<int32_t>& order) {
    std::vector<int32_t> targets(order.size());
    for (size_t k = 0; k < order.size(); ++k) {
        targets[static_cast<size_t>(order[k])] = static_cast<int32_t>(k);
    }
    return targets;
}

struct TPrefixedPosition {
    uint64_t Prefix;
    int32_t Position;
};

// A stable sort by prefix: four passes of sixteen bits from the lowest, each a count and a
// scatter over the entries, and none for a digit every entry shares. Linear, where comparing
// costs a logarithm's worth of passes over a million entries.
void SortByPrefix(std::vector<TPrefixedPosition>& entries) {
    constexpr int DigitBits = 16;
    constexpr size_t Digits = 1 << DigitBits;
    constexpr int Passes = 64 / DigitBits;
    if (entries.size() < 1024) {
        std::stable_sort(entries.begin(), entries.end(),
                         [](const TPrefixedPosition& a, const TPrefixedPosition& b) {
                             return a.Prefix < b.Prefix;
                         });
        return;
    }
    std::vector<std::array<uint32_t, Digits>> counts(Passes);
    for (auto& pass : counts)
        pass.fill(0);
    for (const TPrefixedPosition& entry : entries)
        for (int pass = 0; pass < Passes; ++pass)
            ++counts[pass][(entry.Prefix >> (pass * DigitBits)) & (Digits - 1)];
    std::vector<TPrefixedPosition> scratch(entries.size());
    for (int pass = 0; pass < Passes; ++pass) {
        std::array<uint32_t, Digits>& slots = counts[static_cast<size_t>(pass)];
        const uint64_t shared = (entries.front().Prefix >> (pass * DigitBits)) & (Digits - 1);
        if (slots[shared] == entries.size())
            continue;
        uint32_t next = 0;
        for (uint32_t& slot : slots)
            next += std::exchange(slot, next);
        for (const TPrefixedPosition& entry : entries)
            scratch[slots[(entry.Prefix >> (pass * DigitBits)) & (Digits - 1)]++] = entry;
        entries.swap(scratch);
    }
}

} // namespace

TExchangePlan SortPlan(int count, TPositionComparer compare) {
    if (count <= 1) {
        return {};
    }
    std::vector<int32_t> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    // The position tie-break makes the order total, so an unstable sort gives the stable result.
    std::sort(order.begin(), order.end(), [&compare](int32_t a, int32_t b) {
        const int c = compare(a, b);
        return c < 0 || (c == 0 && a < b);
    });
    std::vector<int32_t> targets = TargetsFromOrder(order);
    return ExchangesFromTargets(targets);
}

TExchangePlan SortPlanByKeys(const std::vector<std::string_view>& keys) {
    const auto count = static_cast<int32_t>(keys.size());
    if (count <= 1)
        return {};
    std::vector<TPrefixedPosition> entries(keys.size());
    for (int32_t p = 0; p < count; ++p) {
        const std::string_view key = keys[static_cast<size_t>(p)];
        uint64_t prefix = 0;
        for (size_t i = 0; i < 8; ++i)
            prefix = prefix << 8 | (i < key.size() ? static_cast<uint8_t>(key[i]) : 0);
        entries[static_cast<size_t>(p)] = {prefix, p};
    }
    SortByPrefix(entries);
    // Entries in position order sorted stably by prefix: only runs of equal prefixes are left
    // to order by their whole keys, and equal keys by their positions.
    for (size_t first = 0; first < entries.size();) {
        size_t last = first + 1;
        while (last < entries.size() && entries[last].Prefix == entries[first].Prefix)
            ++last;
        const auto sameKey = [&](const TPrefixedPosition& entry) {
            return keys[static_cast<size_t>(entry.Position)] ==
                   keys[static_cast<size_t>(entries[first].Position)];
        };
        // Mostly a run of one name many images share, which is in order as it stands.
        if (last - first > 1 &&
            !std::all_of(entries.begin() + static_cast<std::ptrdiff_t>(first),
                         entries.begin() + static_cast<std::ptrdiff_t>(last), sameKey))
            std::sort(entries.begin() + static_cast<std::ptrdiff_t>(first),
                      entries.begin() + static_cast<std::ptrdiff_t>(last),
                      [&keys](const TPrefixedPosition& a, const TPrefixedPosition& b) {
                          const int c = keys[static_cast<size_t>(a.Position)].compare(
                              keys[static_cast<size_t>(b.Position)]);
                          return c < 0 || (c == 0 && a.Position < b.Position);
                      });
        first = last;
    }
    std::vector<int32_t> targets(keys.size());
    for (size_t k = 0; k < entries.size(); ++k)
        targets[static_cast<size_t>(entries[k].Position)] = static_cast<int32_t>(k);
    return ExchangesFromTargets(targets);
}

TExchangePlan ReversePlan(int count) {
    TExchangePlan plan;
    if (count <= 1) {
        return plan;
    }
    plan.reserve(static_cast<size_t>(count / 2));
    for (int32_t i = 0; i < count / 2; ++i) {
        plan.push_back({i, count - 1 - i});
    }
    return plan;
}

TExchangePlan MovePlan(int count, const std::vector<int>& selected, int step) {
    // Checked before the early exits so that a caller's bad position never goes unnoticed.
    for (int index : selected) {
        if (index < 0 || index >= count) {
            throw rtl::EListError(rtl::Format(rtl::Tr("List index out of bounds (%d)"), index));
        }
    }
    if (count <= 1 || step == 0 || selected.empty()) {
        return {};
    }
    std::vector<char> isSelected(static_cast<size_t>(count), 0);
    for (int index : selected) {
        isSelected[static_cast<size_t>(index)] = 1;
    }
    std::vector<int32_t> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);

    // No entry can travel further than the list is long; clamping also keeps |INT_MIN| in range.
    const int64_t reach = std::min<int64_t>(std::llabs(static_cast<long long>(step)), count);
    const int32_t d = step < 0 ? -1 : 1;
    const int32_t first = step < 0 ? 0 : count - 1;
    // Each selected entry shifts at most `reach` entries, so the walk costs O(count * reach).
    for (int32_t visited = first - d; visited >= 0 && visited < count; visited -= d) {
        const int32_t entry = order[static_cast<size_t>(visited)];
        if (!isSelected[static_cast<size_t>(entry)]) {
            continue;
        }
        int32_t target = visited;
        for (int64_t moved = 0; moved < reach; ++moved) {
            const int32_t next = target + d;
            if (next < 0 || next >= count || isSelected[static_cast<size_t>(order[next])]) {
                break;
            }
            target = next;
        }
        for (int32_t p = visited; p != target; p += d) {
            order[static_cast<size_t>(p)] = order[static_cast<size_t>(p + d)];
        }
        order[static_cast<size_t>(target)] = entry;
    }
    std::vector<int32_t> targets = TargetsFromOrder(order);
    return ExchangesFromTargets(targets);
}
