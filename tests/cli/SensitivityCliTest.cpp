// quorvane-cli sensitivity and run --set: statuses and messages, bands equal to separate
// runs, the same bytes whatever --jobs, the stored set-up, and the pictures.
#include "support/ModelBuilder.h"
#include "support/TempDir.h"

#include "cli/CliTestSupport.h"
#include "core/analysis/BandStatistics.h"
#include "core/support/CsvText.h"
#include "document/model/DataFile.h"

#include <gtest/gtest.h>

#include <charconv>
#include <sstream>

namespace {

const std::string SupplyChain = (ExamplesFolder() / "supply_chain.qvf").string();

std::vector<std::vector<std::string>> Rows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> row;
        std::istringstream cells(line);
        std::string cell;
        while (std::getline(cells, cell, ','))
            row.push_back(cell);
        rows.push_back(row);
    }
    return rows;
}

double Number(const std::string& text) {
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_EQ(result.ec, std::errc()) << text;
    return value;
}

TEST(SensitivityCli, StatusesAndMessages) {
    TTempDir folder;
    const std::string broken = folder / "broken.qvf";
    {
        TDataFile document;
        TModelBuilder(*document.Simulation).Constant("K", "1 +");
        document.SaveToFile(broken);
    }
    const std::string vary = "--vary=Lead Time=uniform(2, 6)";
    struct TCase {
        std::vector<std::string> Args;
        int Status;
        const char* ErrHas;
    };
    const TCase cases[] = {
        {{"sensitivity", SupplyChain},
         2,
         "supply_chain.qvf has no sensitivity set-up; say what varies with --vary 'NAME=SOURCE'"},
        {{"sensitivity", SupplyChain, "--vary", "Lead Time"},
         2,
         "--vary 'Lead Time': write the element's name, '=' and its source"},
        {{"sensitivity", SupplyChain, "--vary", "Lead Time=uniform(6, 2)"},
         2,
         "--vary 'Lead Time=uniform(6, 2)': uniform needs min below max"},
        {{"sensitivity", SupplyChain, "--vary", "=list(1)"}, 2, "no element name before '='"},
        {{"sensitivity", SupplyChain, "--vary", "Nothing=list(1)"},
         2,
         "There is no element Nothing to vary."},
        {{"sensitivity", SupplyChain, "--vary", "Orders=list(1)"},
         2,
         "Orders cannot vary: its equation is not a plain number."},
        {{"sensitivity", SupplyChain, vary, "--method", "grid"},
         2,
         "All combinations take only list and steps sources."},
        {{"sensitivity", SupplyChain, vary, "--output", "Stock"},
         2,
         "There is no element Stock to keep the results of."},
        {{"sensitivity", SupplyChain, vary, "--runs", "0"},
         2,
         "--runs needs a whole number from 1 to 10000000"},
        {{"sensitivity", SupplyChain, vary, "--seed", "-1"},
         2,
         "--seed needs a whole number from 0 to 2147483647"},
        {{"sensitivity", SupplyChain, vary, "--jobs", "two"},
         2,
         "--jobs needs a whole number from 1 to 256"},
        {{"sensitivity", SupplyChain, vary, "--method", "sobol"},
         2,
         "--method needs random, lhs or grid"},
        {{"sensitivity", SupplyChain, vary, "--plot", "bands.gif"},
         2,
         "the --plot file must end in .png, .svg or .pdf"},
        {{"sensitivity", SupplyChain, vary, "--set", "Lead Time=3"}, 2, "--set belongs to run"},
        {{"sensitivity", SupplyChain, vary, "--runs", "10000000", "--output", "Orders"},
         2,
         "more than the 1 GiB"},
        {{"sensitivity", broken, "--vary", "K=list(1)"},
         1,
         "There are errors in equations, cannot simulate"},
        {{"run", SupplyChain, "--runs", "5"}, 2, "unknown option '--runs'"},
        {{"run", SupplyChain, "--set", "Lead Time"}, 2, "--set 'Lead Time': write NAME=VALUE"},
        {{"run", SupplyChain, "--set", "Lead=3"}, 2, "--set 'Lead=3': there is no element Lead"},
        {{"run", SupplyChain, "--set", "Orders=3"},
         2,
         "--set 'Orders=3': the equation of Orders is not a plain number"},
        {{"run", SupplyChain, "--set", "Lead Time=3x"},
         2,
         "--set 'Lead Time=3x': '3x' is not a number"},
        {{"check", SupplyChain, "--set", "Lead Time=3"}, 2, "--set belongs to run"},
    };
    for (const TCase& c : cases) {
        std::string joined;
        for (const auto& a : c.Args)
            joined += a + " ";
        SCOPED_TRACE(joined);
        const TCliResult r = Cli(c.Args);
        EXPECT_EQ(r.Status, c.Status);
        EXPECT_NE(r.Err.find(c.ErrHas), std::string::npos) << r.Err;
        EXPECT_EQ(r.Out, "");
    }
}

