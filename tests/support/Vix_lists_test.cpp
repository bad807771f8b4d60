#include "Vix_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <numeric>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

// A minimal list: the plan functions must need nothing beyond Count() and the comparer.
struct TIntList {
    std::vector<int> Items;
    int Count() const { return static_cast<int>(Items.size()); }
};

// userValue 0 sorts ascending, 1 descending, so that a lost user value shows in the result.
int CompareInts(const TIntList& list, int index1, int index2, int32_t userValue) {
    const int a = list.Items.at(static_cast<size_t>(index1));
    const int b = list.Items.at(static_cast<size_t>(index2));
    const int result = (a > b) - (a < b);
    return userValue == 1 ? -result : result;
}

template <typename T> void Apply(std::vector<T>& items, const TExchangePlan& plan) {
    for (const TExchange& e : plan) {
        std::swap(items.at(static_cast<size_t>(e.Index1)), items.at(static_cast<size_t>(e.Index2)));
    }
}

template <typename T> void Undo(std::vector<T>& items, const TExchangePlan& plan) {
    for (auto it = plan.rbegin(); it != plan.rend(); ++it) {
        std::swap(items.at(static_cast<size_t>(it->Index1)),
                  items.at(static_cast<size_t>(it->Index2)));
    }
}

std::vector<int> Identity(int count) {
    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    return order;
}

// n minus the number of cycles (fixed points included) of the permutation that turns the
// identity into `order`: the fewest exchanges that can produce it.
size_t MinimalExchangeCount(const std::vector<int>& order) {
    std::vector<bool> seen(order.size(), false);
    size_t cycles = 0;
    for (size_t start = 0; start < order.size(); ++start) {
        if (seen[start]) {
            continue;
        }
        ++cycles;
        for (size_t p = start; !seen[p]; p = static_cast<size_t>(order[p])) {
            seen[p] = true;
        }
    }
    return order.size() - cycles;
}

// Shape that cycle following gives: each exchange anchored at the smaller position, anchors
// never going back, and no position out of range.
void ExpectCycleFollowingShape(const TExchangePlan& plan, int count) {
    int32_t previousAnchor = 0;
    for (const TExchange& e : plan) {
        EXPECT_GE(e.Index1, 0);
        EXPECT_LT(e.Index1, e.Index2);
        EXPECT_LT(e.Index2, count);
        EXPECT_GE(e.Index1, previousAnchor);
        previousAnchor = e.Index1;
    }
}

// The plain way to move a selection: |step| passes, each letting every selected entry take one
// place from an unselected neighbour on the leading side, nearest the leading end first.
std::vector<int> ReferenceMove(int count, const std::vector<int>& selected, int step) {
    std::vector<int> order = Identity(count);
    std::vector<bool> isSelected(static_cast<size_t>(count), false);
    for (int s : selected) {
        isSelected[static_cast<size_t>(s)] = true;
    }
    const long long passes = std::min<long long>(std::llabs(static_cast<long long>(step)), count);
    for (long long pass = 0; pass < passes; ++pass) {
        if (step < 0) {
            for (int p = 1; p < count; ++p) {
                if (isSelected[order[p]] && !isSelected[order[p - 1]]) {
                    std::swap(order[p], order[p - 1]);
                }
            }
        } else {
            for (int p = count - 2; p >= 0; --p) {
                if (isSelected[order[p]] && !isSelected[order[p + 1]]) {
                    std::swap(order[p], order[p + 1]);
                }
            }
        }
    }
    return order;
}

