// The model document: its file layout, saving with the backup, and loading with the
// version rule, the three messages and the recovery from damaged files.
#include "support/DiagramBuilder.h"
#include "support/TempDir.h"

#include "core/support/Version.h"
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A document with fixed dates so that its text is known.
std::unique_ptr<TDataFile> NewDocument() {
    auto document = std::make_unique<TDataFile>();
    document->Created = 45000.5;
    document->Modified = 45001.25;
    return document;
}

// Written by 1.0.3: output controls are read, but not the time unit (1.0.5), the run
// settings (1.0.4), the derivation choice of flows (1.0.6) or the page set-up (1.0.6).
const std::vector<std::string> Version103Lines = {
    "Quorvane\t1.0.3.40",
    "",
    "\t45000.5\t45001.25\t'Old model'\t'Ann'\t'Acme'\t'notes'\t'Model Notes'\t255\t8421504"
    "\t32768\t1\t1\t1\t1\t0\t1",
    "\t0\t10\t1\t3\t0\t10\t1\t5\t2",
    "",
    "\t'Stock'\t'kg'\t'100'\t''\t2\t100\t100",
    "\t0\t0\t0\t1\t0",
    "\t0\t0\t0\t1\t0",
    "\t0\t0\t0\t1\t0\t0\t200\t1",
    "",
    "\t0\t1\t1",
    "\t'Inflow'\t''\t'5'\t''\t3\t5\t5",
    "\t0\t0\t0\t1\t0",
    "\t0\t0\t0\t1\t0",
    "\t0\t0\t0\t1\t0\t0\t10\t0\t1",
    "\t100\t1\t0\t0\t2",
    "\t0",
    "\t100\t100\t0\t0\t1\t1\t0\t0\t0\t36\t0\t-41\t1",
    "\t250\t100\t0\t1\t1\t1\t0\t0\t0\t44\t0\t-44\t1\t0\t1\t2",
    "",
    "\t1\t0\t1\t28\t0\t-38\t0\t10\t0\t-10\t0",
    "\t1\t1\t-1\t38\t0\t68\t0\t10\t0\t-10\t0\t1\t3",
    "\t10\t20\t60\t220\t'Hello'\t0\t0\t300\t200\t0\t0\t0\t0\t0",
};

// Written by 1.0.0: series without origin and interval, flows without a direction, no
// output controls.
const std::vector<std::string> Version100Lines = {
    "Quorvane\t1.0.0.1",
    "",
    "\t45000.5\t45001.25\t''\t''\t''\t''\t'Model Notes'\t255\t8421504\t32768\t1\t1\t1\t1\t1\t1",
    "\t0\t24\t1\t0\t0\t24\t1\t12\t2",
    "",
    "\t'Price'\t''\t'10'\t''\t0\t10\t10",
    "\t1\t2\t0\t1\t5\t2",
    "\t0\t0",
    "\t0\t0\t0\t10\t0",
    "",
    "\t'Sales'\t''\t'3'\t''\t3\t3\t3",
    "\t0\t0",
    "\t0\t0",
    "\t0\t0\t0\t10\t0\t1",
    "\t100\t1\t0\t0\t2",
    "\t0",
    "\t100\t100\t0\t0\t0\t1\t0\t0\t0\t10\t0\t-10\t1",
    "\t300\t100\t0\t1\t1\t1\t0\t0\t0\t44\t0\t-44\t0\t1\t2",
    "",
    "\t1\t-1\t1\t-68\t0\t-38\t0\t10\t0\t-10\t0",
    "\t1\t1\t-1\t38\t0\t68\t0\t10\t0\t-10\t0\t0\t0\t100\t100\t0\t0\t0\t0\t0",
};

} // namespace

TEST(DataFile, NewDocumentHasItsDefaults) {
    TDataFile document;
    EXPECT_EQ(document.ModelNotes, "Model Notes");
    EXPECT_EQ(document.SeriesColours[0], 255);
    EXPECT_EQ(document.SeriesColours[1], 8421504);
    EXPECT_EQ(document.SeriesColours[2], 32768);
    for (bool show : document.SeriesShow)
        EXPECT_TRUE(show);
    EXPECT_FALSE(document.HasFile);
    EXPECT_FALSE(document.IsModified);
    EXPECT_FALSE(document.CanUndo());
    EXPECT_EQ(document.Simulation->Owner, &document);
    EXPECT_EQ(document.Image().Owner, &document);
    EXPECT_EQ(document.Image().Model, document.Simulation.get());
    EXPECT_EQ(CurrentSimulation, document.Simulation.get());
    EXPECT_EQ(document.ClipboardCopy, &ClipboardCopy());
    // Created now: within a day of the clock (the test does not depend on the time zone).
    EXPECT_NEAR(document.Created, Now(), 1.0);
    EXPECT_EQ(document.Modified, document.Created);
}

