#include "app/dialogs/TableSetUp.h"

#include "app/Utilities.h"
#include "app/dialogs/SeriesEntryDialogs.h"
#include "app/dialogs/VariableSelect.h"
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"
#include "document/output/SeriesLists.h"

#include <QVBoxLayout>

TFormTableSetUp::TFormTableSetUp(TDataFile& document, TTableInstance& table, QWidget* parent)
    : TSeriesSetUp(document, table, {"Element", "Data"}, parent), Table(table) {
    setObjectName("FormTableSetUp");
    setWindowTitle("Data Table Set-Up");
    ButtonAdd = AddButton("ButtonAdd", "&Add");
    ButtonEdit = AddButton("ButtonEdit", "&Edit");
    ButtonDelete = AddButton("ButtonDelete", "&Delete");
    ButtonTableSettings = AddButton("ButtonTableSettings", "&Table Settings");
    ButtonUp = AddButton("ButtonUp", "&Up");
    ButtonDown = AddButton("ButtonDown", "Do&wn");
    Buttons->addStretch();
    Buttons->addWidget(ButtonOK);

    const auto guarded = [this](void (TFormTableSetUp::*command)()) {
        return [this, command] { RunGuarded([this, command] { (this->*command)(); }, this); };
    };
    connect(ButtonAdd, &QPushButton::clicked, this, guarded(&TFormTableSetUp::Add));
    connect(ButtonEdit, &QPushButton::clicked, this, guarded(&TSeriesSetUp::EditSelected));
    connect(ButtonDelete, &QPushButton::clicked, this, guarded(&TSeriesSetUp::DeleteSelected));
    connect(ButtonTableSettings, &QPushButton::clicked, this,
            guarded(&TFormTableSetUp::EditSettings));
    connect(ButtonUp, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { Move(-1); }, this); });
    connect(ButtonDown, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { Move(1); }, this); });
    connect(ListViewSeries, &QTreeWidget::itemDoubleClicked, this,
            guarded(&TSeriesSetUp::EditSelected));

    // While a run is under way the table stays as it is.
    for (QPushButton* button :
         {ButtonAdd, ButtonEdit, ButtonDelete, ButtonTableSettings, ButtonUp, ButtonDown})
        button->setEnabled(!RunStarted());
    ShowRows(-1);
}

QStringList TFormTableSetUp::RowTexts(int32_t row) const {
    const TVariableDataLink& entry = *Table.Series[row];
    return {Q(SeriesEntryName(entry)), Q(SeriesKindName(entry.SeriesKind))};
}

void TFormTableSetUp::Add() {
    if (RunStarted() || Document.Simulation->Variables.IsEmpty()) return;
    TVariableObject* element = SelectVariable(*Document.Simulation, nullptr, this);
    if (!element) return;
    Change([&] { AppendTableEntry(Table, *element); });
    ShowRows(Table.Series.Count() - 1);
}

std::unique_ptr<TFormSeriesItemEdit> TFormTableSetUp::MakeItemEditor() {
    return std::make_unique<TFormTableItemEdit>(this);
}

void TFormTableSetUp::DeleteEntry(int32_t row) {
    DeleteTableEntry(Table, row);
}

void TFormTableSetUp::MoveEntry(int32_t row, int32_t delta) {
    MoveTableEntry(Table, row, delta);
}

void TFormTableSetUp::EditSettings() {
    if (RunStarted()) return;
    TFormTableSettings dialog(this);
    dialog.Fill(Table.Interval);
    if (Hooks().Exec(dialog) != QDialog::Accepted) return;
    const int32_t interval = dialog.Interval();
    if (interval == Table.Interval) return;
    Change([&] { Table.Interval = interval; });
}

TDialogResult OpenTableSetUp(TDataFile& document, TTableInstance& table, QWidget* parent) {
    TFormTableSetUp dialog(document, table, parent);
    Hooks().Exec(dialog);
    return dialog.Result();
}
