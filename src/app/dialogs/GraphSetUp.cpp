#include "app/dialogs/GraphSetUp.h"

#include "app/Utilities.h"
#include "app/dialogs/SeriesEntryDialogs.h"
#include "app/dialogs/VariableSelect.h"
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"
#include "document/output/SeriesLists.h"

#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace {
// Entries are counted in 32 bits.
constexpr int32_t MaxGraphSeries = std::numeric_limits<int32_t>::max();

bool SameBound(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}
} // namespace

TFormGraphEdit::TFormGraphEdit(TDataFile& document, TGraphInstance& graph, QWidget* parent)
    : TSeriesSetUp(document, graph, {"Element", "Data", "Colour", "History", "Display"}, parent),
      Graph(graph) {
    setObjectName("FormGraphEdit");
    setWindowTitle("Comparative Graph Set-Up");
    ButtonAdd = AddButton("ButtonAdd", "&Add");
    ButtonEdit = AddButton("ButtonEdit", "&Edit");
    ButtonDelete = AddButton("ButtonDelete", "&Delete");
    ButtonClearHistories = AddButton("ButtonClearHistories", "&Clear Histories");
    ButtonUp = AddButton("ButtonUp", "&Up");
    ButtonDown = AddButton("ButtonDown", "Do&wn");
    ButtonYAxis = AddButton("ButtonYAxis", "&Y Axis");
    CheckBoxLegend = new QCheckBox("&Legend");
    CheckBoxLegend->setObjectName("CheckBoxLegend");
    CheckBoxLegend->setChecked(graph.ShowLegend);
    Buttons->addWidget(CheckBoxLegend);
    Buttons->addStretch();
    Buttons->addWidget(ButtonOK);

    const auto guarded = [this](void (TFormGraphEdit::*command)()) {
        return [this, command] { RunGuarded([this, command] { (this->*command)(); }, this); };
    };
    connect(ButtonAdd, &QPushButton::clicked, this, guarded(&TFormGraphEdit::Add));
    connect(ButtonEdit, &QPushButton::clicked, this, guarded(&TSeriesSetUp::EditSelected));
    connect(ButtonDelete, &QPushButton::clicked, this, guarded(&TSeriesSetUp::DeleteSelected));
    connect(ButtonClearHistories, &QPushButton::clicked, this,
            guarded(&TFormGraphEdit::ClearSelectedHistories));
    connect(ButtonUp, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { Move(-1); }, this); });
    connect(ButtonDown, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { Move(1); }, this); });
    connect(ButtonYAxis, &QPushButton::clicked, this, guarded(&TFormGraphEdit::SetYAxis));
    connect(ListViewSeries, &QTreeWidget::itemDoubleClicked, this,
            guarded(&TSeriesSetUp::EditSelected));
    connect(CheckBoxLegend, &QCheckBox::toggled, this, [this](bool on) {
        RunGuarded([this, on] { Change([this, on] { Graph.ShowLegend = on; }); }, this);
    });

    // While a run is under way only the value axis may change.
    const bool locked = RunStarted();
    for (QWidget* control :
         {static_cast<QWidget*>(ButtonAdd), static_cast<QWidget*>(ButtonEdit),
          static_cast<QWidget*>(ButtonDelete), static_cast<QWidget*>(ButtonClearHistories),
          static_cast<QWidget*>(ButtonUp), static_cast<QWidget*>(ButtonDown),
          static_cast<QWidget*>(CheckBoxLegend)})
        control->setEnabled(!locked);
    ShowRows(-1);
}

QStringList TFormGraphEdit::RowTexts(int32_t row) const {
    QStringList texts;
    for (const std::string& text : GraphSeriesRow(*Graph.Series[row]))
        texts << Q(text);
    return texts;
}

void TFormGraphEdit::Add() {
    if (RunStarted() || Document.Simulation->Variables.IsEmpty()) return;
    if (Graph.Series.Count() >= MaxGraphSeries) {
        ShowMessage(TMessageKind::Warning,
                    "You cannot add any more series to this graph.  Delete some of the existing "
                    "series first or create a new graph",
                    mbOK, this);
        return;
    }
    TVariableObject* element = SelectVariable(*Document.Simulation, nullptr, this);
    if (!element) return;
    Change([&] { AppendSeriesEntry(Graph, *element, NextGraphColour(Graph)); });
    ShowRows(Graph.Series.Count() - 1);
}

std::unique_ptr<TFormSeriesItemEdit> TFormGraphEdit::MakeItemEditor() {
    return std::make_unique<TFormGraphItemEdit>(this);
}

void TFormGraphEdit::DeleteEntry(int32_t row) {
    DeleteSeriesEntry(Graph, row);
}

void TFormGraphEdit::MoveEntry(int32_t row, int32_t delta) {
    MoveSeriesEntry(Graph, row, delta);
}

void TFormGraphEdit::ClearSelectedHistories() {
    if (RunStarted()) return;
    const int32_t row = Selected();
    if (row < 0) {
        ShowMessage(TMessageKind::Warning, "You must have an element selected", mbOK, this);
        return;
    }
    const TVariableDataLink* selected = Graph.Series[row];
    const TVariableObject* element = selected->Var();
    const QString name = element ? Q(element->Name) : QString();
    if (ShowMessage(TMessageKind::Confirmation,
                    "Are you sure you want to delete all history items for " + name, mbYes | mbNo,
                    this) != mbYes)
        return;
    if (HistoryCount(Graph, element) == 0) return;
    // The selection follows its entry, or the one that takes its place when it goes.
    int32_t goingBefore = 0;
    for (int32_t i = 0; i < row; ++i)
        if (Graph.Series[i]->Var() == element && Graph.Series[i]->Run > 0) ++goingBefore;
    Change([&] { ClearHistories(Graph, element); });
    ShowRows(row - goingBefore);
}

void TFormGraphEdit::SetYAxis() {
    TformGraphYAxis dialog(this);
    dialog.Fill(Graph.YMin, Graph.YMax);
    if (Hooks().Exec(dialog) != QDialog::Accepted) return;
    const double yMin = dialog.YMin();
    const double yMax = dialog.YMax();
    if (SameBound(yMin, Graph.YMin) && SameBound(yMax, Graph.YMax)) return;
    Change([&] {
        Graph.YMin = yMin;
        Graph.YMax = yMax;
    });
}

TDialogResult OpenGraphSetUp(TDataFile& document, TGraphInstance& graph, QWidget* parent) {
    TFormGraphEdit dialog(document, graph, parent);
    Hooks().Exec(dialog);
    return dialog.Result();
}
