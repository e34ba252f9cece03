// The Graph page of Element Set-Up: the sketched series as a grid of values at the sketch
// interval and as a graph to draw on. Filling the page only shows the series; it changes
// through the user's edits alone, each taking the showing's undo snapshot first.
#include "app/dialogs/ElementSetUp.h"

#include "app/Utilities.h"
#include "app/dialogs/SetInterval.h"
#include "app/widgets/DataGrid.h"
#include "app/widgets/NumberEdit.h"
#include "app/widgets/SketchPlot.h"
#include "core/model/SimulationObjects.h"
#include "core/support/NumberFormat.h"
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"
#include "document/model/DocumentEdits.h"
#include "document/output/GraphDrawing.h"

#include <QAbstractTableModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const char* const InvalidNumberText =
    "The data that you have entered is not a valid number.  The original data value will be "
    "used.";

// The point at offset, if any; points are sorted by time.
const TDataPoint* PointAt(const TDataSeries& series, double offset) {
    auto it =
        std::lower_bound(series.Points.begin(), series.Points.end(), offset - FloatTolerance,
                         [](const TDataPoint& point, double time) { return point.Time < time; });
    if (it == series.Points.end() || !SameValue(it->Time, offset)) return nullptr;
    return &*it;
}

} // namespace

// The grid's rows, made from the sketch as they are asked for.
class TSketchTableModel : public QAbstractTableModel {
public:
    explicit TSketchTableModel(TFormVariable& form) : QAbstractTableModel(&form), Form(form) {}
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() || !Form.Element ? 0 : Form.Grid.Rows;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 2;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        return section == 0 ? "Time" : "Value";
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (index.column() == 1 && Form.SketchEditable()) f |= Qt::ItemIsEditable;
        return f;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || !Form.Element || index.row() >= Form.Grid.Rows) return {};
        if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
        const double offset = Form.Grid.Offset(index.row());
        if (index.column() == 0)
            return Q(FormatFloat("###0.#####", Form.Element->Simulation()->StartTime + offset));
        const TDataPoint* point = PointAt(Form.Element->Sketched, offset);
        if (!point) return QString();
        QString text = Q(GridValueText(point->Value));
        if (role == Qt::EditRole) text.remove(',');
        return text;
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (role != Qt::EditRole || index.column() != 1 || !Form.SketchEditable() ||
            index.row() >= Form.Grid.Rows)
            return false;
        const QString text = value.toString().remove(',').trimmed();
        const double offset = Form.Grid.Offset(index.row());
        TDataSeries& sketch = Form.Element->Sketched;
        double number = 0;
        if (!text.isEmpty() && !TryStrToFloat(S(text), number)) {
            // Posted: the editor may be closing on a focus change.
            QTimer::singleShot(0, &Form, [form = &Form] {
                ShowMessage(TMessageKind::Warning, InvalidNumberText, mbOK, form);
            });
            return false;
        }
        const TDataPoint* point = PointAt(sketch, offset);
        if (text.isEmpty() ? !point : (point && point->Value == number)) return true;
        Form.BeforeSketchChange();
        if (text.isEmpty())
            sketch.RemovePoint(offset);
        else
            sketch.AddPoint(offset, number);
        Form.AfterSketchChange();
        return true;
    }
    void Reload() {
        beginResetModel();
        endResetModel();
    }
    void RowsChanged() {
        if (Form.Grid.Rows > 0) emit dataChanged(index(0, 1), index(Form.Grid.Rows - 1, 1));
    }
    TFormVariable& Form;
};

