#include "core/analysis/BandStatistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

const char* const BandStatisticNames[BandStatisticCount] = {
    "min", "p2.5", "p12.5", "p25", "median", "p75", "p87.5", "p97.5", "max", "mean"};

namespace {

constexpr double Percents[] = {0, 2.5, 12.5, 25, 50, 75, 87.5, 97.5, 100};

} // namespace

double Percentile(const double* sorted, size_t count, double percent) {
    if (count == 0) return std::numeric_limits<double>::quiet_NaN();
    // Computed as numpy computes it, so that its results match to the last bit.
    const double rank = static_cast<double>(count - 1) * (percent / 100);
    const auto below = static_cast<size_t>(std::floor(rank));
    if (below + 1 >= count) return sorted[count - 1];
    const double share = rank - static_cast<double>(below);
    const double low = sorted[below], high = sorted[below + 1];
    // Equal neighbours give their value exactly, also when they are infinite.
    if (share == 0 || low == high) return low;
    // Towards an infinite neighbour every share is infinite (numpy would give NaN from
    // infinity minus infinity on the way); between the two infinities there is no answer.
    if (std::isinf(low) || std::isinf(high)) {
        if (std::isinf(low) && std::isinf(high)) return std::numeric_limits<double>::quiet_NaN();
        return std::isinf(low) ? low : high;
    }
    const double difference = high - low;
    return share >= 0.5 ? high - difference * (1 - share) : low + difference * share;
}

void BandStatistics(std::vector<double>& values, double* statistics) {
    const bool unusable = values.empty() || std::any_of(values.begin(), values.end(),
                                                        [](double x) { return std::isnan(x); });
    if (unusable) {
        std::fill(statistics, statistics + BandStatisticCount,
                  std::numeric_limits<double>::quiet_NaN());
        return;
    }
    double sum = 0;
    for (double x : values)
        sum += x;
    std::sort(values.begin(), values.end());
    for (size_t i = 0; i < std::size(Percents); ++i)
        statistics[i] = Percentile(values.data(), values.size(), Percents[i]);
    statistics[bsMean] = sum / static_cast<double>(values.size());
}