TEST(DataFile, EmptyDocumentIsWrittenInTheFileLayout) {
    auto document = NewDocument();
    document->Title = "It's mine";
    document->SeriesShow[3] = false;
    EXPECT_EQ(document->SavedText(),
              JoinCrLf({
                  "Quorvane\t1.0.10.166",
                  "",
                  "\t45000.5\t45001.25\t'It''s mine'\t''\t''\t''\t'Model Notes'\t255\t8421504"
                  "\t32768\t1\t1\t1\t0\t1\t1",
                  "\t0\t24\t1\t0\t0\t24\t1\t12\t'Months'\t1\t1\t1\t0",
                  "\t1",
                  "\t100\t1\t0\t0\t0",
                  "\t0",
                  "\t0\t0\t0\t100\t100\t0\t0\t0\t0\t0\t0\t0\t1\t0\t1\t1\t100\t0\t''\t''\t0\t''"
                  "\t''\t0",
              }));
}

TEST(DataFile, SaveLoadSaveGivesTheSameBytesForEveryExample) {
    std::vector<fs::path> examples = ExampleFiles();
    ASSERT_GE(examples.size(), 3u);
    TTempDir folder;
    for (const fs::path& example : examples) {
        SCOPED_TRACE(example.string());
        const std::string original = ReadWholeFile(example);
        std::string message;
        auto document = TDataFile::LoadModelFile(example.string(), message);
        ASSERT_TRUE(document) << message;
        EXPECT_TRUE(document->HasFile);
        EXPECT_FALSE(document->IsModified);
        EXPECT_EQ(document->FileName, example.string());
        EXPECT_FALSE(document->Image().IsEmpty());

        const std::string copy = folder / example.filename().string();
        document->SaveToFile(copy);
        EXPECT_EQ(ReadWholeFile(copy), original);
        auto again = TDataFile::LoadModelFile(copy, message);
        ASSERT_TRUE(again) << message;
        again->SaveToFile();
        EXPECT_EQ(ReadWholeFile(copy), original);
        // The first save's file was kept as the backup.
        EXPECT_EQ(ReadWholeFile(fs::path(copy).replace_extension(".bak")), original);
    }
}

TEST(DataFile, Version103FileLoadsWithTheDefaultsOfLaterFields) {
    std::string message;
    auto document = LoadText(JoinCrLf(Version103Lines), &message);
    ASSERT_TRUE(document) << message;
    EXPECT_EQ(document->Title, "Old model");
    EXPECT_EQ(document->Author, "Ann");
    EXPECT_FALSE(document->SeriesShow[4]);

    const TSimulationObject& model = *document->Simulation;
    EXPECT_EQ(model.StopTime, 10);
    EXPECT_EQ(model.Now, 5);
    EXPECT_EQ(model.CurrentTime, 0); // the stored 3 is replaced by the start time
    EXPECT_EQ(model.TimeUnit, "Months");
    EXPECT_EQ(model.RunStepInterval, 1);
    EXPECT_EQ(model.UpdateInterval, 1);
    EXPECT_TRUE(model.UpdateScreen);
    ASSERT_EQ(model.Variables.Count(), 2);
    TVariableObject* stock = model.Variables[0];
    TVariableObject* inflow = model.Variables[1];
    EXPECT_EQ(inflow->DeriveFromSource, 0);
    ASSERT_EQ(stock->Dependencies.Count(), 1);
    EXPECT_EQ(stock->Dependencies[0]->Source.GetTarget(), inflow);
    EXPECT_TRUE(stock->Dependencies[0]->IsFlow);

    const TDrawImage& image = document->Image();
    ASSERT_EQ(image.Elements.Count(), 2);
    auto* flow = dynamic_cast<TFlowInstance*>(image.Elements[1]);
    ASSERT_NE(flow, nullptr);
    EXPECT_EQ(flow->Var(), inflow);
    EXPECT_EQ(flow->Inflow(), image.Links[0]);
    EXPECT_EQ(flow->Outflow(), image.Links[1]);
    EXPECT_EQ(image.Links[0]->From(), image.Elements[0]);
    ASSERT_EQ(image.OutputControls.Count(), 1);
    auto* note = dynamic_cast<TNoteInstance*>(image.OutputControls[0]);
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->Text(), "Hello\r\n");
    EXPECT_EQ(image.Orientation, 1);
    EXPECT_EQ(image.PrintScale, 100);
    EXPECT_EQ(image.PagesWide, 1);
    EXPECT_EQ(image.PagesTall, 1);
    EXPECT_FALSE(image.FitToPages);
    EXPECT_FALSE(image.ShowPageBreaks);
    EXPECT_EQ(image.Extent, (TDrawRect{0, 0, 300, 200}));
}

