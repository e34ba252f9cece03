// Calibration: constants recovered from data the model made, with each optimiser; intervals
// that hold the truth under noise; a constant the data cannot see reported as not identified;
// bounds kept; starts that give the same results however they are split over threads; plans
// refused with their reasons.
#include "support/ModelBuilder.h"

#include "core/analysis/Calibration.h"
#include "core/model/RunToEnd.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace {

// Customers won by word of mouth from a limited market, lost by churn: the customer growth
// example's structure with constant rates, and a price that only revenue sees; eight years,
// so that the market's limit shows and the rates can be told apart.
struct TGrowthModel {
    TGrowthModel() : B(0, 96, 0.25) {
        B.Constant("Contact Rate", "10");
        B.Constant("Churn Rate", "0.04");
        B.Constant("Adoption Fraction", "0.015");
        B.Constant("Price", "30");
        TVariableObject& potential = B.Resource("Potential Customers", "100000");
        TVariableObject& customers = B.Resource("Customers", "500");
        TVariableObject& joining =
            B.Flow("New Customers",
                   "Customers * Contact_Rate * Adoption_Fraction * Potential_Customers / "
                   "(Potential_Customers + Customers)",
                   {"Customers", "Contact Rate", "Adoption Fraction", "Potential Customers"});
        B.Outflow(joining, potential);
        B.Inflow(joining, customers);
        B.Outflow(B.Flow("Churn", "Customers * Churn_Rate", {"Customers", "Churn Rate"}),
                  customers);
        B.Variable("Revenue", "Customers * Price", {"Customers", "Price"});
        EXPECT_TRUE(B.Sim.CheckModel());
    }

    // Runs the model as it stands and puts every fourth month of target into its sketch,
    // each value times (1 + noise * a fixed pseudo-random number in [-1, 1]).
    void MakeData(const char* target, double noise = 0) {
        bool tooLong = false;
        const std::vector<double> offsets = RunToEnd(B.Sim, DefaultMaxSteps, tooLong);
        ASSERT_FALSE(tooLong);
        TVariableObject& element = B[target];
        element.Sketched.Clear();
        uint32_t state = 12345;
        for (double month = 0; month <= 96; month += 4) {
            state = state * 1664525u + 1013904223u;
            const double u = static_cast<double>(state >> 8) / (1 << 24) * 2 - 1;
            element.Sketched.AddPoint(month, element.Simulated.ValueAt(month) * (1 + noise * u));
        }
    }

    void Set(const char* name, double value) {
        B[name].Equation = FittedValueTextForTest(value);
        B[name].Parsed = false;
        ASSERT_TRUE(B.Sim.CheckModel());
    }
    static std::string FittedValueTextForTest(double value) {
        char text[64];
        std::snprintf(text, sizeof text, "%.17g", value);
        return text;
    }

    TModelBuilder B;
};

struct TFit {
    TAnalysisOutcome Outcome = aoFailed;
    TCalibrationPlan Plan;
    TCalibrationResult Result;
    std::string Problem;
};

TFit Fit(TSimulationObject& model, const TCalibrationSetUp& setUp, int jobs = 1) {
    TFit fit;
    EXPECT_EQ(PlanCalibration(model, setUp, fit.Plan, fit.Problem), cpNone) << fit.Problem;
    TCalibrationRunner runner(model, jobs);
    fit.Outcome = Calibrate(runner, fit.Plan, fit.Result, nullptr, fit.Problem);
    return fit;
}

TEST(Calibration, RecoversTheConstantsThatMadeTheData) {
    // True values, the fit's bounds, then where each case starts: 50% away from the truth.
    struct TCase {
        const char* Name;
        TCalibrationMethod Method;
        std::vector<const char*> Parameters;
        std::vector<double> Truth, Start;
        int64_t MaxEvaluations;
    };
    const TCase cases[] = {
        {"bobyqa, two rates",
         cmBobyqa,
         {"Contact Rate", "Churn Rate"},
         {10, 0.04},
         {15, 0.02},
         500},
        {"bobyqa, three",
         cmBobyqa,
         {"Contact Rate", "Churn Rate", "Customers"},
         {10, 0.04, 500},
         {5, 0.06, 750},
         500},
        {"sbplx", cmSbplx, {"Contact Rate", "Churn Rate"}, {10, 0.04}, {5, 0.06}, 500},
        {"nelder-mead", cmNelderMead, {"Contact Rate", "Churn Rate"}, {10, 0.04}, {15, 0.06}, 500},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TGrowthModel model;
        model.MakeData("Customers");
        TCalibrationSetUp setUp;
        setUp.Method = c.Method;
        setUp.MaxEvaluations = c.MaxEvaluations;
        for (size_t i = 0; i < c.Parameters.size(); ++i) {
            model.Set(c.Parameters[i], c.Start[i]);
            setUp.Parameters.push_back({c.Parameters[i], c.Truth[i] * 0.25, c.Truth[i] * 2.5});
        }
        const TFit fit = Fit(model.B.Sim, setUp);
        ASSERT_EQ(fit.Outcome, aoFinished) << fit.Problem;
        EXPECT_TRUE(fit.Result.Converged);
        EXPECT_LE(fit.Result.Evaluations, c.MaxEvaluations);
        EXPECT_GT(fit.Result.PayoffBefore, 1);
        EXPECT_LT(fit.Result.PayoffAfter, 1e-9 * fit.Result.PayoffBefore);
        for (size_t i = 0; i < c.Parameters.size(); ++i) {
            SCOPED_TRACE(c.Parameters[i]);
            EXPECT_EQ(fit.Result.Own[i], c.Start[i]);
            EXPECT_NEAR(fit.Result.Fitted[i], c.Truth[i], 1e-4 * c.Truth[i]);
            EXPECT_TRUE(fit.Result.Identified[i]);
        }
    }
}