TEST(VixListsPlanTest, WorkedExamplesGiveTheirExactPlans) {
    // Turning [a, b, c] into [c, a, b].
    TIntList abc{{2, 3, 1}};
    TExchangePlan plan = SortPlan(abc, CompareInts, 0);
    EXPECT_EQ(plan, (TExchangePlan{{0, 1}, {0, 2}}));
    std::vector<std::string> letters{"a", "b", "c"};
    Apply(letters, plan);
    EXPECT_EQ(letters, (std::vector<std::string>{"c", "a", "b"}));

    // The two 1s keep their order.
    TIntList values{{3, 1, 2, 1}};
    plan = SortPlan(values, CompareInts, 0);
    EXPECT_EQ(plan, (TExchangePlan{{0, 3}, {0, 1}}));
    std::vector<int> positions = Identity(4);
    Apply(positions, plan);
    EXPECT_EQ(positions, (std::vector<int>{1, 3, 2, 0}));

    EXPECT_EQ(ReversePlan(5), (TExchangePlan{{0, 4}, {1, 3}}));
    EXPECT_EQ(ReversePlan(4), (TExchangePlan{{0, 3}, {1, 2}}));
    EXPECT_EQ(ReversePlan(TIntList{{1, 2, 3, 4, 5}}), (TExchangePlan{{0, 4}, {1, 3}}));
}

TEST(VixListsPlanTest, MoveWorkedExamplesGiveTheirExactPlans) {
    const TIntList five{{10, 11, 12, 13, 14}};
    // Position 0 cannot move up; position 3 goes to 2.
    EXPECT_EQ(MovePlan(five, {0, 3}, -1), (TExchangePlan{{2, 3}}));
    // A leading run stays where it is.
    EXPECT_EQ(MovePlan(five, {0, 1, 2}, -1), TExchangePlan{});
    // 1 and 2 go to 2 and 3; the entry at 3 goes to 1.
    TExchangePlan plan = MovePlan(five, {1, 2}, 1);
    EXPECT_EQ(plan, (TExchangePlan{{1, 2}, {1, 3}}));
    std::vector<int> order = Identity(5);
    Apply(order, plan);
    EXPECT_EQ(order, (std::vector<int>{0, 3, 1, 2, 4}));
    // The entry at 1 stops at the start; the entry at 3 goes to 1.
    plan = MovePlan(five, {1, 3}, -2);
    EXPECT_EQ(plan, (TExchangePlan{{0, 2}, {0, 3}, {0, 1}}));
    order = Identity(5);
    Apply(order, plan);
    EXPECT_EQ(order, (std::vector<int>{1, 3, 0, 2, 4}));
}

TEST(VixListsPlanTest, EmptyAndSingleEntryListsGiveEmptyPlans) {
    int calls = 0;
    auto counting = [&calls](int, int) {
        ++calls;
        return 0;
    };
    for (const TIntList& list : {TIntList{}, TIntList{{7}}}) {
        SCOPED_TRACE(list.Count());
        EXPECT_TRUE(SortPlan(list, CompareInts, 0).empty());
        EXPECT_TRUE(SortPlan(list.Count(), counting).empty());
        EXPECT_TRUE(ReversePlan(list).empty());
        EXPECT_TRUE(ReversePlan(list.Count()).empty());
        EXPECT_TRUE(MovePlan(list, {}, -1).empty());
        for (int step : {-3, -1, 1, 3}) {
            EXPECT_TRUE(MovePlan(list, std::vector<int>(list.Items.size(), 0), step).empty());
            EXPECT_TRUE(
                MovePlan(list.Count(), std::vector<int>(list.Items.size(), 0), step).empty());
        }
    }
    EXPECT_EQ(calls, 0);
}

TEST(VixListsPlanTest, NothingToDoGivesEmptyPlans) {
    EXPECT_TRUE(SortPlan(TIntList{{1, 2, 2, 5, 9}}, CompareInts, 0).empty());
    EXPECT_TRUE(SortPlan(TIntList{{9, 5, 2, 2, 1}}, CompareInts, 1).empty());
    EXPECT_TRUE(SortPlan(TIntList{{4, 4, 4, 4, 4, 4}}, CompareInts, 0).empty());
    EXPECT_TRUE(SortPlan(TIntList{{4, 4, 4, 4, 4, 4}}, CompareInts, 1).empty());
    EXPECT_TRUE(SortPlan(1000, [](int, int) { return 0; }).empty());
    EXPECT_TRUE(MovePlan(5, {1, 3}, 0).empty());
    EXPECT_TRUE(MovePlan(5, {}, 2).empty());
    EXPECT_TRUE(MovePlan(5, {3, 4}, 1).empty());
    EXPECT_TRUE(MovePlan(5, {0, 1, 2, 3, 4}, -3).empty());
}

