#pragma once
// Small helpers the measuring tools share: the monotonic clock and order statistics.

#include <time.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace bench {

inline int64_t monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

inline int64_t processCpuNs() {
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return int64_t{used.tv_sec} * 1000000000 + used.tv_nsec;
}

// The value below which `fraction` of the sorted values lie.
inline double quantile(std::vector<double> values, double fraction) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto at = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[at];
}

}  // namespace bench