TEST(Calibration, NoisyDataIntervalsHoldTheTruthAndAnUnseenConstantIsNotIdentified) {
    TGrowthModel model;
    model.MakeData("Customers", 0.03);
    model.Set("Contact Rate", 15);
    model.Set("Churn Rate", 0.02);
    TCalibrationSetUp setUp;
    setUp.Parameters = {{"Contact Rate", 2, 30}, {"Churn Rate", 0.005, 0.2}, {"Price", 10, 50}};
    const TFit fit = Fit(model.B.Sim, setUp, 2);
    ASSERT_EQ(fit.Outcome, aoFinished) << fit.Problem;
    const double truth[] = {10, 0.04};
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(fit.Plan.Names[i]);
        ASSERT_TRUE(fit.Result.Identified[i]);
        EXPECT_LT(fit.Result.IntervalLow[i], truth[i]);
        EXPECT_GT(fit.Result.IntervalHigh[i], truth[i]);
        // Noise widens the interval, but it still says something.
        EXPECT_LT(fit.Result.IntervalHigh[i] - fit.Result.IntervalLow[i], 0.2 * truth[i])
            << fit.Result.IntervalLow[i] << " " << fit.Result.Fitted[i] << " "
            << fit.Result.IntervalHigh[i] << " payoff " << fit.Result.PayoffAfter;
    }
    EXPECT_FALSE(fit.Result.Identified[2]);
    EXPECT_TRUE(std::isnan(fit.Result.IntervalLow[2]));
    EXPECT_GE(fit.Result.Fitted[2], 10);
    EXPECT_LE(fit.Result.Fitted[2], 50);
}

TEST(Calibration, BoundsHoldEvenWhenTheTruthLiesOutside) {
    for (TCalibrationMethod method : {cmBobyqa, cmNelderMead, cmSbplx}) {
        SCOPED_TRACE(CalibrationMethodNames[method]);
        TGrowthModel model;
        model.MakeData("Customers");
        model.Set("Contact Rate", 14);
        TCalibrationSetUp setUp;
        setUp.Method = method;
        setUp.Parameters = {{"Contact Rate", 12, 20}, {"Churn Rate", 0.01, 0.1}};
        const TFit fit = Fit(model.B.Sim, setUp);
        ASSERT_EQ(fit.Outcome, aoFinished) << fit.Problem;
        for (size_t i = 0; i < 2; ++i) {
            EXPECT_GE(fit.Result.Fitted[i], setUp.Parameters[i].Low);
            EXPECT_LE(fit.Result.Fitted[i], setUp.Parameters[i].High);
        }
        EXPECT_NEAR(fit.Result.Fitted[0], 12, 1e-3);
    }
}

