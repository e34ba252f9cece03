// quorvane-cli: arguments, exit statuses and what each command prints.
#include "support/ModelBuilder.h"
#include "support/TempDir.h"

#include "cli/CliCommands.h"
#include "cli/CliTestSupport.h"
#include "cli/ResultsCsv.h"
#include "core/model/Listings.h"
#include "core/support/NumberFormat.h"
#include "document/model/DataFile.h"

#include <charconv>
#include <gtest/gtest.h>
#include <sstream>

namespace {

// Population: Births fill it, Deaths drain it; the model has no diagram.
std::string WritePopulationModel(const TTempDir& folder, const std::string& name = "pop.qvf") {
    TDataFile document;
    TModelBuilder b(*document.Simulation);
    b.TimeSettings(0, 3, 1);
    b.Sim.TimeUnit = "Years";
    TVariableObject& population = b.Resource("Population", "100");
    // A name that needs quoting in a CSV header.
    b.Constant("Birth, \"rate\"", "0.1").Units = "1/year";
    b.Inflow(b.Flow("Births", "Population / 4", {"Population"}), population);
    b.Outflow(b.Flow("Deaths", "5"), population);
    const std::string path = folder / name;
    document.SaveToFile(path);
    return path;
}

double ReadDouble(const std::string& text) {
    double value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_EQ(result.ec, std::errc()) << text;
    return value;
}

std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.push_back(field);
            field.clear();
        } else if (c == '\n') {
            row.push_back(field);
            field.clear();
            rows.push_back(row);
            row.clear();
        } else {
            field += c;
        }
    }
    return rows;
}

} // namespace

TEST(Cli, ArgumentsGiveTheExpectedStatus) {
    TTempDir folder;
    const std::string model = WritePopulationModel(folder);
    struct TCase {
        std::vector<std::string> Args;
        int Status;
        const char* OutHas;
        const char* ErrHas;
    } cases[] = {
        {{}, 2, "", "no command given"},
        {{"--help"}, 0, "Usage: quorvane-cli", ""},
        {{"-h"}, 0, "Exit status", ""},
        {{"run", "--help"}, 0, "upgrade MODEL.qvf [OUT.qvf]", ""},
        {{"--version"}, 0, "quorvane-cli 1.0.11.167\n", ""},
        {{"fly", model}, 2, "", "unknown command 'fly'"},
        {{"run"}, 2, "", "run needs a model file"},
        {{"check", model, model}, 2, "", "too many arguments for check"},
        {{"upgrade", model, model, model}, 2, "", "too many arguments for upgrade"},
        {{"run", model, "--csv"}, 2, "", "option --csv needs a value"},
        {{"run", model, "--max-steps", "0"}, 2, "", "--max-steps needs a whole number"},
        {{"run", model, "--max-steps", "ten"}, 2, "", "--max-steps needs a whole number"},
        {{"info", model, "--csv", "x.csv"}, 2, "", "--csv and --max-steps belong to run"},
        {{"run", model, "--fast"}, 2, "", "unknown option '--fast'"},
        {{"run", folder / "none.qvf"}, 3, "", "does not exist."},
        {{"check", model}, 0, "", ""},
        {{"info", model}, 0, "Time unit: Years", ""},
        {{"run", model, "--max-steps", "3"}, 1, "", "more than the limit of 3"},
        {{"run", model, "--max-steps=4"}, 0, "Time,", ""},
        // Each command reads only its own options.
        {{"run", model, "--zoom", "50"}, 2, "", "unknown option '--zoom'"},
        {{"render", model, "a.png", "--csv", "x.csv"}, 2, "", "unknown option '--csv'"},
        {{"check", model, "--run"}, 2, "", "unknown option '--run'"},
        // Options may come before the command.
        {{"--max-steps", "4", "run", model}, 0, "Time,", ""},
        {{"--zoom=50", "render", model, folder / "a.png"}, 0, "", ""},
    };
    for (const TCase& c : cases) {
        std::string joined;
        for (const auto& a : c.Args)
            joined += a + " ";
        SCOPED_TRACE(joined);
        TCliResult r = Cli(c.Args);
        EXPECT_EQ(r.Status, c.Status);
        EXPECT_NE(r.Out.find(c.OutHas), std::string::npos) << r.Out;
        EXPECT_NE(r.Err.find(c.ErrHas), std::string::npos) << r.Err;
        if (c.Status == 2) {
            EXPECT_NE(r.Err.find("Try 'quorvane-cli --help'"), std::string::npos);
        }
    }
}

