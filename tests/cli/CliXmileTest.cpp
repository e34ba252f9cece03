// quorvane-cli with XMILE: import, export, and the other commands reading XMILE directly.
#include "support/TempDir.h"

#include "cli/CliTestSupport.h"

#include <gtest/gtest.h>

namespace {

// The hand-written XMILE models of the golden cases.
std::string XmileData(const std::string& name) {
    const std::string folder = "xmile_" + name.substr(0, name.find('.'));
    return (SourceFolder() / "tests" / "golden" / folder / "model.xmile").string();
}

std::string Example(const std::string& name) {
    return (ExamplesFolder() / name).string();
}

TEST(CliXmile, CommandsGiveTheirStatusAndMessages) {
    TTempDir folder;
    const std::string refused = (folder.Path / "refused.xmile").string();
    WriteWholeFile(refused,
                   "<xmile><sim_specs><start>0</start><stop>1</stop></sim_specs><model>"
                   "<variables><aux name=\"a\"><eqn>FORCST(TIME, 2, 3)</eqn></aux></variables>"
                   "</model></xmile>");
    const std::string broken = (folder.Path / "broken.xml").string();
    WriteWholeFile(broken, "<xmile><model>");
    // Readable XML whose model is not sound is the model's fault, not the file's.
    const std::string unsound = (folder.Path / "unsound.xmile").string();
    WriteWholeFile(unsound,
                   "<xmile><isee:prefs/><sim_specs isee:sim_duration=\"1\"><start>0</start>"
                   "<stop>1</stop></sim_specs><model><variables><aux name=\"a\"><eqn>nobody + 1"
                   "</eqn><isee:summing/></aux></variables></model></xmile>");
    const std::string out = (folder.Path / "out.qvf").string();
    const std::string xmile = (folder.Path / "out.xmile").string();
    const std::string mdl = (SourceFolder() / "tests/golden/mdl_population/model.mdl").string();
    const std::string refusedMdl = (folder.Path / "refused.mdl").string();
    WriteWholeFile(refusedMdl, "{UTF-8}\nx = GAME(Time) ~~|\nINITIAL TIME = 0 ~~|\n"
                               "FINAL TIME = 9 ~~|\nTIME STEP = 1 ~~|\n");
    struct TCase {
        std::vector<std::string> Args;
        int Status;
        std::string Err; // the start of standard error
        bool Writes;     // the output file exists afterwards
    };
    const TCase cases[] = {
        {{"import", XmileData("teacup.xmile"), out}, 0, "", true},
        {{"import", mdl, out}, 0, "", true},
        {{"import", refusedMdl, out},
         1,
         "Not imported: Element \"x\": the function GAME cannot be represented exactly in "
         "Quorvane.\n",
         false},
        {{"run", refusedMdl}, 1, "Not imported: Element \"x\": the function GAME", false},
        {{"import", mdl, refusedMdl},
         2,
         "quorvane-cli: import writes a Quorvane model (.qvf), not ",
         false},
        {{"upgrade", mdl},
         2,
         "quorvane-cli: upgrade reads Quorvane models; import reads XMILE and .mdl",
         false},
        {{"import", refused, out},
         1,
         "Not imported: Element \"a\": the function FORCST cannot be represented exactly in "
         "Quorvane.\n",
         false},
        {{"import", broken, out}, 3, "Not imported: the XML is malformed at line 1", false},
        {{"import", (folder.Path / "none.xmile").string(), out}, 3, "The file: \"", false},
        {{"import", XmileData("teacup.xmile"), xmile},
         2,
         "quorvane-cli: import writes a Quorvane model (.qvf), not ",
         false},
        {{"import", XmileData("teacup.xmile")},
         2,
         "quorvane-cli: import needs an XMILE or .mdl file and a model file",
         false},
        {{"export", Example("investment.qvf"), xmile},
         1,
         "Not exported: XMILE has no counterpart for Present Value (uses PV), ",
         false},
        {{"export", Example("investment.qvf"), xmile, "--drop-unsupported"},
         0,
         "quorvane-cli: left out Present Value (uses PV)\n",
         true},
        {{"export", Example("supply_chain.qvf"), out},
         2,
         "quorvane-cli: export writes an XMILE file (.xmile, .xml or .stmx), not ",
         false},
        {{"export", refused, xmile}, 1, "Not imported: Element \"a\": the function FORCST", false},
        {{"run", XmileData("teacup.xmile"), "--drop-unsupported"},
         2,
         "quorvane-cli: unknown option '--drop-unsupported'",
         false},
        {{"upgrade", XmileData("teacup.xmile")},
         2,
         "quorvane-cli: upgrade reads Quorvane models; import reads XMILE and .mdl",
         false},
        {{"check", XmileData("delays.xmile")}, 0, "", false},
        {{"check", broken}, 3, "Not imported: the XML is malformed", false},
        {{"check", unsound},
         1,
         "Not imported: Element \"a\": the name \"nobody\" names no element.\n",
         false},
        {{"info", refused}, 1, "Not imported: Element \"a\"", false},
    };
    for (const TCase& c : cases) {
        std::string joined;
        for (const auto& a : c.Args)
            joined += a + " ";
        SCOPED_TRACE(joined);
        fs::remove(out);
        fs::remove(xmile);
        TCliResult result = Cli(c.Args);
        EXPECT_EQ(result.Status, c.Status) << result.Err;
        EXPECT_EQ(result.Err.substr(0, c.Err.size()), c.Err) << result.Err;
        if (c.Status == 0 && c.Err.empty()) {
            EXPECT_EQ(result.Err, "");
        }
        EXPECT_EQ(fs::exists(out) || fs::exists(xmile), c.Writes);
    }
}

TEST(CliXmile, AnImportedModelRunsAsTheXmileFileRunsDirectly) {
    TTempDir folder;
    const std::string model = (folder.Path / "population.qvf").string();
    ASSERT_EQ(Cli({"import", XmileData("population.xmile"), model}).Status, 0);
    TCliResult direct = Cli({"run", XmileData("population.xmile")});
    TCliResult imported = Cli({"run", model});
    ASSERT_EQ(direct.Status, 0) << direct.Err;
    ASSERT_EQ(imported.Status, 0) << imported.Err;
    EXPECT_EQ(direct.Out, imported.Out);
    EXPECT_EQ(direct.Out.substr(0, direct.Out.find('\n')),
              "Time,Population,births,deaths,birth rate,average lifetime");

    // Out through XMILE and in again: the same run.
    const std::string xmile = (folder.Path / "population out.xmile").string();
    ASSERT_EQ(Cli({"export", model, xmile}).Status, 0);
    EXPECT_EQ(Cli({"run", xmile}).Out, direct.Out);
    TCliResult info = Cli({"info", xmile});
    EXPECT_EQ(info.Status, 0);
    EXPECT_NE(info.Out.find("Time step: 0.25\n"), std::string::npos) << info.Out;
}

} // namespace
