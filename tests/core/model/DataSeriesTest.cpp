#include "core/model/DataSeries.h"

#include <gtest/gtest.h>

namespace {

// Filled through AddPoint, so every case also exercises the ordering rules.
struct Series : TDataSeries {
    Series(std::initializer_list<TDataPoint> points, bool stepwise = false) {
        for (const auto& p : points)
            AddPoint(p.Time, p.Value);
        Stepwise = stepwise;
    }
};

std::string Record(TDataSeries& s) {
    TFileObject file;
    file.OpenForWrite("", "");
    s.Save(file);
    file.EndLine();
    std::string text;
    for (const auto& line : file.Lines)
        text += line + "|";
    return text;
}

} // namespace

TEST(DataSeries, Lookup) {
    Series interpolated({{0, 0}, {10, 100}});
    Series stepwise({{0, 0}, {10, 100}}, true);
    TDataSeries empty;
    struct Case {
        const TDataSeries* series;
        double time, value;
    } cases[] = {
        {&interpolated, 5, 50},           {&stepwise, 5, 0},        {&interpolated, -1, 0},
        {&interpolated, 20, 100},         {&stepwise, 20, 100},     {&stepwise, 10, 100},
        {&interpolated, 10 - 5e-11, 100}, {&interpolated, 2.5, 25}, {&empty, 3, 0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(c.series->ValueAt(c.time), c.value) << c.time;
}

TEST(DataSeries, AddPointInsertsAndReplacesWithinTolerance) {
    Series s({{0, 0}, {10, 100}});
    s.AddPoint(5, 7);
    ASSERT_EQ(s.Count(), 3);
    EXPECT_EQ(s.Points[1].Time, 5);
    EXPECT_EQ(s.Points[1].Value, 7);
    s.AddPoint(5.00000000005, 8);
    ASSERT_EQ(s.Count(), 3);
    EXPECT_EQ(s.Points[1].Value, 8);
    EXPECT_EQ(s.Points[1].Time, 5);
    s.AddPoint(-3, 1);
    EXPECT_EQ(s.Points[0].Time, -3);
    s.AddPoint(10 + 2e-10, 4);
    EXPECT_EQ(s.Count(), 5);
}

TEST(DataSeries, TruncateAndRemove) {
    Series s({{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}});
    s.TruncateAfter(2.5);
    EXPECT_EQ(s.Count(), 5);
    s.TruncateAfter(3);
    EXPECT_EQ(s.Count(), 4);
    EXPECT_EQ(s.Points.back().Time, 3);
    s.RemovePoint(1.5);
    EXPECT_EQ(s.Count(), 4);
    s.RemovePoint(1 + 1e-11);
    EXPECT_EQ(s.Count(), 3);
    EXPECT_EQ(s.Points[1].Time, 2);
}

TEST(DataSeries, RecordRoundTripAndAssign) {
    Series s({{0, 1.5}, {0.25, -2}});
    s.Stepwise = true;
    s.Origin = 3;
    s.Interval = 0.25;
    EXPECT_EQ(Record(s), "|\t1\t0\t3\t0.25\t2\t0\t1.5\t0.25\t-2|");

    TFileObject file;
    file.OpenForWrite("", "");
    s.Save(file);
    file.EndLine();
    file.RewindForRead();
    TDataSeries loaded;
    loaded.Load(file);
    EXPECT_EQ(Record(loaded), Record(s));

    TDataSeries copy;
    copy.Assign(s);
    EXPECT_EQ(Record(copy), Record(s));
}

TEST(DataSeries, OlderFilesKeepDefaults) {
    TFileObject file;
    file.CurrentVersion = "1.0.10.166";
    file.OpenForReadText("Quorvane\t1.0.0\r\n\t1\t2\t0\t5\t1\t7\r\n");
    TDataSeries s;
    s.Load(file);
    EXPECT_TRUE(s.Stepwise);
    EXPECT_EQ(s.Origin, 0);
    EXPECT_EQ(s.Interval, 1);
    ASSERT_EQ(s.Count(), 2);
    EXPECT_EQ(s.ValueAt(0.5), 5);
}

TEST(DataSeries, DamagedRecordsStaySafe) {
    // Points out of order are put in order; a count larger than the text fails cleanly.
    TFileObject file;
    file.OpenForReadText("Quorvane\t1.0.10\r\n\t0\t0\t0\t1\t3\t2\t20\t0\t0\t2\t21\r\n");
    TDataSeries s;
    s.Load(file);
    ASSERT_EQ(s.Count(), 2);
    EXPECT_EQ(s.Points[0].Time, 0);
    EXPECT_EQ(s.Points[1].Value, 21);

    file.OpenForReadText("Quorvane\t1.0.10\r\n\t0\t0\t0\t1\t2000000000\t1\t2\r\n");
    EXPECT_THROW(s.Load(file), EFileEnd);
}
