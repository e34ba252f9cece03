// The Analysis menu: the set-up dialog as an undoable edit, runs on worker threads with the
// progress window, the results window and its copies, and a cancelled analysis that leaves
// the document exactly as it was.
#include "app/MainFormFixture.h"

#include "app/analysis/SensitivityResults.h"
#include "app/analysis/SensitivityRun.h"
#include "app/analysis/SensitivitySetUpDialog.h"
#include "app/dialogs/VariableSelect.h"
#include "app/widgets/NumberEdit.h"
#include "cli/CliTestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>

namespace {

class SensitivityWindowsTest : public MainFormTest {
protected:
    // Supply chain with a stored set-up: two constants vary, two outputs, 200 runs.
    std::string StoredSetUpModel() {
        std::string message;
        auto document =
            TDataFile::LoadModelFile((ExamplesFolder() / "supply_chain.qvf").string(), message);
        EXPECT_TRUE(document) << message;
        TSensitivitySetUp& setUp = document->Simulation->Sensitivity;
        setUp.Method = smLatinHypercube;
        setUp.Seed = 17;
        std::string problem;
        TVariedElement lead, adjustment;
        EXPECT_TRUE(ParseVaryText("Lead Time=uniform(2, 6)", lead, problem));
        EXPECT_TRUE(ParseVaryText("Adjustment Time=triangular(2, 4, 8)", adjustment, problem));
        setUp.Varied = {lead, adjustment};
        setUp.Outputs = {"Inventory", "Orders"};
        const std::string file = Temp / "stored.qvf";
        document->SaveToFile(file, false);
        return file;
    }

    // The progress window runs its own loop until the runs end (or cancels them first).
    void AnswerProgress(bool cancel) {
        Hooks.OnDialog = [cancel](QDialog& dialog) {
            auto* progress = qobject_cast<TFormAnalysisProgress*>(&dialog);
            ASSERT_NE(progress, nullptr) << dialog.windowTitle().toStdString();
            if (cancel) progress->ButtonCancel->click();
            dialog.exec();
        };
    }
};

TEST_F(SensitivityWindowsTest, AnalysisMenuFollowsSettings) {
    Start();
    QStringList menus;
    for (QAction* action : Form->menuBar()->actions())
        menus << action->text().remove('&');
    const qsizetype settings = menus.indexOf("Settings");
    ASSERT_GE(settings, 0);
    EXPECT_EQ(menus.value(settings + 1), "Analysis");
    QStringList commands;
    for (QAction* action : Form->menuBar()->actions()[settings + 1]->menu()->actions())
        commands << action->text().remove('&');
    EXPECT_EQ(commands, QStringList({"Sensitivity Set-Up...", "Run Sensitivity",
                                     "Sensitivity Results", "", "Calibrate..."}));

    // Nothing to show or run yet: each says what to do.
    Form->ActionSensitivityResults->trigger();
    Form->ActionRunSensitivity->trigger();
    EXPECT_EQ(TakeMessages(),
              QStringList({"There are no sensitivity results yet: run a sensitivity analysis "
                           "first.",
                           "No constants are set to vary: choose them in Sensitivity Set-Up "
                           "first."}));
}

TEST_F(SensitivityWindowsTest, SetUpDialogStoresTheSetUpAsOneUndoableEdit) {
    Start(Q(SimpleModel()));
    TDataFile& document = *Form->ActiveDocument();
    const std::string before = document.SavedText();
    // Add Rate through Variable Select, give it a source (a wrong one first), then Growth as
    // an output; a plain Variable cannot vary.
    std::vector<std::string> steps;
    Hooks.OnDialog = [&](QDialog& dialog) {
        if (auto* select = qobject_cast<TFormVariableSelect*>(&dialog)) {
            const char* wanted = steps.empty() ? "Growth" : steps.size() == 1 ? "Rate" : "Growth";
            select->ComboBoxVariables->setCurrentIndex(select->ComboBoxVariables->findText(wanted));
            steps.push_back(std::string("select ") + wanted);
            dialog.accept();
        } else if (auto* source = qobject_cast<TFormVariedSource*>(&dialog)) {
            steps.push_back("source " + S(source->EditSource->text()));
            source->EditSource->setText("uniform(3, 1)");
            dialog.accept(); // refused: stays open
            source->EditSource->setText("normal(2, 0.5)");
            dialog.accept();
        } else if (auto* setUp = qobject_cast<TFormSensitivitySetUp*>(&dialog)) {
            setUp->AddVaried(); // Growth: refused
            setUp->AddVaried(); // Rate
            setUp->AddOutput(); // Growth
            setUp->ComboBoxMethod->setCurrentIndex(smLatinHypercube);
            auto type = [](QLineEdit* edit, const char* text) {
                edit->selectAll();
                QTest::keyClicks(edit, text);
            };
            type(setUp->EditRuns, "50");
            type(setUp->EditSeed, "-3");
            dialog.accept(); // refused: the seed
            type(setUp->EditSeed, "3");
            dialog.accept();
        } else {
            ADD_FAILURE() << "unexpected dialog " << dialog.windowTitle().toStdString();
        }
    };
    Form->ActionSensitivitySetUp->trigger();
    EXPECT_EQ(steps, (std::vector<std::string>{"select Growth", "select Rate",
                                               "source uniform(1.8, 2.2)", "select Growth"}));
    EXPECT_EQ(TakeMessages(),
              QStringList({"Growth cannot vary: its equation is not a plain number.",
                           "The source cannot be used: uniform needs min below max.",
                           "The seed must be a whole number from 0 to 2147483647"}));
    TSensitivitySetUp expected;
    expected.Varied = {{"Rate", TVariedSource{vsNormal, {2, 0.5}}}};
    expected.Outputs = {"Growth"};
    expected.Method = smLatinHypercube;
    expected.Runs = 50;
    expected.Seed = 3;
    EXPECT_EQ(Simulation().Sensitivity, expected);
    EXPECT_TRUE(document.IsModified);
    EXPECT_NE(document.SavedText(), before);
    EXPECT_NE(document.SavedText().find("\t'Rate'\t'normal(2, 0.5)'"), std::string::npos);

    Form->ActionUndo->trigger();
    Form->ActiveDocument()->Modified = document.Created; // the time of the last change aside
    EXPECT_EQ(Form->ActiveDocument()->SavedText(), before);

    // During a run the set-up is refused, as the time settings are.
    Hooks.OnDialog = nullptr;
    Form->Run();
    Form->ActionSensitivitySetUp->trigger();
    EXPECT_EQ(TakeMessages(),
              QStringList({"You cannot make changes to the sensitivity set-up during a "
                           "simulation"}));
    Form->StopReset();
}

TEST_F(SensitivityWindowsTest, RunFillsTheResultsWithTheCommandLinesNumbers) {
    const std::string model = StoredSetUpModel();
    Start(Q(model));
    TDataFile& document = *Form->ActiveDocument();
    const std::string before = document.SavedText();
    AnswerProgress(false);
    Form->ActionRunSensitivity->trigger();
    ASSERT_TRUE(Form->Sensitivity);
    EXPECT_FALSE(Form->Sensitivity->Cancelled);
    TFormSensitivityResults& results = *Form->SensitivityResults;
    EXPECT_TRUE(results.isVisible());
    EXPECT_EQ(results.LabelStatus->text(), "200 runs of Supply chain, Latin hypercube, seed 17");
    EXPECT_EQ(results.ListBoxOutputs->count(), 2);
    EXPECT_FALSE(Form->EditingLocked);
    EXPECT_EQ(document.SavedText(), before) << "the document is not touched";
    EXPECT_FALSE(document.IsModified);

    // Export CSV writes what the command line writes for the same set-up.
    const std::string exported = Temp / "bands.csv";
    Hooks.FileNames.push_back(Q(exported));
    results.ButtonExportCsv->click();
    const TCliResult cli = Cli({"sensitivity", model});
    ASSERT_EQ(cli.Status, 0) << cli.Err;
    EXPECT_EQ(ReadWholeFile(exported), cli.Out);

    // Copy Grid: the chosen output's table, the median column as the CSV has it.
    results.ListBoxOutputs->setCurrentRow(1);
    results.ButtonCopyGrid->click();
    const QStringList rows = QApplication::clipboard()->text().split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 54);
    EXPECT_EQ(rows[0].split('\t').mid(0, 3), QStringList({"Time", "Orders min", "Orders p2.5"}));
    const QStringList csvRow = Q(cli.Out).split('\n')[20].split(',');
    EXPECT_EQ(rows[20].split('\t')[5], csvRow[10 + 5]) << "Orders median at row 20";

