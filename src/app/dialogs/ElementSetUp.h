#pragma once
// "Element Set-Up": an element's name, units, equation and notes on one page, its sketched
// data as a grid and a graph to draw on on the other. Field changes reach the model at OK or
// Apply; sketch edits at once, and Cancel puts the sketch back. Everything one showing
// changes is one undo step.

#include "app/dialogs/ObjectDialogs.h"
#include "core/model/DataSeries.h"
#include "core/model/ElementRules.h"

#include <QCheckBox>
#include <QDialog>

#include <memory>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class TDataFile;
class TDataGrid;
class TDocumentEdit;
class TNumberEdit;
class TSketchPlot;
class TSketchTableModel;
class TVariableObject;

class TFormVariable : public QDialog {
    Q_OBJECT
public:
    explicit TFormVariable(QWidget* parent = nullptr);
    ~TFormVariable() override;

    // Fills the dialog from element and starts a showing: nothing changed yet.
    void ShowFor(TDataFile& document, TVariableObject& element);
    // How the showing ended.
    TDialogResult Outcome = TDialogResult::Cancelled;

    // The buttons.
    void PressOK();
    void PressApply();
    void reject() override;

    // Equation aids: the GRAPH call at position (a double click there), the "XY Graph"
    // button, and a double click on a tree node.
    bool EditGraphAt(int position);
    void PressXYGraph();
    void InsertTreeItem(QTreeWidgetItem* item);
    void ShowTreeHelp(QTreeWidgetItem* item);

    // Sketch page.
    void SketchAt(double x, double y, bool first);
    bool ApplyScale(bool leaving);
    void SetDataFormat(bool stepwise);
    void PressTimeInterval();
    void PressClear();
    void PressReset();
    // Before and after every change of the sketched series.
    void BeforeSketchChange();
    void AfterSketchChange();

    bool RunBegun() const;
    // Grid and mouse may change the sketch.
    bool SketchEditable() const;

    TDataFile* Document = nullptr;
    TVariableObject* Element = nullptr;
    bool Changed = false;
    TSketchGrid Grid;

    QTabWidget* PageControlVariable;
    QWidget* TabSheetEquation;
    QWidget* TabSheetGraph;
    QLineEdit* EditName;
    QComboBox* ComboBoxUnits;
    QCheckBox* CheckBoxNonNegative; // Resources and Flows only
    QLabel* LabelEquation;
    QPlainTextEdit* MemoEquation;
    TNumberEdit* SingleEditValue;
    QPlainTextEdit* MemoNotes;
    QTreeWidget* TreeNTEquationElements;
    QPushButton* XYGraphBtn;
    TDataGrid* FormattedDataGridGraph;
    TSketchPlot* ImageGraph;
    TNumberEdit* SingleEditUpperY;
    TNumberEdit* SingleEditLowerY;
    QGroupBox* RadioGroupDataFormat;
    QRadioButton* RadioStep;
    QRadioButton* RadioInterpolate;
    QPushButton* ButtonClear;
    QPushButton* ButtonReset;
    QPushButton* IntervalBtn;
    QLabel* LabelGridNote;
    QPushButton* ButtonOK;
    QPushButton* ButtonCancel;
    QPushButton* ButtonApply;
    QStatusBar* VariableStatusBar;
    QAction* ActionClear;
    QAction* ActionReset;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildEquationPage();
    QWidget* BuildGraphPage();
    void FillTree();
    void SetReadOnly(bool readOnly, bool valueField);
    // The OK processing; true when the dialog may close.
    bool ApplyChanges();
    void Close(TDialogResult outcome);
    void BuildGrid();
    void SetScaleFields();
    void RefreshSketch();
    void ReplaceEquation(const std::string& text, size_t cursor);
    void MarkChanged();

    TSketchTableModel* SketchModel;
    std::unique_ptr<TDocumentEdit> Edit;
    TDataSeries ShownSketch;
    double ShownLowerY = 0;
    double ShownUpperY = 10;
    bool Filling = false;
    bool ScaleChanged = false;
    int32_t PreviousRow = -1;
    double PreviousValue = 0;
};
