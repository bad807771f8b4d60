#include "TestSupport.h"
#include "Vix_dynamicarrays.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const CannotSetCapacityMessage = "The program cannot set the capacity.";

// The capacity seen after each Add, from an empty builder.
std::vector<int> CapacitiesWhileAdding(TDynamicArrayBuilder<int>& builder, int adds) {
    std::vector<int> capacities;
    for (int i = 0; i < adds; ++i) {
        builder.Add(i);
        capacities.push_back(builder.Capacity());
    }
    return capacities;
}

TEST(DynamicArrayBuilderTest, StartsEmptyAndAddReturnsPositions) {
    TDynamicArrayBuilder<int> builder;
    EXPECT_EQ(builder.Count(), 0);
    EXPECT_EQ(builder.Capacity(), 0);
    EXPECT_TRUE(builder.ToArray().empty());
    EXPECT_EQ(builder.Add(42), 0);
    EXPECT_EQ(builder.Add(-7), 1);
    EXPECT_EQ(builder.Add(42), 2);
    EXPECT_EQ(builder.Count(), 3);
    EXPECT_EQ(builder.ToArray(), (std::vector<int>{42, -7, 42}));
}

TEST(DynamicArrayBuilderTest, GrowsToEightThenByHalfTruncated) {
    TDynamicArrayBuilder<int> fromEmpty;
    const std::vector<int> capacities = CapacitiesWhileAdding(fromEmpty, 28);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(capacities[i], 8) << "after add " << i + 1;
    for (int i = 8; i < 12; ++i)
        EXPECT_EQ(capacities[i], 12) << "after add " << i + 1;
    for (int i = 12; i < 18; ++i)
        EXPECT_EQ(capacities[i], 18) << "after add " << i + 1;
    for (int i = 18; i < 27; ++i)
        EXPECT_EQ(capacities[i], 27) << "after add " << i + 1;
    EXPECT_EQ(capacities[27], 40);

    // A length below 8 that is full goes straight to 8, not to length x 1.5.
    TDynamicArrayBuilder<int> small;
    small.SetCapacity(3);
    EXPECT_EQ(CapacitiesWhileAdding(small, 4), (std::vector<int>{3, 3, 3, 8}));

    TDynamicArrayBuilder<int> odd;
    odd.SetCapacity(9);
    const std::vector<int> oddCapacities = CapacitiesWhileAdding(odd, 14);
    EXPECT_EQ(oddCapacities[8], 9);
    EXPECT_EQ(oddCapacities[9], 13);
    EXPECT_EQ(oddCapacities[13], 19);
    std::vector<int> expected(14);
    for (int i = 0; i < 14; ++i)
        expected[i] = i;
    EXPECT_EQ(odd.ToArray(), expected);
}

TEST(DynamicArrayBuilderTest, FullBuilderOfEightGrowsToTwelveOnTheNextAdd) {
    TDynamicArrayBuilder<int> builder;
    builder.SetCapacity(8);
    for (int i = 0; i < 8; ++i)
        builder.Add(i * 10);
    EXPECT_EQ(builder.Capacity(), 8);
    EXPECT_EQ(builder.Add(80), 8);
    EXPECT_EQ(builder.Capacity(), 12);
    EXPECT_EQ(builder.ToArray(), (std::vector<int>{0, 10, 20, 30, 40, 50, 60, 70, 80}));
}

TEST(DynamicArrayBuilderTest, CapacitySetInAdvanceIsNotGrownUntilFull) {
    TDynamicArrayBuilder<int> builder;
    builder.SetCapacity(100);
    for (int i = 0; i < 100; ++i)
        builder.Add(i);
    EXPECT_EQ(builder.Capacity(), 100);
    builder.Add(100);
    EXPECT_EQ(builder.Capacity(), 150);
    EXPECT_EQ(builder.Count(), 101);
}