    results.ButtonCopyImage->click();
    const QMimeData* image = QApplication::clipboard()->mimeData();
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->hasImage());
    EXPECT_TRUE(image->data("image/svg+xml").startsWith("<?xml"));
}

TEST_F(SensitivityWindowsTest, CancelLeavesTheDocumentByteIdenticalAndKeepsTheRunsDone) {
    // Long runs, so that Cancel lands before they are done.
    const std::string model = WriteModel("long.qvf", [](TModelBuilder& b) {
        b.TimeSettings(0, 20000, 1);
        b.Constant("Rate", "0.001");
        TVariableObject& stock = b.Resource("Stock", "1");
        b.Inflow(b.Flow("Growth", "Stock * Rate", {"Stock", "Rate"}), stock);
        b.Sim.Sensitivity.Runs = 400;
        b.Sim.Sensitivity.Varied = {{"Rate", TVariedSource{vsUniform, {0, 0.001}}}};
        b.Sim.Sensitivity.Outputs = {"Stock"};
    });
    Start(Q(model));
    TDataFile& document = *Form->ActiveDocument();
    const std::string before = document.SavedText();
    AnswerProgress(true);
    Form->ActionRunSensitivity->trigger();
    ASSERT_TRUE(Form->Sensitivity);
    EXPECT_TRUE(Form->Sensitivity->Cancelled);
    const size_t done = Form->Sensitivity->Results.DoneCount();
    EXPECT_LT(done, 400u);
    EXPECT_EQ(Form->SensitivityResults->LabelStatus->text().left(13), "Stopped after");
    EXPECT_EQ(document.SavedText(), before);
    EXPECT_FALSE(document.IsModified);
    EXPECT_FALSE(Form->EditingLocked);
    EXPECT_TRUE(Simulation().Variables[1]->Simulated.IsEmpty()) << "no run of the model itself";
}

} // namespace
