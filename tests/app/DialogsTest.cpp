// The error log's states, the Time Settings dialog, recovery copies and the help window.
#include "app/ErrorReport.h"
#include "app/HelpWindow.h"
#include "app/MainFormFixture.h"
#include "app/SupportWindow.h"
#include "app/TimeSettings.h"
#include "app/widgets/NumberEdit.h"
#include "core/support/Version.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSysInfo>
#include <QTextBlock>
#include <QTextBrowser>

#include <filesystem>
#include <fstream>

namespace {

void TwoCycles(TModelBuilder& model) {
    for (const char* name : {"A", "B", "C", "D"})
        model.Variable(name);
    for (const auto& [from, to] : {std::pair{"B", "A"}, {"A", "B"}, {"D", "C"}, {"C", "D"}}) {
        model[to].Equation = from;
        model.Link(model[from], model[to]);
    }
}

} // namespace

TEST_F(MainFormTest, ErrorLogShowsHidesAndCountsAsTheChecksGo) {
    Start();
    TFormModelErrors& log = *Form->ErrorLog;
    Form->LoadModel(Q(WriteModel("cycles.qvf", TwoCycles)), false);
    EXPECT_TRUE(log.isVisible());
    EXPECT_EQ(log.windowTitle(), "Errors (2)");
    EXPECT_EQ(log.MemoErrors->toPlainText().count('\n'), 1);
    EXPECT_FALSE(Form->ActionShowErrorLog->isEnabled());

    // "Hide", then with pop-up off a failing check updates the text but stays hidden.
    log.ButtonHide->click();
    EXPECT_TRUE(Form->ActionShowErrorLog->isEnabled());
    Form->ActionLogPopup->trigger();
    EXPECT_FALSE(log.PopupOnNewError);
    log.MemoErrors->clear();
    Form->RunStep();
    EXPECT_EQ(TakeMessages(), QStringList{"There are errors in equations, cannot simulate"});
    EXPECT_FALSE(log.isVisible());
    EXPECT_EQ(log.windowTitle(), "Errors (2)");
    EXPECT_FALSE(log.MemoErrors->toPlainText().isEmpty());
    Form->ActionShowErrorLog->trigger();
    EXPECT_TRUE(log.isVisible());
    EXPECT_FALSE(log.PopupChk->isChecked());

    // New with pop-up off leaves the log visible, empty, captioned "Errors".
    Form->NewModel();
    EXPECT_TRUE(log.isVisible());
    EXPECT_EQ(log.windowTitle(), "Errors");
    EXPECT_EQ(log.MemoErrors->toPlainText(), "");

    // An empty check hides it and gives the command back.
    Form->RunStep();
    EXPECT_FALSE(log.isVisible());
    EXPECT_TRUE(Form->ActionShowErrorLog->isEnabled());
    Form->StopReset();
    // "Show Error Log" on a sound model shows nothing and stays available.
    Form->ActionShowErrorLog->trigger();
    EXPECT_FALSE(log.isVisible());
    EXPECT_TRUE(Form->ActionShowErrorLog->isEnabled());
}

