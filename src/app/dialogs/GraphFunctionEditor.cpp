#include "app/dialogs/GraphFunctionEditor.h"

#include "app/Utilities.h"
#include "app/widgets/DataGrid.h"
#include "app/widgets/NumberEdit.h"
#include "app/widgets/SketchPlot.h"
#include "core/model/ElementRules.h"
#include "core/support/NumberFormat.h"
#include "document/output/LookupGraph.h"

#include <QAbstractTableModel>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr double SmallestIncrement = 0.001; // what "0.###" still writes back as more than 0
constexpr int32_t MaxCount = 1000;
const char* const InvalidNumberText =
    "The data that you have entered is not a valid number.  The original data value will be "
    "used.";

} // namespace

// The table's rows, made from the table as they are asked for.
class TLookupTableModel : public QAbstractTableModel {
public:
    explicit TLookupTableModel(TFormXYGraph& form) : QAbstractTableModel(&form), Form(form) {}
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : Form.Table.Count();
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 2;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        return section == 0 ? "  X Value" : "  Y Value";
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (index.column() == 1) f |= Qt::ItemIsEditable;
        return f;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= Form.Table.Count()) return {};
        if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
        const size_t row = static_cast<size_t>(index.row());
        if (index.column() == 0)
            return Q(FormatFloat("#0.#######", Form.Table.Origin + row * Form.Table.Interval));
        QString text = Q(GridValueText(Form.Table.Points[row].Value));
        if (role == Qt::EditRole) text.remove(',');
        return text;
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (role != Qt::EditRole || index.column() != 1 || index.row() >= Form.Table.Count())
            return false;
        double number = 0;
        if (!TryStrToFloat(S(value.toString().remove(',')), number)) {
            // Posted: the editor may be closing on a focus change.
            QTimer::singleShot(0, &Form, [form = &Form] {
                ShowMessage(TMessageKind::Warning, InvalidNumberText, mbOK, form);
            });
            return false;
        }
        Form.Table.Points[static_cast<size_t>(index.row())].Value = number;
        emit dataChanged(index, index);
        Form.ImageGraph->update();
        return true;
    }
    void Reload() {
        beginResetModel();
        endResetModel();
    }
    TFormXYGraph& Form;
};

