#include "core/model/SimulationObjects.h"

#include "SampleModel.h"
#include "core/support/NumberFormat.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

void SaveToFile(TSimulationObject& sim, const std::string& name) {
    TFileObject file;
    file.CurrentVersion = TestVersion;
    file.OpenForWrite(name, "Quorvane");
    sim.Save(file);
    ASSERT_TRUE(file.Save(false));
}

void LoadText(TSimulationObject& sim, const std::string& text) {
    TFileObject file;
    file.CurrentVersion = TestVersion;
    file.OpenForReadText(text);
    sim.Load(file);
    GlobalLinkManager.ResolveAll();
}

// The sample model as an older version wrote it: series without their 1.0.1 fields, the
// run settings from 1.0.4, the time unit from 1.0.5 and the flow derivation from 1.0.6.
std::string OldModelText(const std::string& version, bool series, bool run, bool unit,
                         bool derive) {
    std::string s = series ? "\t0\t0\t1" : "";
    std::string settings = std::string(unit ? "\t'Weeks'" : "") + (run ? "\t4\t2\t0" : "");
    return JoinCrLf({
        "Quorvane\t" + version,
        "",
        "\t0\t36\t0.5\t7\t2\t30\t1\t10" + settings + "\t2",
        "",
        "\t'Stock'\t'kg'\t'100'\t''\t2\t100\t102.5",
        "\t0" + s + "\t1\t0\t5",
        "\t0" + s + "\t0",
        "\t0" + s + "\t0\t0\t200\t1",
        "",
        "\t1\t1\t1" + std::string(derive ? "\t0" : ""),
        "\t'In flow'\t''\t'2.5'\t''\t3\t2.5\t2.5",
        "\t0" + s + "\t0",
        "\t0" + s + "\t0",
        "\t0" + s + "\t0\t0\t10\t0" + std::string(derive ? "\t1" : ""),
    });
}

} // namespace

TEST(SimulationObject, SavesTheExactRecordAndLoadsItBackFromAFile) {
    TTempDir dir;
    const std::string name = dir / "model.qvf";
    TSimulationObject source;
    BuildSampleModel(source);
    SaveToFile(source, name);
    EXPECT_EQ(ReadWholeFile(name), SampleModelText());

    TSimulationObject loaded;
    TFileObject file;
    file.CurrentVersion = TestVersion;
    ASSERT_TRUE(file.OpenForRead(name));
    loaded.Load(file);
    // The Resource's flow is listed after it: bound only by ResolveAll.
    ASSERT_EQ(loaded.Variables.Count(), 2);
    TVariableObject* stock = loaded.Variables[0];
    TVariableObject* flow = loaded.Variables[1];
    ASSERT_EQ(stock->Dependencies.Count(), 1);
    EXPECT_FALSE(stock->Dependencies[0]->Source.IsAssigned());
    GlobalLinkManager.ResolveAll();
    EXPECT_EQ(stock->Dependencies[0]->Source.GetTarget(), flow);
    EXPECT_TRUE(stock->Dependencies[0]->IsFlow);
    EXPECT_FALSE(stock->Dependencies[0]->Used);
    EXPECT_EQ(stock->Owner, &loaded);
    EXPECT_EQ(flow->Simulation(), &loaded);
    EXPECT_EQ(stock->Notes, "it's full");
    EXPECT_EQ(flow->DeriveFromSource, 1);
    EXPECT_EQ(loaded.TimeUnit, "Weeks");
    EXPECT_FALSE(loaded.UpdateScreen);

    const std::string again = dir / "again.qvf";
    SaveToFile(loaded, again);
    EXPECT_EQ(ReadWholeFile(again), SampleModelText());
}

TEST(SimulationObject, LoadRestartsTheClockAndClearsElementState) {
    TSimulationObject source;
    BuildSampleModel(source);
    source.StartTime = -2;
    source.CurrentTime = 17;
    std::string text = SavedRecord(source);

    TSimulationObject loaded;
    loaded.CurrentTime = 99;
    loaded.AtStart = false;
    LoadText(loaded, text);
    EXPECT_EQ(loaded.CurrentTime, -2);
    EXPECT_TRUE(loaded.AtStart);
    for (TVariableObject* element : loaded.Variables) {
        EXPECT_EQ(element->Root, nullptr);
        EXPECT_FALSE(element->Parsed || element->HasErrors || element->Computed ||
                     element->DrivenBySketch);
    }
}

