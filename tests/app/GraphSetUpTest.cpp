// Comparative Graph Set-Up with its series editor and value axis, and Graph Options.
#include "app/MainFormFixture.h"
#include "app/OutputTestSupport.h"

#include "app/dialogs/GraphOptions.h"
#include "app/dialogs/GraphSetUp.h"
#include "app/dialogs/SeriesEntryDialogs.h"
#include "app/widgets/NumberEdit.h"
#include "document/output/SeriesLists.h"

#include <QApplication>
#include <QColorDialog>
#include <QFocusEvent>

#include <cmath>
#include <limits>

namespace {

struct TGraphFixture : TSeriesFixture {
    QString Order() const { return TSeriesFixture::Order(*Graph); }
};

} // namespace

TEST(GraphSetUp, AddGivesEachSeriesTheNextFreeColour) {
    TOutputFixture f;
    TDialogScript script;
    TFormGraphEdit dialog(*f.Document, *f.Graph);
    for (int i = 0; i < 12; ++i) {
        script.Picks << "Stock";
        dialog.ButtonAdd->click();
    }
    EXPECT_EQ(ListColumn(*dialog.ListViewSeries, 2),
              QStringList({"Black", "Red", "Green", "Blue", "Purple", "Grey", "Fuchsia", "Aqua",
                           "Yellow", "Lime", "Maroon", "Black"}));
    EXPECT_EQ(dialog.Selected(), 11) << "the new entry is selected";
    EXPECT_EQ(ListColumn(*dialog.ListViewSeries, 1).front(), "Simulated");
    EXPECT_EQ(ListColumn(*dialog.ListViewSeries, 3).front(), "No");

    // Variable Select cancelled adds nothing.
    script.On["FormVariableSelect"] = [](QDialog& d) { d.reject(); };
    dialog.ButtonAdd->click();
    EXPECT_EQ(f.Graph->Series.Count(), 12);
}

TEST(GraphSetUp, OneSnapshotPerShowingAndUndoRestoresTheSavedText) {
    TGraphFixture f;
    const std::string before = f.ModelText();
    TDialogScript script;
    script.On["FormGraphYAxis"] = [](QDialog& d) {
        auto& axis = static_cast<TformGraphYAxis&>(d);
        axis.CheckBoxMinAuto->setChecked(false);
        axis.EditMin->setText("-5");
        emit axis.EditMin->textEdited("-5");
        axis.accept();
    };
    script.On["FormGraphItemEdit"] = [](QDialog& d) {
        static_cast<TFormGraphItemEdit&>(d).ComboBoxColour->setCurrentText("Lime");
        d.accept();
    };
    script.On["FormGraphEdit"] = [&](QDialog& d) {
        auto& dialog = static_cast<TFormGraphEdit&>(d);
        script.Picks << "Flow In";
        dialog.ButtonAdd->click();
        dialog.CheckBoxLegend->click();
        dialog.ButtonYAxis->click();
        dialog.Select(0);
        dialog.ButtonEdit->click();
        dialog.ButtonDown->click();
    };
    // Closed by the title bar: the changes are in the graph all the same.
    EXPECT_EQ(OpenGraphSetUp(*f.Document, *f.Graph, nullptr), TDialogResult::Accepted);
    EXPECT_EQ(f.Order(), "SRPF");
    EXPECT_FALSE(f.Graph->ShowLegend);
    EXPECT_EQ(f.Graph->YMin, -5);
    EXPECT_EQ(f.Graph->Series[1]->Colour, 0x00FF00);
    EXPECT_TRUE(f.Document->IsModified);
    EXPECT_EQ(f.Snapshots(), 1u);
    f.Document->Undo();
    EXPECT_EQ(f.ModelText(), before);
    f.Rebind();

    // A showing without changes takes no snapshot and is a cancel.
    script.On["FormGraphEdit"] = [](QDialog& d) { d.reject(); };
    EXPECT_EQ(OpenGraphSetUp(*f.Document, *f.Graph, nullptr), TDialogResult::Cancelled);
    EXPECT_EQ(f.Snapshots(), 0u);
}

