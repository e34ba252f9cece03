// XMILE in the window: Open imports it as an unsaved model that is never saved over the XMILE
// file, a file that cannot be imported leaves the model alone, and Export XMILE asks before
// leaving anything out.
#include "app/MainFormFixture.h"
#include "document/mdl/Mdl.h"

#include <QAction>
#include <QLabel>

namespace {

std::string Teacup() {
    return ReadWholeFile(SourceFolder() / "tests/golden/xmile_teacup/model.xmile");
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

// The element count of a model file, read as the program reads it.
int ElementCount(const std::string& fileName) {
    TSimulationObject* keep = CurrentSimulation;
    int count = 0;
    if (IsImportFileName(fileName)) {
        TXmileImport imported = ImportModelFile(fileName);
        if (imported.Document) count = imported.Document->Simulation->Variables.Count();
    } else {
        std::string message;
        if (auto document = TDataFile::LoadModelFile(fileName, message))
            count = document->Simulation->Variables.Count();
    }
    CurrentSimulation = keep;
    return count;
}

} // namespace

TEST_F(MainFormTest, AnOpenedXmileFileIsAnUnsavedModelSavedOnlyAsAQvf) {
    struct TCase {
        std::string File, Text;
        bool Warned;
        int Elements;
        std::string Title;
    };
    const TCase cases[] = {
        {"teacup.xmile", Teacup(), false, 4, "Teacup"},
        {"Teacup RK4.STMX",
         Replaced(Replaced(Teacup(), "method=\"Euler\"", "method=\"RK4\""),
                  "<from>Room_Temperature</from>", "<from>Nobody</from>"),
         true, 4, "Teacup"},
        {"population.MDL", ReadWholeFile(SourceFolder() / "tests/golden/mdl_population/model.mdl"),
         false, 5, "population"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.File);
        const std::string xmile = Temp / c.File;
        WriteWholeFile(xmile, c.Text);
        const std::string base = fs::path(xmile).replace_extension().string();
        Start();
        Hooks.FileNames = {Q(xmile)};
        Form->ActionOpen->trigger();
        ASSERT_EQ(Hooks.Requests.size(), 1u);
        EXPECT_TRUE(Hooks.Requests[0].Filter.startsWith(
            "Quorvane, XMILE and Vensim models (*.qvf *.xmile *.xml *.stmx *.mdl);;"));
        EXPECT_TRUE(Hooks.Requests[0].Filter.contains("XMILE models (*.xmile *.xml *.stmx)"));
        EXPECT_TRUE(Hooks.Requests[0].Filter.contains("Vensim models (*.mdl)"));

        // Every warning in one box, or none.
        const QStringList messages = TakeMessages();
        ASSERT_EQ(messages.size(), c.Warned ? 1 : 0);
        if (c.Warned) {
            EXPECT_TRUE(messages[0].contains("A connector from \"Nobody\""));
        }
        TDataFile& document = *Form->ActiveDocument();
        EXPECT_EQ(document.Simulation->Variables.Count(), c.Elements);
        EXPECT_EQ(document.Title, c.Title);
        EXPECT_TRUE(document.IsModified);
        EXPECT_FALSE(document.HasFile);
        EXPECT_EQ(Form->StatusFile->text(), Q(xmile));
        EXPECT_EQ(Form->RecentFiles[0], xmile);

        // Save asks for a name, suggesting the .qvf beside it; an XMILE name is refused.
        Hooks.Requests.clear();
        Hooks.FileNames = {Q(xmile), Q(base + ".qvf")};
        Form->ActionSave->trigger();
        EXPECT_EQ(TakeMessages(), QStringList{Q("Save As writes a Quorvane model (.qvf), not " +
                                                xmile + "; Export XMILE writes XMILE.")});
        EXPECT_EQ(ReadWholeFile(xmile), c.Text);
        Form->ActionSave->trigger();
        ASSERT_EQ(Hooks.Requests.size(), 2u);
        EXPECT_EQ(Hooks.Requests[0].StartName, Q(base + ".qvf"));
        EXPECT_EQ(Hooks.Requests[0].DefaultSuffix, "qvf");
        EXPECT_TRUE(document.HasFile);
        EXPECT_FALSE(document.IsModified);
        EXPECT_EQ(document.FileName, base + ".qvf");
        EXPECT_EQ(ElementCount(base + ".qvf"), c.Elements);
        EXPECT_EQ(ReadWholeFile(xmile), c.Text);

        // From the recent list it is imported again.
        Form->OpenRecent(1);
        TakeMessages();
        EXPECT_FALSE(Form->ActiveDocument()->HasFile);
        EXPECT_EQ(Form->StatusFile->text(), Q(xmile));
        Form.reset();
        Hooks.Requests.clear();
    }
}

TEST_F(MainFormTest, AnXmileFileThatCannotBeImportedLeavesTheModelAlone) {
    const std::string model = SimpleModel();
    const std::pair<std::string, std::string> cases[] = {
        {"bad.xmile", ""},
        {"bad.xmile", "<xmile><model><variables><aux name=\"a\"><eqn>1</eqn>"},
        {"bad.xmile", Replaced(Teacup(), "<stock name=", "<module name=\"m\"/><stock name=")},
        {"bad.xmile", Replaced(Teacup(), "<eqn>70</eqn>", "<eqn>b[1]</eqn>")},
        {"bad.mdl", "{UTF-8}\nx[r] = 1 ~~|\n"},
    };
    Start();
    Form->LoadModel(Q(model), false);
    Form->ActiveDocument()->IsModified = true;
    for (const auto& [file, text] : cases) {
        SCOPED_TRACE(text.substr(0, 60));
        WriteWholeFile(Temp / file, text);
        const std::string error = ImportModelFile(Temp / file).Error;
        ASSERT_FALSE(error.empty());
        // The question about unsaved changes comes first, as for a model file.
        Hooks.Answers = {mbNo};
        Hooks.FileNames = {Q(Temp / file)};
        Form->OpenModel();
        const QStringList messages = TakeMessages();
        ASSERT_EQ(messages.size(), 2);
        EXPECT_EQ(messages[0], "Do you wish to save your changes ?");
        EXPECT_EQ(messages[1], Q(error));
        EXPECT_EQ(Form->ActiveDocument()->FileName, model);
        EXPECT_TRUE(Form->ActiveDocument()->IsModified);
        EXPECT_EQ(Simulation().Variables.Count(), 2);
        EXPECT_EQ(CurrentSimulation, &Simulation());
    }
}

TEST_F(MainFormTest, ExportXmileAsksBeforeLeavingOutWhatXmileCannotHold) {
    const std::string broken =
        WriteModel("broken.qvf", [](TModelBuilder& model) { model.Variable("A", "1 +"); });
    const std::string examples = ExamplesFolder().string() + "/";
    const struct {
        std::string Model;
        std::deque<int> Answers;
        std::string Message; // the start of the one message box, if any
        int LeftOut;         // elements the written file lacks
        bool Written;
    } cases[] = {
        {examples + "supply_chain.qvf", {}, "", 0, true},
        {examples + "customer_growth.qvf",
         {mbYes},
         "Not exported: XMILE has no counterpart for the sketched data of Customers",
         0,
         true},
        {examples + "investment.qvf",
         {mbNo},
         "Not exported: XMILE has no counterpart for",
         0,
         false},
        {examples + "investment.qvf",
         {mbYes},
         "Not exported: XMILE has no counterpart for",
         4,
         true},
        {broken, {}, "Not exported: the equation of A has errors", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Model + (c.Answers.empty() ? "" : c.Answers[0] == mbYes ? " yes" : " no"));
        const std::string xmile = Temp / "exported.xmile";
        fs::remove(xmile);
        Start();
        Form->LoadModel(Q(c.Model), false);
        TakeMessages();
        Hooks.Answers = c.Answers;
        Hooks.FileNames = {Q(Temp / "exported")};
        Form->ActionExportXmile->trigger();
        ASSERT_EQ(Hooks.Requests.size(), 1u);
        EXPECT_EQ(Hooks.Requests[0].Filter, "XMILE models (*.xmile *.xml *.stmx)");
        EXPECT_EQ(Hooks.Requests[0].DefaultSuffix, "xmile");
        const QStringList messages = TakeMessages();
        ASSERT_EQ(messages.size(), c.Message.empty() ? 0 : 1);
        if (!c.Message.empty()) {
            EXPECT_TRUE(messages[0].startsWith(Q(c.Message))) << messages[0].toStdString();
        }
        EXPECT_EQ(fs::exists(xmile), c.Written);
        if (c.Written) {
            EXPECT_EQ(ElementCount(xmile), Simulation().Variables.Count() - c.LeftOut);
        }
        EXPECT_FALSE(Form->ActiveDocument()->IsModified);
        if (c.Model != broken) {
            // Not while a run is going on, like Save.
            Form->Run();
            Form->TimerSimulationTimer();
            EXPECT_FALSE(Form->ActionExportXmile->isEnabled());
            Form->StopReset();
            EXPECT_TRUE(Form->ActionExportXmile->isEnabled());
        }
        Form.reset();
        Hooks.Requests.clear();
    }
}
