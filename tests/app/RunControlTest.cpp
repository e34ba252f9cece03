// The run commands against real models: ticks, repaints, stepping, the editing lock,
// the error box and the warnings of a run.
#include "app/ErrorReport.h"
#include "app/MainFormFixture.h"
#include "app/TimeBar.h"
#include "document/diagram/DrawingObjects.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QTabWidget>
#include <QToolButton>

#include <cmath>
#include <cstdint>

TEST_F(MainFormTest, OpensWithTheProgramCaption) {
    Start();
    // "Quorvane" with the place of the unsaved mark, not shown while nothing changed.
    EXPECT_EQ(Form->windowTitle(), QString("Quorvane[*]"));
    EXPECT_FALSE(Form->isWindowModified());
    EXPECT_EQ(Form->centralWidget(), Form->MainView);
    EXPECT_NE(Form->findChild<QTimer*>("TimerSimulation"), nullptr);
    EXPECT_NE(Form->findChild<QToolButton*>("ToolButtonPlay"), nullptr);
}

TEST_F(MainFormTest, RunFromZeroToTwentyFourTakesTwentyFiveTicksAndFinishes) {
    Start();
    Form->LoadModel(Q(SimpleModel()), false);
    Form->Run();
    EXPECT_FALSE(Form->ActionNew->isEnabled()) << "editing is locked from Run";
    EXPECT_EQ(RunToEnd(), 25);
    EXPECT_TRUE(Simulation().IsFinished());
    EXPECT_DOUBLE_EQ(Simulation().CurrentTime, 24);
    EXPECT_EQ(Simulation().FindByIdentifier("Growth")->Simulated.Points.back().Value, 48);
    EXPECT_FALSE(Form->ToolButtonPlay->isEnabled());
    EXPECT_FALSE(Form->ToolButtonPlayStep->isEnabled());
    EXPECT_TRUE(Form->ToolButtonStepBack->isEnabled());
    EXPECT_FALSE(Form->ToolButtonPause->isEnabled());
    EXPECT_FALSE(Form->ToolButtonPlay->isChecked());
    EXPECT_FALSE(Form->ActionNew->isEnabled()) << "and stays locked until Stop/Reset";
    Form->StopReset();
    EXPECT_TRUE(Form->ActionNew->isEnabled());
    EXPECT_TRUE(Simulation().AtStart);
}

TEST_F(MainFormTest, ARunRepaintsAtUpdateMultiplesAndAlwaysAtTheEnd) {
    struct TCase {
        bool UpdateScreen;
        std::vector<double> Times;
    } cases[] = {{true, {0, 4, 8, 12, 16, 20, 24}}, {false, {24}}};
    Start();
    Form->LoadModel(Q(SimpleModel()), false);
    for (const TCase& c : cases) {
        Simulation().UpdateInterval = 4;
        Simulation().UpdateScreen = c.UpdateScreen;
        std::vector<double> repaints;
        auto connection = QObject::connect(Form->MainView, &TFormMainView::Refreshed,
                                           [&] { repaints.push_back(Simulation().CurrentTime); });
        Form->Run();
        RunToEnd();
        QObject::disconnect(connection);
        EXPECT_EQ(repaints, c.Times) << "screen updating " << c.UpdateScreen;
        Form->StopReset();
    }
}

TEST_F(MainFormTest, RunStepAndBackOneStep) {
    Start();
    Form->LoadModel(Q(SimpleModel()), false);
    Simulation().RunStepInterval = 5;
    Form->RunStep();
    EXPECT_DOUBLE_EQ(Simulation().CurrentTime, 0) << "the first press computes the start";
    EXPECT_FALSE(Simulation().AtStart);
    EXPECT_TRUE(Simulation().Paused);
    EXPECT_FALSE(Form->ActionOpen->isEnabled());
    Form->RunStep();
    EXPECT_DOUBLE_EQ(Simulation().CurrentTime, 5);
    EXPECT_TRUE(Form->ToolButtonPause->isChecked());

    Form->StopReset();
    Simulation().RunStepInterval = 1;
    for (int i = 0; i < 3; ++i)
        Form->RunStep();
    ASSERT_DOUBLE_EQ(Simulation().CurrentTime, 2);
    std::vector<double> times;
    for (int i = 0; i < 3; ++i) {
        Form->BackOneStep();
        times.push_back(Simulation().CurrentTime);
    }
    EXPECT_EQ(times, (std::vector<double>{1, 0, 0}));
    EXPECT_EQ(Simulation().FindByIdentifier("Growth")->Simulated.Points.size(), 1u);
}

