// Sources as the user writes them, their quantiles, and the three sampling methods.
#include "core/analysis/Sampling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <set>

namespace {

TVariedSource Parsed(const std::string& text) {
    TVariedSource source;
    std::string problem;
    EXPECT_TRUE(ParseVariedSource(text, source, problem)) << text << ": " << problem;
    return source;
}

TEST(VariedSource, ReadsWhatUsersWriteAndNamesWhatIsWrong) {
    struct TCase {
        const char* Text;
        const char* Problem; // empty: reads, and writes back as Written
        const char* Written = "";
    };
    const TCase cases[] = {
        {"uniform(1,2)", "", "uniform(1, 2)"},
        {"  Uniform ( -1.5 , 2e3 ) ", "", "uniform(-1.5, 2000)"},
        {"normal(10, 2)", "", "normal(10, 2)"},
        {"normal(10, 2, 5, 15)", "", "normal(10, 2, 5, 15)"},
        {"triangular(1, 1, 4)", "", "triangular(1, 1, 4)"},
        {"list(3, 0.1, 3)", "", "list(3, 0.1, 3)"},
        {"steps(0, 1, 11)", "", "steps(0, 1, 11)"},
        {"uniform(0.1, 0.30000000000000004)", "", "uniform(0.1, 0.30000000000000004)"},
        {"unif(1, 2)", "unknown source 'unif': use uniform, normal, triangular, list or steps"},
        {"(1, 2)", "no source: use uniform"},
        {"uniform 1, 2", "'(' expected after uniform"},
        {"uniform(1, 2", "uniform must end with ')'"},
        {"uniform(1, 2) x", "uniform must end with ')'"},
        {"uniform(1, x)", "'x' is not a number"},
        {"uniform(1, , 2)", "uniform has an empty number"},
        {"uniform(1)", "uniform takes 2 numbers (min, max)"},
        {"uniform(2, 1)", "uniform needs min below max"},
        {"uniform(1, 1e999)", "'1e999' is not a number"},
        {"normal(1, 0)", "normal needs a standard deviation above 0"},
        {"normal(1, 2, 3)", "normal takes 2 numbers (mean, sd) or 4"},
        {"normal(0, 1, 2, 1)", "normal needs min below max"},
        {"normal(0, 1, 50, 60)", "normal: min to max lies too far in the tail"},
        {"triangular(1, 5, 4)", "triangular needs min <= mode <= max"},
        {"triangular(2, 2, 2)", "triangular needs min <= mode <= max and min below max"},
        {"list()", "list takes at least one number"},
        {"steps(0, 1, 1)", "steps needs a whole count from 2 to 1,000,000"},
        {"steps(0, 1, 2.5)", "steps needs a whole count"},
        {"steps(0, 1, 1e7)", "steps needs a whole count"},
    };
    for (const TCase& c : cases) {
        TVariedSource source;
        std::string problem;
        const bool read = ParseVariedSource(c.Text, source, problem);
        if (*c.Problem == '\0') {
            ASSERT_TRUE(read) << c.Text << ": " << problem;
            EXPECT_EQ(VariedSourceText(source), c.Written) << c.Text;
            TVariedSource again;
            ASSERT_TRUE(ParseVariedSource(VariedSourceText(source), again, problem));
            EXPECT_EQ(again, source) << c.Text;
        } else {
            EXPECT_FALSE(read) << c.Text;
            EXPECT_EQ(problem.rfind(c.Problem, 0), 0u) << c.Text << " -> " << problem;
        }
    }
}

TEST(VariedSource, QuantilesOfEachDistribution) {
    struct TCase {
        const char* Source;
        double U;
        double Expected;
    };
    const TCase cases[] = {
        {"uniform(2, 6)", 0.25, 3},
        {"normal(10, 2)", 0.5, 10},
        {"normal(10, 2)", 0.8413447460685429, 12}, // one sd above
        {"normal(0, 1)", 0.02275013194817922, -2},
        {"normal(0, 1)", 1e-12, -7.034483825301131},
        // Truncated to [0, 1]: the median of the part kept.
        {"normal(0, 1, 0, 1)", 0.5, 0.441770546686581},
        // Far in the upper tail, mirrored: still exact and inside the range.
        {"normal(0, 1, 8, 9)", 0, 8},
        {"normal(0, 1, 8, 9)", 1, 9},
        {"triangular(0, 1, 4)", 0.25, 1},
        {"triangular(0, 1, 4)", 0.5, 1.5505102572168221},
        {"list(7, 8, 9)", 0.34, 8},
        {"list(7, 8, 9)", 0.9999, 9},
        {"steps(0, 1, 11)", 0.3, 0.3},
        {"steps(0, 1, 11)", 0.99999, 1},
    };
    for (const TCase& c : cases)
        EXPECT_NEAR(SourceQuantile(Parsed(c.Source), c.U), c.Expected, 1e-9)
            << c.Source << " at " << c.U;
    for (double x : {-30.0, -8.0, -1.0, 0.0, 0.5, 3.0})
        EXPECT_NEAR(NormalQuantile(NormalCdf(x)), x, 1e-9 * std::max(1.0, std::fabs(x))) << x;
}

// Which of n equal strata of [low, high) a value falls in.
size_t Stratum(double value, double low, double high, size_t n) {
    return static_cast<size_t>((value - low) / (high - low) * static_cast<double>(n));
}

TEST(Sampling, EachMethodGivesWhatItPromises) {
    struct TCase {
        const char* What;
        TSamplingMethod Method;
        std::vector<const char*> Sources;
        size_t Runs;
    };
    const TCase cases[] = {
        {"latin hypercube, few runs", smLatinHypercube, {"uniform(0, 1)", "uniform(-5, 5)"}, 7},
        {"latin hypercube, many", smLatinHypercube, {"uniform(0, 1)", "uniform(10, 20)"}, 1000},
        {"grid of lists and steps", smGrid, {"list(1, 2, 3)", "steps(0, 1, 5)", "list(9)"}, 15},
        {"random", smRandom, {"uniform(0, 10)"}, 100000},
    };
    for (const TCase& c : cases) {
        std::vector<TVariedSource> sources;
        for (const char* text : c.Sources)
            sources.push_back(Parsed(text));
        const TSampleTable table = DrawSamples(sources, c.Method, c.Runs, 42);
        ASSERT_EQ(table.Runs, c.Runs) << c.What;
        ASSERT_EQ(table.Columns, sources.size()) << c.What;
        if (c.Method == smLatinHypercube) {
            // Exactly one run in each of the N strata of every element.
            for (size_t j = 0; j < sources.size(); ++j) {
                const double low = sources[j].Values[0], high = sources[j].Values[1];
                std::vector<size_t> strata;
                for (size_t k = 0; k < c.Runs; ++k)
                    strata.push_back(Stratum(table.At(k, j), low, high, c.Runs));
                std::sort(strata.begin(), strata.end());
                std::vector<size_t> each(c.Runs);
                std::iota(each.begin(), each.end(), size_t{0});
                EXPECT_EQ(strata, each) << c.What << ", element " << j;
            }
        } else if (c.Method == smGrid) {
            std::string problem;
            EXPECT_EQ(GridRunCount(sources, 1000, problem), static_cast<int64_t>(c.Runs));
            std::set<std::vector<double>> combinations;
            for (size_t k = 0; k < c.Runs; ++k)
                combinations.insert({table.Row(k), table.Row(k) + table.Columns});
            EXPECT_EQ(combinations.size(), c.Runs) << "every combination once";
            EXPECT_EQ(table.At(0, 0), 1);
            EXPECT_EQ(table.At(1, 1), 0.25) << "the last element changes fastest";
        } else {
            double sum = 0;
            for (size_t k = 0; k < c.Runs; ++k)
                sum += table.At(k, 0);
            EXPECT_NEAR(sum / static_cast<double>(c.Runs), 5, 0.05) << "within 1 % of the middle";
        }
        // Derived from the seed alone: drawn again, the same to the bit.
        EXPECT_EQ(DrawSamples(sources, c.Method, c.Runs, 42).Values, table.Values) << c.What;
    }
}

TEST(Sampling, RunsKeepTheirSamplesWhateverTheRunCount) {
    // A random run's values depend on (seed, run) only: more runs leave the first ones alone.
    const std::vector<TVariedSource> sources = {Parsed("normal(5, 1)"), Parsed("list(1, 2)")};
    const TSampleTable few = DrawSamples(sources, smRandom, 10, 7);
    const TSampleTable many = DrawSamples(sources, smRandom, 500, 7);
    EXPECT_TRUE(std::equal(few.Values.begin(), few.Values.end(), many.Values.begin()));
    EXPECT_NE(DrawSamples(sources, smRandom, 10, 8).Values, few.Values);
    EXPECT_NE(RunRandomSeed(7, 0), RunRandomSeed(7, 1));
    EXPECT_NE(RunRandomSeed(7, 0), RunRandomSeed(8, 0));

    std::string problem;
    EXPECT_EQ(GridRunCount({Parsed("uniform(0, 1)")}, 1000, problem), 0);
    EXPECT_EQ(problem, "All combinations take only list and steps sources.");
    EXPECT_EQ(
        GridRunCount({Parsed("steps(0, 1, 1000)"), Parsed("steps(0, 1, 1000)")}, 100000, problem),
        0);
    EXPECT_EQ(problem, "All combinations would take more than 100000 runs.");
}

} // namespace
