// Sensitivity runs: plans refused with their reasons, results that do not depend on the
// threads, bands equal to separate runs of the model, cancelling, warnings, and the set-up
// stored with the model.
#include "support/ModelBuilder.h"

#include "core/analysis/SensitivityCsv.h"
#include "core/model/FormatVersion.h"
#include "core/model/RunToEnd.h"
#include "core/persistence/FileIO.h"
#include "core/support/CsvText.h"
#include "core/support/Version.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

// A growing stock with noise: Growth = Stock * Rate + RANDOM(Noise), Ratio = 1 / Noise.
struct TNoisyModel {
    TNoisyModel(double stop = 24) : B(0, stop, 1) {
        B.Constant("Rate", "0.1");
        B.Constant("Noise", "1");
        TVariableObject& stock = B.Resource("Stock", "100");
        B.Inflow(B.Flow("Growth", "Stock * Rate + RANDOM(Noise)", {"Stock", "Rate", "Noise"}),
                 stock);
        B.Variable("Ratio", "1 / Noise", {"Noise"});
        EXPECT_TRUE(B.Sim.CheckModel());
    }

    TSensitivitySetUp SetUp(TSamplingMethod method, int32_t runs) const {
        TSensitivitySetUp setUp;
        setUp.Method = method;
        setUp.Runs = runs;
        setUp.Seed = 11;
        const bool grid = method == smGrid;
        setUp.Varied = {{"Rate", Source(grid ? "steps(0.05, 0.15, 3)" : "uniform(0.05, 0.15)")},
                        {"Noise", Source(grid ? "list(0, 1, 2)" : "list(0, 1, 2, 3)")},
                        {"stock", Source(grid ? "list(90, 110)" : "normal(100, 10, 50, 150)")}};
        setUp.Outputs = {"Stock", "Ratio"};
        return setUp;
    }

    static TVariedSource Source(const std::string& text) {
        TVariedSource source;
        std::string problem;
        EXPECT_TRUE(ParseVariedSource(text, source, problem)) << problem;
        return source;
    }

    TModelBuilder B;
};

struct TOutcome {
    TAnalysisOutcome Result;
    std::string Bands, Runs;
    std::vector<TAnalysisWarning> Warnings;
};

TOutcome Analyse(TSimulationObject& model, const TSensitivitySetUp& setUp, int jobs) {
    TSensitivityPlan plan;
    EXPECT_EQ(PlanSensitivity(model, setUp, DefaultMaxSteps, plan), "");
    TSensitivityResults results;
    results.Allocate(plan);
    TSensitivityRunner runner(model, jobs);
    std::string problem;
    TOutcome outcome;
    outcome.Result = runner.Run(plan, results, TSensitivityRange(), nullptr, problem);
    EXPECT_EQ(problem, "");
    std::ostringstream bands, runs;
    WriteBandsCsv(plan, results, bands);
    WriteRunsCsv(plan, results, runs);
    outcome.Bands = bands.str();
    outcome.Runs = runs.str();
    outcome.Warnings = results.Warnings;
    return outcome;
}

TEST(Sensitivity, SameBytesWhateverTheThreadsAndTheProgramGeneratorUntouched) {
    for (TSamplingMethod method : {smRandom, smLatinHypercube, smGrid}) {
        TNoisyModel model;
        const TSensitivitySetUp setUp = model.SetUp(method, 40);
        RandomSeed = 1234;
        const TOutcome one = Analyse(model.B.Sim, setUp, 1);
        EXPECT_EQ(RandomSeed, 1234u) << "ordinary runs keep their own sequence";
        EXPECT_EQ(one.Result, aoFinished);
        for (int jobs : {2, 3, 7}) {
            const TOutcome many = Analyse(model.B.Sim, setUp, jobs);
            EXPECT_EQ(many.Bands, one.Bands) << jobs << " jobs, method " << method;
            EXPECT_EQ(many.Runs, one.Runs) << jobs << " jobs, method " << method;
            ASSERT_EQ(many.Warnings.size(), one.Warnings.size());
            for (size_t i = 0; i < one.Warnings.size(); ++i)
                EXPECT_EQ(AnalysisWarningText(many.Warnings[i], 40),
                          AnalysisWarningText(one.Warnings[i], 40));
        }
        // The document's model is left as it was: no results, its own constants.
        EXPECT_TRUE(model.B.Sim.Variables[0]->Simulated.IsEmpty());
        EXPECT_EQ(model.B.Sim.Variables[0]->InitialValue, 0.1);
    }
}