TEST(SimulationObject, OlderFilesKeepTheDefaultsOfLaterFields) {
    struct Case {
        std::string version;
        bool series, run, unit, derive;
        std::string timeUnit;
        int32_t runStep, update;
        bool updateScreen;
        uint8_t derivation;
    } cases[] = {
        {"1.0.0", false, false, false, false, "Months", 1, 1, true, 0},
        {"1.0.3.99", true, false, false, false, "Months", 1, 1, true, 0},
        {"1.0.4", true, true, false, false, "Months", 4, 2, false, 0},
        {"1.0.5", true, true, true, false, "Weeks", 4, 2, false, 0},
        {"1.0.6", true, true, true, true, "Weeks", 4, 2, false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        TSimulationObject sim;
        LoadText(sim, OldModelText(c.version, c.series, c.run, c.unit, c.derive));
        EXPECT_EQ(sim.TimeUnit, c.timeUnit);
        EXPECT_EQ(sim.RunStepInterval, c.runStep);
        EXPECT_EQ(sim.UpdateInterval, c.update);
        EXPECT_EQ(sim.UpdateScreen, c.updateScreen);
        EXPECT_EQ(sim.CurrentTime, 0);
        EXPECT_EQ(sim.StopTime, 36);
        ASSERT_EQ(sim.Variables.Count(), 2);
        EXPECT_EQ(sim.Variables[1]->DeriveFromSource, c.derivation);
        EXPECT_EQ(sim.Variables[0]->Sketched.ValueAt(3), 5);
        EXPECT_EQ(sim.Variables[0]->Sketched.Interval, 1);
        EXPECT_EQ(sim.Variables[0]->UpperY, 200);
        EXPECT_EQ(sim.Variables[0]->Dependencies[0]->Direction, 1);
        EXPECT_EQ(sim.Variables[0]->Dependencies[0]->Source.GetTarget(), sim.Variables[1]);
    }
}

TEST(SimulationObject, CopyFromLeavesLinksPendingUntilResolved) {
    TSimulationObject source;
    BuildSampleModel(source);
    struct TOwner : TIOObject {
        void Load(TFileObject&) override {}
    } owner;
    source.Owner = &owner;
    const std::string text = SavedRecord(source);

    TSimulationObject copy;
    copy.NewElement(ekConstant); // replaced by the copy
    copy.CopyFrom(source);
    EXPECT_EQ(CurrentSimulation, &copy);
    EXPECT_EQ(copy.Owner, source.Owner);
    ASSERT_EQ(copy.Variables.Count(), 2);
    EXPECT_FALSE(copy.Variables[0]->Dependencies[0]->Source.IsAssigned());
    EXPECT_EQ(GlobalLinkManager.Count(), 1u);
    GlobalLinkManager.ResolveAll();
    EXPECT_EQ(copy.Variables[0]->Dependencies[0]->Source.GetTarget(), copy.Variables[1]);
    EXPECT_EQ(SavedRecord(copy), text);
    EXPECT_EQ(SavedRecord(source), text);
}

TEST(SimulationObject, CurrentAndRunningSimulationNeverDangle) {
    auto first = std::make_unique<TSimulationObject>();
    EXPECT_EQ(CurrentSimulation, first.get());
    auto second = std::make_unique<TSimulationObject>();
    EXPECT_EQ(CurrentSimulation, second.get());
    LoadText(*first, SavedRecord(*second));
    EXPECT_EQ(CurrentSimulation, first.get());

    // Destroying any simulation object clears the current one, whichever it was.
    RunningSimulation = first.get();
    second.reset();
    EXPECT_EQ(CurrentSimulation, nullptr);
    EXPECT_EQ(RunningSimulation, first.get());
    first.reset();
    EXPECT_EQ(RunningSimulation, nullptr);
}

TEST(SimulationObject, DamagedRecordsFailCleanly) {
    const std::string good = SampleModelText();
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    struct Case {
        const char* what;
        std::string text;
    } cases[] = {
        {"word for a float", replaced("\t36\t", "\tlong\t")},
        {"word for a count", replaced("'Weeks'\t4", "'Weeks'\tx")},
        {"unknown element kind", replaced("\t3\t2.5", "\t9\t2.5")},
        {"negative element kind", replaced("\t2\t100", "\t-1\t100")},
        {"link past the list", replaced("\t0\t1\t1\t0", "\t0\t1\t2\t0")},
        {"too many elements", replaced("\t0\t2\r\n", "\t0\t3\r\n")},
        {"too many points", replaced("\t2\t0\t1\t1\t2", "\t9\t0\t1\t1\t2")},
        {"cut short", good.substr(0, good.size() / 2)},
        {"header only", "Quorvane\t1.0.10.166\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        {
            TSimulationObject sim;
            EXPECT_ANY_THROW(LoadText(sim, c.text));
        }
        // Whatever failed, nothing may stay pending on freed objects.
        EXPECT_TRUE(GlobalLinkManager.IsEmpty());
        GlobalLinkManager.Clear();
    }
}

TEST(SimulationObject, ConversionErrorsReachTheLoaderAsSuch) {
    TSimulationObject sim;
    std::string text = SampleModelText();
    text.replace(text.find("\t3\t2.5"), 6, "\t7\t2.5");
    EXPECT_THROW(LoadText(sim, text), EConvertError);
    GlobalLinkManager.Clear();
}

TEST(SimulationObject, RunIntervalsOutsideTheDialogLimitsAreBroughtIntoRange) {
    std::string text = SampleModelText();
    text.replace(text.find("'Weeks'\t4\t2"), 11, "'Weeks'\t2000000000\t0");
    TSimulationObject sim;
    LoadText(sim, text);
    EXPECT_EQ(sim.RunStepInterval, 1000);
    EXPECT_EQ(sim.UpdateInterval, 1);
}

TEST(Dependency, LoadWithoutASimulationFailsInsteadOfCrashing) {
    CurrentSimulation = nullptr;
    TFileObject file;
    file.OpenForReadText("Quorvane\t1.0.10\r\n\t0\t0\t0\r\n");
    TDependency dependency;
    EXPECT_THROW(dependency.Load(file), EFileException);
    EXPECT_TRUE(GlobalLinkManager.IsEmpty());
}