QWidget* TFormVariable::BuildGraphPage() {
    auto* page = new QWidget(this);
    page->setObjectName("TabSheetGraph");
    SketchModel = new TSketchTableModel(*this);
    FormattedDataGridGraph = new TDataGrid(page);
    FormattedDataGridGraph->setObjectName("FormattedDataGridGraph");
    FormattedDataGridGraph->setAccessibleName("Sketched data");
    FormattedDataGridGraph->setModel(SketchModel);
    FormattedDataGridGraph->ValueColumn = 1;
    FormattedDataGridGraph->setMinimumWidth(180);
    FormattedDataGridGraph->PopupMenu->addSeparator();
    ActionClear = FormattedDataGridGraph->PopupMenu->addAction("Clear");
    ActionReset = FormattedDataGridGraph->PopupMenu->addAction("Reset");

    ImageGraph = new TSketchPlot(page);
    ImageGraph->setObjectName("ImageGraph");
    ImageGraph->setAccessibleName("Sketch graph");
    SingleEditUpperY = new TNumberEdit(ImageGraph, 0, true);
    SingleEditUpperY->setObjectName("SingleEditUpperY");
    SingleEditUpperY->setAccessibleName("Upper Y Value");
    SingleEditLowerY = new TNumberEdit(ImageGraph, 0, true);
    SingleEditLowerY->setObjectName("SingleEditLowerY");
    SingleEditLowerY->setAccessibleName("Lower Y Value");
    ImageGraph->SetScaleEdits(SingleEditUpperY, SingleEditLowerY);
    ImageGraph->Painter = [this](QPainter& canvas, const TSketchPlot::TAreas& areas) {
        if (!Element) return;
        const TSimulationObject& model = *Element->Simulation();
        TTickList fixed;
        const bool fewRows = Grid.Usable && Grid.Rows <= 10;
        if (fewRows) {
            fixed.push_back("Time");
            for (int32_t row = 0; row < Grid.Rows; ++row)
                fixed.push_back(FormatFloat("###0.#####", model.StartTime + Grid.Offset(row)));
        }
        const TTickList timeTicks = CalcTimeTicks(model.TimeUnit, fewRows ? &fixed : nullptr,
                                                  model.StopTime, model.StartTime);
        const TTickList valueTicks = CalcValueTicks(Element->UpperY, Element->LowerY);
        DrawValueLabelsBetween(areas.ValueLabels, canvas, valueTicks, 8, Element->UpperY,
                               Element->LowerY);
        DrawTimeLabels(areas.TimeLabels, canvas, model.TimeUnit, 8, timeTicks, model.StopTime,
                       model.StartTime);
        const TGraphOptions options =
            Document && Document->Views.Image ? Document->Image().GraphOptions : TGraphOptions{};
        DrawVariableGraph(*Element, areas.Plot, canvas, &timeTicks, &valueTicks, Element->UpperY,
                          Element->LowerY, false, true, options);
    };

    RadioGroupDataFormat = new QGroupBox("Data Format", page);
    RadioGroupDataFormat->setObjectName("RadioGroupDataFormat");
    RadioStep = new QRadioButton("Step", RadioGroupDataFormat);
    RadioStep->setObjectName("RadioStep");
    RadioInterpolate = new QRadioButton("Interpolate", RadioGroupDataFormat);
    RadioInterpolate->setObjectName("RadioInterpolate");
    auto* format = new QHBoxLayout(RadioGroupDataFormat);
    format->addWidget(RadioStep);
    format->addWidget(RadioInterpolate);
    ButtonClear = new QPushButton("Clear", page);
    ButtonClear->setObjectName("ButtonClear");
    ButtonReset = new QPushButton("Reset", page);
    ButtonReset->setObjectName("ButtonReset");
    IntervalBtn = new QPushButton("Time Interval", page);
    IntervalBtn->setObjectName("IntervalBtn");
    LabelGridNote = new QLabel(page);
    LabelGridNote->setObjectName("LabelGridNote");
    LabelGridNote->setWordWrap(true);

    auto* controls = new QHBoxLayout;
    controls->addWidget(RadioGroupDataFormat);
    controls->addWidget(ButtonClear);
    controls->addWidget(ButtonReset);
    controls->addWidget(IntervalBtn);
    controls->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(ImageGraph, 1);
    right->addLayout(controls);
    auto* left = new QVBoxLayout;
    left->addWidget(FormattedDataGridGraph, 1);
    left->addWidget(LabelGridNote);
    auto* layout = new QHBoxLayout(page);
    layout->addLayout(left);
    layout->addLayout(right, 1);

    auto guarded = [this](auto work) { return [this, work] { RunGuarded(work, this); }; };
    connect(ImageGraph, &TSketchPlot::Stroke, this, [this](double x, double y, bool first) {
        RunGuarded([&] { SketchAt(x, y, first); }, this);
    });
    connect(ImageGraph, &TSketchPlot::Hover, this, [this](double x, double y) {
        if (!Element || !Grid.Usable || Grid.Rows == 0) return;
        const int32_t row = Grid.RowAt(x);
        VariableStatusBar->showMessage(
            Q("X : " + FormatFloat("0.###", Element->Simulation()->StartTime + Grid.Offset(row)) +
              " , Y : " +
              FormatFloat("0.##", Element->LowerY + (Element->UpperY - Element->LowerY) * y)));
    });
    connect(ImageGraph, &TSketchPlot::LeftPlot, VariableStatusBar, &QStatusBar::clearMessage);
    for (TNumberEdit* edit : {SingleEditUpperY, SingleEditLowerY}) {
        connect(edit, &QLineEdit::textEdited, this, guarded([this] { ApplyScale(false); }));
        // Handled once the focus has moved on: no message box inside a focus change.
        connect(edit, &QLineEdit::editingFinished, this, guarded([this] { ApplyScale(true); }),
                Qt::QueuedConnection);
    }
    connect(RadioStep, &QRadioButton::clicked, this, guarded([this] { SetDataFormat(true); }));
    connect(RadioInterpolate, &QRadioButton::clicked, this,
            guarded([this] { SetDataFormat(false); }));
    connect(ButtonClear, &QPushButton::clicked, this, guarded([this] { PressClear(); }));
    connect(ActionClear, &QAction::triggered, this, guarded([this] { PressClear(); }));
    connect(ButtonReset, &QPushButton::clicked, this, guarded([this] { PressReset(); }));
    connect(ActionReset, &QAction::triggered, this, guarded([this] { PressReset(); }));
    connect(IntervalBtn, &QPushButton::clicked, this, guarded([this] { PressTimeInterval(); }));
    return page;
}

