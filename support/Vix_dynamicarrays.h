// A growing buffer that collects values and hands them over as an array of exactly the values
// collected, so that a caller who knows roughly how many values will come can size it once.
#pragma once

#include "Rtl_exceptions.h"

#include <cstddef>
#include <utility>
#include <vector>

RTL_DECLARE_EXCEPTION(EDynamicArrayError, rtl::Exception);

// Raises EDynamicArrayError "The program cannot set the capacity."; kept out of the template so
// that every instantiation shares one copy of the text.
[[noreturn]] void RaiseDynamicArrayCapacityError();

template <typename T> class TDynamicArrayBuilder {
public:
    TDynamicArrayBuilder() = default;

    // The length of the backing array, which is what Grow compares with the count.
    int Capacity() const { return static_cast<int>(FArray.size()); }
    // EDynamicArrayError when n < Count(): shrinking would drop values already added.
    void SetCapacity(int n) {
        if (n < FCount)
            RaiseDynamicArrayCapacityError();
        FArray.resize(static_cast<std::size_t>(n));
    }
    int Count() const { return FCount; }

    // The position the value was stored at.
    int Add(const T& value) {
        Grow();
        FArray[static_cast<std::size_t>(FCount)] = value;
        return FCount++;
    }
    // An empty builder keeps its backing array, so a capacity set in advance survives.
    void Clear() {
        if (FCount != 0) {
            FCount = 0;
            std::vector<T>().swap(FArray);
        }
    }
    // The values collected; the builder is left empty, as Clear leaves it.
    std::vector<T> Release() {
        if (FCount == 0)
            return {};
        // Handing over the backing array saves the copy ToArray would make before Clear frees it.
        FArray.resize(static_cast<std::size_t>(FCount));
        std::vector<T> result = std::move(FArray);
        FArray = std::vector<T>();
        FCount = 0;
        return result;
    }
    // A copy of the values collected; the builder is unchanged.
    std::vector<T> ToArray() const {
        return std::vector<T>(FArray.begin(), FArray.begin() + FCount);
    }

private:
    // Growing by half rather than doubling keeps the slack of a large array moderate; the floor
    // of 8 spares small arrays a run of tiny reallocations.
    void Grow() {
        const std::size_t length = FArray.size();
        if (length > static_cast<std::size_t>(FCount))
            return;
        FArray.resize(length < 8 ? 8 : length + length / 2);
    }

    std::vector<T> FArray;
    int FCount = 0;
};

// The list view shell collects indices with it; one shared instantiation serves every user.
extern template class TDynamicArrayBuilder<int>;
