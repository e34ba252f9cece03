#pragma once
// The statistics of one output at one step over the runs of an analysis: the minimum, the
// percentiles that bound the 95, 75 and 50 % bands, the median, the maximum and the mean.

#include <cstddef>
#include <vector>

enum TBandStatistic {
    bsMin,
    bsP2_5,
    bsP12_5,
    bsP25,
    bsMedian,
    bsP75,
    bsP87_5,
    bsP97_5,
    bsMax,
    bsMean,
};
inline constexpr size_t BandStatisticCount = 10;
// Column names: "min", "p2.5", "p12.5", "p25", "median", "p75", "p87.5", "p97.5", "max", "mean".
extern const char* const BandStatisticNames[BandStatisticCount];

// The percent-th percentile of count ascending values by linear interpolation between the
// closest ranks (the spreadsheet and numpy default): rank (count - 1) * (percent / 100).
double Percentile(const double* sorted, size_t count, double percent);

// The statistics of values, given in run order (the mean adds them in that order) and left
// sorted. Any value that is not a number makes every statistic not a number; none gives NaN.
void BandStatistics(std::vector<double>& values, double* statistics);
