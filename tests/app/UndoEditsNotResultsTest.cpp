// Undo takes back edits in the order they were made, Time Settings among them, and leaves
// what is on screen agreeing with the model it restores; runs kept in graphs and the series of
// the last run survive an Undo of an edit that did not remove them.
#include "app/DiagramFixture.h"
#include "app/TimeBar.h"
#include "app/TimeSettings.h"
#include "app/widgets/NumberEdit.h"
#include "document/model/DiagramEdits.h"

#include <QPushButton>

namespace {

const QPoint StockAt(300, 200), EmptyAt(700, 450);

} // namespace

TEST_F(DiagramTest, UndoAfterTimeSettingsLeavesTimeBarDialogAndFileAgreeing) {
    StartWith(StockModel());
    const std::string file = Temp / "agreeing.qvf";
    auto setStop = [&](const char* stop) {
        Hooks.OnDialog = [stop](QDialog& dialog) {
            auto& settings = static_cast<TFormTimeSettings&>(dialog);
            settings.EditStopTime->clear();
            QTest::keyClicks(settings.EditStopTime, stop);
            settings.findChild<QPushButton*>("ButtonOK")->click();
        };
        Form->ToolButtonTimeSettings->click();
        Hooks.OnDialog = nullptr;
    };
    struct TCase {
        const char* Step;
        std::function<void()> Act;
        const char* Stop;
        int Constants; // Rate and the new one
    } cases[] = {
        {"a constant", [&] { UseTool("Constant"), Click(EmptyAt); }, "24", 2},
        {"Stop Time 40", [&] { setStop("40"); }, "40", 2},
        {"an OK that changes nothing", [&] { setStop("40"); }, "40", 2},
        {"Undo: the settings", [&] { Form->ActionUndo->trigger(); }, "24", 2},
        {"Undo: the constant", [&] { Form->ActionUndo->trigger(); }, "24", 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Step);
        c.Act();
        EXPECT_EQ(Count(ekConstant), c.Constants);
        EXPECT_EQ(Form->TimeBar->LabelStopValue->text(), c.Stop);
        Form->TimeSettings->Fill(Doc());
        EXPECT_EQ(Form->TimeSettings->EditStopTime->text(), c.Stop);
        Doc().SaveCopyToFile(file);
        std::string message;
        const auto saved = TDataFile::LoadModelFile(file, message);
        ASSERT_NE(saved, nullptr) << message;
        Doc().MakeCurrent();
        EXPECT_EQ(saved->Simulation->StopTime, QString(c.Stop).toDouble());
        // A run stops where the bar says.
        Form->Run();
        RunToEnd();
        EXPECT_EQ(Simulation().CurrentTime, QString(c.Stop).toDouble());
        Form->StopReset();
    }
    EXPECT_FALSE(Doc().CanUndo());
}

