// quorvane-cli import-data: what run --csv writes comes back as sketches, and a file that
// cannot be used leaves no output behind.
#include "support/TempDir.h"

#include "cli/CliTestSupport.h"
#include "core/model/SimulationObjects.h"
#include "document/model/DataFile.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

std::string CustomerGrowth() {
    return (ExamplesFolder() / "customer_growth.qvf").string();
}

} // namespace

TEST(CliImportData, SimulatedResultsComeBackAsSketchesAtTheirTimes) {
    TTempDir folder;
    const std::string csv = folder / "run.csv";
    ASSERT_EQ(Cli({"run", CustomerGrowth(), "--csv", csv}).Status, 0);
    const std::string fitted = folder / "observed.qvf";
    const TCliResult r = Cli({"import-data", CustomerGrowth(), csv, fitted});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Out.find("Customers\t73 points\n"), std::string::npos) << r.Out;

    std::string message;
    auto imported = TDataFile::LoadModelFile(fitted, message);
    ASSERT_TRUE(imported) << message;
    auto ran = TDataFile::LoadModelFile(CustomerGrowth(), message);
    TSimulationObject& model = *ran->Simulation;
    model.CheckModel();
    while (!model.IsFinished())
        model.Step();
    for (int32_t i = 0; i < model.Variables.Count(); ++i) {
        const TVariableObject& simulated = *model.Variables[i];
        const TDataSeries& sketch = imported->Simulation->Variables[i]->Sketched;
        SCOPED_TRACE(simulated.Name);
        ASSERT_EQ(sketch.Count(), simulated.Simulated.Count());
        for (int32_t k = 0; k < sketch.Count(); ++k) {
            // The model file keeps 15 significant digits.
            const TDataPoint& expected = simulated.Simulated.Points[k];
            EXPECT_NEAR(sketch.Points[k].Time, expected.Time, 1e-14 * std::abs(expected.Time));
            EXPECT_NEAR(sketch.Points[k].Value, expected.Value, 1e-14 * std::abs(expected.Value));
        }
        EXPECT_DOUBLE_EQ(sketch.Interval, 0.5); // the run's step puts every point on a row
    }
}

TEST(CliImportData, RefusedDataLeavesNoOutput) {
    TTempDir folder;
    const std::string out = folder / "out.qvf";
    const struct {
        const char* Data; // null: no such file
        std::vector<std::string> Args;
        int Status;
        const char* ErrHas;
    } cases[] = {
        {"Time,Customers,Sales\n0,1,2\n",
         {},
         1,
         "Column 3: no element of the model is named \"Sales\""},
        // The name comes first even when a later line cannot be read.
        {"Time,Sales\n0,x\n", {}, 1, "no element of the model is named \"Sales\""},
        {"Time;Customers\n0;1,5\n", {}, 3, "Line 2: \"1,5\" in column Customers is not a number"},
        {nullptr, {}, 3, "Cannot read"},
        {"Time,Customers\n0,1\n", {"x.xmile"}, 2, "import-data writes a Quorvane model"},
        {"Time,Customers\n0,1\n", {"a", "b"}, 2, "too many arguments for import-data"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Data ? c.Data : "(none)");
        const std::string data = folder / "data.csv";
        fs::remove(data);
        if (c.Data) WriteWholeFile(data, c.Data);
        std::vector<std::string> args = {"import-data", CustomerGrowth(), data};
        args.insert(args.end(), c.Args.begin(), c.Args.end());
        if (c.Args.empty()) args.push_back(out);
        const TCliResult r = Cli(args);
        EXPECT_EQ(r.Status, c.Status);
        EXPECT_NE(r.Err.find(c.ErrHas), std::string::npos) << r.Err;
        EXPECT_FALSE(fs::exists(out));
    }
}