TFormXYGraph::TFormXYGraph(QWidget* parent) : QDialog(parent) {
    setObjectName("FormXYGraph");
    setWindowTitle("Set Graph Function");
    auto field = [this](TNumberEdit* edit, const char* name, const QString& caption,
                        QFormLayout* form) {
        edit->setObjectName(name);
        auto* label = new QLabel(caption, this);
        label->setBuddy(edit);
        edit->setAccessibleName(caption.chopped(2));
        form->addRow(label, edit);
    };
    auto* form = new QFormLayout;
    EditCount = new TNumberEdit(this, 0, true);
    field(EditCount, "EditCount", "No. of Y Values :", form);
    EditXStart = new TNumberEdit(this, -1);
    field(EditXStart, "EditXStart", "X Start Value :", form);
    EditXIncrement = new TNumberEdit(this, -1);
    field(EditXIncrement, "EditXIncrement", "X Increment :", form);

    Model = new TLookupTableModel(*this);
    GridData = new TDataGrid(this);
    GridData->setObjectName("StringGridData");
    GridData->setAccessibleName("Table values");
    GridData->setModel(Model);
    GridData->ValueColumn = 1;
    GridData->setMinimumWidth(190);

    ImageGraph = new TSketchPlot(this);
    ImageGraph->setObjectName("ImageGraph");
    ImageGraph->setAccessibleName("Graph function");
    EditUpperY = new TNumberEdit(ImageGraph, 0, true);
    EditUpperY->setObjectName("SingleEditUpperY");
    EditUpperY->setAccessibleName("Upper Y Value");
    EditLowerY = new TNumberEdit(ImageGraph, 0, true);
    EditLowerY->setObjectName("SingleEditLowerY");
    EditLowerY->setAccessibleName("Lower Y Value");
    ImageGraph->SetScaleEdits(EditUpperY, EditLowerY);
    ImageGraph->setMinimumSize(420, 300);
    ImageGraph->Painter = [this](QPainter& canvas, const TSketchPlot::TAreas& areas) {
        const double end = LookupGraphEnd(Table.Points.size(), Table.Origin, Table.Interval);
        TTickList fixed;
        if (Model->rowCount() <= 10) {
            fixed.push_back("  X Value");
            for (int row = 0; row < Model->rowCount(); ++row)
                fixed.push_back(S(Model->data(Model->index(row, 0), Qt::DisplayRole).toString()));
        }
        const TTickList xTicks =
            CalcTimeTicks("Years", Model->rowCount() <= 10 ? &fixed : nullptr, end, Table.Origin);
        const TTickList valueTicks = CalcValueTicks(Upper, Lower);
        DrawValueLabelsBetween(areas.ValueLabels, canvas, valueTicks, 8, Upper, Lower);
        DrawTimeLabels(areas.TimeLabels, canvas, "X Value", 8, xTicks, end, Table.Origin);
        DrawLookupGraph(Table.Points, Table.Origin, Table.Interval, areas.Plot, canvas, xTicks,
                        valueTicks, Upper, Lower);
    };

    ButtonClear = new QPushButton("Clear", this);
    ButtonClear->setObjectName("ButtonClear");
    ButtonReset = new QPushButton("Reset", this);
    ButtonReset->setObjectName("ButtonReset");
    ButtonOK = new QPushButton("OK", this);
    ButtonOK->setObjectName("ButtonOK");
    ButtonOK->setDefault(true);
    ButtonCancel = new QPushButton("Cancel", this);
    ButtonCancel->setObjectName("ButtonCancel");
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    StatusBar->setSizeGripEnabled(false);

    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addWidget(GridData, 1);
    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addWidget(ImageGraph, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ButtonClear);
    buttons->addWidget(ButtonReset);
    buttons->addStretch(1);
    buttons->addWidget(ButtonOK);
    buttons->addWidget(ButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    layout->addWidget(StatusBar);

    auto guarded = [this](auto work) { return [this, work] { RunGuarded(work, this); }; };
    // Leaving a field is handled once the focus has moved on: a message box must not open
    // in the middle of a focus change.
    auto onLeave = [this, guarded](TNumberEdit* edit, auto work) {
        connect(edit, &QLineEdit::editingFinished, this, guarded(work), Qt::QueuedConnection);
    };
    onLeave(EditCount, [this] { ApplyCount(); });
    onLeave(EditXStart, [this] { ApplyXStart(); });
    onLeave(EditXIncrement, [this] { ApplyXIncrement(); });
    onLeave(EditUpperY, [this] { ApplyScale(true); });
    onLeave(EditLowerY, [this] { ApplyScale(true); });
    for (TNumberEdit* edit : {EditUpperY, EditLowerY})
        connect(edit, &QLineEdit::textEdited, this, guarded([this] { ApplyScale(false); }));
    connect(ButtonClear, &QPushButton::clicked, this, guarded([this] { ClearData(); }));
    connect(ButtonReset, &QPushButton::clicked, this, guarded([this] { ResetData(); }));
    connect(ButtonOK, &QPushButton::clicked, this, guarded([this] { TryAccept(); }));
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ImageGraph, &TSketchPlot::Stroke, this, [this](double x, double y, bool first) {
        RunGuarded([&] { SketchAt(x, y, first); }, this);
    });
    connect(ImageGraph, &TSketchPlot::Hover, this, [this](double x, double y) {
        const int32_t n = Table.Count();
        const int32_t index = x >= 1 ? n - 1 : static_cast<int32_t>(std::round((n - 1) * x));
        StatusBar->showMessage(
            Q("X : " + FormatFloat("0.###", Table.Origin + std::max(index, 0) * Table.Interval) +
              " , Y : " + FormatFloat("0.##", Lower + (Upper - Lower) * y)));
    });
    connect(ImageGraph, &TSketchPlot::LeftPlot, StatusBar, &QStatusBar::clearMessage);
}

TFormXYGraph::~TFormXYGraph() = default;

bool TFormXYGraph::Edit(TDataSeries& table) {
    Table.Assign(table);
    if (Table.IsEmpty())
        for (int i = 0; i <= 10; ++i)
            Table.Points.push_back({static_cast<double>(i), 0});
    ShownTable.Assign(Table);
    const TLookupScale scale = LookupEditorScale(Table.Points);
    Lower = scale.Lower;
    Upper = scale.Upper;
    Fill();
    if (Hooks().Exec(*this) != QDialog::Accepted) return false;
    table.Assign(Table);
    return true;
}

void TFormXYGraph::Fill() {
    EditCount->SetValue(Table.Count());
    EditXStart->SetValue(Table.Origin);
    EditXIncrement->SetValue(Table.Interval);
    SetScaleFields();
    PreviousIndex = -1;
    StatusBar->clearMessage();
    Refresh();
}