TEST(Sensitivity, BandsEqualSeparateRunsWithTheSampledEquations) {
    TNoisyModel model;
    const TSensitivitySetUp setUp = model.SetUp(smLatinHypercube, 20);
    TSensitivityPlan plan;
    ASSERT_EQ(PlanSensitivity(model.B.Sim, setUp, DefaultMaxSteps, plan), "");
    TSensitivityResults results;
    results.Allocate(plan);
    TSensitivityRunner runner(model.B.Sim, 2);
    std::string problem;
    ASSERT_EQ(runner.Run(plan, results, TSensitivityRange(), nullptr, problem), aoFinished);

    // Each run again by hand, its constants typed in as equations, on a copy of the model.
    const size_t steps = plan.Steps(), outputs = plan.Outputs.size();
    std::vector<double> kept(plan.Runs * outputs * steps);
    for (size_t k = 0; k < plan.Runs; ++k) {
        TSimulationObject copy;
        copy.CopyFrom(model.B.Sim);
        GlobalLinkManager.ResolveAll();
        for (size_t j = 0; j < plan.Varied.size(); ++j) {
            TVariableObject& element = *copy.Variables[plan.Varied[j]];
            element.Equation = ShortestFloatText(plan.Samples.At(k, j));
            element.Parsed = false;
        }
        ASSERT_TRUE(copy.CheckModel());
        copy.OwnRandom = true;
        copy.OwnRandomSeed = RunRandomSeed(plan.Seed, static_cast<int64_t>(k));
        bool tooLong = false;
        ASSERT_EQ(RunToEnd(copy, DefaultMaxSteps, tooLong).size(), steps);
        for (size_t o = 0; o < outputs; ++o)
            for (size_t s = 0; s < steps; ++s)
                kept[(o * steps + s) * plan.Runs + k] =
                    copy.Variables[plan.Outputs[o]]->Simulated.Points[s].Value;
    }
    for (size_t o = 0; o < outputs; ++o) {
        const TOutputBands bands = ComputeBands(results, o);
        EXPECT_EQ(bands.Runs, plan.Runs);
        for (size_t s = 0; s < steps; ++s) {
            std::vector<double> values(
                kept.begin() + static_cast<long>((o * steps + s) * plan.Runs),
                kept.begin() + static_cast<long>((o * steps + s + 1) * plan.Runs));
            double expected[BandStatisticCount];
            BandStatistics(values, expected);
            for (size_t b = 0; b < BandStatisticCount; ++b)
                EXPECT_EQ(bands.Statistic[b][s], expected[b])
                    << plan.OutputNames[o] << " " << BandStatisticNames[b] << " at step " << s;
        }
    }
}

TEST(Sensitivity, WarningsCountRunsAndNameTheFirst) {
    TNoisyModel model;
    const TSensitivitySetUp setUp = model.SetUp(smRandom, 30);
    TSensitivityPlan plan;
    ASSERT_EQ(PlanSensitivity(model.B.Sim, setUp, DefaultMaxSteps, plan), "");
    size_t zeroRuns = 0, first = plan.Runs;
    for (size_t k = 0; k < plan.Runs; ++k)
        if (plan.Samples.At(k, 1) == 0) {
            ++zeroRuns;
            first = std::min(first, k);
        }
    ASSERT_GT(zeroRuns, 0u);
    const TOutcome outcome = Analyse(model.B.Sim, setUp, 2);
    ASSERT_EQ(outcome.Warnings.size(), 1u);
    EXPECT_EQ(outcome.Warnings[0].Runs, static_cast<int64_t>(zeroRuns));
    EXPECT_EQ(outcome.Warnings[0].FirstRun, static_cast<int64_t>(first));
    EXPECT_EQ(AnalysisWarningText(outcome.Warnings[0], 30),
              outcome.Warnings[0].Text + " (in " + std::to_string(zeroRuns) +
                  " of 30 runs, first in run " + std::to_string(first + 1) + ")");
    EXPECT_EQ(outcome.Warnings[0].Text.rfind("Error in Ratio: ", 0), 0u);
}

