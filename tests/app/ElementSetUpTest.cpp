// Element Set-Up driven through the hooks: what reaches the model, what one showing adds to
// the undo stack, and what Cancel puts back.
#include "app/dialogs/ElementSetUp.h"
#include "app/AppTestSupport.h"
#include "app/dialogs/GraphFunctionEditor.h"
#include "app/dialogs/SetInterval.h"
#include "app/widgets/DataGrid.h"
#include "app/widgets/NumberEdit.h"
#include "app/widgets/SketchPlot.h"
#include "core/support/NumberFormat.h"
#include "document/model/DataFile.h"
#include "support/DiagramBuilder.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>

#include <cmath>

namespace {

class ElementSetUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        Model.TimeSettings(2, 6, 1);
        Price = Model.Element(ekConstant, "Price", "4");
        Sales = Model.Element(ekVariable, "Sales", "Price * 2");
        Model.Link(*Price, *Sales);
        Document.Simulation->CheckModel();
        Hooks.OnDialog = [this](QDialog& dialog) {
            if (auto* graph = qobject_cast<TFormXYGraph*>(&dialog)) {
                if (OnGraph) OnGraph(*graph);
            } else if (auto* interval = qobject_cast<TFormSetInterval*>(&dialog)) {
                interval->EditInterval->SetValue(NewInterval);
                interval->ButtonOK->click();
            } else if (auto* form = qobject_cast<TFormVariable*>(&dialog)) {
                Script(*form);
            }
        };
    }
    TDialogResult Open(TVariableObject* element, std::function<void(TFormVariable&)> script) {
        Script = std::move(script);
        return OpenElementSetUp(Document, *Model.ShapeOf(element), nullptr);
    }
    static QString Cell(TFormVariable& form, int row, int column = 1) {
        QAbstractItemModel& grid = *form.FormattedDataGridGraph->model();
        return grid.data(grid.index(row, column)).toString();
    }
    static bool SetCell(TFormVariable& form, int row, const QString& text) {
        QAbstractItemModel& grid = *form.FormattedDataGridGraph->model();
        return grid.setData(grid.index(row, 1), text, Qt::EditRole);
    }

    TDataFile Document;
    TDiagramBuilder Model{Document};
    TScriptedHooks Hooks;
    TVariableObject* Price = nullptr;
    TVariableObject* Sales = nullptr;
    std::function<void(TFormVariable&)> Script;
    std::function<void(TFormXYGraph&)> OnGraph;
    double NewInterval = 2;
};

} // namespace

TEST_F(ElementSetUpTest, NumbersAreValuesAndEquationErrorsAsk) {
    EXPECT_EQ(Open(Sales,
                   [](TFormVariable& form) {
                       form.MemoEquation->setPlainText("12.5");
                       form.ButtonOK->click();
                   }),
              TDialogResult::Accepted);
    EXPECT_EQ(Sales->Equation, "12.5");
    EXPECT_EQ(Sales->InitialValue, 12.5);
    EXPECT_TRUE(Hooks.Messages.isEmpty());

    // No to the question leaves the element as it was, compiled state and all; Yes stores.
    Sales->Equation = "Price * 2";
    Sales->Parsed = false;
    Document.Simulation->CheckModel();
    const size_t undoSteps = Document.UndoStack.size();
    EXPECT_EQ(Open(Sales,
                   [&](TFormVariable& form) {
                       form.MemoEquation->setPlainText("12,5");
                       Hooks.Answers = {mbNo};
                       form.ButtonOK->click();
                       EXPECT_EQ(form.result(), 0);
                       EXPECT_EQ(Sales->Equation, "Price * 2");
                       EXPECT_TRUE(Sales->Parsed);
                       EXPECT_FALSE(Sales->HasErrors);
                       ASSERT_TRUE(Sales->Root);
                       EXPECT_EQ(Sales->Root->EvaluateNumber(), 8);
                       EXPECT_EQ(Document.UndoStack.size(), undoSteps);
                       Hooks.Answers = {mbYes};
                       form.ButtonOK->click();
                   }),
              TDialogResult::Accepted);
    ASSERT_EQ(Hooks.Messages.size(), 2);
    EXPECT_TRUE(Hooks.Messages[0].startsWith(
        "There are errors in the equation do you wish to continue ?\n"));
    EXPECT_TRUE(Hooks.Messages[0].contains("Unknown identifier - 12,5"));
    EXPECT_EQ(Sales->Equation, "12,5");
    EXPECT_EQ(Document.UndoStack.size(), undoSteps + 1);
}