TEST(VixListsPlanTest, SortPlanPassesUserValueAndOriginalPositions) {
    // Descending with ties: the equal 5s must keep their original order.
    TIntList list{{5, 1, 5, 8, 1, 5}};
    std::vector<int> order = Identity(list.Count());
    Apply(order, SortPlan(list, CompareInts, 1));
    EXPECT_EQ(order, (std::vector<int>{3, 0, 2, 5, 1, 4}));

    // The callable overload sees only positions of the list as it was before any exchange.
    const std::vector<int> keys{4, 0, 3, 1, 2};
    std::vector<std::pair<int, int>> badCalls;
    auto compare = [&](int a, int b) {
        if (a < 0 || b < 0 || a >= 5 || b >= 5) {
            badCalls.emplace_back(a, b);
            return 0;
        }
        return keys[static_cast<size_t>(a)] - keys[static_cast<size_t>(b)];
    };
    std::vector<int> sorted = keys;
    Apply(sorted, SortPlan(5, compare));
    EXPECT_TRUE(badCalls.empty());
    EXPECT_EQ(sorted, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(VixListsPlanTest, RandomSortPlansMatchStableSortAndUndo) {
    std::mt19937 random(20240613);
    for (int round = 0; round < 300; ++round) {
        const int count = std::uniform_int_distribution<int>(0, 200)(random);
        const int distinctKeys = std::uniform_int_distribution<int>(1, 12)(random);
        const int32_t userValue = round % 2;
        TIntList list;
        for (int i = 0; i < count; ++i) {
            list.Items.push_back(std::uniform_int_distribution<int>(1, distinctKeys)(random));
        }
        SCOPED_TRACE(testing::Message() << "round " << round << " count " << count);

        std::vector<int> expected = Identity(count);
        std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
            return userValue == 1 ? list.Items[a] > list.Items[b] : list.Items[a] < list.Items[b];
        });

        const TExchangePlan plan = SortPlan(list, CompareInts, userValue);
        std::vector<int> order = Identity(count);
        Apply(order, plan);
        ASSERT_EQ(order, expected);
        EXPECT_EQ(plan.size(), MinimalExchangeCount(expected));
        ExpectCycleFollowingShape(plan, count);

        Undo(order, plan);
        EXPECT_EQ(order, Identity(count));
    }
}

// Keys that share their first eight bytes, are prefixes of each other, hold zero and high bytes
// or are equal: the keyed plan sorts them as a stable byte-wise sort does, in short lists and in
// lists long enough to be sorted a digit at a time.
TEST(VixListsPlanTest, RandomKeyedSortPlansMatchStableSortOfTheKeys) {
    std::mt19937 random(20261208);
    const std::string alphabet("\x00\x01\x7f\x80\xff", 5);
    for (int round = 0; round < 300; ++round) {
        const int count = round % 25 == 1 ? std::uniform_int_distribution<int>(1000, 5000)(random)
                                          : std::uniform_int_distribution<int>(0, 120)(random);
        std::vector<std::string> keys;
        for (int i = 0; i < count; ++i) {
            std::string key = round % 3 == 0 ? "SAMEPREF" : "";
            const int length = std::uniform_int_distribution<int>(0, 10)(random);
            for (int k = 0; k < length; ++k)
                key += alphabet[random() % alphabet.size()];
            keys.push_back(key);
        }
        SCOPED_TRACE(testing::Message() << "round " << round);
        std::vector<int> expected = Identity(count);
        std::stable_sort(expected.begin(), expected.end(),
                         [&](int a, int b) { return keys[a] < keys[b]; });
        const TExchangePlan plan =
            SortPlanByKeys(std::vector<std::string_view>(keys.begin(), keys.end()));
        std::vector<int> order = Identity(count);
        Apply(order, plan);
        ASSERT_EQ(order, expected);
        EXPECT_EQ(plan.size(), MinimalExchangeCount(expected));
    }
}