TEST(DataFile, Version100FileLoadsWithoutSeriesFieldsAndFlowDirection) {
    std::string message;
    auto document = LoadText(JoinCrLf(Version100Lines), &message);
    ASSERT_TRUE(document) << message;
    TVariableObject* price = document->Simulation->Variables[0];
    EXPECT_TRUE(price->Sketched.Stepwise);
    EXPECT_EQ(price->Sketched.Origin, 0);
    EXPECT_EQ(price->Sketched.Interval, 1);
    ASSERT_EQ(price->Sketched.Count(), 2);
    EXPECT_EQ(price->Sketched.Points[1].Time, 5);
    EXPECT_EQ(price->Sketched.Points[1].Value, 2);
    auto* flow = dynamic_cast<TFlowInstance*>(document->Image().Elements[1]);
    ASSERT_NE(flow, nullptr);
    EXPECT_EQ(flow->Direction, 1);
    EXPECT_TRUE(document->Image().OutputControls.IsEmpty());
}

TEST(DataFile, OldFileIsWrittenBackInTheCurrentFormat) {
    auto document = LoadText(JoinCrLf(Version103Lines));
    ASSERT_TRUE(document);
    const std::string current = document->SavedText();
    EXPECT_EQ(current.substr(0, current.find('\r')), "Quorvane\t1.0.10.166");
    auto again = LoadText(current);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->SavedText(), current);
}

TEST(DataFile, ModelsCallingLaterBuiltinsNeedTheNewerFormat) {
    const struct {
        const char* Equation;
        bool Newer;
    } cases[] = {
        {"SIN(Trend) * 2", true},
        {"2 * (modulo (Trend, 3))", true},
        {"IF(Trend > 1, INIT(Trend), 0)", true},
        {"Trend * 2 + PULSE(1, 2, 3)", false},
        {"Trend(1)", false}, // the linked element's name wins: an error in every version
        {"Sales Trend(1)", false},
        {"1e-5 + DELAY(Trend, 1)", false},
        {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Equation);
        auto document = NewDocument();
        TDiagramBuilder b(*document);
        b.Link(*b.Element(ekVariable, "Trend", "4"), *b.Element(ekVariable, "Out", c.Equation));
        const std::string text = document->SavedText();
        EXPECT_EQ(text.substr(0, text.find('\r')),
                  std::string("Quorvane\t") + (c.Newer ? ProgramVersion : BaseFormatVersion));
        // This program reads either back as it wrote it.
        auto again = LoadText(text);
        ASSERT_TRUE(again);
        EXPECT_EQ(again->SavedText(), text);
    }
}

TEST(DataFile, VersionRuleJudgesThreeNumbers) {
    // A body of the base format under older headers, one of the newer format under newer.
    const std::string text = NewDocument()->SavedText();
    auto newer = NewDocument();
    newer->Simulation->Method = imRK4;
    const std::string newerText = newer->SavedText();
    struct TCase {
        const char* Version;
        bool Opens;
    } cases[] = {{"1.0.12.0", false}, {"1.0.11.999", true}, {"1.0.11", true},  {"1.1", false},
                 {"2.0.0.0", false},  {"1.0.9.500", true},  {"1.0.10.0", true}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Version);
        const bool older = std::string(c.Version).rfind("1.0.9", 0) == 0 ||
                           std::string(c.Version).rfind("1.0.10", 0) == 0;
        std::string changed = older ? text : newerText;
        const std::string header = older ? BaseFormatVersion : ProgramVersion;
        changed.replace(changed.find(header), header.size(), c.Version);
        std::string message;
        auto document = LoadText(changed, &message);
        EXPECT_EQ(document != nullptr, c.Opens);
        if (!c.Opens) {
            EXPECT_EQ(message, "The file you attempted to load appears to be a file generated by "
                               "a later \r\nversion of Quorvane and cannot be opened by this "
                               "version.");
        }
    }
}

