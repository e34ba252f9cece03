#pragma once
// The values each run of an analysis gives its varied constants, and the seed of its RANDOM.
// Everything is derived from the analysis seed and the run's index, never from the order in
// which threads take the runs, so results are the same whatever the number of threads.

#include "core/analysis/SensitivitySetUp.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A counter-based source of random numbers: the same key always gives the same stream.
class TSampleStream {
public:
    // The stream of (seed, purpose, index): purposes keep the streams of one run apart.
    TSampleStream(uint32_t seed, uint64_t purpose, uint64_t index);
    uint64_t Next();
    // Uniform on (0, 1), never 0 or 1: every quantile is finite.
    double NextOpen();

private:
    uint64_t State;
};

// One row per run, one column per varied element.
struct TSampleTable {
    size_t Runs = 0;
    size_t Columns = 0;
    std::vector<double> Values;

    const double* Row(size_t run) const { return Values.data() + run * Columns; }
    double At(size_t run, size_t column) const { return Values[run * Columns + column]; }
};

// The number of runs all combinations take: the product of the sources' levels. 0 with a
// problem (a sentence) when a source is a distribution or the product passes limit.
int64_t GridRunCount(const std::vector<TVariedSource>& sources, int64_t limit,
                     std::string& problem);

// The samples of runs runs by method. Random: run k draws each element's probability from
// the stream of (seed, k). Latin hypercube: each element's probabilities are split into runs
// equal strata, each used by exactly one run, the strata shuffled per element. All
// combinations: run k is combination k, the last element changing fastest (runs is then
// GridRunCount).
TSampleTable DrawSamples(const std::vector<TVariedSource>& sources, TSamplingMethod method,
                         size_t runs, uint32_t seed);

// The start of RANDOM's generator in run k; the model's own run in an analysis is run -1.
uint32_t RunRandomSeed(uint32_t seed, int64_t run);
