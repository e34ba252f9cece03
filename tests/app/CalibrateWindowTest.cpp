// Analysis > Calibrate...: constants and targets chosen through Variable Select, a run on
// worker threads that finds the rate that made the observed points, Apply as one undoable
// edit followed by a run, Cancel that leaves the document byte-identical, and the refusal
// during a run.
#include "app/MainFormFixture.h"

#include "app/analysis/CalibrateDialog.h"
#include "app/dialogs/VariableSelect.h"
#include "app/widgets/NumberEdit.h"

#include <QMenuBar>

#include <cmath>

namespace {

class CalibrateWindowTest : public MainFormTest {
protected:
    // A stock growing by Rate per step from 100, observed every other step with a rate of 0.1;
    // the model's rate is 0.2, and Unused feeds nothing.
    std::string ObservedModel() {
        return WriteModel("observed.qvf", [](TModelBuilder& b) {
            b.TimeSettings(0, 10, 1);
            b.Constant("Rate", "0.2");
            b.Constant("Unused", "5");
            TVariableObject& stock = b.Resource("Stock", "100");
            b.Inflow(b.Flow("Growth", "Stock * Rate", {"Stock", "Rate"}), stock);
            b.Variable("Twice Unused", "Unused * 2", {"Unused"});
            stock.Sketched.Clear();
            for (int k = 0; k <= 10; k += 2)
                stock.Sketched.AddPoint(k, 100 * std::pow(1.1, k));
        });
    }

    // Variable Select answers with the names in order.
    std::function<bool(QDialog&)> SelectInOrder(std::vector<const char*> names) {
        auto left = std::make_shared<std::vector<const char*>>(std::move(names));
        return [left](QDialog& dialog) {
            auto* select = qobject_cast<TFormVariableSelect*>(&dialog);
            if (!select) return false;
            if (left->empty()) {
                ADD_FAILURE() << "Variable Select once too often";
                dialog.reject();
                return true;
            }
            select->ComboBoxVariables->setCurrentIndex(
                select->ComboBoxVariables->findText(left->front()));
            left->erase(left->begin());
            dialog.accept();
            return true;
        };
    }
};

TEST_F(CalibrateWindowTest, FindsTheRateAppliesItAsOneUndoStepAndRuns) {
    Start(Q(ObservedModel()));
    TDataFile& document = *Form->ActiveDocument();
    const std::string before = document.SavedText();
    auto select = SelectInOrder({"Growth", "Rate", "Unused", "Twice Unused", "Stock"});
    QStringList result;
    QString summary;
    Hooks.OnDialog = [&](QDialog& dialog) {
        if (select(dialog)) return;
        auto* window = qobject_cast<TFormCalibrate*>(&dialog);
        ASSERT_NE(window, nullptr) << dialog.windowTitle().toStdString();
        window->AddParameter(); // Growth: refused
        window->AddParameter(); // Rate: bounds half and twice its value
        window->AddParameter(); // Unused
        EXPECT_EQ(window->TableParameters->item(0, 1)->text(), "0.1");
        EXPECT_EQ(window->TableParameters->item(0, 2)->text(), "0.4");
        window->TableParameters->item(0, 1)->setText("0.01");
        window->AddTarget(); // Twice Unused: no data, refused
        window->AddTarget(); // Stock
        EXPECT_EQ(window->TableTargets->rowCount(), 1);
        window->EditStarts->SetValue(100000); // refused by the plan, with its reason
        window->ButtonStart->click();
        EXPECT_FALSE(window->HasResult);
        window->EditStarts->SetValue(1);
        window->EditEvaluations->SetValue(300);
        window->ButtonStart->click();
        EXPECT_FALSE(window->Running);
        ASSERT_TRUE(window->HasResult);
        for (int row = 0; row < window->TableResult->rowCount(); ++row)
            for (int column = 0; column < 4; ++column)
                result << window->TableResult->item(row, column)->text();
        summary = window->LabelSummary->text();
        EXPECT_EQ(document.SavedText(), before) << "the run leaves the document alone";
        window->ButtonApply->click();
    };
    Form->ActionCalibrate->trigger();
    EXPECT_EQ(TakeMessages(),
              QStringList({"Growth cannot be fitted: its equation is not a plain number.",
                           "Twice Unused has no observed points: import them with File > Import "
                           "Data... first.",
                           "The number of starts must be from 1 to 10,000."}));
    ASSERT_EQ(result.size(), 8);
    EXPECT_EQ(result.mid(0, 2), QStringList({"Rate", "0.2"}));
    EXPECT_NEAR(result[2].toDouble(), 0.1, 1e-5);
    EXPECT_EQ(result.mid(4, 2), QStringList({"Unused", "5"}));
    EXPECT_EQ(result[7], "not identified");
    EXPECT_TRUE(summary.contains("Converged.")) << summary.toStdString();

    // Applied: the rate's equation, one undo step, and a run to the end under way.
    const TVariableObject& rate = *FindElement(Simulation(), "Rate");
    EXPECT_NEAR(std::stod(rate.Equation), 0.1, 1e-5);
    EXPECT_TRUE(document.IsModified);
    EXPECT_TRUE(Form->RunningToEnd);
    RunToEnd();
    const TVariableObject& stock = *FindElement(Simulation(), "Stock");
    EXPECT_NEAR(stock.Simulated.ValueAt(10), 100 * std::pow(1.1, 10), 1e-2);
    Form->StopReset();
    Form->ActionUndo->trigger();
    Form->ActiveDocument()->Modified = document.Created;
    EXPECT_EQ(Form->ActiveDocument()->SavedText(), before);

    // The set-up is offered again next time.
    Hooks.OnDialog = [&](QDialog& dialog) {
        auto* window = qobject_cast<TFormCalibrate*>(&dialog);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->TableParameters->rowCount(), 2);
        EXPECT_EQ(window->TableParameters->item(0, 1)->text(), "0.01");
        EXPECT_EQ(window->TableTargets->rowCount(), 1);
        window->ButtonClose->click();
    };
    Form->ActionCalibrate->trigger();
}

