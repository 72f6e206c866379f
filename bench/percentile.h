// Percentiles of a benchmark's samples, the way every figure of the benchmarks is reported:
// linear interpolation between the two nearest ranks.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

// The value below which the given fraction (0 to 1) of the samples lie; values must not be
// empty.
inline double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const double position = fraction * static_cast<double>(values.size() - 1);
    const size_t below = static_cast<size_t>(position);
    const size_t above = std::min(below + 1, values.size() - 1);
    const double weight = position - static_cast<double>(below);
    return values[below] * (1 - weight) + values[above] * weight;
}
