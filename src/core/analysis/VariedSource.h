#pragma once
// Where a varied constant's values come from in an analysis: a distribution or a list of
// values, written as the user types it ("uniform(1, 2)", "normal(10, 2, 5, 15)",
// "triangular(1, 2, 4)", "list(1, 2, 5)", "steps(0, 1, 11)").

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum TSourceKind : uint8_t { vsUniform, vsNormal, vsTriangular, vsList, vsSteps };

struct TVariedSource {
    TSourceKind Kind = vsUniform;
    // The numbers in the order written: uniform min, max; normal mean, sd and optionally
    // min, max; triangular min, mode, max; list its values; steps start, stop, count.
    std::vector<double> Values = {0, 1};

    bool operator==(const TVariedSource&) const = default;
};

// The most values a list may hold and the most levels steps may have.
inline constexpr size_t MaxSourceLevels = 1000000;

// Reads a source; on failure says what is wrong ("uniform needs min below max").
bool ParseVariedSource(std::string_view text, TVariedSource& source, std::string& problem);
// The text ParseVariedSource reads back to the same source, numbers exact.
std::string VariedSourceText(const TVariedSource& source);
// What is wrong with a source's numbers; empty when it can be drawn from.
std::string VariedSourceProblem(const TVariedSource& source);

// The value at probability u (0 < u < 1) of the source's distribution: every sampling
// method draws through this, so that Latin hypercube strata are strata of probability.
// A list or steps source gives its values with equal chances.
double SourceQuantile(const TVariedSource& source, double u);
// The number of values a list or steps source takes, for all-combinations sampling; 0 for a
// distribution.
size_t SourceLevelCount(const TVariedSource& source);
// Value i (0 <= i < SourceLevelCount) of a list or steps source.
double SourceLevel(const TVariedSource& source, size_t i);

// The standard normal distribution and its inverse (0 < p < 1).
double NormalCdf(double x);
double NormalQuantile(double p);