TEST(DataFile, LoadFailuresGiveTheProgramsMessages) {
    TTempDir folder;
    const std::string corrupt =
        "The file you attempted to load is either not a valid data file or may be corrupt.";
    WriteWholeFile(folder / "empty.qvf", "");
    WriteWholeFile(folder / "header.qvf", "Quorvane\t1.0.10.166\r\n");
    WriteWholeFile(folder / "words.qvf", "Quorvane\t1.0.10.166\r\n\tnot a number\r\n");
    struct TCase {
        std::string Name;
        std::string Message;
    } cases[] = {
        {folder / "missing.qvf", "The file: \"" + (folder / "missing.qvf") + "\" does not exist."},
        {"  " + (folder / "missing.qvf") + "  ",
         "The file: \"" + (folder / "missing.qvf") + "\" does not exist."},
        {folder / "empty.qvf", corrupt},
        {folder / "header.qvf", corrupt},
        {folder / "words.qvf", corrupt},
        // A folder exists but is no model file; "does not exist" would mislead.
        {folder.Path.string(), FileUnreadableMessage(folder.Path.string())},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::string message;
        EXPECT_EQ(TDataFile::LoadModelFile(c.Name, message), nullptr);
        EXPECT_EQ(message, c.Message);
        EXPECT_TRUE(GlobalLinkManager.IsEmpty());
    }
}

TEST(DataFile, DamagedFilesAreRefusedWithoutTouchingTheOpenModel) {
    const std::string good = JoinCrLf(Version103Lines);
    ASSERT_TRUE(LoadText(good));
    auto replaceLine = [&](size_t index, const std::string& line) {
        std::vector<std::string> lines = Version103Lines;
        lines[index] = line;
        return JoinCrLf(lines);
    };
    struct TCase {
        const char* What;
        std::string Text;
    } cases[] = {
        {"dependency index past the list", replaceLine(10, "\t0\t1\t7")},
        {"dependency without a source", replaceLine(10, "\t0\t1\t-1")},
        {"shape without a variable",
         replaceLine(17, "\t100\t100\t0\t-1\t1\t1\t0\t0\t0\t36\t0\t-41\t1")},
        {"shape of a variable past the list",
         replaceLine(17, "\t100\t100\t0\t9\t1\t1\t0\t0\t0\t36\t0\t-41\t1")},
        {"flow without its pipes",
         replaceLine(18, "\t250\t100\t0\t1\t1\t1\t0\t0\t0\t44\t0\t-44\t1\t-1\t-1\t2")},
        {"pipe index past the list",
         replaceLine(18, "\t250\t100\t0\t1\t1\t1\t0\t0\t0\t44\t0\t-44\t1\t0\t5\t2")},
        {"link end past the list", replaceLine(20, "\t1\t6\t1\t28\t0\t-38\t0\t10\t0\t-10\t0")},
        {"element kind out of range", replaceLine(5, "\t'Stock'\t'kg'\t'100'\t''\t9\t100\t100")},
        {"body ends early", good.substr(0, good.size() / 2)},
        {"closing byte missing", good.substr(0, good.rfind('\t'))},
    };
    auto open = NewDocument();
    open->Title = "Open model";
    const std::string before = open->SavedText();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        std::string message;
        EXPECT_EQ(LoadText(c.Text, &message), nullptr);
        EXPECT_EQ(message,
                  "The file you attempted to load is either not a valid data file or may be "
                  "corrupt.");
        EXPECT_TRUE(GlobalLinkManager.IsEmpty());
        EXPECT_EQ(CurrentSimulation, open->Simulation.get());
        EXPECT_EQ(open->SavedText(), before);
    }
}

TEST(DataFile, EveryTruncationOfAnExampleIsRefusedCleanly) {
    std::vector<fs::path> examples = ExampleFiles();
    ASSERT_FALSE(examples.empty());
    const std::string text = ReadWholeFile(examples[0]);
    // Every prefix cut at a token boundary or inside one, except the complete file.
    for (size_t length = 0; length + 3 < text.size(); length += 7) {
        std::string message;
        auto document = LoadText(text.substr(0, length), &message);
        EXPECT_EQ(document, nullptr) << "length " << length;
        EXPECT_TRUE(GlobalLinkManager.IsEmpty());
    }
}