TEST(Cli, RunWritesTheSimulatedSeriesAsCsv) {
    TTempDir folder;
    const std::string model = WritePopulationModel(folder);
    // The exact CSV of this model is the golden case "population"; here standard output and
    // --csv (before the model file, too) give the same text.
    const TCliResult printed = Cli({"run", model});
    EXPECT_EQ(printed.Status, 0) << printed.Err;
    EXPECT_EQ(printed.Err, "");
    EXPECT_EQ(printed.Out.substr(0, 16), "Time,Population,");

    const std::string csv = folder / "out.csv";
    TCliResult r = Cli({"run", "--csv", csv, model});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(ReadWholeFile(csv), printed.Out);

    r = Cli({"run", model, "--csv", folder / "no/such/folder/out.csv"});
    EXPECT_EQ(r.Status, 3);
    EXPECT_NE(r.Err.find("couldn't write"), std::string::npos);
}

TEST(Cli, CsvTimesAreAbsoluteAndNumbersReadBackExactly) {
    TTempDir folder;
    TDataFile document;
    TModelBuilder b(*document.Simulation);
    b.TimeSettings(2000, 2001, 0.1);
    b.Constant("Third", "1/3");
    b.Variable("Tiny", "1E-300 * 3");
    document.SaveToFile(folder / "exact.qvf");
    TCliResult r = Cli({"run", folder / "exact.qvf"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    auto rows = ParseCsv(r.Out);
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Time", "Third", "Tiny"}));
    EXPECT_EQ(rows[1][0], "2000");
    for (size_t i = 1; i < rows.size(); ++i) {
        EXPECT_EQ(ReadDouble(rows[i][1]), 1.0 / 3);
        EXPECT_EQ(ReadDouble(rows[i][2]), 1e-300 * 3);
        EXPECT_GT(ReadDouble(rows[i][0]), 2000 + 0.1 * (i - 1) - 1e-9);
        EXPECT_LT(ReadDouble(rows[i][0]), 2000 + 0.1 * (i - 1) + 1e-9);
    }
}

TEST(Cli, EquationColumnFollowsTheEquationsListing) {
    TModelBuilder b;
    TVariableObject& births = b.Flow("Births");
    TVariableObject& deaths = b.Flow("Deaths");
    struct TCase {
        uint8_t Kind;
        const char* Equation;
        bool Fill, Drain;
        const char* Column;
    } cases[] = {
        {ekResource, "100", true, true, "init(100) ; + Births * dt - Deaths * dt"},
        {ekResource, " 100\r\n+ 5 ", false, false, "init(100 + 5)"},
        {ekResource, "", true, false, "+ Births * dt"},
        {ekResource, "  ", false, true, "- Deaths * dt"},
        {ekResource, "", false, false, ""},
        {ekVariable, "a +\r\nb", false, false, "a + b"},
        {ekConstant, " 7 ", false, false, " 7 "},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Column);
        TVariableObject element;
        element.Kind = c.Kind;
        element.Equation = c.Equation;
        if (c.Fill) b.Inflow(births, element);
        if (c.Drain) b.Outflow(deaths, element);
        b.Link(births, element); // information links do not show
        EXPECT_EQ(EquationColumn(element), c.Column);
    }
}

TEST(Cli, UpgradeWritesTheCurrentFormat) {
    TTempDir folder;
    const std::string model = WritePopulationModel(folder);
    const std::string original = ReadWholeFile(model);

    // A current file comes out byte for byte, with the backup beside it.
    TCliResult r = Cli({"upgrade", model});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(ReadWholeFile(model), original);
    EXPECT_EQ(ReadWholeFile(folder / "pop.bak"), original);

    // An old file is written in the current format to the named output.
    WriteWholeFile(folder / "old.qvf",
                   JoinCrLf({"Quorvane\t1.0.0.1", "",
                             "\t1\t2\t''\t''\t''\t''\t'N'\t1\t2\t3\t1\t1\t1"
                             "\t1\t1\t1",
                             "\t0\t10\t1\t0\t0\t10\t1\t5\t0\t1", "\t100\t1\t0\t0\t0", "\t0",
                             "\t0\t0\t100\t100\t0\t0\t0\t0\t0"}));
    r = Cli({"upgrade", folder / "old.qvf", folder / "new.qvf"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    const std::string upgraded = ReadWholeFile(folder / "new.qvf");
    EXPECT_EQ(upgraded.substr(0, upgraded.find('\r')), "Quorvane\t1.0.10.166");
    EXPECT_NE(upgraded.find("\t'Months'\t1\t1\t1\t0\r\n"), std::string::npos) << upgraded;
    r = Cli({"upgrade", folder / "new.qvf"});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(ReadWholeFile(folder / "new.qvf"), upgraded);
}

TEST(Cli, UnreadableFilesGiveStatusThreeWithTheProgramsMessage) {
    TTempDir folder;
    WriteWholeFile(folder / "empty.qvf", "");
    WriteWholeFile(folder / "later.qvf", "Quorvane\t1.0.12.0\r\n");
    struct TCase {
        std::string File;
        std::string Message;
    } cases[] = {
        {folder / "empty.qvf", "The file you attempted to load is either not a valid data file "
                               "or may be corrupt.\n"},
        {folder / "later.qvf", "The file you attempted to load appears to be a file generated "
                               "by a later \nversion of Quorvane and cannot be opened by this "
                               "version.\n"},
        {folder / "gone.qvf", "The file: \"" + (folder / "gone.qvf") + "\" does not exist.\n"},
    };
    for (const TCase& c : cases)
        for (const char* command : {"run", "check", "info", "upgrade"}) {
            SCOPED_TRACE(std::string(command) + " " + c.File);
            TCliResult r = Cli({command, c.File});
            EXPECT_EQ(r.Status, 3);
            EXPECT_EQ(r.Err, c.Message);
            EXPECT_EQ(r.Out, "");
        }
}

TEST(Cli, ExpectedStepCountCoversTheWholeRun) {
    TSimulationObject model;
    struct TCase {
        double Start, Stop, Step;
        int64_t Steps;
    } cases[] = {
        {0, 24, 1, 25}, {0, 24, 0.5, 49}, {0, 1, 0.1, 11},
        {0, 1, 0.3, 5}, {5, 5, 1, 1},     {5, 4, 1, 1},
        {0, 10, 0, 1},  {0, 10, -1, 1},   {0, 1e300, 1e-300, std::numeric_limits<int64_t>::max()},
    };
    for (const TCase& c : cases) {
        model.StartTime = c.Start;
        model.StopTime = c.Stop;
        model.TimeStep = c.Step;
        EXPECT_EQ(ExpectedStepCount(model), c.Steps) << c.Start << " " << c.Stop << " " << c.Step;
        if (c.Steps > 1000) continue;
        bool tooLong = true;
        EXPECT_EQ(static_cast<int64_t>(RunToEnd(model, 1000, tooLong).size()), c.Steps);
        EXPECT_FALSE(tooLong);
    }
}

TEST(Cli, ExampleModelsRunSensibly) {
    std::vector<fs::path> examples = ExampleFiles();
    ASSERT_GE(examples.size(), 3u);
    for (const fs::path& example : examples) {
        SCOPED_TRACE(example.string());
        TCliResult check = Cli({"check", example.string()});
        EXPECT_EQ(check.Status, 0) << check.Out;
        TCliResult run = Cli({"run", example.string()});
        ASSERT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(run.Err, "");
        auto rows = ParseCsv(run.Out);
        ASSERT_GT(rows.size(), 10u);
        auto column = [&](const std::string& name) {
            for (size_t i = 0; i < rows[0].size(); ++i)
                if (rows[0][i] == name) {
                    std::vector<double> values;
                    for (size_t r = 1; r < rows.size(); ++r)
                        values.push_back(ReadDouble(rows[r][i]));
                    return values;
                }
            ADD_FAILURE() << "no column " << name;
            return std::vector<double>(1, 0.0);
        };
        const std::string name = example.filename().string();
        if (name == "customer_growth.qvf") {
            auto customers = column("Customers");
            auto potential = column("Potential Customers");
            EXPECT_EQ(customers.front(), 500);
            EXPECT_GT(customers.back(), 10000);
            EXPECT_LT(customers.back(), 100000);
            EXPECT_LT(potential.back(), potential.front());
            auto revenue = column("Revenue");
            EXPECT_EQ(revenue.back(), customers.back() * 30);
        } else if (name == "investment.qvf") {
            auto npv = column("Net Present Value");
            auto cash = column("Cumulative Cash");
            EXPECT_EQ(npv.front(), -100000);
            EXPECT_EQ(cash.front(), -100000);
            EXPECT_GT(cash.back(), 0); // it pays back within ten years
            EXPECT_GT(npv.back(), 0);  // and is worth doing at 8 %
            EXPECT_LT(npv.back(), cash.back());
        } else if (name == "supply_chain.qvf") {
            auto orders = column("Orders");
            auto inventory = column("Inventory");
            auto deliveries = column("Deliveries");
            EXPECT_NEAR(orders[5], 100, 1e-9); // in equilibrium before the step
            EXPECT_NEAR(inventory[9], 400, 1e-9);
            EXPECT_GT(*std::max_element(orders.begin(), orders.end()), 140); // overshoot
            EXPECT_EQ(deliveries[14], orders[10]);                           // four weeks late
            EXPECT_NEAR(inventory.back(), 480, 60);
        }
    }
}

TEST(CliCsv, NumbersReadBackExactlyAndPlainWherePossible) {
    struct Case {
        double value;
        const char* text;
    } cases[] = {
        {100000, "100000"},
        {0.1, "0.1"},
        {-2.5, "-2.5"},
        {1e300, "1e+300"},
        {1.5e-20, "1.5e-20"},
        {1.0 / 3, "0.3333333333333333"},
        {123456789012.5, "123456789012.5"},
        // Plain digits up to 21 characters, the sign included.
        {1e20, "100000000000000000000"},
        {1e21, "1e+21"},
        {-1e19, "-10000000000000000000"},
        {-1e20, "-1e+20"},
        {0.0000000000000000001, "0.0000000000000000001"}, // 1e-19: just fits
        {1.5e-19, "1.5e-19"},
        {9.9e-20, "9.9e-20"},
        {-0.000000000000000001, "-0.000000000000000001"},
        {-2.2250738585072014e-308, "-2.2250738585072014e-308"},
        {1.7976931348623157e308, "1.7976931348623157e+308"},
    };
    for (const auto& c : cases) {
        std::string text = ShortestFloatText(c.value);
        EXPECT_EQ(text, c.text);
        double back = 0;
        std::from_chars(text.data(), text.data() + text.size(), back);
        EXPECT_EQ(back, c.value) << text;
    }
}

// The writer walks each series alongside the rows; every cell must still be the value a
// lookup by time gives, for series whose points do not line up with the rows.
TEST(CliCsv, WalkingTheSeriesGivesTheLookedUpValues) {
    TSimulationObject model;
    model.StartTime = 1990;
    auto series = [&](const char* name, std::vector<TDataPoint> points, bool stepwise = false) {
        TVariableObject* element = model.NewElement(ekVariable);
        element->Name = name;
        for (const TDataPoint& p : points)
            element->Simulated.AddPoint(p.Time, p.Value);
        element->Simulated.Stepwise = stepwise;
    };
    series("Aligned", {{0, 1}, {0.5, 2}, {1, 3}, {1.5, 4}, {2, 5}, {2.5, 6}, {3, 7}});
    series("Sparse", {{0.3, 10}, {1.7, -4}, {2, 1.0 / 3}});                   // interpolated
    series("Steps", {{-1, 5}, {0.25, 6}, {0.75, 7}, {2.2, 8}, {9, 9}}, true); // held
    series("Empty", {});
    series("Single", {{1.1, 42}});
    series("Late", {{2.6, 1}, {2.7, 2}});
    // Rows as a run makes them (more than the writer buffers at once), then a repeat, a
    // step back and a jump far ahead.
    std::vector<double> offsets;
    for (int i = 0; i <= 3000; ++i)
        offsets.push_back(i * 0.001);
    for (double extra : {3.0, 0.4, 0.4 + 1e-12, 2.55, 100.0})
        offsets.push_back(extra);

    std::string expected = "Time,Aligned,Sparse,Steps,Empty,Single,Late\n";
    for (double offset : offsets) {
        expected += ShortestFloatText(model.StartTime + offset);
        for (const TVariableObject* element : model.Variables)
            expected += "," + ShortestFloatText(element->Simulated.ValueAt(offset));
        expected += "\n";
    }
    std::ostringstream out;
    WriteResultsCsv(model, offsets, out);
    EXPECT_EQ(out.str(), expected);

    // A model without elements still has its Time column.
    TSimulationObject empty;
    std::ostringstream times;
    WriteResultsCsv(empty, {0, 0.5}, times);
    EXPECT_EQ(times.str(), "Time\n0\n0.5\n");
}
