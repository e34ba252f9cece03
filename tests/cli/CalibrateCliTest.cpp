// quorvane-cli calibrate: data made by the customer growth example with another contact rate
// brings that rate back, printed and written into the fitted model; every way of calling it
// wrongly has its status and message.
#include "support/TempDir.h"

#include "cli/CliTestSupport.h"
#include "core/analysis/Sensitivity.h"
#include "core/support/NumberFormat.h"
#include "document/model/DataFile.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::string CustomerGrowth() {
    return (ExamplesFolder() / "customer_growth.qvf").string();
}

// The example with the sketches of a run whose contact rate was 6 (instead of 10).
std::string ObservedModel(TTempDir& folder) {
    const std::string csv = folder / "run.csv";
    const std::string observed = folder / "observed.qvf";
    EXPECT_EQ(Cli({"run", CustomerGrowth(), "--set", "Contact Rate=6", "--csv", csv}).Status, 0);
    EXPECT_EQ(Cli({"import-data", CustomerGrowth(), csv, observed}).Status, 0);
    return observed;
}

} // namespace

TEST(CliCalibrate, RecoversTheContactRateAndWritesTheFittedModel) {
    TTempDir folder;
    const std::string observed = ObservedModel(folder);
    const std::string fitted = folder / "fitted.qvf";
    const TCliResult r =
        Cli({"calibrate", observed, "--fit", "Contact Rate=2..20", "--fit=Price=10..50", "--target",
             "Customers", "--target", "Revenue=1e-6", "--jobs", "2", "--out", fitted});
    ASSERT_EQ(r.Status, 0) << r.Err << r.Out;
    EXPECT_EQ(r.Err, "");
    // Revenue's data were made with the price of 30: the price is found too.
    EXPECT_NE(r.Out.find("Parameter     Start  Fitted"), std::string::npos) << r.Out;
    EXPECT_NE(r.Out.find("\nContact Rate  10     "), std::string::npos) << r.Out;
    EXPECT_NE(r.Out.find("Payoff before: "), std::string::npos);
    EXPECT_NE(r.Out.find("\nConverged\n"), std::string::npos);

    std::string message;
    auto model = TDataFile::LoadModelFile(fitted, message);
    ASSERT_TRUE(model) << message;
    double rate = 0, price = 0;
    ASSERT_TRUE(TryStrToFloat(FindElement(*model->Simulation, "Contact Rate")->Equation, rate));
    ASSERT_TRUE(TryStrToFloat(FindElement(*model->Simulation, "Price")->Equation, price));
    EXPECT_NEAR(rate, 6, 6e-4);
    EXPECT_NEAR(price, 30, 3e-3);

    // With Customers alone the price cannot be seen.
    const TCliResult alone = Cli({"calibrate", observed, "--fit", "Contact Rate=2..20", "--fit",
                                  "Price=10..50", "--target", "Customers"});
    ASSERT_EQ(alone.Status, 0) << alone.Err << alone.Out;
    EXPECT_NE(alone.Out.find("not identified\n"), std::string::npos) << alone.Out;
}

TEST(CliCalibrate, StatusesAndMessages) {
    TTempDir folder;
    const std::string observed = ObservedModel(folder);
    const std::string out = folder / "out.qvf";
    const struct {
        std::vector<std::string> Args;
        int Status;
        const char* Has; // in the error output, or for 4 in the output
    } cases[] = {
        {{}, 2, "calibrate needs at least one --fit 'NAME=LOW..HIGH'"},
        {{"--fit", "Contact Rate"}, 2, "--fit 'Contact Rate': write NAME=LOW..HIGH"},
        {{"--fit", "Contact Rate=2..20", "--method", "lhs"},
         2,
         "--method needs bobyqa, neldermead or sbplx"},
        {{"--fit", "Contact Rate=2..20", "--max-evals", "0"},
         2,
         "--max-evals needs a whole number"},
        {{"--fit", "Contact Rate=2..20", "--starts", "x"}, 2, "--starts needs a whole number"},
        {{"--fit", "Contact Rate=2..20", "--target", "Revenue=-1"},
         2,
         "--target 'Revenue=-1': the weight must be a number above 0"},
        {{"--fit", "Revenue=2..20"},
         2,
         "Revenue cannot be fitted: its equation is not a plain number."},
        {{"--fit", "Contact Rate=2..20", "--out", "x.mdl"}, 2, "calibrate writes a Quorvane model"},
        {{"--fit", "Contact Rate=2..20", "--plot", "x.png"}, 2, "unknown option '--plot'"},
        {{"--fit", "Contact Rate=2..20", "--max-evals", "3", "--out", out},
         4,
         "Not converged: the optimiser stopped after 3 evaluations; raise --max-evals"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Has);
        std::vector<std::string> args = {"calibrate", observed};
        args.insert(args.end(), c.Args.begin(), c.Args.end());
        const TCliResult r = Cli(args);
        EXPECT_EQ(r.Status, c.Status) << r.Err;
        EXPECT_NE((c.Status == 4 ? r.Out : r.Err).find(c.Has), std::string::npos) << r.Err;
        EXPECT_EQ(std::filesystem::exists(out), c.Status == 4);
    }
    // No data: the example's own model has a business plan for Customers but not for Revenue.
    const TCliResult none =
        Cli({"calibrate", CustomerGrowth(), "--fit", "Price=1..2", "--target", "Revenue"});
    EXPECT_EQ(none.Status, 1);
    EXPECT_NE(none.Err.find("No target has observed points within the run"), std::string::npos);
}
