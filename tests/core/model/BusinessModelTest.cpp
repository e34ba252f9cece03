// A small business model run end to end, checked against figures computed separately
// (explicit Euler with the flows of the previous step, a delayed payment stream read by
// interpolation, a lookup table for acquisition and an emergency cost below a cash floor).
#include "support/ModelBuilder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct TMonth {
    double time, customers, cash, revenue, costs, profit;
};

// Whole months of the run; the model steps in half months.
const TMonth Expected[] = {
    {0, 100.0, 10000.0, 5000.0, 5500.0, -500.0},
    {1, 106.35666666666667, 9470.0, 5000.0, 5627.133333333333, -627.1333333333332},
    {2, 114.11160933333333, 8843.304666666667, 5233.916666666666, 6282.232186666666, -1048.31552},
    {3, 123.2094562704, 7839.4306352, 5604.3619, 6464.189125408, -859.8272254080002},
    {4, 133.59702846875882, 7034.660015379413, 6042.637502093334, 6671.940569375176,
     -629.3030672818422},
    {5, 145.22325280806265, 6470.608312103723, 6546.057390343771, 6904.4650561612525,
     -358.40766581748176},
    {6, 158.03907866353003, 6187.243056277749, 7112.041851019491, 7160.7815732706,
     -48.739722251109015},
    {7, 172.20573114845422, 6222.949064582484, 7738.113327052452, 7444.114622969084,
     293.99870408336847},
    {8, 188.28638419497543, 6606.299448291686, 8427.100705967841, 7765.7276838995085,
     661.3730220683328},
    {9, 206.2052433808544, 7369.496240139335, 9207.450018011514, 8124.104867617088,
     1083.3451503944261},
    {10, 225.88951574297255, 8569.195439029816, 10080.647497298258, 8517.79031485945,
     1562.8571824388073},
    {11, 247.26929091955085, 10512.361549644234, 11043.016356405245, 8445.385818391016,
     2597.6305380142294},
    {12, 270.27742699913665, 13253.703282278322, 12091.0254086916, 8905.548539982734,
     3185.4768687088654},
    {13, 294.43277422330414, 16595.7628823001, 13221.283302507412, 9388.655484466082,
     3832.62781804133},
    {14, 318.4565696973946, 20605.58525549435, 14420.11631706145, 9869.131393947893,
     4550.984923113558},
    {15, 342.3540228707111, 25338.03949604344, 15622.933877572483, 10347.080457414222,
     5275.853420158261},
    {16, 366.1301368983643, 30794.363548666784, 16819.36986268728, 10822.602737967285,
     5996.767124719994},
    {17, 389.7897168105224, 36970.64216880624, 18009.676982791527, 11295.794336210449,
     6713.882646581078},
    {18, 413.3373773581591, 43863.11515558817, 19194.097940939653, 11766.74754716318,
     7427.350393776473},
    {19, 436.15255054810933, 51468.17121209355, 20372.86582914511, 12223.051010962186,
     8149.814818182924},
    {20, 456.41424287973757, 59807.217048761304, 21530.57950897763, 12628.284857594752,
     8902.294651382877},
    {21, 474.2235721950333, 68886.53042029703, 22575.260227088787, 12984.471443900666,
     9590.788783188122},
    {22, 489.6776520694433, 78634.95298231994, 23496.071588762738, 13293.553041388866,
     10202.518547373871},
    {23, 502.8697503808267, 88976.48801088674, 24297.9188205144, 13557.395007616535,
     10740.523812897864},
    {24, 513.8894415990793, 99838.14825232228, 24985.512901888695, 13777.788831981587,
     11207.724069907108},
};

