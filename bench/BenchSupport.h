// What the benchmarks share: a stopwatch and the random names they give their images.
#pragma once

#include <chrono>
#include <functional>
#include <random>
#include <string>

inline double Milliseconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// 0 to 16 capital letters.
inline std::string RandomName(std::mt19937& random) {
    std::uniform_int_distribution<int> length(0, 16);
    std::uniform_int_distribution<int> letter('A', 'Z');
    std::string name(static_cast<size_t>(length(random)), ' ');
    for (char& c : name)
        c = static_cast<char>(letter(random));
    return name;
}