TEST_F(CalibrateWindowTest, CancelLeavesTheDocumentByteIdentical) {
    // Long runs, so that Cancel lands before the starts are done.
    Start(Q(WriteModel("long.qvf", [](TModelBuilder& b) {
        b.TimeSettings(0, 20000, 1);
        b.Constant("Rate", "0.0002");
        TVariableObject& stock = b.Resource("Stock", "1");
        b.Inflow(b.Flow("Growth", "Stock * Rate", {"Stock", "Rate"}), stock);
        TModelBuilder::Sketch(stock, {{0, 1}, {10000, 2}, {20000, 3}});
    })));
    TDataFile& document = *Form->ActiveDocument();
    const std::string before = document.SavedText();
    TCalibrationSetUp setUp;
    setUp.Parameters = {{"Rate", 0, 0.001}};
    setUp.Starts = 50;
    Form->CalibrationSetUp = std::make_unique<TCalibrationSetUp>(setUp);
    int reports = 0;
    Hooks.OnDialog = [&](QDialog& dialog) {
        auto* window = qobject_cast<TFormCalibrate*>(&dialog);
        ASSERT_NE(window, nullptr);
        window->Progressed = [&] {
            if (++reports == 1) {
                EXPECT_FALSE(window->ButtonClose->isEnabled());
                EXPECT_FALSE(window->ButtonStart->isEnabled());
                window->reject(); // Escape during a run cancels and keeps the window
                EXPECT_FALSE(window->ButtonCancel->isEnabled());
            }
        };
        window->ButtonStart->click();
        EXPECT_FALSE(window->HasResult);
        EXPECT_FALSE(window->ButtonApply->isEnabled());
        EXPECT_EQ(window->LabelSummary->text(), "Nothing was changed.");
        EXPECT_TRUE(window->LabelProgress->text().startsWith("Cancelled after"));
        window->ButtonClose->click();
    };
    Form->ActionCalibrate->trigger();
    EXPECT_GE(reports, 1);
    EXPECT_EQ(document.SavedText(), before);
    EXPECT_FALSE(document.IsModified);
    EXPECT_FALSE(Form->RunningToEnd);
    EXPECT_TRUE(TakeMessages().isEmpty());
}

TEST_F(CalibrateWindowTest, RefusedDuringARunAndListedInTheAnalysisMenu) {
    Start(Q(ObservedModel()));
    QMenu* menu = nullptr;
    for (QAction* action : Form->menuBar()->actions())
        if (action->text().remove('&') == "Analysis") menu = action->menu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->actions().last(), Form->ActionCalibrate);
    EXPECT_EQ(Form->ActionCalibrate->text(), "&Calibrate...");

    Form->Run();
    Form->ActionCalibrate->trigger(); // no window: OnDialog is not set, one would fail
    EXPECT_EQ(TakeMessages(),
              QStringList({"You cannot calibrate the model during a simulation; reset it first"}));
    Form->StopReset();
}

} // namespace
