// File commands, recent files and the faults they once had: loading mid-run, relative
// names, a stale window after a failed load, Save As and failed saves.
#include "app/ErrorReport.h"
#include "app/MainFormFixture.h"
#include "app/TimeBar.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QToolButton>

#include <filesystem>

TEST_F(MainFormTest, RecentFilesSurviveARestartInTheirOrder) {
    const std::string a = SimpleModel("a.qvf"), b = SimpleModel("b.qvf"), c = SimpleModel("c.qvf");
    Start();
    for (const std::string& name : {a, b, c, a})
        Form->LoadModel(Q(name), false);
    EXPECT_EQ(Form->RecentFiles, (TRecentFiles{a, c, b, ""}));
    EXPECT_TRUE(Form->close());
    Form.reset();

    Start();
    EXPECT_EQ(Form->RecentFiles, (TRecentFiles{a, c, b, ""}));
    EXPECT_TRUE(Form->ActionRecent[2]->isVisible());
    EXPECT_FALSE(Form->ActionRecent[3]->isVisible());
    EXPECT_TRUE(Form->ActionRecent[0]->text().startsWith("&1 "));
    Form->OpenRecent(2);
    EXPECT_EQ(Form->ActiveDocument()->FileName, b);
    EXPECT_EQ(Form->StatusFile->text(), Q(b));

    // A recent file that has gone: its message, and the model stays.
    std::filesystem::remove(c);
    Form->OpenRecent(2);
    EXPECT_EQ(TakeMessages(), QStringList{Q("The file: \"" + c + "\" does not exist.")});
    EXPECT_EQ(Form->ActiveDocument()->FileName, b);
}

TEST_F(MainFormTest, LoadingMidRunStopsTheRunAndUnlocks) {
    const std::string first = SimpleModel("first.qvf"), second = SimpleModel("second.qvf");
    Start();
    Form->LoadModel(Q(first), false);
    Form->LoadModel(Q(second), false);
    Form->Run();
    Form->TimerSimulationTimer();
    for (QAction* action : {Form->ActionNew, Form->ActionOpen, Form->ActionSave,
                            Form->ActionRecent[0], Form->ActionRecent[1]})
        EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
    // A load that reaches the window anyway starts the new model stopped and editable.
    Form->LoadModel(Q(first), false);
    EXPECT_FALSE(Form->TimerSimulation->isActive());
    EXPECT_TRUE(Simulation().AtStart);
    for (QAction* action : {Form->ActionNew, Form->ActionOpen, Form->ActionSave, Form->ActionSaveAs,
                            Form->ActionRecent[0]})
        EXPECT_TRUE(action->isEnabled()) << action->objectName().toStdString();
    Form->Run();
    Form->TimerSimulationTimer();
    Form->NewModel();
    EXPECT_FALSE(Form->TimerSimulation->isActive());
    EXPECT_TRUE(Form->ActionOpen->isEnabled());
    EXPECT_TRUE(Form->ToolButtonPlay->isEnabled());
    EXPECT_FALSE(Form->ToolButtonPlay->isChecked());
}

TEST_F(MainFormTest, ACommandLineNameRelativeToTheFolderIsStoredInFull) {
    const std::string model = SimpleModel("relative model.qvf");
    const QString before = QDir::currentPath();
    QDir::setCurrent(Q(Temp.Path.string()));
    Start("relative model.qvf ");
    QDir::setCurrent(before);
    EXPECT_EQ(Form->ActiveDocument()->FileName, model);
    EXPECT_EQ(Form->RecentFiles[0], model);
}

TEST_F(MainFormTest, AFailedLoadLeavesNothingOfTheOldModelOnScreen) {
    const std::string model = WriteModel("long.qvf", [](TModelBuilder& model) {
        model.TimeSettings(0, 99, 1);
        model.Variable("A", "B");
        model.Variable("B", "A", {"A"});
        model.Link(model["B"], model["A"]);
    });
    WriteWholeFile(Temp / "damaged.qvf", "Quorvane\t1.0.10.166\r\n\tnot a number\r\n");
    Start();
    Form->LoadModel(Q(model), false);
    ASSERT_TRUE(Form->ErrorLog->isVisible()) << "the loaded model's circularity is listed";
    ASSERT_EQ(Form->TimeBar->LabelStopValue->text(), "99");
    Form->LoadModel(Q((Temp / "damaged.qvf")), false);
    EXPECT_EQ(TakeMessages(), QStringList{Q(CorruptFileMessage)});
    EXPECT_EQ(Form->StatusFile->text(), "");
    EXPECT_EQ(Form->TimeBar->LabelStopValue->text(), "24");
    EXPECT_FALSE(Form->ErrorLog->isVisible());
    EXPECT_EQ(Form->ErrorLog->MemoErrors->toPlainText(), "");
    EXPECT_FALSE(Form->ActiveDocument()->HasFile);
}