TEST_F(ElementSetUpTest, RenameWithApplyReachesEveryEquationAndReopens) {
    EXPECT_EQ(Open(Price,
                   [](TFormVariable& form) {
                       QTest::keyClicks(form.EditName, " Cost");
                       form.ButtonApply->click();
                   }),
              TDialogResult::Applied);
    EXPECT_EQ(Price->Name, "Price Cost");
    EXPECT_EQ(Sales->Equation, "Price_Cost * 2");
    EXPECT_FALSE(Sales->HasErrors);
    EXPECT_EQ(Document.UndoStack.size(), 1u);
    EXPECT_EQ(Open(Price,
                   [](TFormVariable& form) {
                       EXPECT_EQ(form.EditName->text(), "Price Cost");
                       form.ButtonOK->click(); // nothing changed: closes as Cancel
                   }),
              TDialogResult::Cancelled);
    // Names the equations cannot use keep the dialog open.
    Open(Price, [&](TFormVariable& form) {
        form.EditName->setText("a<b");
        form.ButtonOK->click();
        EXPECT_EQ(form.result(), 0);
        form.reject();
    });
    EXPECT_EQ(Hooks.Messages.value(0),
              "You have typed in an invalid name, the variable name cannot contain '<'");
}

TEST_F(ElementSetUpTest, GraphCallsAreEditedAndCreated) {
    Sales->Equation = "GRAPH(TIME, 0, 1, 1.23456, 2)";
    OnGraph = [](TFormXYGraph& editor) {
        EXPECT_EQ(editor.EditCount->text(), "2");
        editor.ButtonOK->click();
    };
    Open(Sales, [](TFormVariable& form) {
        EXPECT_TRUE(form.EditGraphAt(8));
        EXPECT_EQ(form.MemoEquation->toPlainText(), "GRAPH(TIME, 0, 1, 1.235, 2)");
        form.ButtonOK->click();
    });
    EXPECT_EQ(Sales->Equation, "GRAPH(TIME, 0, 1, 1.235, 2)");

    Sales->Equation = "Price +";
    OnGraph = [](TFormXYGraph& editor) { editor.ButtonOK->click(); };
    Open(Sales, [](TFormVariable& form) {
        form.MemoEquation->moveCursor(QTextCursor::End);
        form.XYGraphBtn->click();
        EXPECT_EQ(form.MemoEquation->toPlainText(),
                  "Price + GRAPH( , 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)");
        EXPECT_EQ(form.MemoEquation->textCursor().position(), 15);
        form.reject();
    });
    EXPECT_EQ(Sales->Equation, "Price +");
}

TEST_F(ElementSetUpTest, MouseStrokeStoresInterpolatedOffsets) {
    // Start time 2: the sketch holds offsets 0 to 4, not the times 2 to 6.
    Open(Sales, [](TFormVariable& form) {
        form.PageControlVariable->setCurrentWidget(form.TabSheetGraph);
        TSketchPlot& plot = *form.ImageGraph;
        plot.resize(400, 300);
        const TDrawRect area = plot.Areas().Plot;
        auto send = [&plot](QEvent::Type type, QPoint at, Qt::MouseButton button,
                            Qt::MouseButtons held) {
            QMouseEvent event(type, QPointF(at), plot.mapToGlobal(QPointF(at)), button, held,
                              Qt::NoModifier);
            QApplication::sendEvent(&plot, &event);
        };
        send(QEvent::MouseButtonPress, {area.Left, area.Bottom}, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, {area.Right, area.Top}, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, {area.Right, area.Top}, Qt::LeftButton, Qt::NoButton);
        const QStringList values = {"0", "2.5", "5", "7.5", "10"};
        for (int row = 0; row < 5; ++row) {
            EXPECT_EQ(Cell(form, row), values[row]) << row;
            EXPECT_EQ(Cell(form, row, 0), QString::number(row + 2)) << row;
        }
        EXPECT_EQ(form.VariableStatusBar->currentMessage(), "X : 6 , Y : 10");
        form.ButtonOK->click();
    });
    ASSERT_EQ(Sales->Sketched.Count(), 5);
    EXPECT_EQ(Sales->Sketched.Points[4].Time, 4);
    EXPECT_EQ(Sales->Sketched.Points[1].Value, 2.5);
    EXPECT_EQ(Document.UndoStack.size(), 1u);
}

