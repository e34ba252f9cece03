#include "core/analysis/Sampling.h"

#include "core/support/NumberFormat.h"

#include <algorithm>
#include <numeric>

namespace {

// What each stream is for.
enum TPurpose : uint64_t { spRunValues = 1, spStrata = 2, spStrataOffsets = 3, spRandom = 4 };

// A 64-bit finaliser that spreads every input bit over the whole result.
uint64_t Mix(uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    x ^= x >> 33;
    return x;
}

// A whole number below n from the stream, without the bias of a plain modulo.
uint64_t Below(TSampleStream& stream, uint64_t n) {
    const uint64_t limit = UINT64_MAX - UINT64_MAX % n;
    uint64_t x;
    do
        x = stream.Next();
    while (x >= limit);
    return x % n;
}

} // namespace

TSampleStream::TSampleStream(uint32_t seed, uint64_t purpose, uint64_t index)
    : State(Mix(Mix(Mix(seed) ^ purpose) ^ index)) {}

uint64_t TSampleStream::Next() {
    // SplitMix64.
    uint64_t z = (State += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

double TSampleStream::NextOpen() {
    return (static_cast<double>(Next() >> 11) + 0.5) * 0x1p-53;
}

int64_t GridRunCount(const std::vector<TVariedSource>& sources, int64_t limit,
                     std::string& problem) {
    int64_t product = 1;
    for (const TVariedSource& source : sources) {
        const auto levels = static_cast<int64_t>(SourceLevelCount(source));
        if (levels == 0) {
            problem = "All combinations take only list and steps sources.";
            return 0;
        }
        if (product > limit / levels) {
            problem = "All combinations would take more than " + IntToStr(limit) + " runs.";
            return 0;
        }
        product *= levels;
    }
    return product;
}

TSampleTable DrawSamples(const std::vector<TVariedSource>& sources, TSamplingMethod method,
                         size_t runs, uint32_t seed) {
    TSampleTable table;
    table.Runs = runs;
    table.Columns = sources.size();
    table.Values.resize(runs * sources.size());
    const size_t columns = sources.size();
    switch (method) {
    case smRandom:
        for (size_t k = 0; k < runs; ++k) {
            TSampleStream stream(seed, spRunValues, k);
            for (size_t j = 0; j < columns; ++j)
                table.Values[k * columns + j] = SourceQuantile(sources[j], stream.NextOpen());
        }
        break;
    case smLatinHypercube: {
        // strata[j][k]: the stratum of element j that run k takes.
        std::vector<std::vector<uint32_t>> strata(columns, std::vector<uint32_t>(runs));
        for (size_t j = 0; j < columns; ++j) {
            std::vector<uint32_t>& order = strata[j];
            std::iota(order.begin(), order.end(), 0u);
            TSampleStream stream(seed, spStrata, j);
            for (size_t i = runs; i > 1; --i)
                std::swap(order[i - 1], order[Below(stream, i)]);
        }
        const double n = static_cast<double>(runs);
        for (size_t k = 0; k < runs; ++k) {
            TSampleStream stream(seed, spStrataOffsets, k);
            for (size_t j = 0; j < columns; ++j) {
                const double u = (strata[j][k] + stream.NextOpen()) / n;
                table.Values[k * columns + j] = SourceQuantile(sources[j], u);
            }
        }
        break;
    }
    case smGrid: {
        // A distribution, which GridRunCount refuses, would stay at its median.
        std::vector<size_t> levels(columns), place(columns, 0);
        for (size_t j = 0; j < columns; ++j)
            levels[j] = SourceLevelCount(sources[j]);
        for (size_t k = 0; k < runs; ++k) {
            for (size_t j = 0; j < columns; ++j)
                table.Values[k * columns + j] =
                    levels[j] ? SourceLevel(sources[j], place[j]) : SourceQuantile(sources[j], 0.5);
            // The next combination: the last element moves fastest.
            for (size_t j = columns; j-- > 0;) {
                if (++place[j] < std::max<size_t>(levels[j], 1)) break;
                place[j] = 0;
            }
        }
        break;
    }
    }
    return table;
}

uint32_t RunRandomSeed(uint32_t seed, int64_t run) {
    TSampleStream stream(seed, spRandom, static_cast<uint64_t>(run));
    return static_cast<uint32_t>(stream.Next() >> 32);
}