TEST(Calibration, StartsGiveTheSameResultsHoweverTheyAreSplit) {
    TGrowthModel model;
    model.MakeData("Customers", 0.02);
    model.MakeData("Revenue", 0.02);
    TCalibrationSetUp setUp;
    setUp.Parameters = {{"Contact Rate", 2, 30}, {"Churn Rate", 0.005, 0.2}};
    setUp.Starts = 5;
    setUp.Seed = 7;
    setUp.MaxEvaluations = 60;
    TCalibrationPlan plan;
    std::string problem;
    ASSERT_EQ(PlanCalibration(model.B.Sim, setUp, plan, problem), cpNone);
    ASSERT_EQ(plan.Targets.size(), 2u);

    TCalibrationRunner one(model.B.Sim, 1), three(model.B.Sim, 3);
    std::vector<TStartResult> all, first, rest;
    ASSERT_EQ(one.RunStarts(plan, 0, 5, all, nullptr, problem), aoFinished);
    ASSERT_EQ(three.RunStarts(plan, 0, 2, first, nullptr, problem), aoFinished);
    ASSERT_EQ(three.RunStarts(plan, 2, 5, rest, nullptr, problem), aoFinished);
    first.insert(first.end(), rest.begin(), rest.end());
    ASSERT_EQ(first.size(), 5u);
    for (size_t k = 0; k < 5; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(all[k].Start, StartPoint(plan, k));
        EXPECT_EQ(first[k].Start, all[k].Start);
        EXPECT_EQ(first[k].Fitted, all[k].Fitted);
        EXPECT_EQ(first[k].Payoff, all[k].Payoff);
        EXPECT_EQ(first[k].Evaluations, all[k].Evaluations);
    }
    // The first start is the model's own values; the others spread over the bounds, one in
    // each of four strata per constant.
    EXPECT_EQ(all[0].Start, (std::vector<double>{10, 0.04}));
    std::vector<int> strata(4, 0);
    for (size_t k = 1; k < 5; ++k)
        ++strata[static_cast<size_t>((all[k].Start[0] - 2) / (28.0 / 4))];
    EXPECT_EQ(strata, (std::vector<int>{1, 1, 1, 1}));

    TCalibrationResult gathered, whole;
    ASSERT_EQ(FinishCalibration(one, plan, first, gathered, problem), aoFinished);
    ASSERT_EQ(Calibrate(three, plan, whole, nullptr, problem), aoFinished);
    EXPECT_EQ(gathered.Fitted, whole.Fitted);
    EXPECT_EQ(gathered.IntervalLow, whole.IntervalLow);
    EXPECT_EQ(gathered.BestStart, whole.BestStart);
}

// Reports progress and asks to stop after a few evaluations.
class TCancelAfter : public TCalibrationObserver {
public:
    TCancelAfter(TCalibrationRunner& runner, int64_t after) : Runner(runner), After(after) {}
    void CalibrationProgress(int64_t evaluations, double best) override {
        EXPECT_GE(evaluations, Last);
        EXPECT_LE(best, Best);
        Last = evaluations;
        Best = best;
        if (evaluations >= After) Runner.Cancel();
    }
    TCalibrationRunner& Runner;
    int64_t After;
    int64_t Last = 0;
    double Best = INFINITY;
};

TEST(Calibration, CancelStopsTheStartsAndTheModelStaysAsItWas) {
    TGrowthModel model;
    model.MakeData("Customers");
    const std::string before = model.B["Contact Rate"].Equation;
    TCalibrationSetUp setUp;
    setUp.Parameters = {{"Contact Rate", 2, 30}};
    setUp.Starts = 3;
    TCalibrationPlan plan;
    std::string problem;
    ASSERT_EQ(PlanCalibration(model.B.Sim, setUp, plan, problem), cpNone);
    TCalibrationRunner runner(model.B.Sim, 2);
    TCancelAfter observer(runner, 3);
    TCalibrationResult result;
    EXPECT_EQ(Calibrate(runner, plan, result, &observer, problem), aoCancelled);
    EXPECT_GE(observer.Last, 3);
    EXPECT_LT(result.Evaluations, 20);
    EXPECT_EQ(model.B["Contact Rate"].Equation, before);
    EXPECT_EQ(model.B["Contact Rate"].InitialValue, 10);
}