TEST(DynamicArrayBuilderTest, CapacityBelowCountIsRefusedAndKeepsTheValues) {
    TDynamicArrayBuilder<int> builder;
    for (int v : {5, 6, 7})
        builder.Add(v);
    EXPECT_EQ(testsupport::MessageOf<EDynamicArrayError>([&] { builder.SetCapacity(2); }),
              CannotSetCapacityMessage);
    EXPECT_EQ(builder.Count(), 3);
    EXPECT_EQ(builder.Capacity(), 8);
    EXPECT_EQ(builder.ToArray(), (std::vector<int>{5, 6, 7}));

    TDynamicArrayBuilder<int> empty;
    EXPECT_EQ(testsupport::MessageOf<EDynamicArrayError>([&] { empty.SetCapacity(-1); }),
              CannotSetCapacityMessage);
    EXPECT_EQ(empty.Capacity(), 0);

    // Shrinking exactly to the count is allowed and drops only the slack.
    builder.SetCapacity(3);
    EXPECT_EQ(builder.Capacity(), 3);
    EXPECT_EQ(builder.ToArray(), (std::vector<int>{5, 6, 7}));
    EXPECT_EQ(builder.Add(8), 3);
    EXPECT_EQ(builder.Capacity(), 8);
}

TEST(DynamicArrayBuilderTest, ToArrayCopiesExactlyTheCountAndLeavesTheBuilder) {
    TDynamicArrayBuilder<int> builder;
    builder.SetCapacity(10);
    builder.Add(1);
    builder.Add(2);
    std::vector<int> first = builder.ToArray();
    EXPECT_EQ(first, (std::vector<int>{1, 2}));
    first[0] = 99;
    EXPECT_EQ(builder.Count(), 2);
    EXPECT_EQ(builder.Capacity(), 10);
    EXPECT_EQ(builder.ToArray(), (std::vector<int>{1, 2}));
}

TEST(DynamicArrayBuilderTest, ReleaseHandsOverTheValuesAndEmpties) {
    TDynamicArrayBuilder<int> builder;
    for (int i = 0; i < 9; ++i)
        builder.Add(i * i);
    const std::vector<int> released = builder.Release();
    EXPECT_EQ(released, (std::vector<int>{0, 1, 4, 9, 16, 25, 36, 49, 64}));
    EXPECT_EQ(builder.Count(), 0);
    EXPECT_EQ(builder.Capacity(), 0);
    EXPECT_TRUE(builder.ToArray().empty());
    EXPECT_TRUE(builder.Release().empty());

    // The builder is usable again and grows from scratch.
    EXPECT_EQ(builder.Add(3), 0);
    EXPECT_EQ(builder.Capacity(), 8);
    EXPECT_EQ(builder.Release(), (std::vector<int>{3}));
}

TEST(DynamicArrayBuilderTest, ClearAndReleaseOfAnEmptyBuilderKeepTheCapacity) {
    TDynamicArrayBuilder<int> builder;
    builder.SetCapacity(5);
    builder.Clear();
    EXPECT_EQ(builder.Capacity(), 5);
    EXPECT_TRUE(builder.Release().empty());
    EXPECT_EQ(builder.Capacity(), 5);

    builder.Add(1);
    builder.Clear();
    EXPECT_EQ(builder.Count(), 0);
    EXPECT_EQ(builder.Capacity(), 0);
    EXPECT_TRUE(builder.ToArray().empty());
}

TEST(DynamicArrayBuilderTest, HoldsValuesOfOtherTypes) {
    TDynamicArrayBuilder<std::string> builder;
    for (int i = 0; i < 13; ++i)
        builder.Add(std::string(static_cast<std::size_t>(i), 'x'));
    EXPECT_EQ(builder.Capacity(), 18);
    const std::vector<std::string> values = builder.Release();
    ASSERT_EQ(values.size(), 13u);
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(values[i], std::string(i, 'x'));
    EXPECT_EQ(builder.Count(), 0);
}

} // namespace