TEST_F(ElementSetUpTest, OpeningKeepsOffGridPointsAndEditsAreOneUndoStep) {
    Sales->Sketched.Points = {{0, 1}, {0.5, 7}, {1, 2}};
    const TDateTime opened = Document.Modified;
    const std::string before = Document.SavedText();
    Open(Sales, [](TFormVariable& form) {
        EXPECT_EQ(Cell(form, 0), "1");
        EXPECT_EQ(Cell(form, 1), "2");
        form.reject();
    });
    EXPECT_EQ(Sales->Sketched.Count(), 3);
    EXPECT_FALSE(Document.IsModified);
    EXPECT_TRUE(Document.UndoStack.empty());

    // Sketch edits, a scale and a name: one snapshot, taken before the first of them.
    Open(Sales, [](TFormVariable& form) {
        EXPECT_TRUE(SetCell(form, 2, "4"));
        EXPECT_TRUE(SetCell(form, 1, "")); // an emptied cell removes the point
        EXPECT_FALSE(SetCell(form, 3, "abc"));
        QCoreApplication::processEvents(); // the posted invalid-number message
        form.SingleEditUpperY->selectAll();
        QTest::keyClicks(form.SingleEditUpperY, "20");
        form.EditName->setText("Revenue");
        form.ButtonOK->click();
    });
    EXPECT_EQ(Hooks.Messages,
              QStringList{"The data that you have entered is not a valid number.  The original "
                          "data value will be used."});
    EXPECT_EQ(Sales->Name, "Revenue");
    EXPECT_EQ(Sales->UpperY, 20);
    EXPECT_EQ(Sales->Sketched.Count(), 3); // (0, 1), (0.5, 7) and (2, 4)
    EXPECT_EQ(Document.UndoStack.size(), 1u);
    Document.Undo();
    Document.Modified = opened; // the time of the last change moves on; the model does not
    EXPECT_EQ(Document.SavedText(), before);
}

TEST_F(ElementSetUpTest, CancelRestoresPointsIntervalAndFormat) {
    Sales->Sketched.Points = {{0, 1}, {1, 2}};
    Open(Sales, [&](TFormVariable& form) {
        Hooks.Answers = {mbYes, mbOK};
        form.PressClear();
        EXPECT_TRUE(Sales->Sketched.IsEmpty());
        form.SetDataFormat(true);
        form.PressTimeInterval(); // 2, after "Changing the interval will clear all data"
        EXPECT_EQ(Sales->Sketched.Interval, 2);
        EXPECT_EQ(form.FormattedDataGridGraph->model()->rowCount(), 3);
        EXPECT_TRUE(form.Changed);
        form.ButtonCancel->click();
    });
    EXPECT_EQ(Sales->Sketched.Count(), 2);
    EXPECT_EQ(Sales->Sketched.Interval, 1);
    EXPECT_FALSE(Sales->Sketched.Stepwise);
    EXPECT_FALSE(Document.IsModified);
    EXPECT_TRUE(Document.UndoStack.empty());
}

TEST_F(ElementSetUpTest, PastesGoToTheValueColumnOnly) {
    QApplication::clipboard()->setText("5\r\n6\r\n7");
    Open(Sales, [](TFormVariable& form) {
        TDataGrid& grid = *form.FormattedDataGridGraph;
        grid.setCurrentIndex(grid.model()->index(1, 0)); // the Time column
        grid.Paste();
        EXPECT_EQ(Cell(form, 1, 0), "3");
        EXPECT_EQ(Cell(form, 1), "5");
        EXPECT_EQ(Cell(form, 3), "7");
        grid.CopyTable(); // under the element's name, with the headings
        EXPECT_TRUE(QApplication::clipboard()->text().startsWith(
            "Sales\r\nTime\tValue\r\n2\t\r\n3\t5\r\n"));
        form.ButtonOK->click();
    });
    ASSERT_EQ(Sales->Sketched.Count(), 3);
    EXPECT_EQ(Sales->Sketched.Points[0].Time, 1);
    EXPECT_EQ(Sales->Sketched.Points[2].Value, 7);
}