TEST_F(MainFormTest, AModelWithoutASpanShowsNoProgressAndRunsOnce) {
    Start();
    Form->LoadModel(Q(WriteModel("flat.qvf",
                                 [](TModelBuilder& model) {
                                     model.TimeSettings(10, 10, 1);
                                     model.Constant("C", "1");
                                 })),
                    false);
    EXPECT_FALSE(Form->TimeBar->Layout().SpanValid);
    Form->Run();
    EXPECT_EQ(RunToEnd(), 1);
    EXPECT_FALSE(Form->TimeBar->Layout().ShowProgress);
}

TEST_F(MainFormTest, SaveAsAsksForTheFinalNameWithTheModelSuffix) {
    Start();
    Hooks.FileNames = {Q((Temp / "saved"))};
    EXPECT_TRUE(Form->SaveAs());
    ASSERT_EQ(Hooks.Requests.size(), 1u);
    EXPECT_TRUE(Hooks.Requests[0].Save);
    EXPECT_EQ(Hooks.Requests[0].DefaultSuffix, "qvf");
    EXPECT_TRUE(std::filesystem::exists((Temp / "saved.qvf")));
    EXPECT_EQ(Form->RecentFiles[0], (Temp / "saved.qvf"));
    EXPECT_FALSE(Form->ActiveDocument()->IsModified);
}

TEST_F(MainFormTest, AFailedSaveCancelsNewAndKeepsTheModelModified) {
    const std::string model = SimpleModel("readonly.qvf");
    Start();
    Form->LoadModel(Q(model), false);
    Form->ActiveDocument()->MarkModified();
    MakeReadOnly(model);
    TDataFile* before = Form->ActiveDocument();
    Hooks.Answers = {mbYes};
    Form->NewModel();
    const QStringList messages = TakeMessages();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0], "Do you wish to save your changes ?");
    EXPECT_TRUE(messages[1].contains("read-only")) << messages[1].toStdString();
    EXPECT_EQ(Form->ActiveDocument(), before);
    EXPECT_TRUE(Form->ActiveDocument()->IsModified);

    // Exit is cancelled the same way; Cancel keeps the program open too.
    Hooks.Answers = {mbYes};
    EXPECT_FALSE(Form->close());
    EXPECT_EQ(TakeMessages().size(), 2);
    Hooks.Answers = {mbCancel};
    EXPECT_FALSE(Form->close());
    EXPECT_EQ(TakeMessages().size(), 1);
    Hooks.Answers = {mbNo};
    EXPECT_TRUE(Form->close());
    TakeMessages();
}

TEST_F(MainFormTest, SavingDuringAPausedRunResetsTheRunFirst) {
    const std::string model = SimpleModel();
    Start();
    Form->LoadModel(Q(model), false);
    Form->RunStep();
    Form->RunStep();
    Form->ActiveDocument()->MarkModified();
    Hooks.Answers = {mbYes};
    EXPECT_TRUE(Form->CheckSaveChanges());
    TakeMessages();
    EXPECT_TRUE(Simulation().AtStart);
    EXPECT_FALSE(Form->ActiveDocument()->IsModified);
    EXPECT_TRUE(Form->ActionNew->isEnabled());
}

TEST_F(MainFormTest, ZoomBoxAndZoomCommands) {
    Start();
    Form->LoadModel(Q(SimpleModel()), false);
    Form->ComboBoxZoom->setEditText("250");
    Form->ZoomEntered();
    EXPECT_EQ(Form->ComboBoxZoom->currentText(), "250%");
    EXPECT_FLOAT_EQ(Form->ActiveDocument()->Image().Zoom, 250);
    Form->ZoomBy(true);
    EXPECT_EQ(Form->ComboBoxZoom->currentText(), "275%");
    Form->ComboBoxZoom->setEditText("99999999999999999999");
    Form->ZoomEntered();
    EXPECT_EQ(Form->ComboBoxZoom->currentText(), "1600%");
    // A half-typed zoom is dropped by the next command.
    Form->ComboBoxZoom->setEditText("12");
    Form->StopReset();
    Form->RestoreZoomText();
    EXPECT_EQ(Form->ComboBoxZoom->currentText(), "1600%");
}