TEST_F(MainFormTest, PauseHoldsAndResumesTheRun) {
    Start();
    Form->LoadModel(Q(SimpleModel()), false);
    Form->Run();
    for (int i = 0; i < 3; ++i)
        Form->TimerSimulationTimer();
    Form->PauseRun();
    EXPECT_FALSE(Form->TimerSimulation->isActive());
    EXPECT_TRUE(Simulation().Paused);
    EXPECT_TRUE(Form->ToolButtonPause->isChecked());
    EXPECT_TRUE(Form->EditingAllowed());
    Form->PauseRun();
    EXPECT_TRUE(Form->TimerSimulation->isActive());
    EXPECT_TRUE(Form->ToolButtonPlay->isChecked());
    EXPECT_EQ(RunToEnd(), 22);
}

namespace {

int KeptRuns(TDrawImage& image) {
    int kept = 0;
    for (TOutputControlInstance* control : image.OutputControls)
        if (auto* graph = dynamic_cast<TGraphInstance*>(control))
            for (TVariableDataLink* entry : graph->Series)
                if (entry->Run > 0) ++kept;
    return kept;
}

} // namespace

TEST_F(MainFormTest, StopResetKeepsAFinishedRunOnly) {
    Start();
    Form->LoadModel(Q((ExamplesFolder() / "investment.qvf").string()), false);
    ASSERT_TRUE(TakeMessages().isEmpty());
    TDrawImage& image = Form->ActiveDocument()->Image();
    const int before = KeptRuns(image);
    Form->Run();
    for (int i = 0; i < 3; ++i)
        Form->TimerSimulationTimer();
    Form->StopReset();
    EXPECT_EQ(KeptRuns(image), before) << "a run stopped half way is not kept";
    Form->Run();
    RunToEnd();
    Form->StopReset();
    EXPECT_GT(KeptRuns(image), before);
}

TEST_F(MainFormTest, ARunRefusedForEquationErrorsLeavesTheStateOfReset) {
    Start();
    Form->LoadModel(
        Q(WriteModel("broken.qvf", [](TModelBuilder& model) { model.Variable("Broken", "1 +"); })),
        false);
    Form->ErrorLog->hide();
    // Everything a user can see of the run state: the run, the lock and what may be pressed.
    auto state = [&] {
        QStringList seen;
        seen << QString("at start %1, paused %2, timer %3, locked %4")
                    .arg(Simulation().AtStart)
                    .arg(Simulation().Paused)
                    .arg(Form->TimerSimulation->isActive())
                    .arg(Form->EditingLocked);
        for (QAction* action : {Form->ActionNew, Form->ActionOpen, Form->ActionSave,
                                Form->ActionSaveAs, Form->ActionSelectAll, Form->ActionUndo})
            seen << action->objectName() + (action->isEnabled() ? " on" : " off");
        for (QToolButton* button : Form->ToolButtons)
            seen << button->objectName() + (button->isEnabled() ? " on" : " off");
        for (QToolButton* button :
             {Form->ToolButtonPlay, Form->ToolButtonRunToEnd, Form->ToolButtonPlayStep,
              Form->ToolButtonPause, Form->ToolButtonStepBack})
            seen << button->objectName() + (button->isEnabled() ? " on" : " off") +
                        (button->isChecked() ? " pressed" : "");
        return seen;
    };
    const QStringList reset = state();
    ASSERT_TRUE(reset.contains("ActionNew on"));
    struct TCase {
        const char* Name;
        std::function<void()> Press;
    } cases[] = {{"Run",
                  [&] {
                      Form->ToolButtonPlay->click();
                      Form->TimerSimulationTimer();
                  }},
                 {"Run to End",
                  [&] {
                      Form->ToolButtonRunToEnd->click();
                      Form->TimerSimulationTimer();
                  }},
                 {"Run Step", [&] { Form->ToolButtonPlayStep->click(); }}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Press();
        EXPECT_EQ(TakeMessages(), QStringList{"There are errors in equations, cannot simulate"});
        EXPECT_EQ(state(), reset);
    }
}