TEST(Sensitivity, PlansRefuseWhatCannotRunAndSayWhy) {
    struct TCase {
        const char* What;
        void (*Change)(TSensitivitySetUp&, TModelBuilder&);
        const char* Problem;
    };
    const TCase cases[] = {
        {"nothing varies", [](TSensitivitySetUp& s, TModelBuilder&) { s.Varied.clear(); },
         "No constants are set to vary."},
        {"unknown element",
         [](TSensitivitySetUp& s, TModelBuilder&) { s.Varied[0].Identifier = "Nope"; },
         "There is no element Nope to vary."},
        {"not a plain number",
         [](TSensitivitySetUp& s, TModelBuilder&) { s.Varied[0].Identifier = "growth"; },
         "Growth cannot vary: its equation is not a plain number."},
        {"twice", [](TSensitivitySetUp& s, TModelBuilder&) { s.Varied[1].Identifier = "RATE"; },
         "Rate is set to vary twice."},
        {"unknown output",
         [](TSensitivitySetUp& s, TModelBuilder&) { s.Outputs.push_back("Gone"); },
         "There is no element Gone to keep the results of."},
        {"grid of a distribution", [](TSensitivitySetUp& s, TModelBuilder&) { s.Method = smGrid; },
         "All combinations take only list and steps sources."},
        {"too much to keep",
         [](TSensitivitySetUp& s, TModelBuilder& b) {
             s.Runs = 3000;
             s.Outputs.clear();
             b.TimeSettings(0, 10000, 1);
         },
         "3,000 runs of 5 outputs over 10,001 steps would keep 1.1 GiB, more than the 1 GiB an "
         "analysis may keep: at most 2,682 runs, or 4 outputs, would fit."},
        {"far too much to keep",
         [](TSensitivitySetUp& s, TModelBuilder& b) {
             s.Runs = MaxSensitivityRuns;
             b.TimeSettings(0, 100000, 1);
         },
         "10,000,000 runs of 2 outputs over 100,001 steps would keep 14,901.5 GiB, more than "
         "the 1 GiB an analysis may keep: at most 670 runs would fit."},
    };
    for (const TCase& c : cases) {
        TNoisyModel model;
        TSensitivitySetUp setUp = model.SetUp(smRandom, 10);
        c.Change(setUp, model.B);
        TSensitivityPlan plan;
        EXPECT_EQ(PlanSensitivity(model.B.Sim, setUp, DefaultMaxSteps, plan), c.Problem) << c.What;
    }
}

// Cancels as soon as the runs have started.
class TCancelAtStart : public TNotifier {
public:
    explicit TCancelAtStart(TSensitivityRunner& runner) : Runner(runner) {}
    void AnalysisProgress(int64_t done, int64_t total) override {
        Reports.push_back({done, total});
        Runner.Cancel();
    }
    TSensitivityRunner& Runner;
    std::vector<std::pair<int64_t, int64_t>> Reports;
};

TEST(Sensitivity, CancelStopsTheRunsAndReportsProgressOnTheCallingThread) {
    TNoisyModel model(20000); // runs long enough that all of them would take a while
    TSensitivitySetUp setUp = model.SetUp(smRandom, 200);
    setUp.Outputs = {"Ratio"};
    TSensitivityPlan plan;
    ASSERT_EQ(PlanSensitivity(model.B.Sim, setUp, DefaultMaxSteps, plan), "");
    TSensitivityResults results;
    results.Allocate(plan);
    TSensitivityRunner runner(model.B.Sim, 2);
    TCancelAtStart cancel(runner);
    std::string problem;
    EXPECT_EQ(runner.Run(plan, results, TSensitivityRange(), &cancel, problem), aoCancelled);
    EXPECT_EQ(problem, "");
    EXPECT_LT(results.DoneCount(), plan.Runs);
    ASSERT_FALSE(cancel.Reports.empty());
    EXPECT_EQ(cancel.Reports.front(), std::make_pair(int64_t{0}, int64_t{200}));
}