void TFormXYGraph::SetScaleFields() {
    EditUpperY->SetValue(Upper);
    EditLowerY->SetValue(Lower);
}

void TFormXYGraph::Refresh() {
    Model->Reload();
    ImageGraph->update();
}

bool TFormXYGraph::ApplyCount() {
    // Only a count the user typed: tabbing through must not cut a longer table.
    if (!EditCount->Edited()) return true;
    const std::optional<double> typed = EditCount->Value();
    const int32_t current = Table.Count();
    if (!typed) {
        EditCount->SetValue(current);
        return false;
    }
    const double limit = std::max(MaxCount, current);
    const auto count = static_cast<int32_t>(std::clamp(*typed, 1.0, limit));
    Table.Points.resize(static_cast<size_t>(count), TDataPoint{0, 0});
    for (int32_t i = current; i < count; ++i)
        Table.Points[static_cast<size_t>(i)].Time = i;
    EditCount->SetValue(count);
    PreviousIndex = -1;
    Refresh();
    return true;
}

bool TFormXYGraph::ApplyXStart() {
    if (!EditXStart->Edited()) return true;
    const std::optional<double> typed = EditXStart->Value();
    if (typed) Table.Origin = *typed;
    EditXStart->SetValue(Table.Origin);
    Refresh();
    return typed.has_value();
}

bool TFormXYGraph::ApplyXIncrement() {
    if (!EditXIncrement->Edited()) return true;
    const std::optional<double> typed = EditXIncrement->Value();
    // Written back with three decimals, a smaller increment would read as 0.
    if (!typed || !(*typed >= SmallestIncrement)) {
        EditXIncrement->SetValue(Table.Interval);
        ShowMessage(TMessageKind::Warning, "The X increment must be greater than 0", mbOK, this);
        return false;
    }
    Table.Interval = *typed;
    EditXIncrement->SetValue(Table.Interval);
    Refresh();
    return true;
}

bool TFormXYGraph::ApplyScale(bool leaving) {
    const std::optional<double> upper = EditUpperY->Value();
    const std::optional<double> lower = EditLowerY->Value();
    if (upper && lower && *upper >= *lower + FloatTolerance) {
        Upper = std::trunc(*upper);
        Lower = std::trunc(*lower);
        ImageGraph->update();
        return true;
    }
    if (!leaving) return false;
    ShowMessage(TMessageKind::Warning, "Upper Y Value must be at least 1 more than Lower Y Value",
                mbOK, this);
    SetScaleFields();
    return false;
}

void TFormXYGraph::ClearData() {
    if (ShowMessage(TMessageKind::Confirmation,
                    "Are you sure you want to clear the sketched data ?", mbYes | mbNo,
                    this) != mbYes)
        return;
    for (TDataPoint& point : Table.Points)
        point.Value = 0;
    Refresh();
}

void TFormXYGraph::ResetData() {
    Table.Assign(ShownTable);
    Fill();
}

void TFormXYGraph::TryAccept() {
    GridData->CommitEditor();
    if (!ApplyCount() || !ApplyXStart() || !ApplyXIncrement()) return;
    if (!(Table.Interval >= SmallestIncrement)) {
        ShowMessage(TMessageKind::Warning, "The X increment must be greater than 0", mbOK, this);
        return;
    }
    accept();
}

void TFormXYGraph::SketchAt(double x, double y, bool first) {
    const int32_t n = Table.Count();
    if (n == 0) return;
    const int32_t index =
        x >= 1 ? n - 1 : std::clamp(static_cast<int32_t>(std::round((n - 1) * x)), 0, n - 1);
    const double value = Lower + (Upper - Lower) * std::clamp(y, 0.0, 1.0);
    if (first || PreviousIndex < 0 || PreviousIndex >= n || PreviousIndex == index) {
        Table.Points[static_cast<size_t>(index)].Value = value;
    } else {
        const int32_t step = index > PreviousIndex ? 1 : -1;
        for (int32_t i = PreviousIndex + step;; i += step) {
            Table.Points[static_cast<size_t>(i)].Value =
                PreviousValue + (value - PreviousValue) * (i - PreviousIndex) /
                                    static_cast<double>(index - PreviousIndex);
            if (i == index) break;
        }
    }
    PreviousIndex = index;
    PreviousValue = value;
    Refresh();
}