TEST_F(ElementSetUpTest, DuringARunOnlyTheCurrentValueOfAPlainConstantChanges) {
    Document.Simulation->AtStart = false;
    Document.Simulation->CurrentTime = 3;
    Open(Sales, [&](TFormVariable& form) {
        EXPECT_FALSE(form.XYGraphBtn->isEnabled());
        EXPECT_FALSE(form.ImageGraph->SketchEnabled);
        EXPECT_TRUE(form.MemoEquation->isReadOnly());
        form.SketchAt(0.5, 0.5, true);
        EXPECT_FALSE(SetCell(form, 1, "3"));
        EXPECT_TRUE(Sales->Sketched.IsEmpty());
        form.ButtonCancel->click();
    });
    Open(Price, [](TFormVariable& form) {
        EXPECT_EQ(form.LabelEquation->text(), "Current Value:");
        EXPECT_FALSE(form.SingleEditValue->isHidden());
        form.SingleEditValue->selectAll();
        QTest::keyClicks(form.SingleEditValue, "7");
        form.ButtonOK->click();
    });
    EXPECT_EQ(Price->Value, 7);
    EXPECT_EQ(Price->Equation, "4");

    // A finished run warns once that nothing can change until it is reset.
    Document.Simulation->CurrentTime = 6;
    for (int showing = 0; showing < 2; ++showing)
        Open(Price, [](TFormVariable& form) {
            EXPECT_TRUE(form.SingleEditValue->isReadOnly());
            form.ButtonCancel->click();
        });
    EXPECT_EQ(
        Hooks.Messages,
        QStringList{"You must reset the simulation before you can make changes to any elements"});
}

TEST_F(ElementSetUpTest, UnusableIntervalsLeaveNoGridUntilMended) {
    // (A file can hold no interval that is not a number: loading refuses it.)
    for (double interval : {0.0, -1.0}) {
        Sales->Sketched.Interval = interval;
        Open(Sales, [&](TFormVariable& form) {
            EXPECT_EQ(form.FormattedDataGridGraph->model()->rowCount(), 0);
            EXPECT_FALSE(form.LabelGridNote->text().isEmpty());
            EXPECT_FALSE(form.ImageGraph->SketchEnabled);
            form.ImageGraph->resize(300, 200);
            EXPECT_FALSE(form.ImageGraph->grab().isNull());
            NewInterval = 1;
            Hooks.Answers = {mbOK};
            form.PressTimeInterval();
            EXPECT_EQ(form.FormattedDataGridGraph->model()->rowCount(), 5);
            form.ButtonCancel->click();
        });
    }
    Sales->Sketched.Interval = 1e-9;
    Open(Sales, [](TFormVariable& form) {
        EXPECT_EQ(form.FormattedDataGridGraph->model()->rowCount(), MaxSketchRows);
        EXPECT_TRUE(form.LabelGridNote->text().startsWith("Only the first"));
        form.ButtonCancel->click();
    });
}

TEST(GraphFunctionEditor, CountIncrementAndScaleStaySound) {
    TScriptedHooks hooks;
    TDataSeries table;
    for (int i = 0; i < 1200; ++i)
        table.Points.push_back({static_cast<double>(i), std::nan("")});
    table.Points[1].Value = 1e300;
    table.Interval = 1;
    TFormXYGraph editor;
    hooks.OnDialog = [&](QDialog&) {
        int32_t whole = 0;
        EXPECT_TRUE(TryStrToInt(S(editor.EditUpperY->text()), whole));
        EXPECT_TRUE(TryStrToInt(S(editor.EditLowerY->text()), whole));
        EXPECT_TRUE(editor.ApplyCount()); // tabbing through keeps the 1200 values
        editor.EditCount->selectAll();
        QTest::keyClicks(editor.EditCount, "1500");
        editor.ApplyCount();
        EXPECT_EQ(editor.Table.Count(), 1200);
        editor.EditXIncrement->selectAll();
        QTest::keyClicks(editor.EditXIncrement, "0.0004");
        EXPECT_FALSE(editor.ApplyXIncrement());
        EXPECT_EQ(hooks.Messages.value(0), "The X increment must be greater than 0");
        editor.EditCount->selectAll();
        QTest::keyClicks(editor.EditCount, "1");
        editor.ApplyCount();
        editor.ImageGraph->resize(400, 300);
        EXPECT_FALSE(editor.ImageGraph->grab().isNull()); // one value still has a width
        editor.ButtonOK->click();
    };
    ASSERT_TRUE(editor.Edit(table));
    EXPECT_EQ(table.Count(), 1);
    EXPECT_EQ(table.Interval, 1);
}