TEST_F(MainFormTest, EvaluationWarningsOfARunAppearAsWarningBoxes) {
    Start();
    Form->LoadModel(
        Q(WriteModel("warns.qvf",
                     [](TModelBuilder& model) { model.Variable("Root", "SQRT(0 - 1)"); })),
        false);
    Form->Run();
    RunToEnd();
    const QStringList messages = TakeMessages();
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_TRUE(messages.front().startsWith("Error in Root: ")) << messages.front().toStdString();
    EXPECT_TRUE(Simulation().IsFinished()) << "a warning does not stop the run";
}

TEST_F(MainFormTest, TheTimeBarFollowsTheRun) {
    Start();
    Form->LoadModel(Q(SimpleModel()), false);
    TTimeBar& bar = *Form->TimeBar;
    EXPECT_FALSE(bar.Layout().ShowProgress);
    EXPECT_EQ(bar.LabelStopValue->text(), "24");
    EXPECT_EQ(bar.LabelUnit->text(), "Months");
    EXPECT_EQ(bar.LabelNow->toolTip(), "12");
    EXPECT_EQ(bar.LabelNow->statusTip(), "Today is set as 12");
    Simulation().RunStepInterval = 12;
    Form->RunStep();
    Form->RunStep();
    EXPECT_TRUE(bar.Layout().ShowProgress);
    EXPECT_EQ(bar.Layout().ProgressWidth, (bar.StripRect().width() - 2) / 2);
    EXPECT_EQ(bar.LabelCurrentTime->text(), "12.000");
    EXPECT_FALSE(bar.LabelCurrentTime->isHidden());
}

namespace {

// Whether time is a repaint point of an animated run: a whole multiple of the update
// interval's time steps.
bool AtRepaintPoint(double time, double step, int interval) {
    const double q = time / step / interval;
    return std::fabs(q - std::round(q)) <= 1e-9;
}

} // namespace

TEST_F(MainFormTest, AnAnimatedTickStopsAtEachRepaintPointAndNeverPastOne) {
    struct TCase {
        double Step;
        int32_t Interval;
    } cases[] = {{1, 1}, {1, 4}, {1, 5}, {0.5, 3}, {0.1, 7}};
    Start();
    Form->LoadModel(Q(SimpleModel()), false);
    // Only the repaint points end these ticks, however slow the machine.
    Form->TickBudgetNs = INT64_MAX;
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "step " << c.Step << ", interval " << c.Interval);
        Simulation().TimeStep = c.Step;
        Simulation().UpdateInterval = c.Interval;
        Simulation().UpdateScreen = true;
        std::vector<double> repaints, expected;
        for (int64_t k = 0; k * c.Interval * c.Step < 24 - 1e-9; ++k)
            expected.push_back(k * c.Interval * c.Step);
        expected.push_back(24);
        auto connection = QObject::connect(Form->MainView, &TFormMainView::Refreshed,
                                           [&] { repaints.push_back(Simulation().CurrentTime); });
        Form->Run();
        int ticks = 0;
        while (Form->TimerSimulation->isActive() && ticks < 1000) {
            Form->TimerSimulationTimer();
            ++ticks;
            const double t = Simulation().CurrentTime;
            EXPECT_TRUE(Simulation().IsFinished() || AtRepaintPoint(t, c.Step, c.Interval)) << t;
            if (!Simulation().IsFinished()) {
                EXPECT_EQ(Form->TimerSimulation->interval(), 10) << "the animation keeps its pace";
            }
        }
        QObject::disconnect(connection);
        ASSERT_EQ(repaints.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_NEAR(repaints[i], expected[i], 1e-9) << i;
        EXPECT_EQ(ticks, static_cast<int>(expected.size()));
        Form->StopReset();
    }
}