TEST(Calibration, PlansRefusedWithTheirReasons) {
    struct TCase {
        const char* Name;
        std::vector<TFitParameter> Parameters;
        std::vector<TFitTarget> Targets;
        int32_t Starts;
        TCalibrationProblem Expected;
        const char* Message;
    };
    const TCase cases[] = {
        {"nothing to fit",
         {},
         {},
         1,
         cpArguments,
         "No constants to fit: name at least one with its bounds."},
        {"unknown",
         {{"Contact Rat", 1, 2}},
         {},
         1,
         cpArguments,
         "There is no element Contact Rat to fit."},
        {"not a number",
         {{"Revenue", 1, 2}},
         {},
         1,
         cpArguments,
         "Revenue cannot be fitted: its equation is not a plain number."},
        {"twice", {{"Price", 1, 2}, {"price", 1, 2}}, {}, 1, cpArguments, "Price is fitted twice."},
        {"bounds",
         {{"Price", 2, 1}},
         {},
         1,
         cpArguments,
         "Price: the lower bound 2 must be below the upper bound 1."},
        {"infinite",
         {{"Price", 1, INFINITY}},
         {},
         1,
         cpArguments,
         "Price: the bounds must be finite numbers."},
        {"starts",
         {{"Price", 1, 2}},
         {},
         0,
         cpArguments,
         "The number of starts must be from 1 to 10,000."},
        {"unknown target",
         {{"Price", 1, 2}},
         {{"Sales", false, 1}},
         1,
         cpArguments,
         "There is no element Sales to compare with data."},
        {"weight",
         {{"Price", 1, 2}},
         {{"Customers", true, -1}},
         1,
         cpArguments,
         "Customers: a weight must be a number above 0."},
        {"target twice",
         {{"Price", 1, 2}},
         {{"Customers"}, {"customers"}},
         1,
         cpArguments,
         "Customers is a target twice."},
        {"no data in a named target",
         {{"Price", 1, 2}},
         {{"Revenue"}},
         1,
         cpNoData,
         "No target has observed points within the run: import the data into the targets' "
         "sketches first (File > Import Data...)."},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TGrowthModel model;
        model.MakeData("Customers");
        TCalibrationSetUp setUp;
        setUp.Parameters = c.Parameters;
        setUp.Targets = c.Targets;
        setUp.Starts = c.Starts;
        TCalibrationPlan plan;
        std::string problem;
        EXPECT_EQ(PlanCalibration(model.B.Sim, setUp, plan, problem), c.Expected);
        EXPECT_EQ(problem, c.Message);
    }
    // No sketches at all, and sketches only outside the run.
    TGrowthModel model;
    TCalibrationSetUp setUp;
    setUp.Parameters = {{"Price", 1, 2}};
    TCalibrationPlan plan;
    std::string problem;
    EXPECT_EQ(PlanCalibration(model.B.Sim, setUp, plan, problem), cpNoData);
    TModelBuilder::Sketch(model.B["Customers"], {{-5, 1}, {100, 2}});
    EXPECT_EQ(PlanCalibration(model.B.Sim, setUp, plan, problem), cpNoData);
}

TEST(Calibration, WeightsAndTexts) {
    TGrowthModel model;
    TModelBuilder::Sketch(model.B["Customers"], {{0, 1}, {1, 3}, {2, 5}}); // variance 8/3
    TModelBuilder::Sketch(model.B["Revenue"], {{0, 4}, {1, 4}});           // no spread: 1/16
    TCalibrationSetUp setUp;
    setUp.Parameters = {{"Price", 1, 2}};
    TCalibrationPlan plan;
    std::string problem;
    ASSERT_EQ(PlanCalibration(model.B.Sim, setUp, plan, problem), cpNone);
    ASSERT_EQ(plan.Targets.size(), 2u);
    EXPECT_DOUBLE_EQ(plan.Targets[0].Weight, 3.0 / 8);
    EXPECT_DOUBLE_EQ(plan.Targets[1].Weight, 1.0 / 16);
    setUp.Targets = {{"Revenue", true, 2.5}};
    ASSERT_EQ(PlanCalibration(model.B.Sim, setUp, plan, problem), cpNone);
    ASSERT_EQ(plan.Targets.size(), 1u);
    EXPECT_EQ(plan.Targets[0].Weight, 2.5);

    struct TText {
        const char* Text;
        bool Fit; // --fit or --target
        bool Ok;
        const char* Result; // name|low|high, name|weight, or the problem
    };
    const TText texts[] = {
        {"Contact Rate=2..30", true, true, "Contact Rate|2|30"},
        {" Churn_Rate = -1.5e-2 .. 0.5 ", true, true, "Churn_Rate|-0.015|0.5"},
        {"Price", true, false, "write NAME=LOW..HIGH"},
        {"=1..2", true, false, "the constant's name is missing"},
        {"Price=1-2", true, false, "write the bounds as LOW..HIGH"},
        {"Price=a..2", true, false, "the bounds must be numbers"},
        {"Price=nan..2", true, false, "the bounds must be numbers"},
        {"Price=3..2", true, false, "the lower bound must be below the upper bound"},
        {"Customers", false, true, "Customers|default"},
        {"Customers=0.5", false, true, "Customers|0.5"},
        {"Customers=0", false, false, "the weight must be a number above 0"},
        {"Customers=x", false, false, "the weight must be a number above 0"},
        {" =2", false, false, "the target's name is missing"},
    };
    for (const TText& t : texts) {
        SCOPED_TRACE(t.Text);
        std::string read;
        bool ok = false;
        if (t.Fit) {
            TFitParameter parameter;
            ok = ParseFitText(t.Text, parameter, problem);
            read = ok ? parameter.Name + "|" + CalibrationNumber(parameter.Low) + "|" +
                            CalibrationNumber(parameter.High)
                      : problem;
        } else {
            TFitTarget target;
            ok = ParseTargetText(t.Text, target, problem);
            read = ok ? target.Name + "|" +
                            (target.OwnWeight ? CalibrationNumber(target.Weight) : "default")
                      : problem;
        }
        EXPECT_EQ(ok, t.Ok);
        EXPECT_EQ(read, t.Result);
    }
}

} // namespace
