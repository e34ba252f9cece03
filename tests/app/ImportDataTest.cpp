// File > Import Data...: observed data in as one undo step, refused data leaving the model
// as it was, and no import while a run is under way.
#include "app/MainFormFixture.h"

#include <QAction>
#include <QStatusBar>

TEST_F(MainFormTest, ImportDataIsOneUndoStepAndRefusalsChangeNothing) {
    Start(Q(SimpleModel()));
    // The model's record begins on the fourth line, after the dates that an edit changes.
    auto model = [](const std::string& text) {
        size_t at = 0;
        for (int line = 0; line < 3; ++line)
            at = text.find("\r\n", at) + 2;
        return text.substr(at);
    };
    const struct {
        const char* Data;
        const char* Message; // empty: imported
    } cases[] = {
        {"Time\tGrowth\tRate\n0\t0\t2\n1.5\t3\t\n", ""},
        {"Time,Growth,Speed\n0,1,2\n",
         "Nothing was imported from data.csv:\n\nColumn 3: no element of the model is named "
         "\"Speed\""},
        {"Time,Growth\n0,1\n0,2\n", "Nothing was imported from data.csv:\n\nLine 3 repeats the "
                                    "time 0 of line 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Data);
        WriteWholeFile(Temp / "data.csv", c.Data);
        const std::string before = Form->ActiveDocument()->SavedText();
        Hooks.FileNames = {Q(Temp / "data.csv")};
        Form->ActionImportData->trigger();
        ASSERT_FALSE(Hooks.Requests.empty());
        EXPECT_EQ(Hooks.Requests.back().Caption, "Import Data");
        TDataFile& document = *Form->ActiveDocument();
        if (*c.Message) {
            EXPECT_EQ(TakeMessages(), QStringList{c.Message});
            EXPECT_EQ(document.SavedText(), before);
            EXPECT_FALSE(Form->ActionUndo->isEnabled());
            continue;
        }
        const TVariableObject& growth = *Simulation().FindByIdentifier("Growth");
        ASSERT_EQ(growth.Sketched.Count(), 2);
        EXPECT_EQ(growth.Sketched.Points[1].Time, 1.5);
        EXPECT_EQ(Simulation().FindByIdentifier("Rate")->Sketched.Count(), 1);
        EXPECT_TRUE(document.Modified);
        EXPECT_EQ(Form->statusBar()->currentMessage(),
                  "Imported 3 points into 2 elements from data.csv");
        ASSERT_TRUE(Form->ActionUndo->isEnabled());
        Form->ActionUndo->trigger();
        EXPECT_EQ(model(Form->ActiveDocument()->SavedText()), model(before));
    }

    // Not while a run has begun, paused or finished: the sketches would change under it.
    Form->RunStep();
    EXPECT_FALSE(Form->ActionImportData->isEnabled());
    Form->Run();
    RunToEnd();
    ASSERT_TRUE(Simulation().IsFinished());
    EXPECT_FALSE(Form->ActionImportData->isEnabled());
    const size_t requests = Hooks.Requests.size();
    Form->ImportDataFile();
    EXPECT_EQ(Hooks.Requests.size(), requests);
    EXPECT_EQ(TakeMessages(),
              QStringList{"You cannot import data during a simulation; reset it first"});
}
