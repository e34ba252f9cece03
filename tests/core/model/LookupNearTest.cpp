// A lookup that starts where the previous one landed gives exactly what ValueAt gives.
#include "core/model/DataSeries.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace {

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Points on a regular grid, added in order with AddPoint; extra points are added after.
struct TGrid {
    int Points;
    double Start, Step;
    bool Stepwise = false;
    std::vector<TDataPoint> Extra = {};
};

void Fill(TDataSeries& s, const TGrid& grid) {
    for (int i = 0; i < grid.Points; ++i)
        s.AddPoint(grid.Start + i * grid.Step, std::sin(i * 0.7) * 10);
    for (const auto& p : grid.Extra)
        s.AddPoint(p.Time, p.Value);
    s.Stepwise = grid.Stepwise;
}

} // namespace

TEST(LookupNear, GivesValueAtForEveryQuery) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        TGrid grid;
        std::vector<double> queries;
    } cases[] = {
        {"forward by a step", {50, 0, 0.25}, {}},
        {"stepwise", {50, 0, 0.25, true}, {}},
        {"single point", {1, 3, 1}, {2, 3, 3 + 5e-11, 4, 3 - 5e-11}},
        {"empty", {0, 0, 1}, {0, 1, -1}},
        {"jumps and edges",
         {30, -2, 0.1},
         {-5, -2, -2 + 1e-11, 0.95, 0.9500000001, 10, 0.05, -1.9, inf, -inf, nan, 0.3, 0.31}},
        // AddPoint puts a NaN time at the front, out of order with the rest.
        {"NaN at the front",
         {20, 0, 0.25, false, {{nan, 99}}},
         {-1, 0, 0.5, 0.5 + 1e-11, 2, 20, nan, 1.25, 3, 3.25, 3.5}},
    };
    for (double t = -1; t < 14; t += 0.25)
        cases[0].queries.push_back(t - 2);
    for (double t = -1; t < 14; t += 0.1)
        cases[1].queries.push_back(t);

    for (const auto& c : cases) {
        TDataSeries series;
        Fill(series, c.grid);
        for (size_t start : {size_t{0}, size_t{7}, SIZE_MAX}) {
            size_t place = start;
            for (double q : c.queries) {
                const double expected = series.ValueAt(q);
                const double near = series.ValueAtNear(q, place);
                EXPECT_TRUE(SameBits(near, expected))
                    << c.name << " at " << q << ": " << near << " vs " << expected;
            }
        }
    }
}