TEST_F(MainFormTest, UnanimatedRunsWorkInBudgetedTicksAndPaintOnlyTheEnd) {
    struct TCase {
        const char* Name;
        bool UpdateScreen, ToEnd;
        int64_t Budget; // 0: one step a tick; the largest: no limit, however slow the machine
        int Ticks;
    } cases[] = {
        {"Run, screen updating off", false, false, INT64_MAX, 1},
        {"Run, screen updating off, no budget", false, false, 0, 25},
        {"Run to End, screen updating on", true, true, INT64_MAX, 1},
        {"Run to End, no budget", true, true, 0, 25},
    };
    Start();
    Form->LoadModel(Q(SimpleModel()), false);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Simulation().UpdateScreen = c.UpdateScreen;
        Form->TickBudgetNs = c.Budget;
        std::vector<double> repaints;
        auto connection = QObject::connect(Form->MainView, &TFormMainView::Refreshed,
                                           [&] { repaints.push_back(Simulation().CurrentTime); });
        if (c.ToEnd)
            Form->RunToEndCommand();
        else
            Form->Run();
        EXPECT_EQ(Form->TimerSimulation->interval(), 0) << "the first tick comes at once";
        Form->TimerSimulationTimer();
        EXPECT_EQ(Form->ToolButtonRunToEnd->isChecked(), c.ToEnd && c.Ticks > 1);
        EXPECT_EQ(Form->ToolButtonPlay->isChecked(), !c.ToEnd && c.Ticks > 1);
        EXPECT_EQ(RunToEnd() + 1, c.Ticks);
        QObject::disconnect(connection);
        EXPECT_EQ(repaints, std::vector<double>{24});
        EXPECT_EQ(Simulation().FindByIdentifier("Growth")->Simulated.Points.size(), 25u);
        EXPECT_FALSE(Form->ToolButtonRunToEnd->isEnabled());
        EXPECT_FALSE(Form->ActionRunToEnd->isEnabled());
        Form->StopReset();
        EXPECT_TRUE(Form->ActionRunToEnd->isEnabled());
    }
}

TEST_F(MainFormTest, PauseDuringRunToEndStopsWithinOneTickAndResumesToTheEnd) {
    Start();
    Form->LoadModel(Q(WriteModel("long.qvf",
                                 [](TModelBuilder& model) {
                                     model.TimeSettings(0, 2000, 1);
                                     model.Constant("Rate", "2");
                                     model.Variable("Growth", "Rate * TIME", {"Rate"});
                                 })),
                    false);
    Form->TickBudgetNs = 0;
    int repaints = 0;
    QObject::connect(Form->MainView, &TFormMainView::Refreshed, [&] { ++repaints; });
    // F9, then the user's Pause arrives as an event while the run works its way on.
    Form->show();
    QApplication::setActiveWindow(Form.get());
    QTest::keyClick(Form->MainView, Qt::Key_F9);
    ASSERT_TRUE(Form->TimerSimulation->isActive());
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    const double before = Simulation().CurrentTime;
    EXPECT_GT(before, 0);
    QMetaObject::invokeMethod(Form->ToolButtonPause, "click", Qt::QueuedConnection);
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    EXPECT_LE(Simulation().CurrentTime, before + 1) << "at most the tick already under way";
    EXPECT_FALSE(Form->TimerSimulation->isActive());
    EXPECT_TRUE(Simulation().Paused);
    EXPECT_TRUE(Form->ToolButtonPause->isChecked());
    EXPECT_FALSE(Form->ToolButtonRunToEnd->isChecked());
    EXPECT_EQ(repaints, 1) << "only Pause painted";
    Form->TickBudgetNs = 15'000'000;
    Form->ToolButtonPause->click();
    EXPECT_TRUE(Form->ToolButtonRunToEnd->isChecked()) << "resumed as it was";
    while (Form->TimerSimulation->isActive())
        QCoreApplication::processEvents();
    EXPECT_TRUE(Simulation().IsFinished());
    EXPECT_EQ(repaints, 3) << "Pause painted twice, then only the end";
}