// The log first appears in the main window's bottom right corner, away from the shapes in
// the middle; afterwards it keeps the place the user gave it, wraps long messages and can be
// minimised, coming back for new messages.
TEST_F(MainFormTest, ErrorLogFirstAppearsBottomRightThenStaysWhereMoved) {
    Start();
    Form->setGeometry(100, 80, 1000, 700);
    Form->show();
    TFormModelErrors& log = *Form->ErrorLog;
    EXPECT_TRUE(log.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    Form->LoadModel(Q(WriteModel("cycles.qvf", TwoCycles)), false);
    ASSERT_TRUE(log.isVisible());
    const QRect owner = Form->geometry();
    EXPECT_TRUE(owner.contains(log.frameGeometry())) << "inside the main window";
    EXPECT_GT(log.x(), owner.center().x());
    EXPECT_GT(log.y(), owner.center().y());

    log.MemoErrors->setPlainText(QString("A long message ").repeated(40));
    QApplication::processEvents();
    EXPECT_EQ(log.MemoErrors->horizontalScrollBar()->maximum(), 0) << "wrapped, not scrolled";

    log.move(150, 120);
    log.ButtonHide->click();
    Form->RunStep();
    EXPECT_EQ(TakeMessages(), QStringList{"There are errors in equations, cannot simulate"});
    ASSERT_TRUE(log.isVisible());
    EXPECT_EQ(log.pos(), QPoint(150, 120));
    log.showMinimized();
    Form->StopReset();
    Form->RunStep();
    EXPECT_EQ(TakeMessages(), QStringList{"There are errors in equations, cannot simulate"});
    EXPECT_FALSE(log.windowState().testFlag(Qt::WindowMinimized));
    Form->StopReset();
}

TEST_F(MainFormTest, TimeSettingsRefusesEntriesInOrderAndRounds) {
    Start();
    Form->LoadModel(Q(SimpleModel()), false);
    TFormTimeSettings& dialog = *Form->TimeSettings;
    struct TCase {
        const char* Start;
        const char* Stop;
        const char* ViewStart;
        const char* ViewStop;
        const char* Now;
        const char* Message; // empty: accepted
    } cases[] = {
        {"5", "5", "0", "24", "12", "The end time must be greater than the start time"},
        {"0", "24", "0", "30", "12",
         "The display end time must within the current simulation time range"},
        {"0", "24", "-1", "24", "12",
         "The display start time must within the current simulation time range"},
        {"0", "24", "10", "10", "12",
         "The display end time must be greater than the display start time"},
        {"0", "24", "0", "24", "25",
         "The marker for 'now' must be within the current simulation time range"},
        {"0.5", "24", "0.5", "24", "12", ""},
    };
    for (const TCase& c : cases) {
        dialog.Fill(*Form->ActiveDocument());
        const std::pair<TNumberEdit*, const char*> entries[] = {{dialog.EditStartTime, c.Start},
                                                                {dialog.EditStopTime, c.Stop},
                                                                {dialog.EditViewStart, c.ViewStart},
                                                                {dialog.EditViewStop, c.ViewStop},
                                                                {dialog.EditNow, c.Now}};
        for (const auto& [edit, text] : entries) {
            edit->clear();
            QTest::keyClicks(edit, text);
        }
        const bool closes = dialog.Apply(*Form->ActiveDocument());
        EXPECT_EQ(closes, *c.Message == 0) << c.Message;
        EXPECT_EQ(TakeMessages(), *c.Message ? QStringList{c.Message} : QStringList{});
    }
    EXPECT_EQ(Simulation().StartTime, 1) << "0.5 rounds up";
    EXPECT_EQ(Simulation().ViewStart, 1);
    EXPECT_EQ(Simulation().CurrentTime, 1);
}

TEST_F(MainFormTest, TimeSettingsKeepsAStepItShowsRounded) {
    Start();
    Form->LoadModel(Q(WriteModel("fine.qvf",
                                 [](TModelBuilder& model) {
                                     model.Sim.TimeStep = 0.0625;
                                     model.Constant("C", "1");
                                 })),
                    false);
    Hooks.OnDialog = [](QDialog& dialog) {
        auto& settings = static_cast<TFormTimeSettings&>(dialog);
        EXPECT_EQ(settings.ComboBoxTimeStep->currentText(), "0.063");
        EXPECT_EQ(settings.ComboBoxIntegrationMethod->currentText(), "Euler");
        settings.EditNow->clear();
        QTest::keyClicks(settings.EditNow, "6");
        settings.ComboBoxIntegrationMethod->setCurrentIndex(2);
        settings.findChild<QPushButton*>("ButtonOK")->click();
    };
    Form->ShowTimeSettings();
    EXPECT_EQ(Simulation().Now, 6);
    EXPECT_EQ(Simulation().TimeStep, 0.0625);
    EXPECT_EQ(Simulation().Method, imRK4);
    EXPECT_TRUE(Form->ActiveDocument()->IsModified);

    // Untouched, OK applies nothing; during a run the dialog is refused.
    Form->ActiveDocument()->IsModified = false;
    Hooks.OnDialog = [](QDialog& dialog) { dialog.findChild<QPushButton*>("ButtonOK")->click(); };
    Form->ShowTimeSettings();
    EXPECT_FALSE(Form->ActiveDocument()->IsModified);
    Form->RunStep();
    Form->PauseRun();
    Form->ShowTimeSettings();
    EXPECT_EQ(TakeMessages(),
              QStringList{"You cannot make changes to the time settings during a simulation"});
}

TEST_F(MainFormTest, RecoveryCopyIsWrittenOfferedAndRemoved) {
    const std::string model = SimpleModel("precious.qvf");
    QString leftBehind;
    {
        Start();
        Form->LoadModel(Q(model), false);
        Form->WriteRecoveryCopy();
        EXPECT_FALSE(Form->Recovery->HasCopy()) << "nothing unsaved, nothing to recover";
        Form->ActiveDocument()->FileName = model;
        Form->ActiveDocument()->MarkModified();
        Form->WriteRecoveryCopy();
        ASSERT_TRUE(Form->Recovery->HasCopy());
        EXPECT_FALSE(std::filesystem::exists(model + ".bak")) << "never beside the model";
        EXPECT_TRUE(Form->Save());
        EXPECT_FALSE(Form->Recovery->HasCopy()) << "a save makes the copy useless";
        Form->ActiveDocument()->MarkModified();
        Form->WriteRecoveryCopy();
        leftBehind = Form->Recovery->CopyPath();
        // The program "crashes": its copy stays, and its lock goes with it.
        Form->Recovery.reset();
        Form->Recovery = std::make_unique<TRecovery>();
        Form.reset();
    }
    ASSERT_TRUE(QFileInfo::exists(leftBehind));
    Hooks.Answers = {mbYes};
    Start();
    EXPECT_EQ(
        TakeMessages(),
        QStringList{"Quorvane closed unexpectedly. Open the recovered copy of precious.qvf?"});
    EXPECT_FALSE(QFileInfo::exists(leftBehind));
    EXPECT_EQ(Form->ActiveDocument()->FileName, model);
    EXPECT_FALSE(Form->ActiveDocument()->HasFile);
    EXPECT_TRUE(Form->ActiveDocument()->IsModified);
    EXPECT_TRUE(Form->Recovery->HasCopy()) << "the recovered model is protected at once";
    // Closing without saving, by the user's choice, removes the copy.
    Hooks.Answers = {mbNo};
    EXPECT_TRUE(Form->close());
    TakeMessages();
    EXPECT_FALSE(Form->Recovery->HasCopy());
}

TEST_F(MainFormTest, ADamagedRecoveryCopyIsSetAsideNotDeleted) {
    const QString folder = TRecovery::DefaultFolder();
    QDir().mkpath(folder);
    {
        std::ofstream damaged((folder + "/123-456.qvf").toStdString());
        damaged << "garbage";
    }
    Start();
    EXPECT_EQ(TakeMessages(), QStringList{Q(CorruptFileMessage)});
    EXPECT_FALSE(QFileInfo::exists(folder + "/123-456.qvf"));
    EXPECT_TRUE(QFileInfo::exists(folder + "/123-456.qvf.damaged"));
    Form.reset();
    Start(); // offered once only
}

TEST_F(MainFormTest, HelpShowsTheBuiltInUserGuide) {
    Start();
    Form->ActionHelp->trigger();
    ASSERT_NE(Form->HelpWindow, nullptr);
    EXPECT_TRUE(Form->HelpWindow->isVisible());
    const QString text = Form->HelpWindow->Browser->toPlainText();
    EXPECT_TRUE(text.contains("Quorvane")) << text.left(200).toStdString();
    for (const char* name : {"DELAY", "GRAPH", "NPV", "STARTTIME", "TODAY", "quorvane-cli"})
        EXPECT_TRUE(text.contains(name)) << name;
}

// Help > Support names what a problem report needs, copies it, and leads to the guide's
// troubleshooting section; it opens no web page.
TEST_F(MainFormTest, SupportShowsWhatAReportNeedsAndCopiesIt) {
    Start();
    Form->ActionSupport->trigger();
    ASSERT_NE(Form->SupportWindow, nullptr);
    EXPECT_TRUE(Form->SupportWindow->isVisible());
    const QString text = Form->SupportWindow->MemoFacts->toPlainText();
    for (const QString& fact :
         {QString("Quorvane version: ") + ProgramVersion, QString("Qt version: ") + qVersion(),
          QSysInfo::kernelType(), Form->Recovery->Folder,
          QSettings("Quorvane", "Quorvane Desktop").fileName()})
        EXPECT_TRUE(text.contains(fact)) << fact.toStdString() << " in " << text.toStdString();
    QGuiApplication::clipboard()->clear();
    Form->SupportWindow->ButtonCopy->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), text);
    Form->SupportWindow->ButtonTroubleshooting->click();
    ASSERT_NE(Form->HelpWindow, nullptr);
    EXPECT_TRUE(Form->HelpWindow->isVisible());
    EXPECT_TRUE(Form->HelpWindow->ShowSection("Troubleshooting")) << "the guide has the section";
    EXPECT_EQ(Form->HelpWindow->Browser->textCursor().block().text(), "Troubleshooting");
    EXPECT_TRUE(Hooks.Urls.isEmpty());
}

TEST(NumberEdit, KeepsItsExactValueUntilEditedAndReadsOnlyDots) {
    TNumberEdit edit(nullptr, 0);
    edit.SetValue(0.5);
    EXPECT_EQ(edit.text(), "1");
    EXPECT_EQ(edit.Value(), 0.5);
    edit.clear();
    QTest::keyClicks(&edit, "2.25");
    EXPECT_EQ(edit.Value(), 2.25);
    edit.clear();
    QTest::keyClicks(&edit, "2,5");
    EXPECT_EQ(edit.text(), "25") << "a comma is no decimal separator";
    TNumberEdit whole(nullptr, 0, true);
    QTest::keyClicks(&whole, "99999999999");
    EXPECT_FALSE(whole.Value().has_value());
}