TEST(Sensitivity, RangesRunElsewhereMergeIntoTheSameResults) {
    TNoisyModel model;
    const TSensitivitySetUp setUp = model.SetUp(smRandom, 25);
    const TOutcome whole = Analyse(model.B.Sim, setUp, 1);
    TSensitivityPlan plan;
    ASSERT_EQ(PlanSensitivity(model.B.Sim, setUp, DefaultMaxSteps, plan), "");
    TSensitivityResults results;
    results.Allocate(plan);
    TSensitivityRunner runner(model.B.Sim, 2);
    std::string problem;
    // Three shares, the last first; only the first takes the model's own run.
    for (TSensitivityRange range : {TSensitivityRange{17, 25, false}, {0, 9, true}, {9, 17, false}})
        EXPECT_EQ(runner.Run(plan, results, range, nullptr, problem), aoFinished);
    std::ostringstream bands, runs;
    WriteBandsCsv(plan, results, bands);
    WriteRunsCsv(plan, results, runs);
    EXPECT_EQ(bands.str(), whole.Bands);
    EXPECT_EQ(runs.str(), whole.Runs);
}

TEST(SensitivitySetUp, StoredInTheNewerFormatOnlyWhenUsedAndReadBackExactly) {
    TNoisyModel model;
    EXPECT_EQ(ModelFileVersion(model.B.Sim), BaseFormatVersion);
    model.B.Sim.Sensitivity = model.SetUp(smLatinHypercube, 321);
    EXPECT_EQ(ModelFileVersion(model.B.Sim), ProgramVersion);

    TFileObject file;
    file.CurrentVersion = ProgramVersion;
    file.OpenForWrite("", "Quorvane");
    model.B.Sim.Sensitivity.Save(file);
    const std::string text = file.SavedText();

    struct TCase {
        std::string Text;
        const char* Problem; // empty: reads back as saved
    };
    const std::string header = "Quorvane\t1.0.11.167\r\n";
    const TCase cases[] = {
        {text, ""},
        {header + "\t3\t10\t1\t0\r\n\t0", "The sensitivity set-up's sampling method is damaged"},
        {header + "\t0\t0\t1\t0\r\n\t0", "The sensitivity set-up's number of runs is damaged"},
        {header + "\t0\t10\t-1\t0\r\n\t0", "The sensitivity set-up's seed is damaged"},
        {header + "\t0\t10\t1\t99999\r\n\t0",
         "The sensitivity set-up's count of varied elements is damaged"},
        {header + "\t0\t10\t1\t1\r\n\t'Rate'\t'uniform(2, 1)'\r\n\t0",
         "The sensitivity set-up of Rate cannot be read: uniform needs min below max"},
        {header + "\t0\t10\t1\t0\r\n\t-5", "The sensitivity set-up's count of outputs is damaged"},
    };
    for (const TCase& c : cases) {
        TFileObject reader;
        reader.OpenForReadText(c.Text);
        TSensitivitySetUp read;
        if (*c.Problem == '\0') {
            read.Load(reader);
            EXPECT_EQ(read, model.SetUp(smLatinHypercube, 321));
        } else {
            try {
                read.Load(reader);
                ADD_FAILURE() << "read: " << c.Problem;
            } catch (const EFileException& e) {
                EXPECT_EQ(std::string(e.what()), c.Problem);
            }
            EXPECT_TRUE(read.IsDefault()) << "nothing half read is kept";
        }
    }

    // Through a copy (an undo snapshot) the set-up comes along; renames and deletions follow.
    TSimulationObject copy;
    copy.CopyFrom(model.B.Sim);
    GlobalLinkManager.ResolveAll();
    EXPECT_EQ(copy.Sensitivity, model.B.Sim.Sensitivity);
    copy.RenameInEquations("Noise", "Spread");
    EXPECT_EQ(copy.Sensitivity.Varied[1].Identifier, "Spread");
    copy.Sensitivity.ForgetElement("STOCK");
    EXPECT_EQ(copy.Sensitivity.Varied.size(), 2u);
    EXPECT_EQ(copy.Sensitivity.Outputs, std::vector<std::string>{"Ratio"});
}

} // namespace