TEST(GraphSetUp, WhileARunIsUnderWayOnlyTheAxisAndOkWork) {
    TGraphFixture f;
    f.Document->Simulation->AtStart = false;
    TScriptedHooks hooks; // no dialog may open but the axis
    TFormGraphEdit dialog(*f.Document, *f.Graph);
    for (const char* name : {"ButtonAdd", "ButtonEdit", "ButtonDelete", "ButtonClearHistories",
                             "ButtonUp", "ButtonDown", "CheckBoxLegend"})
        EXPECT_FALSE(dialog.findChild<QWidget*>(name)->isEnabled()) << name;
    EXPECT_TRUE(dialog.ButtonYAxis->isEnabled());
    EXPECT_TRUE(dialog.ButtonOK->isEnabled());
    dialog.Select(1);
    emit dialog.ListViewSeries->itemDoubleClicked(dialog.ListViewSeries->topLevelItem(1), 0);
    dialog.DeleteSelected();
    EXPECT_EQ(f.Order(), "RSP");
}

TEST(GraphSetUp, ClearHistoriesAsksAndKeepsTheSelectionOnTheList) {
    TGraphFixture f;
    TDialogScript script;
    TFormGraphEdit dialog(*f.Document, *f.Graph);
    // History "Yes" on Stock, then a finished run is kept for comparison.
    script.On["FormGraphItemEdit"] = [](QDialog& d) {
        static_cast<TFormGraphItemEdit&>(d).ComboBoxHistory->setCurrentText("Yes");
        d.accept();
    };
    dialog.Select(1);
    dialog.ButtonEdit->click();
    EXPECT_EQ(f.Graph->Series[1]->Run, 0);
    f.Document->Image().KeepRunForComparison();
    TFormGraphEdit again(*f.Document, *f.Graph);
    EXPECT_EQ(ListColumn(*again.ListViewSeries, 0),
              QStringList({"Rate", "Stock", "Stock [1]", "Price"}));
    EXPECT_EQ(ListColumn(*again.ListViewSeries, 2)[2], "Green");

    again.ButtonClearHistories->click();
    EXPECT_EQ(script.Hooks.Messages.takeLast(), "You must have an element selected");
    again.Select(2);
    script.Hooks.Answers = {mbNo};
    again.ButtonClearHistories->click();
    EXPECT_EQ(script.Hooks.Messages.takeLast(),
              "Are you sure you want to delete all history items for Stock");
    EXPECT_EQ(f.Graph->Series.Count(), 4);
    script.Hooks.Answers = {mbYes};
    again.ButtonClearHistories->click();
    EXPECT_EQ(ListColumn(*again.ListViewSeries, 0), QStringList({"Rate", "Stock", "Price"}));
    EXPECT_EQ(again.Selected(), 2) << "the row that took the removed one's place";

    // The last row's history goes: the selection moves up instead of pointing past the end.
    f.Document->Image().KeepRunForComparison();
    f.Graph->Series.Move(2, 3);
    TFormGraphEdit third(*f.Document, *f.Graph);
    ASSERT_EQ(ListColumn(*third.ListViewSeries, 0).last(), "Stock [1]");
    third.Select(3);
    script.Hooks.Answers = {mbYes};
    third.ButtonClearHistories->click();
    EXPECT_EQ(third.Selected(), 2);
    third.ButtonDelete->click();
    EXPECT_EQ(third.Selected(), 1);
    script.Hooks.Answers = {mbYes};
    third.ButtonClearHistories->click(); // a valid selection: asks, and finds nothing to remove
    EXPECT_EQ(script.Hooks.Messages.last(),
              "Are you sure you want to delete all history items for Stock");
    EXPECT_EQ(f.Order(), "RS");
}