TEST_F(DiagramTest, UndoKeepsTheRunsOfGraphsAndTheLastRunsSeries) {
    StartWith(StockModel());
    // A graph of Stock, and a constant nothing uses; both elements hold a run's series, as a
    // model saved after a run does.
    TVariableInstance* spare = PlaceElement(Doc(), dtConstant, 480, 320);
    spare->Var()->Name = "Spare";
    spare->Var()->Equation = "3";
    const std::vector<TDataPoint> fromFile = {{0, 7}, {1, 8}};
    for (const char* name : {"Stock", "Spare"})
        Shape(name)->Var()->Simulated.Points = fromFile;
    auto* added =
        static_cast<TGraphInstance*>(Drawing().AddOutputControl(550, 250, occGraph, 750, 400));
    auto entry = std::make_unique<TVariableDataLink>();
    entry->Variable.SetTarget(Shape("Stock")->Var());
    entry->Run = 0;
    added->Series.AddItem(std::move(entry));
    Doc().UndoStack.clear();
    View().RefreshView();

    // Undo replaces the drawing: the graph is looked up each time.
    auto keptRuns = [&] {
        int runs = 0;
        for (TOutputControlInstance* control : Drawing().OutputControls)
            if (auto* graph = dynamic_cast<TGraphInstance*>(control))
                for (TVariableDataLink* series : graph->Series)
                    runs += series->Run > 0 && series->Var() == Shape("Stock")->Var();
        return runs;
    };
    auto points = [&](const char* name) {
        TVariableInstance* shape = Shape(name);
        return shape ? static_cast<int>(shape->Var()->Simulated.Points.size()) : -1;
    };
    auto runAndReset = [&] {
        Form->Run();
        RunToEnd();
        Form->StopReset();
    };
    auto edit = [&] { UseTool("Constant"), Click(EmptyAt); };
    auto undo = [&] { Form->ActionUndo->trigger(); };
    const int file = static_cast<int>(fromFile.size());
    struct TCase {
        const char* Step;
        std::function<void()> Act;
        int KeptRuns;
        int StockPoints, SparePoints; // -1: Spare is not in the model
    } cases[] = {
        {"an edit before any run", edit, 0, file, file},
        {"Undo with no run since", undo, 0, file, file},
        {"a run kept", runAndReset, 1, 0, 0},
        {"an edit", edit, 1, 0, 0},
        {"two more runs", [&] { runAndReset(), runAndReset(); }, 3, 0, 0},
        {"Undo", undo, 3, 0, 0},
        {"delete Spare",
         [&] {
             Click({480, 320}), Form->ActionDelete->trigger();
         },
         3, 0, -1},
        {"a run without Spare", runAndReset, 4, 0, -1},
        {"Undo brings Spare back, with no series of a run it was not in", undo, 4, 0, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Step);
        c.Act();
        EXPECT_EQ(TakeMessages(), QStringList{});
        EXPECT_EQ(keptRuns(), c.KeptRuns);
        EXPECT_EQ(points("Stock"), c.StockPoints);
        EXPECT_EQ(points("Spare"), c.SparePoints);
    }
    // The kept runs belong to the restored model: they paint, save and load with it.
    View().RefreshView();
    std::string message;
    EXPECT_NE(TDataFile::LoadModelText(Saved(), "", message), nullptr) << message;
    Doc().MakeCurrent();
    // An edit that removes the graph takes its runs with it, and Undo brings both back.
    Click({650, 330});
    Form->ActionDelete->trigger();
    EXPECT_EQ(keptRuns(), 0);
    undo();
    EXPECT_EQ(keptRuns(), 4);
}

// A snapshot taken while a run has started holds none of its points, so that no half run
// comes back; the series Undo leaves are those of the model in use, during the run as after
// Stop/Reset.
TEST_F(DiagramTest, UndoOfAnEditDuringARunKeepsTheRunsSeries) {
    struct TCase {
        const char* Step;
        bool ResetBeforeUndo;
        bool Points; // Stock shows the run's series after Undo
    } cases[] = {
        {"Undo during the run", false, true},
        {"Undo after Stop/Reset", true, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Step);
        StartWith(StockModel());
        Form->Run();
        RunToEnd();
        const std::vector<TDataPoint> run = Shape("Stock")->Var()->Simulated.Points;
        ASSERT_GT(run.size(), 1u);
        // What a run still lets the user change: the page set-up.
        const uint8_t paper = Drawing().PaperSize;
        Doc().PushUndo();
        Drawing().PaperSize = static_cast<uint8_t>(paper + 3);
        for (TVariableObject* element : Doc().UndoStack.back()->Simulation->Variables)
            EXPECT_TRUE(element->Simulated.Points.empty()) << element->Name;
        EXPECT_FALSE(Form->ActionUndo->isEnabled());
        if (c.ResetBeforeUndo) {
            Form->StopReset();
            ASSERT_TRUE(Form->ActionUndo->isEnabled());
            Form->ActionUndo->trigger();
        } else {
            Doc().Undo();
        }
        EXPECT_EQ(Drawing().PaperSize, paper);
        const auto& points = Shape("Stock")->Var()->Simulated.Points;
        EXPECT_EQ(points.size(), c.Points ? run.size() : 0u);
        if (c.Points && points.size() == run.size()) {
            EXPECT_EQ(points.back().Value, run.back().Value);
        }
        Form.reset();
    }
}
