// The statistics of the bands, against values worked out by hand with numpy's rule.
#include "core/analysis/BandStatistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(BandStatistics, MatchesAHandComputedTable) {
    constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double Inf = std::numeric_limits<double>::infinity();
    struct TCase {
        std::vector<double> Values; // in run order
        // min, p2.5, p12.5, p25, median, p75, p87.5, p97.5, max, mean
        std::vector<double> Expected;
    };
    const TCase cases[] = {
        // Ranks at (n - 1) * p: 0.1, 0.5, 1, 2, 3, 3.5, 3.9 between 1 1 3 4 5.
        {{3, 1, 4, 1, 5}, {1, 1, 1, 1, 3, 4, 4.5, 4.9, 5, 2.8}},
        // Ranks 0.075, 0.375, 0.75, 1.5, 2.25, 2.625, 2.925 between 10 20 30 40.
        {{40, 10, 30, 20}, {10, 10.75, 13.75, 17.5, 25, 32.5, 36.25, 39.25, 40, 25}},
        {{7}, {7, 7, 7, 7, 7, 7, 7, 7, 7, 7}},
        {{-2, 2}, {-2, -1.9, -1.5, -1, 0, 1, 1.5, 1.9, 2, 0}},
        // Towards an infinite neighbour every share is infinite, and equal ones stay so.
        {{Inf, Inf, 1}, {1, Inf, Inf, Inf, Inf, Inf, Inf, Inf, Inf, Inf}},
        // A value that is not a number leaves nothing to say.
        {{1, NaN, 3}, {NaN, NaN, NaN, NaN, NaN, NaN, NaN, NaN, NaN, NaN}},
        {{}, {NaN, NaN, NaN, NaN, NaN, NaN, NaN, NaN, NaN, NaN}},
    };
    for (const TCase& c : cases) {
        std::vector<double> values = c.Values;
        double statistics[BandStatisticCount];
        BandStatistics(values, statistics);
        for (size_t i = 0; i < BandStatisticCount; ++i) {
            const double expected = c.Expected[i];
            if (std::isnan(expected))
                EXPECT_TRUE(std::isnan(statistics[i])) << BandStatisticNames[i];
            else
                EXPECT_DOUBLE_EQ(statistics[i], expected)
                    << BandStatisticNames[i] << " of " << c.Values.size() << " values";
        }
    }
}

} // namespace