TEST(GraphSetUp, SeriesEditorShowsAndKeepsWhatTheEntryHolds) {
    TGraphFixture f;
    TVariableDataLink& kept = AppendSeriesEntry(*f.Graph, *f.Element("Stock"), 0x123456);
    kept.Run = 1;
    kept.Live = false;
    AppendSeriesEntry(*f.Graph, *f.Element("Rate"), 0).SeriesKind = skDerived;
    struct TCase {
        int Row;
        QStringList Data;
        QString DataShown;
        QString ColourShown;
        bool Locked; // Data and History of a kept run
    };
    const TCase cases[] = {
        {0, {"Simulated", "Sketched"}, "Simulated", "Black", false},
        {1, {"Simulated", "Sketched", "Derived"}, "Simulated", "Red", false},
        {3, {"Simulated", "Sketched", "Derived"}, "Simulated", "Other", true},
        {4, {"Simulated", "Sketched", "Derived"}, "Derived", "Black", false},
    };
    for (const TCase& c : cases) {
        TFormGraphItemEdit editor;
        editor.Fill(*f.Graph->Series[c.Row]);
        QStringList data;
        for (int i = 0; i < editor.ComboBoxData->count(); ++i)
            data << editor.ComboBoxData->itemText(i);
        EXPECT_EQ(data, c.Data) << c.Row;
        EXPECT_EQ(editor.ComboBoxData->currentText(), c.DataShown) << c.Row;
        EXPECT_EQ(editor.ComboBoxColour->currentText(), c.ColourShown) << c.Row;
        EXPECT_EQ(editor.ComboBoxData->isEnabled(), !c.Locked) << c.Row;
        EXPECT_EQ(editor.ComboBoxHistory->isEnabled(), !c.Locked) << c.Row;
    }
    EXPECT_EQ(TFormGraphItemEdit().windowTitle(), "Edit Graph Data Series");

    // Only Display edited: the kept run keeps its colour and number, the variable its kind.
    for (int row : {3, 4}) {
        TDialogScript script;
        script.On["FormGraphItemEdit"] = [](QDialog& d) {
            static_cast<TFormGraphItemEdit&>(d).ComboBoxDisplay->setCurrentText("No");
            d.accept();
        };
        TFormGraphEdit dialog(*f.Document, *f.Graph);
        dialog.Select(row);
        dialog.ButtonEdit->click();
    }
    EXPECT_EQ(f.Graph->Series[3]->Colour, 0x123456);
    EXPECT_EQ(f.Graph->Series[3]->Run, 1);
    EXPECT_FALSE(f.Graph->Series[3]->Visible);
    EXPECT_EQ(f.Graph->Series[4]->SeriesKind, skDerived);
    EXPECT_FALSE(f.Graph->Series[4]->Visible);
}

TEST(GraphSetUp, YAxisRefusesAnEmptyRangeAndStoresAutoAsInfinities) {
    const double inf = std::numeric_limits<double>::infinity();
    struct TCase {
        bool MinAuto;
        const char* Min;
        bool MaxAuto;
        const char* Max;
        QString Error;
        double YMin, YMax;
    };
    const TCase cases[] = {
        {false, "5", false, "5", "Min value must be smaller than max value", 0, 0},
        {false, "-1.5", false, "2", "", -1.5, 2},
        {true, "9", false, "2", "", inf, 2},
        {true, "", true, "", "", inf, -inf},
        {false, "x", true, "", "Please enter a number in every field", 0, 0},
    };
    for (const TCase& c : cases) {
        TScriptedHooks hooks;
        TformGraphYAxis axis;
        axis.Fill(inf, -inf);
        axis.CheckBoxMinAuto->setChecked(c.MinAuto);
        axis.CheckBoxMaxAuto->setChecked(c.MaxAuto);
        EXPECT_EQ(axis.EditMax->isEnabled(), !c.MaxAuto);
        for (auto [edit, text] : {std::pair{axis.EditMin, c.Min}, {axis.EditMax, c.Max}})
            if (*text) {
                edit->setText(text);
                emit edit->textEdited(text);
            }
        axis.accept();
        const std::string label = std::string(c.Min) + ".." + c.Max;
        EXPECT_EQ(hooks.Messages, c.Error.isEmpty() ? QStringList() : QStringList{c.Error})
            << label;
        EXPECT_EQ(axis.result(), c.Error.isEmpty() ? QDialog::Accepted : QDialog::Rejected)
            << label;
        if (c.Error.isEmpty()) {
            EXPECT_EQ(axis.YMin(), c.YMin) << label;
            EXPECT_EQ(axis.YMax(), c.YMax) << label;
        }
    }
    // Entering a field after changing the other checks the pair at once.
    {
        TScriptedHooks hooks;
        TformGraphYAxis axis;
        axis.Fill(1, 9);
        axis.EditMax->setText("0");
        emit axis.EditMax->textEdited("0");
        QFocusEvent focusIn(QEvent::FocusIn);
        QApplication::sendEvent(axis.EditMin, &focusIn);
        QApplication::processEvents();
        EXPECT_EQ(hooks.Messages, QStringList{"Min value must be smaller than max value"});
    }
    // An automatic bound opens ticked showing 0; a fixed one unticked with its value.
    TformGraphYAxis axis;
    axis.Fill(-2.5, -inf);
    EXPECT_FALSE(axis.CheckBoxMinAuto->isChecked());
    EXPECT_EQ(axis.EditMin->text(), "-2.5");
    EXPECT_TRUE(axis.CheckBoxMaxAuto->isChecked());
    EXPECT_FALSE(axis.EditMax->isEnabled());
    EXPECT_EQ(axis.EditMax->text(), "0");
    EXPECT_TRUE(axis.windowFlags().testFlag(Qt::CustomizeWindowHint));
    EXPECT_FALSE(axis.windowFlags().testFlag(Qt::WindowCloseButtonHint));
}

