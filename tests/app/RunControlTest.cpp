// The run commands against real models: ticks, repaints, stepping, the editing lock,
// the error box and the warnings of a run.
#include "app/ErrorReport.h"
#include "app/MainFormFixture.h"
#include "app/TimeBar.h"
#include "document/diagram/DrawingObjects.h"

#include <QAction>
#include <QToolButton>

TEST_F(MainFormTest, OpensWithTheProgramCaption) {
    Start();
    EXPECT_EQ(Form->windowTitle(), QString("Quorvane"));
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

TEST_F(MainFormTest, EquationErrorsStopTheRunBeforeItsFirstStep) {
    Start();
    Form->LoadModel(
        Q(WriteModel("broken.qvf", [](TModelBuilder& model) { model.Variable("Broken", "1 +"); })),
        false);
    Form->ErrorLog->hide();
    Form->Run();
    Form->TimerSimulationTimer();
    EXPECT_EQ(TakeMessages(), QStringList{"There are errors in equations, cannot simulate"});
    EXPECT_FALSE(Form->TimerSimulation->isActive());
    EXPECT_TRUE(Simulation().AtStart);
    EXPECT_FALSE(Form->ActionNew->isEnabled()) << "locked until Stop/Reset";
    Form->RunStep();
    EXPECT_EQ(TakeMessages(), QStringList{"There are errors in equations, cannot simulate"});
    EXPECT_FALSE(Simulation().Paused);
    Form->StopReset();
    EXPECT_TRUE(Form->ActionNew->isEnabled());
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