// Listed so that what is computed first in a step is not what comes first in the list.
void BuildBusiness(TModelBuilder& b) {
    b.Variable("Profit", "Revenue-Costs");
    auto& revenue = b.Flow("Revenue", "DELAY(Customers*Price, 1.25, 5000)");
    auto& costs = b.Flow("Costs", "Customers*Unit_Cost+Fixed_Costs+IF(Cash<9000, 500, 0)");
    auto& acquired =
        b.Flow("New Customers", "GRAPH(TIME, 0, 6, 10, 20, 35, 40, 30)*Marketing_Spend/2000");
    auto& lost = b.Flow("Lost Customers", "Customers*Churn_Rate");
    auto& customers = b.Resource("Customers", "100");
    auto& cash = b.Resource("Cash", "10000");
    b.Constant("Price", "50");
    b.Constant("Unit Cost", "20");
    b.Constant("Fixed Costs", "3500");
    b.Constant("Churn Rate", "0.04");
    b.Constant("Marketing Spend", "2000");

    b.Link(revenue, b["Profit"]);
    b.Link(costs, b["Profit"]);
    for (const char* input : {"Customers", "Price"})
        b.Link(b[input], revenue);
    for (const char* input : {"Customers", "Unit Cost", "Fixed Costs", "Cash"})
        b.Link(b[input], costs);
    b.Link(b["Marketing Spend"], acquired);
    for (const char* input : {"Customers", "Churn Rate"})
        b.Link(b[input], lost);
    b.Inflow(acquired, customers);
    b.Outflow(lost, customers);
    b.Inflow(revenue, cash);
    b.Outflow(costs, cash);
}

void ExpectMonths(const TModelBuilder& b, const std::string& what) {
    const char* names[] = {"Customers", "Cash", "Revenue", "Costs", "Profit"};
    for (const char* name : names)
        ASSERT_EQ(b[name].Simulated.Count(), 49) << what << " " << name;
    for (const auto& month : Expected) {
        const double values[] = {month.customers, month.cash, month.revenue, month.costs,
                                 month.profit};
        const size_t index = static_cast<size_t>(month.time * 2);
        for (size_t k = 0; k < 5; ++k) {
            const TDataPoint& p = b[names[k]].Simulated.Points[index];
            EXPECT_NEAR(p.Time, month.time, 1e-9) << what;
            EXPECT_NEAR(p.Value, values[k], 1e-9 * std::max(1.0, std::fabs(values[k])))
                << what << " " << names[k] << " at month " << month.time;
        }
    }
}

} // namespace

TEST(BusinessModel, RunMatchesIndependentFigures) {
    TRecordingNotifier notifier;
    TModelBuilder b(0, 24, 0.5);
    BuildBusiness(b);
    ASSERT_TRUE(b.Run()) << (ErrorList.empty() ? "" : ErrorList.front());
    EXPECT_TRUE(notifier.Warnings.empty());
    EXPECT_TRUE(notifier.CheckMessages.empty());
    EXPECT_TRUE(b.Sim.IsFinished());
    ExpectMonths(b, "run");
    // Profit is numbered after what it reads.
    EXPECT_GT(b["Profit"].Order, b["Revenue"].Order);
    EXPECT_GT(b["Profit"].Order, b["Costs"].Order);
    EXPECT_GT(b["Costs"].Order, b["Cash"].Order);
}

TEST(BusinessModel, SteppingBackAndOnRepeatsTheRun) {
    TModelBuilder b(0, 24, 0.5);
    BuildBusiness(b);
    ASSERT_TRUE(b.Sim.CheckModel());
    b.Sim.Reset();
    while (b.Sim.CurrentTime < 10 || b.Sim.AtStart)
        b.Sim.Step();
    for (int i = 0; i < 5; ++i)
        b.Sim.StepBackTo(b.Sim.CurrentTime - b.Sim.TimeStep);
    EXPECT_DOUBLE_EQ(b.Sim.CurrentTime, 7.5);
    while (!b.Sim.IsFinished())
        b.Sim.Step();
    ExpectMonths(b, "after stepping back");
}

TEST(BusinessModel, SecondRunRepeatsTheFirst) {
    TModelBuilder b(0, 24, 0.5);
    BuildBusiness(b);
    ASSERT_TRUE(b.Run());
    ASSERT_TRUE(b.Run());
    ExpectMonths(b, "second run");
}