TEST(VixListsPlanTest, ReversePlanReversesAndUndoes) {
    for (int count = 0; count <= 9; ++count) {
        const TExchangePlan plan = ReversePlan(count);
        EXPECT_EQ(plan.size(), static_cast<size_t>(count / 2));
        std::vector<int> order = Identity(count);
        Apply(order, plan);
        std::vector<int> expected = Identity(count);
        std::reverse(expected.begin(), expected.end());
        EXPECT_EQ(order, expected) << count;
        Undo(order, plan);
        EXPECT_EQ(order, Identity(count)) << count;
    }
}

TEST(VixListsPlanTest, RandomMovePlansMatchReferenceMove) {
    std::mt19937 random(7771);
    for (int round = 0; round < 1000; ++round) {
        const int count = std::uniform_int_distribution<int>(0, 40)(random);
        const int step = std::uniform_int_distribution<int>(-3, 3)(random);
        const int density = std::uniform_int_distribution<int>(0, 100)(random);
        std::vector<int> selected;
        for (int p = 0; p < count; ++p) {
            if (std::uniform_int_distribution<int>(0, 99)(random) < density) {
                selected.push_back(p);
            }
        }
        SCOPED_TRACE(testing::Message() << "round " << round << " count " << count << " step "
                                        << step << " selected " << selected.size());

        const TExchangePlan plan = MovePlan(count, selected, step);
        std::vector<int> order = Identity(count);
        Apply(order, plan);
        ASSERT_EQ(order, ReferenceMove(count, selected, step));
        EXPECT_EQ(plan.size(), MinimalExchangeCount(order));
        ExpectCycleFollowingShape(plan, count);

        std::vector<int> where(static_cast<size_t>(count));
        for (int k = 0; k < count; ++k) {
            where[static_cast<size_t>(order[k])] = k;
        }
        int previous = -1;
        for (size_t k = 0; k < selected.size(); ++k) {
            const int from = selected[k];
            const int to = where[static_cast<size_t>(from)];
            // Selected entries keep their order, so none passes another.
            EXPECT_GT(to, previous);
            previous = to;
            // Each moves only in the step's direction and by at most |step|.
            EXPECT_LE(std::abs(to - from), std::abs(step));
            EXPECT_TRUE(step < 0 ? to <= from : to >= from);
        }
        // A leading run of selected entries stays where it is.
        if (step < 0) {
            for (size_t k = 0; k < selected.size() && selected[k] == static_cast<int>(k); ++k) {
                EXPECT_EQ(where[static_cast<size_t>(selected[k])], selected[k]);
            }
        } else if (step > 0) {
            for (size_t k = 0; k < selected.size() &&
                               selected[selected.size() - 1 - k] == count - 1 - static_cast<int>(k);
                 ++k) {
                EXPECT_EQ(where[static_cast<size_t>(count - 1 - static_cast<int>(k))],
                          count - 1 - static_cast<int>(k));
            }
        }

        Undo(order, plan);
        EXPECT_EQ(order, Identity(count));
    }
}

TEST(VixListsPlanTest, MovePlanWithHugeStepsStopsAtTheEnds) {
    std::vector<int> order = Identity(6);
    Apply(order, MovePlan(6, {2, 4}, INT_MIN));
    EXPECT_EQ(order, (std::vector<int>{2, 4, 0, 1, 3, 5}));
    order = Identity(6);
    Apply(order, MovePlan(6, {0, 3}, INT_MAX));
    EXPECT_EQ(order, (std::vector<int>{1, 2, 4, 5, 0, 3}));
}

TEST(VixListsPlanTest, MovePlanRejectsPositionsOutsideTheList) {
    const TIntList five{{1, 2, 3, 4, 5}};
    for (int bad : {-1, 5, INT_MAX, INT_MIN}) {
        for (int step : {-1, 0, 1}) {
            try {
                MovePlan(five, {1, bad}, step);
                ADD_FAILURE() << "no error for " << bad << " with step " << step;
            } catch (const rtl::EListError& e) {
                EXPECT_EQ(e.Message(), "List index out of bounds (" + std::to_string(bad) + ")");
            }
        }
    }
    EXPECT_THROW(MovePlan(TIntList{}, {0}, 1), rtl::EListError);
    EXPECT_THROW(MovePlan(0, {0}, -1), rtl::EListError);
    EXPECT_NO_THROW(MovePlan(five, {0, 4}, 1));
}

} // namespace