TEST(GraphOptions, RowsMapToKindsAndAnUnchangedOkIsACancel) {
    // Row 0 is the Sketched kind, row 1 Simulated, row 2 Derived.
    struct TCase {
        int Row;
        uint8_t Kind;
    };
    for (const TCase& c : {TCase{0, skSketched}, TCase{1, skSimulated}, TCase{2, skDerived}}) {
        TOutputFixture f;
        const int32_t colours[3] = {f.Document->SeriesColours[0], f.Document->SeriesColours[1],
                                    f.Document->SeriesColours[2]};
        TDialogScript script;
        script.On["FormGraphSettings"] = [&](QDialog& d) {
            auto& options = static_cast<TFormGraphSettings&>(d);
            EXPECT_EQ(options.Colours[static_cast<size_t>(c.Row)], colours[c.Kind]);
            options.CheckBoxAfter[static_cast<size_t>(c.Row)]->setChecked(false);
            options.SwatchBefore[static_cast<size_t>(c.Row)]->click();
            options.accept();
        };
        script.On["ColourPicker"] = [](QDialog& d) {
            static_cast<QColorDialog&>(d).setCurrentColor(QColor(1, 2, 3));
            d.accept();
        };
        EXPECT_TRUE(OpenGraphOptions(*f.Document));
        EXPECT_TRUE(f.Document->IsModified);
        EXPECT_EQ(f.Snapshots(), 0u) << "the options are not part of the undo";
        for (uint8_t kind = 0; kind < 3; ++kind) {
            EXPECT_EQ(f.Document->SeriesShow[kind * 2], true) << c.Row;
            EXPECT_EQ(f.Document->SeriesShow[kind * 2 + 1], kind != c.Kind) << c.Row;
            EXPECT_EQ(f.Document->SeriesColours[kind], kind == c.Kind ? 0x030201 : colours[kind])
                << c.Row;
        }
        EXPECT_EQ(f.Document->Image().GraphOptions.Colours[c.Kind], qRgb(1, 2, 3));
    }

    // Ticked off and on again, OK: nothing changed, nothing marked.
    TOutputFixture f;
    TDialogScript script;
    script.On["FormGraphSettings"] = [](QDialog& d) {
        auto& options = static_cast<TFormGraphSettings&>(d);
        options.CheckBoxBefore[1]->click();
        options.CheckBoxBefore[1]->click();
        options.accept();
        EXPECT_EQ(options.result(), QDialog::Rejected);
    };
    EXPECT_FALSE(OpenGraphOptions(*f.Document));
    EXPECT_FALSE(f.Document->IsModified);
}

TEST_F(MainFormTest, GraphOptionsOpensFromTheViewMenu) {
    Start();
    Hooks.OnDialog = [](QDialog& d) {
        static_cast<TFormGraphSettings&>(d).CheckBoxBefore[2]->click();
        d.accept();
    };
    ASSERT_TRUE(Form->ActionGraphOptions->isEnabled());
    Form->ActionGraphOptions->trigger();
    EXPECT_FALSE(Form->ActiveDocument()->SeriesShow[skDerived * 2]);
    EXPECT_TRUE(Form->ActiveDocument()->IsModified);
}
