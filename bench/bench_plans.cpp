// Times the reorder plans on 100,000 entries, with std::stable_sort of the same keys as the yard
// stick for SortPlan: a plan costs a sort plus a linear pass, so the two should stay close.
#include "Vix_lists.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int EntryCount = 100000;

struct TKeyList {
    std::vector<std::string> Keys;
    int Count() const { return static_cast<int>(Keys.size()); }
};

// Drawn from a pool smaller than the list so that many keys repeat and ties are exercised.
const TKeyList& Keys() {
    static const TKeyList list = [] {
        std::mt19937 random(12345);
        std::uniform_int_distribution<int> length(1, 16);
        std::uniform_int_distribution<int> byte('A', 'Z');
        std::vector<std::string> pool(EntryCount / 4);
        for (std::string& key : pool) {
            key.resize(static_cast<size_t>(length(random)));
            for (char& c : key) {
                c = static_cast<char>(byte(random));
            }
        }
        std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);
        TKeyList result;
        result.Keys.reserve(EntryCount);
        for (int i = 0; i < EntryCount; ++i) {
            result.Keys.push_back(pool[pick(random)]);
        }
        return result;
    }();
    return list;
}

int CompareKeys(const TKeyList& list, int index1, int index2, int32_t) {
    return list.Keys[static_cast<size_t>(index1)].compare(list.Keys[static_cast<size_t>(index2)]);
}

// Half of the positions, ascending.
const std::vector<int>& HalfSelected() {
    static const std::vector<int> selected = [] {
        std::mt19937 random(54321);
        std::vector<int> result;
        for (int p = 0; p < EntryCount; ++p) {
            if (random() % 2 == 0) {
                result.push_back(p);
            }
        }
        return result;
    }();
    return selected;
}

void BM_SortPlan(benchmark::State& state) {
    const TKeyList& list = Keys();
    for (auto _ : state) {
        TExchangePlan plan = SortPlan(list, CompareKeys, 0);
        benchmark::DoNotOptimize(plan.data());
    }
    state.SetItemsProcessed(state.iterations() * EntryCount);
}

void BM_StableSortKeys(benchmark::State& state) {
    const TKeyList& list = Keys();
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::string> copy = list.Keys;
        state.ResumeTiming();
        std::stable_sort(copy.begin(), copy.end(), [](const std::string& a, const std::string& b) {
            return a.compare(b) < 0;
        });
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetItemsProcessed(state.iterations() * EntryCount);
}

void BM_ReversePlan(benchmark::State& state) {
    const TKeyList& list = Keys();
    for (auto _ : state) {
        TExchangePlan plan = ReversePlan(list);
        benchmark::DoNotOptimize(plan.data());
    }
    state.SetItemsProcessed(state.iterations() * EntryCount);
}

void BM_MovePlan(benchmark::State& state) {
    const TKeyList& list = Keys();
    const std::vector<int>& selected = HalfSelected();
    const int step = static_cast<int>(state.range(0));
    for (auto _ : state) {
        TExchangePlan plan = MovePlan(list, selected, step);
        benchmark::DoNotOptimize(plan.data());
    }
    state.SetItemsProcessed(state.iterations() * EntryCount);
}

} // namespace

BENCHMARK(BM_SortPlan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StableSortKeys)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReversePlan)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MovePlan)->Arg(-1)->Arg(1)->Unit(benchmark::kMicrosecond);
