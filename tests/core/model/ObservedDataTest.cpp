// Observed data from CSV: what a spreadsheet writes is read, what cannot be read is named by
// its line, names are matched as equations match them, and the sketch keeps every point.
#include "core/model/ObservedData.h"

#include "core/support/NumberFormat.h"
#include "support/ModelBuilder.h"

#include <gtest/gtest.h>

namespace {

struct TReadCase {
    const char* Text;
    // The columns as "Name: t=v t=v | Name: ..." after reading.
    const char* Columns;
};

std::string Describe(const TObservedData& data) {
    std::string text;
    for (const TObservedColumn& column : data.Columns) {
        if (!text.empty()) text += " | ";
        text += column.Name + ":";
        for (const TDataPoint& point : column.Points)
            text += " " + FloatToStr(point.Time) + "=" + FloatToStr(point.Value);
    }
    return text;
}

TEST(ObservedDataTest, ReadsWhatSpreadsheetsWrite) {
    const TReadCase cases[] = {
        {"Time,A,B\n0,1,2\n1,3,4\n", "A: 0=1 1=3 | B: 0=2 1=4"},
        // Semicolons and tabs, detected from what follows Time; CR LF and a BOM.
        {"\xEF\xBB\xBFtime;A;B\r\n0;1.5;2\r\n", "A: 0=1.5 | B: 0=2"},
        {"Time\tContact Rate\n0\t1e3\n2.5\t-4\n", "Contact Rate: 0=1000 2.5=-4"},
        // Empty cells are missing points; a short row misses its last cells; a row of
        // separators and blank lines are skipped; a trailing empty cell is allowed.
        {"Time,A,B\n0,,2\n\n1,3\n,,\n2,5,6,\n", "A: 1=3 2=5 | B: 0=2 2=6"},
        // Quoted names and values, a quote inside quotes, blanks around cells.
        {"\"Time\", \"Big \"\"A\"\"\" ,B\n 0 , \"7\" , 8\n", "Big \"A\": 0=7 | B: 0=8"},
        // Rows in any order come out sorted; times need not fall on steps.
        {"Time,A\n3.25,30\n0.5,5\n1,10\n", "A: 0.5=5 1=10 3.25=30"},
        // Old Mac line ends, blank lines before the header.
        {"\n\nTime,A\r0,1\r1,2\r", "A: 0=1 1=2"},
        // A header alone is data without points.
        {"Time,A", "A:"},
    };
    for (const TReadCase& c : cases) {
        TObservedData data;
        std::string error;
        EXPECT_TRUE(ReadObservedCsv(c.Text, data, error)) << c.Text << "\n" << error;
        EXPECT_EQ(Describe(data), c.Columns) << c.Text;
    }
}

struct TRefusedCase {
    const char* Text;
    const char* Error;
};

TEST(ObservedDataTest, RefusesMalformedTextNamingTheLine) {
    const TRefusedCase cases[] = {
        {"", "The file is empty: a header row with Time and the element names is needed"},
        {" \n\t\n", "The file is empty: a header row with Time and the element names is needed"},
        {"Date,A\n0,1\n", "Line 1: the header must start with Time, then the element names"},
        {"Time|A\n", "Line 1: the header must start with Time, then the element names"},
        {"Time\n0\n", "Line 1: the header names no element after Time"},
        {"Time,A,,B\n", "Line 1: column 3 of the header has no name"},
        {"Time,\"A\n", "Line 1: a quoted field is not closed"},
        {"\"Time\n", "Line 1: a quoted field is not closed"},
        {"Time,\"A\"x,B\n", "Line 1: a quoted field is followed by more text"},
        {"Time,A\n0,1\n\n,2\n", "Line 4 has no time"},
        {"Time,A\n0,1\nabc,2\n", "Line 3: the time \"abc\" is not a number"},
        {"Time,A\ninf,2\n", "Line 2: the time \"inf\" is not a finite number"},
        {"Time,A\n-NaN,2\n", "Line 2: the time \"-NaN\" is not a finite number"},
        {"Time,A\n1e999,2\n", "Line 2: the time \"1e999\" is not a number"},
        {"Time,A\n0,x1\n", "Line 2: \"x1\" in column A is not a number"},
        {"Time;A\n0;1,5\n", "Line 2: \"1,5\" in column A is not a number (decimals need '.')"},
        {"Time,A\n0,nan\n",
         "Line 2: \"nan\" in column A is not a number (leave the cell empty for a missing "
         "point)"},
        {"Time,A\n0,1,2\n", "Line 2 has more cells than the header names"},
        {"Time,A\n0,1\n1,2\n0.00000000001,3\n", "Line 4 repeats the time 1E-11 of line 2"},
        {"Time,A\n5,1\n0,2\n5,3\n", "Line 4 repeats the time 5 of line 2"},
    };
    for (const TRefusedCase& c : cases) {
        TObservedData data;
        std::string error;
        EXPECT_FALSE(ReadObservedCsv(c.Text, data, error)) << c.Text;
        EXPECT_EQ(error, c.Error) << c.Text;
    }
}

TEST(ObservedDataTest, MatchesNamesAsEquationsDoAndNamesEveryStranger) {
    TModelBuilder b(2000, 2010, 1);
    b.Resource("Customers", "100");
    b.Constant("Contact Rate", "3");
    const struct {
        const char* Text;
        double StartTime;
        const char* Error; // empty: matched
    } cases[] = {
        {"Time,customers,CONTACT_RATE\n2000,1,2\n", 2000, ""},
        {"Time,Contact Rate\n2000,1\n", 2000, ""},
        {"Time,Customer,Churn\n2000,1,2\n", 2000,
         "Column 2: no element of the model is named \"Customer\"\n"
         "Column 3: no element of the model is named \"Churn\""},
        {"Time,Customers,contact rate,Contact_Rate\n", 2000,
         "Column 4 names the element \"Contact Rate\" again, as column 3 does"},
        {"Time,Customers\n1e308,1\n", -1e308,
         "The time 1E308 is too far from the start time -1E308"},
    };
    for (const auto& c : cases) {
        TObservedData data;
        TObservedImport import;
        std::string error;
        ASSERT_TRUE(ReadObservedCsv(c.Text, data, error)) << error;
        b.Sim.StartTime = c.StartTime;
        EXPECT_EQ(MatchObservedData(b.Sim, data, import, error), *c.Error == 0) << c.Text;
        if (*c.Error) {
            EXPECT_EQ(error, c.Error) << c.Text;
        }
    }
}

TEST(ObservedDataTest, PointsKeepTheirOwnTimesAndTheGridShowsThem) {
    const struct {
        std::vector<double> Offsets;
        double Span, Current, Interval;
    } cases[] = {
        {{0, 6, 12}, 36, 6, 6},        // the interval in force already fits
        {{0, 1.5, 3}, 36, 1, 1.5},     // a coarser one
        {{0, 2, 3, 7}, 24, 2, 1},      // the smallest gap
        {{0, 1.5, 2.5}, 24, 1, 0.5},   // a part of it
        {{0.25, 0.5}, 12, 1, 0.25},    // the start counts as a point
        {{0, 0.37, 1.91}, 24, 1, 1},   // nothing fits: the interval stays
        {{0, 1e-4, 2e-4}, 1000, 1, 1}, // too many rows: the interval stays
        {{-3, 0, 50, 100}, 24, 1, 1},  // points outside the run take no part
        {{5, 24}, 24, 2, 5},           // the stop time has a row of its own
    };
    for (const auto& c : cases) {
        std::vector<TDataPoint> points;
        for (double offset : c.Offsets)
            points.push_back({offset, 1});
        EXPECT_DOUBLE_EQ(SketchIntervalFor(points, c.Span, c.Current), c.Interval)
            << c.Offsets.size() << " points, span " << c.Span;
    }

    TModelBuilder b(2000, 2012, 1);
    TVariableObject& customers = b.Resource("Customers", "100");
    TVariableObject& other = b.Variable("Other", "1");
    TModelBuilder::Sketch(customers, {{0, 1}, {1, 2}});
    TModelBuilder::Sketch(other, {{4, 4}});
    customers.Sketched.Stepwise = true;
    TObservedData data;
    TObservedImport import;
    std::string error;
    ASSERT_TRUE(
        ReadObservedCsv("Time,Customers\n2001.5,15\n2000,10\n2003,,\n2004.5,40\n", data, error));
    ASSERT_TRUE(MatchObservedData(b.Sim, data, import, error));
    ApplyObservedData(b.Sim, data, import);
    ASSERT_EQ(customers.Sketched.Count(), 3);
    EXPECT_DOUBLE_EQ(customers.Sketched.Points[0].Time, 0);
    EXPECT_DOUBLE_EQ(customers.Sketched.Points[1].Time, 1.5);
    EXPECT_DOUBLE_EQ(customers.Sketched.Points[2].Time, 4.5);
    EXPECT_DOUBLE_EQ(customers.Sketched.Points[2].Value, 40);
    EXPECT_DOUBLE_EQ(customers.Sketched.Interval, 1.5);
    EXPECT_TRUE(customers.Sketched.Stepwise); // the data format is the user's
    EXPECT_EQ(other.Sketched.Count(), 1);     // a column not named keeps its sketch
}

} // namespace