// Which commands a user can reach in each state of a run on each page of the diagram window:
// a paused or finished run prints and selects as the reset model does; an advancing run does
// neither; the other pages offer Copy alone, and Find works throughout.
TEST_F(MainFormTest, CommandStatesOverTheRunAndThePages) {
    struct TExpected {
        bool SelectAll, Print, Preview, PrintSetup, ExportPdf, Copy, Find;
    };
    struct TCase {
        const char* State;
        TExpected Pages[3]; // Model, Equations, Notes
    } cases[] = {
        {"reset",
         {{true, true, true, true, true, false, true},
          {false, false, false, false, false, true, true},
          {false, false, false, false, false, true, true}}},
        {"running",
         {{false, false, false, false, false, false, true},
          {false, false, false, false, false, false, true},
          {false, false, false, false, false, false, true}}},
        {"paused",
         {{true, true, true, true, true, false, true},
          {false, false, false, false, false, false, true},
          {false, false, false, false, false, false, true}}},
        {"finished",
         {{true, true, true, true, true, false, true},
          {false, false, false, false, false, false, true},
          {false, false, false, false, false, false, true}}},
    };
    Start();
    Form->LoadModel(Q((ExamplesFolder() / "investment.qvf").string()), false);
    QTabWidget& pages = *Form->MainView->PageControlMain;
    QToolButton* find = Form->findChild<QToolButton*>("ToolButtonFind");
    for (const TCase& c : cases) {
        const std::string state = c.State;
        if (state == "running") {
            Form->Run();
            Form->TimerSimulationTimer();
        } else if (state == "paused") {
            Form->PauseRun();
        } else if (state == "finished") {
            Form->RunToEndCommand();
            RunToEnd();
        }
        for (int page = 0; page < 3; ++page) {
            SCOPED_TRACE(testing::Message() << c.State << ", page " << page);
            pages.setCurrentIndex(page);
            const TExpected& e = c.Pages[page];
            EXPECT_EQ(Form->ActionSelectAll->isEnabled(), e.SelectAll);
            EXPECT_EQ(Form->ActionPrint->isEnabled(), e.Print);
            EXPECT_EQ(Form->ActionPrintPreview->isEnabled(), e.Preview);
            EXPECT_EQ(Form->ActionPrintSetup->isEnabled(), e.PrintSetup);
            EXPECT_EQ(Form->ActionExportPdf->isEnabled(), e.ExportPdf);
            EXPECT_EQ(Form->ActionCopy->isEnabled(), e.Copy);
            EXPECT_EQ(find->isEnabled(), e.Find);
        }
        pages.setCurrentIndex(0);
    }
    EXPECT_TRUE(TakeMessages().isEmpty());
}

TEST_F(MainFormTest, FindAndSelectAllWorkOnAPausedRun) {
    Start();
    Form->LoadModel(Q((ExamplesFolder() / "investment.qvf").string()), false);
    Form->RunStep();
    Form->RunStep();
    ASSERT_TRUE(Simulation().Paused);
    TFormMainView& view = *Form->MainView;
    TVariableObject* wanted = Simulation().Variables[Simulation().Variables.Count() - 1];
    Hooks.OnDialog = [&](QDialog& dialog) {
        auto* combo = dialog.findChild<QComboBox*>();
        ASSERT_NE(combo, nullptr) << dialog.windowTitle().toStdString();
        combo->setCurrentText(Q(wanted->Name));
        dialog.accept();
    };
    QToolButton* find = Form->findChild<QToolButton*>("ToolButtonFind");
    find->click();
    EXPECT_FALSE(find->isChecked());
    ASSERT_EQ(view.Selection.size(), 1u);
    auto* shape = dynamic_cast<TVariableInstance*>(view.Selection.front());
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->Var(), wanted);
    Form->ActionSelectAll->trigger();
    TDrawImage& image = Form->ActiveDocument()->Image();
    EXPECT_EQ(view.Selection.size(),
              static_cast<size_t>(image.Elements.Count() + image.Links.Count() +
                                  image.OutputControls.Count()));
    EXPECT_DOUBLE_EQ(Simulation().CurrentTime, 1) << "the run is where it was";
}

// The time bar's labels never cover one another: early in a run the current time keeps to the
// right of the start value and of "Start", late in it to the left of "Stop"; "Stop" is centred
// on the strip's right end and the unit keeps 3 pixels from the bar's right edge.
TEST_F(MainFormTest, TheTimeBarLabelsKeepClearOfEachOther) {
    Start();
    Form->resize(1000, 700);
    Form->LoadModel(Q(SimpleModel()), false);
    TTimeBar& bar = *Form->TimeBar;
    bar.resize(600, bar.height());
    Simulation().RunStepInterval = 1;
    Form->RunStep(); // time 0
    for (int step = 1; step <= 23; ++step) {
        Form->RunStep();
        SCOPED_TRACE(Simulation().CurrentTime);
        const QRect strip = bar.StripRect();
        const QRect current = bar.LabelCurrentTime->geometry();
        ASSERT_FALSE(bar.LabelCurrentTime->isHidden());
        for (QLabel* other : {bar.LabelStart, bar.LabelStartValue, bar.LabelStop,
                              bar.LabelStopValue, bar.LabelUnit})
            EXPECT_FALSE(current.intersects(other->geometry()))
                << other->objectName().toStdString();
        EXPECT_FALSE(current.intersects(strip)) << "below the strip, not on it";
        EXPECT_LE(std::abs(bar.LabelStop->geometry().center().x() - strip.right()), 1);
        EXPECT_EQ(bar.width() - 1 - bar.LabelUnit->geometry().right(), 3);
        EXPECT_LT(bar.LabelStopValue->geometry().right(), bar.LabelUnit->x());
    }
}