TEST_F(ElementSetUpTest, OKStoresTheValueStillBeingTyped) {
    Open(Sales, [](TFormVariable& form) {
        form.show();
        form.PageControlVariable->setCurrentWidget(form.TabSheetGraph);
        TDataGrid& grid = *form.FormattedDataGridGraph;
        const QModelIndex cell = grid.model()->index(2, 1);
        grid.setCurrentIndex(cell);
        grid.edit(cell);
        auto* editor = grid.viewport()->findChild<QLineEdit*>();
        ASSERT_TRUE(editor);
        editor->setText("9");
        form.ButtonOK->click();
    });
    ASSERT_EQ(Sales->Sketched.Count(), 1);
    EXPECT_EQ(Sales->Sketched.Points[0].Time, 2);
    EXPECT_EQ(Sales->Sketched.Points[0].Value, 9);
}

TEST_F(ElementSetUpTest, LaterBuiltinsAreListedWithTheirHelpAndInserted) {
    Open(Sales, [](TFormVariable& form) {
        QTreeWidget& tree = *form.TreeNTEquationElements;
        QTreeWidgetItem* general = nullptr;
        for (int i = 0; i < tree.topLevelItemCount(); ++i)
            if (tree.topLevelItem(i)->text(0) == "General Functions")
                general = tree.topLevelItem(i);
        ASSERT_TRUE(general);
        QStringList names;
        for (int i = 0; i < general->childCount(); ++i)
            names << general->child(i)->text(0);
        // After the general functions that were there before, in the order of the list.
        EXPECT_EQ(names.mid(names.indexOf("IF") + 1),
                  QStringList({"SIN", "COS", "TAN", "ARCSIN", "ARCCOS", "ARCTAN", "INIT",
                               "PREVIOUS", "HISTORY", "MODULO", "PULSETRAIN", "TREND"}));
        const struct {
            const char* Name;
            const char* Help;
        } helps[] = {{"SIN", "SIN(AngleInRadians)"},
                     {"PULSETRAIN", "PULSETRAIN(FirstTime, Width, IntervalTime, LastTime)"},
                     {"TREND", "TREND(InputValue, AveragingTime, InitialTrend)"}};
        for (const auto& h : helps) {
            emit tree.itemClicked(general->child(names.indexOf(h.Name)), 0);
            EXPECT_EQ(form.VariableStatusBar->currentMessage(), h.Help);
        }
        form.MemoEquation->setPlainText("Price *");
        form.MemoEquation->moveCursor(QTextCursor::End);
        emit tree.itemDoubleClicked(general->child(names.indexOf("PREVIOUS")), 0);
        EXPECT_EQ(form.MemoEquation->toPlainText(), "Price * PREVIOUS( )");
        form.ButtonCancel->click();
    });
    EXPECT_EQ(Sales->Equation, "Price * 2");
}

TEST_F(ElementSetUpTest, NonNegativeIsOfferedForResourcesAndFlowsAndUndoes) {
    TVariableObject* stock = Model.Element(ekResource, "Stock", "10");
    TVariableObject* drain = Model.Element(ekFlow, "Drain", "3");
    const std::string before = Document.SavedText();
    const size_t undoSteps = Document.UndoStack.size();
    for (TVariableObject* element : {Price, Sales, stock, drain}) {
        SCOPED_TRACE(element->Name);
        const bool offered = element == stock || element == drain;
        Open(element, [&](TFormVariable& form) {
            EXPECT_EQ(form.CheckBoxNonNegative->isVisibleTo(&form), offered);
            EXPECT_FALSE(form.CheckBoxNonNegative->isChecked());
            if (offered) form.CheckBoxNonNegative->click();
            form.ButtonOK->click();
        });
        EXPECT_EQ(element->NonNegative, offered);
    }
    // One undo step each, and undoing them gives the model back as it was (its record
    // begins on the fourth line, after the dates that the edits changed).
    ASSERT_EQ(Document.UndoStack.size(), undoSteps + 2);
    Document.Undo();
    Document.Undo();
    auto model = [](const std::string& text) {
        size_t at = 0;
        for (int line = 0; line < 3; ++line)
            at = text.find("\r\n", at) + 2;
        return text.substr(at);
    };
    EXPECT_EQ(model(Document.SavedText()), model(before));
}