TEST(SensitivityCli, BandsEqualTheStatisticsOfSeparateRunsWithSet) {
    TTempDir folder;
    const std::string bands = folder / "bands.csv", runs = folder / "runs.csv";
    const TCliResult r = Cli({"sensitivity", SupplyChain,
                              "--runs",      "20",
                              "--seed",      "5",
                              "--method",    "lhs",
                              "--vary",      "Lead_Time=uniform(2, 6)",
                              "--vary",      "adjustment time=triangular(2, 4, 8)",
                              "--output",    "Inventory",
                              "--output",    "Orders",
                              "--csv",       bands,
                              "--runs-csv",  runs});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "");
    const auto bandRows = Rows(ReadWholeFile(bands));
    const auto runRows = Rows(ReadWholeFile(runs));
    ASSERT_EQ(runRows.size(), 21u);
    EXPECT_EQ(runRows[0], (std::vector<std::string>{"Run", "Lead Time", "Adjustment Time",
                                                    "Inventory final", "Orders final"}));
    ASSERT_EQ(bandRows[0].size(), 21u);
    EXPECT_EQ(bandRows[0][1], "Inventory min");
    EXPECT_EQ(bandRows[0][15], "Orders median");

    // Run by run with run --set, each value given as RUNS.csv wrote it.
    std::vector<std::vector<std::vector<double>>> values(2); // [output][step][run]
    for (size_t k = 1; k <= 20; ++k) {
        const TCliResult one = Cli({"run", SupplyChain, "--set", "Lead Time=" + runRows[k][1],
                                    "--set", std::string("Adjustment_Time=") + runRows[k][2]});
        ASSERT_EQ(one.Status, 0) << one.Err;
        const auto rows = Rows(one.Out);
        ASSERT_EQ(rows.size(), bandRows.size());
        const size_t inventory = 4, orders = 1; // their columns in run's CSV
        ASSERT_EQ(rows[0][inventory], "Inventory");
        ASSERT_EQ(rows[0][orders], "Orders");
        for (size_t o = 0; o < 2; ++o)
            values[o].resize(rows.size() - 1);
        for (size_t s = 1; s < rows.size(); ++s) {
            values[0][s - 1].push_back(Number(rows[s][inventory]));
            values[1][s - 1].push_back(Number(rows[s][orders]));
        }
        EXPECT_EQ(rows.back()[inventory], runRows[k][3]) << "final value of run " << k;
    }
    for (size_t o = 0; o < 2; ++o) {
        for (size_t s = 0; s + 1 < bandRows.size(); ++s) {
            double expected[BandStatisticCount];
            BandStatistics(values[o][s], expected);
            for (size_t b = 0; b < BandStatisticCount; ++b)
                EXPECT_EQ(bandRows[s + 1][1 + o * BandStatisticCount + b],
                          ShortestFloatText(expected[b]))
                    << bandRows[0][1 + o * BandStatisticCount + b] << " at step " << s;
        }
    }
}

TEST(SensitivityCli, SameBytesWhateverTheJobsAndTheStoredSetUpIsUsed) {
    TTempDir folder;
    // The set-up stored with a model: what varies, how, and the outputs.
    std::string message;
    auto document = TDataFile::LoadModelFile(SupplyChain, message);
    ASSERT_TRUE(document) << message;
    TSensitivitySetUp& setUp = document->Simulation->Sensitivity;
    setUp.Runs = 300;
    setUp.Seed = 99;
    setUp.Method = smLatinHypercube;
    std::string problem;
    TVariedElement lead, coverage;
    ASSERT_TRUE(ParseVaryText("Lead Time=normal(4, 1, 1, 8)", lead, problem));
    ASSERT_TRUE(ParseVaryText("Inventory Coverage=list(3, 4, 5)", coverage, problem));
    setUp.Varied = {lead, coverage};
    setUp.Outputs = {"Inventory"};
    const std::string model = folder / "stored.qvf";
    document->SaveToFile(model);

    std::string first;
    for (const char* jobs : {"1", "2", "5"}) {
        const std::string bands = folder / (std::string("bands") + jobs + ".csv");
        const std::string runs = folder / (std::string("runs") + jobs + ".csv");
        const TCliResult r = Cli({"sensitivity", model, "--jobs", jobs, "--csv", bands,
                                  "--runs-csv", runs, "--plot", folder / "bands.svg"});
        ASSERT_EQ(r.Status, 0) << r.Err;
        const std::string both = ReadWholeFile(bands) + ReadWholeFile(runs);
        if (first.empty()) first = both;
        EXPECT_EQ(both, first) << jobs << " jobs";
    }
    const auto runRows = Rows(ReadWholeFile(folder / "runs1.csv"));
    EXPECT_EQ(runRows.size(), 301u);
    EXPECT_EQ(runRows[0], (std::vector<std::string>{"Run", "Lead Time", "Inventory Coverage",
                                                    "Inventory final"}));
    // The command line overrides what is stored: here the seed.
    const TCliResult other = Cli({"sensitivity", model, "--seed", "100"});
    ASSERT_EQ(other.Status, 0) << other.Err;
    EXPECT_NE(other.Out, ReadWholeFile(folder / "bands1.csv"));
    EXPECT_EQ(other.Out.substr(0, other.Out.find('\n')),
              "Time,Inventory min,Inventory p2.5,Inventory p12.5,Inventory p25,Inventory median,"
              "Inventory p75,Inventory p87.5,Inventory p97.5,Inventory max,Inventory mean");
}

TEST(SensitivityCli, PlotWritesEachPictureFormat) {
    TTempDir folder;
    struct TCase {
        const char* Name;
        std::string Starts;
    };
    const TCase cases[] = {
        {"bands.png", "\x89PNG"},
        {"bands.SVG", "<?xml"},
        {"bands.pdf", "%PDF"},
    };
    for (const TCase& c : cases) {
        const std::string picture = folder / c.Name;
        const TCliResult r =
            Cli({"sensitivity", SupplyChain, "--runs", "50", "--vary", "Lead Time=uniform(2, 6)",
                 "--output", "Inventory", "--plot", picture, "--csv", "/dev/null"});
        ASSERT_EQ(r.Status, 0) << r.Err;
        EXPECT_EQ(ReadWholeFile(picture).substr(0, c.Starts.size()), c.Starts) << c.Name;
    }
}

} // namespace