TEST(DataFile, SavingMarksTheDocumentSavedOnlyWhenTheFileIsWritten) {
    TTempDir folder;
    auto document = NewDocument();
    document->MarkModified();
    EXPECT_TRUE(document->IsModified);
    EXPECT_GT(document->Modified, 45001.25);

    const std::string name = folder / "model.qvf";
    document->SaveToFile(name);
    EXPECT_TRUE(document->HasFile);
    EXPECT_FALSE(document->IsModified);
    EXPECT_EQ(document->FileName, name);
    EXPECT_EQ(ReadWholeFile(name), document->SavedText());

    document->Title = "Changed";
    document->MarkModified();
    fs::permissions(name, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    try {
        document->SaveToFile(name);
        FAIL() << "saving over a read-only file must fail";
    } catch (const EFileException& e) {
        EXPECT_STREQ(e.what(), "Couldn't save file as output file exists and is read-only");
    }
    EXPECT_TRUE(document->IsModified);

    // Save As to a folder that does not exist keeps the old name.
    EXPECT_THROW(document->SaveToFile(folder / "no/such/folder/model.qvf"), EFileException);
    EXPECT_EQ(document->FileName, name);
    EXPECT_TRUE(document->IsModified);
}

TEST(DataFile, LoadedDocumentTakesTheFileNameAndBecomesCurrent) {
    TTempDir folder;
    auto document = NewDocument();
    document->Simulation->NewElement(ekConstant)->Equation = "4";
    const std::string name = folder / "named.qvf";
    document->SaveToFile(name);
    document->PushUndo();
    std::string message;
    auto loaded = TDataFile::LoadModelFile(" " + name + " ", message);
    ASSERT_TRUE(loaded) << message;
    EXPECT_EQ(loaded->FileName, name);
    EXPECT_EQ(CurrentSimulation, loaded->Simulation.get());
    EXPECT_EQ(loaded->Simulation->Owner, loaded.get());
    EXPECT_EQ(loaded->Simulation->Variables[0]->Owner, loaded->Simulation.get());

    // The program frees the old document once the new one is open; the new one stays current.
    document.reset();
    EXPECT_EQ(CurrentSimulation, loaded->Simulation.get());
    loaded.reset();
    EXPECT_EQ(CurrentSimulation, nullptr);
}

// A number that places something (a time, a step, a scale) must be finite in a file, since
// ordering, stepping and ticks need it; a value may have overflowed in a run and is kept.
TEST(DataFile, NonFiniteNumbersAreRefusedWhereTheyPlaceThingsAndKeptWhereTheyAreValues) {
    enum class TOutcome { Refused, Kept, Repaired };
    using TSet = std::function<void(TDataFile&, double)>;
    auto element = [](TDataFile& d) { return d.Simulation->Variables[0]; };
    auto graph = [](TDataFile& d) {
        return static_cast<TGraphInstance*>(
            d.Image().AddOutputControl(450, 20, occGraph, 800, 300));
    };
    struct TCase {
        const char* What;
        TSet Set;
        TOutcome Outcome;
    } cases[] = {
        {"sketched point time",
         [&](TDataFile& d, double x) { element(d)->Sketched.AddPoint(x, 1); }, TOutcome::Refused},
        {"simulated point time",
         [&](TDataFile& d, double x) { element(d)->Simulated.AddPoint(x, 1); }, TOutcome::Refused},
        {"start time", [](TDataFile& d, double x) { d.Simulation->StartTime = x; },
         TOutcome::Refused},
        {"stop time", [](TDataFile& d, double x) { d.Simulation->StopTime = x; },
         TOutcome::Refused},
        {"time step", [](TDataFile& d, double x) { d.Simulation->TimeStep = x; },
         TOutcome::Refused},
        {"current time", [](TDataFile& d, double x) { d.Simulation->CurrentTime = x; },
         TOutcome::Refused},
        {"view start", [](TDataFile& d, double x) { d.Simulation->ViewStart = x; },
         TOutcome::Refused},
        {"view stop", [](TDataFile& d, double x) { d.Simulation->ViewStop = x; },
         TOutcome::Refused},
        {"now", [](TDataFile& d, double x) { d.Simulation->Now = x; }, TOutcome::Refused},
        {"series origin", [&](TDataFile& d, double x) { element(d)->Sketched.Origin = x; },
         TOutcome::Refused},
        {"series interval", [&](TDataFile& d, double x) { element(d)->Derived.Interval = x; },
         TOutcome::Refused},
        {"element lower y", [&](TDataFile& d, double x) { element(d)->LowerY = x; },
         TOutcome::Refused},
        {"element upper y", [&](TDataFile& d, double x) { element(d)->UpperY = x; },
         TOutcome::Refused},
        {"graph lower bound", [&](TDataFile& d, double x) { graph(d)->YMin = x; },
         TOutcome::Refused},
        {"graph upper bound", [&](TDataFile& d, double x) { graph(d)->YMax = x; },
         TOutcome::Refused},
        {"simulated point value",
         [&](TDataFile& d, double x) { element(d)->Simulated.AddPoint(3, x); }, TOutcome::Kept},
        {"element value", [&](TDataFile& d, double x) { element(d)->Value = x; }, TOutcome::Kept},
        {"initial value", [&](TDataFile& d, double x) { element(d)->InitialValue = x; },
         TOutcome::Kept},
        {"spare value", [](TDataFile& d, double x) { d.Simulation->SpareValue = x; },
         TOutcome::Kept},
        {"created date", [](TDataFile& d, double x) { d.Created = x; }, TOutcome::Kept},
        {"print scale",
         [](TDataFile& d, double x) { d.Image().PrintScale = static_cast<float>(x); },
         TOutcome::Kept},
        {"zoom", [](TDataFile& d, double x) { d.Image().Zoom = static_cast<float>(x); },
         TOutcome::Repaired},
        {"scale", [](TDataFile& d, double x) { d.Image().Scale = static_cast<float>(x); },
         TOutcome::Repaired},
    };
    const std::vector<fs::path> examples = ExampleFiles();
    ASSERT_FALSE(examples.empty());
    auto open = NewDocument();
    open->Title = "Open model";
    const std::string before = open->SavedText();
    // Set through the model, then written over in the text: so a graph bound arrives behind
    // the flag of a bound that is a number, as no save writes an infinite one.
    const std::string mark = "98765.4375";
    for (const TCase& c : cases)
        for (const auto& [token, written] :
             std::vector<std::pair<std::string, std::string>>{{"NAN", "NAN"},
                                                              {"INF", "INF"},
                                                              {"-INF", "-INF"},
                                                              {"+INF", "INF"},
                                                              {"nan", "NAN"}}) {
            SCOPED_TRACE(std::string(c.What) + " " + token);
            std::string message;
            std::string text;
            {
                auto document = TDataFile::LoadModelFile(examples.back().string(), message);
                ASSERT_TRUE(document) << message;
                c.Set(*document, 98765.4375);
                text = document->SavedText();
            }
            open->MakeCurrent();
            const size_t at = text.find("\t" + mark);
            ASSERT_NE(at, std::string::npos);
            ASSERT_EQ(text.find("\t" + mark, at + 1), std::string::npos);
            text.replace(at + 1, mark.size(), token);

            auto loaded = LoadText(text, &message);
            if (c.Outcome == TOutcome::Refused) {
                EXPECT_EQ(loaded, nullptr);
                EXPECT_EQ(message, CorruptFileMessage);
                EXPECT_TRUE(GlobalLinkManager.IsEmpty());
                EXPECT_EQ(CurrentSimulation, open->Simulation.get());
                EXPECT_EQ(open->SavedText(), before);
                continue;
            }
            ASSERT_TRUE(loaded) << message;
            const std::string saved = loaded->SavedText();
            // Kept as written, so the file saves as it was read; a repaired one saves its repair.
            if (c.Outcome == TOutcome::Kept) {
                EXPECT_NE(saved.find("\t" + written), std::string::npos);
            }
            auto again = LoadText(saved, &message);
            ASSERT_TRUE(again) << message;
            EXPECT_EQ(again->SavedText(), saved);
        }
}

TEST(DataFile, FuzzedFileWithANanSeriesTimeIsRefused) {
    const std::string text =
        ReadWholeFile(SourceFolder() / "fuzz/corpus/model_loader/nan_series_time.qvf");
    ASSERT_NE(text.find("\tNAN\t"), std::string::npos);
    auto open = NewDocument();
    const std::string before = open->SavedText();
    std::string message;
    EXPECT_EQ(LoadText(text, &message), nullptr);
    EXPECT_EQ(message, CorruptFileMessage);
    EXPECT_EQ(CurrentSimulation, open->Simulation.get());
    EXPECT_EQ(open->SavedText(), before);
}
