// Golden cases: every folder of tests/golden holds a model and what quorvane-cli writes for
// it; each folder runs as its own test. tests/golden/README.md says how to add a case and how
// to rewrite the expectations on purpose (QV_GOLDEN_UPDATE=1).
#include "support/TempDir.h"

#include "cli/Cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>

namespace {

fs::path GoldenFolder() {
    return SourceFolder() / "tests" / "golden";
}

// The model of a case: ours, or an XMILE or .mdl model that the commands read directly.
fs::path CaseModel(const fs::path& folder) {
    for (const char* name : {"model.qvf", "model.xmile", "model.mdl"})
        if (fs::exists(folder / name)) return folder / name;
    return fs::path();
}

std::vector<std::string> GoldenCases() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(GoldenFolder(), ec))
        if (!CaseModel(entry.path()).empty()) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool Updating() {
    const char* update = std::getenv("QV_GOLDEN_UPDATE");
    return update && std::string(update) == "1";
}

// The status file: a line "COMMAND STATUS" per command that does not exit with 0.
std::map<std::string, int> ReadStatuses(const fs::path& file) {
    std::map<std::string, int> statuses;
    std::istringstream lines(ReadWholeFile(file));
    std::string command;
    int status = 0;
    while (lines >> command >> status)
        statuses[command] = status;
    return statuses;
}

// Compares what a command wrote with its expected file, where no file means nothing written;
// when updating, writes the file instead (or removes it when nothing was written).
void ExpectFile(const fs::path& expected, const std::string* actual) {
    if (Updating()) {
        if (actual && !actual->empty())
            WriteWholeFile(expected, *actual);
        else
            fs::remove(expected);
        return;
    }
    const std::string what =
        expected.filename().string() + " (QV_GOLDEN_UPDATE=1 rewrites it: tests/golden/README.md)";
    if (!fs::exists(expected)) {
        EXPECT_TRUE(!actual || actual->empty()) << "unexpected output for " << what << ":\n"
                                                << (actual ? *actual : "");
        return;
    }
    ASSERT_TRUE(actual) << "nothing written for " << what;
    EXPECT_EQ(*actual, ReadWholeFile(expected)) << "differs from " << what;
}

class Golden : public testing::TestWithParam<std::string> {};

TEST_P(Golden, OutputsMatchTheExpectedFiles) {
    const fs::path folder = GoldenFolder() / GetParam();
    const std::string model = CaseModel(folder).string();
    TTempDir temp;
    const std::string csv = temp / "out.csv";

    // run always, check always, info when the case lists it.
    std::vector<std::vector<std::string>> commands = {{"run", model, "--csv", csv},
                                                      {"check", model}};
    if (fs::exists(folder / "expected-info.txt")) commands.push_back({"info", model});

    std::map<std::string, int> statuses;
    const std::map<std::string, int> expectedStatuses = ReadStatuses(folder / "status");
    for (const auto& args : commands) {
        const std::string& command = args[0];
        SCOPED_TRACE(command);
        std::ostringstream out, err;
        statuses[command] = RunCli(args, out, err);
        const std::string outText = out.str(), errText = err.str();
        if (command == "run") {
            const std::string written = fs::exists(csv) ? ReadWholeFile(csv) : "";
            ExpectFile(folder / "expected.csv", fs::exists(csv) ? &written : nullptr);
            EXPECT_EQ(outText, "") << "run --csv writes nothing to standard output";
        } else {
            ExpectFile(folder / ("expected-" + command + ".txt"), &outText);
        }
        ExpectFile(folder / ("expected-" + command + "-err.txt"), &errText);
        if (!Updating()) {
            const auto expected = expectedStatuses.find(command);
            EXPECT_EQ(statuses[command], expected == expectedStatuses.end() ? 0 : expected->second)
                << "exit status";
        }
    }
    if (Updating()) {
        std::string text;
        for (const auto& [command, status] : statuses)
            if (status != 0) text += command + " " + std::to_string(status) + "\n";
        std::string* written = text.empty() ? nullptr : &text;
        ExpectFile(folder / "status", written);
    }

    // A case named after an example keeps a copy of it: the copy must follow the example.
    const fs::path example = ExamplesFolder() / (GetParam() + ".qvf");
    if (fs::exists(example)) {
        EXPECT_EQ(ReadWholeFile(model), ReadWholeFile(example))
            << "copy " << example << " to " << model << " and regenerate the case";
    }
}

// Test names allow letters, digits and '_' only.
std::string CaseName(const testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, testing::ValuesIn(GoldenCases()), CaseName);

} // namespace