bool TFormVariable::SketchEditable() const {
    return Element && Grid.Usable && !RunBegun();
}

void TFormVariable::BuildGrid() {
    const TSimulationObject& model = *Element->Simulation();
    Grid = MakeSketchGrid(model.StartTime, model.StopTime, Element->Sketched.Interval);
    SketchModel->Reload();
    FormattedDataGridGraph->CopyTitle = Q(Element->Name);
    // An interval that cannot make rows leaves the graph drawn and Time Interval to mend it.
    ImageGraph->SketchEnabled = SketchEditable() && !Grid.Capped;
    if (!Grid.Usable)
        LabelGridNote->setText("This time interval cannot be shown as a grid; choose another "
                               "with Time Interval.");
    else if (Grid.Capped)
        LabelGridNote->setText(QString("Only the first %1 rows are shown; choose a larger "
                                       "interval with Time Interval to see them all.")
                                   .arg(Grid.Rows));
    else
        LabelGridNote->clear();
    LabelGridNote->setVisible(!LabelGridNote->text().isEmpty());
    if (Grid.Rows > 0) FormattedDataGridGraph->setCurrentIndex(SketchModel->index(0, 1));
    PreviousRow = -1;
    ImageGraph->update();
}

void TFormVariable::SetScaleFields() {
    SingleEditUpperY->SetValue(Element->UpperY);
    SingleEditLowerY->SetValue(Element->LowerY);
}

void TFormVariable::RefreshSketch() {
    SketchModel->RowsChanged();
    ImageGraph->update();
}

void TFormVariable::BeforeSketchChange() {
    Edit->Touch();
}

void TFormVariable::AfterSketchChange() {
    Changed = true;
    RefreshSketch();
}

void TFormVariable::SketchAt(double x, double y, bool first) {
    if (!SketchEditable() || Grid.Capped || Grid.Rows == 0) return;
    const int32_t row = Grid.RowAt(x);
    const double value =
        Element->LowerY + (Element->UpperY - Element->LowerY) * std::clamp(y, 0.0, 1.0);
    BeforeSketchChange();
    // Offsets from the start time, as the grid stores them.
    SketchStroke(Element->Sketched, Grid, first ? -1 : PreviousRow, PreviousValue, row, value);
    PreviousRow = row;
    PreviousValue = value;
    AfterSketchChange();
}

bool TFormVariable::ApplyScale(bool leaving) {
    if (!Element || Filling) return false;
    const std::optional<double> upper = SingleEditUpperY->Value();
    const std::optional<double> lower = SingleEditLowerY->Value();
    if (upper && lower && *upper >= *lower + FloatTolerance) {
        const double newUpper = std::trunc(*upper), newLower = std::trunc(*lower);
        if (newUpper != Element->UpperY || newLower != Element->LowerY) {
            Edit->Touch();
            ScaleChanged = true;
            Element->UpperY = newUpper;
            Element->LowerY = newLower;
            ImageGraph->update();
        }
        return true;
    }
    if (!leaving) return false;
    ShowMessage(TMessageKind::Warning, "Upper Y Value must be at least 1 more than Lower Y Value",
                mbOK, this);
    SetScaleFields();
    return false;
}

void TFormVariable::SetDataFormat(bool stepwise) {
    if (RunBegun() || Element->Sketched.Stepwise == stepwise) return;
    BeforeSketchChange();
    Element->Sketched.Stepwise = stepwise;
    AfterSketchChange();
}

void TFormVariable::PressTimeInterval() {
    if (RunBegun()) return;
    const TSimulationObject& model = *Element->Simulation();
    TFormSetInterval form(this);
    form.Set(Element->Sketched.Interval, model.StopTime - model.StartTime);
    if (Hooks().Exec(form) != QDialog::Accepted) return;
    BeforeSketchChange();
    Element->Sketched.Interval = form.Interval();
    Element->Sketched.Clear();
    BuildGrid();
    AfterSketchChange();
}

void TFormVariable::PressClear() {
    if (RunBegun()) return;
    if (ShowMessage(TMessageKind::Confirmation,
                    "Are you sure you want to clear the sketched data ?", mbYes | mbNo,
                    this) != mbYes)
        return;
    BeforeSketchChange();
    Element->Sketched.Clear();
    BuildGrid();
    AfterSketchChange();
}

void TFormVariable::PressReset() {
    if (RunBegun()) return;
    BeforeSketchChange();
    Element->Sketched.Assign(ShownSketch);
    if (std::round(ShownLowerY) != Element->LowerY || std::round(ShownUpperY) != Element->UpperY)
        ScaleChanged = true;
    Element->LowerY = std::round(ShownLowerY);
    Element->UpperY = std::round(ShownUpperY);
    Filling = true;
    SetScaleFields();
    (Element->Sketched.Stepwise ? RadioStep : RadioInterpolate)->setChecked(true);
    Filling = false;
    BuildGrid();
    AfterSketchChange();
}
