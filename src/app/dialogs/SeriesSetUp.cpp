#include "app/dialogs/SeriesSetUp.h"

#include "app/Utilities.h"
#include "app/dialogs/SeriesEntryDialogs.h"
#include "core/model/SimulationObjects.h"
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"
#include "document/output/SeriesLists.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

TSeriesSetUp::TSeriesSetUp(TDataFile& document, TTableGraphOutputInstance& control,
                           const QStringList& columns, QWidget* parent)
    : QDialog(parent), Document(document), Control(control),
      Edit(std::make_unique<TDocumentEdit>(document)) {
    auto* layout = new QHBoxLayout(this);
    ListViewSeries = new QTreeWidget;
    ListViewSeries->setObjectName("ListViewSeries");
    ListViewSeries->setAccessibleName("Series");
    ListViewSeries->setRootIsDecorated(false);
    ListViewSeries->setUniformRowHeights(true);
    ListViewSeries->setSelectionMode(QAbstractItemView::SingleSelection);
    ListViewSeries->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListViewSeries->setHeaderLabels(columns);
    ListViewSeries->header()->setStretchLastSection(false);
    ListViewSeries->setMinimumWidth(120 + 80 * static_cast<int>(columns.size()));
    layout->addWidget(ListViewSeries, 1);
    Buttons = new QVBoxLayout;
    layout->addLayout(Buttons);
    ButtonOK = new QPushButton("OK");
    ButtonOK->setObjectName("ButtonOK");
    ButtonOK->setDefault(true);
    connect(ButtonOK, &QPushButton::clicked, this, [this] {
        OkPressed = true;
        accept();
    });
}

TSeriesSetUp::~TSeriesSetUp() = default;

int32_t TSeriesSetUp::Selected() const {
    const QTreeWidgetItem* item = ListViewSeries->currentItem();
    if (!item || !item->isSelected()) return -1;
    const int row = ListViewSeries->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item));
    return row < Control.Series.Count() ? row : -1;
}

void TSeriesSetUp::Select(int32_t row) {
    ListViewSeries->clearSelection();
    if (QTreeWidgetItem* item = ListViewSeries->topLevelItem(row)) {
        ListViewSeries->setCurrentItem(item);
        item->setSelected(true);
    }
}

void TSeriesSetUp::ShowRows(int32_t row) {
    const QSignalBlocker blocker(ListViewSeries);
    ListViewSeries->clear();
    QList<QTreeWidgetItem*> items;
    for (int32_t i = 0; i < Control.Series.Count(); ++i)
        items << new QTreeWidgetItem(RowTexts(i));
    ListViewSeries->addTopLevelItems(items);
    for (int c = 0; c < ListViewSeries->columnCount(); ++c)
        ListViewSeries->resizeColumnToContents(c);
    Select(ClampSelection(row, Control.Series.Count()));
}

void TSeriesSetUp::Change(const std::function<void()>& change) {
    Edit->Touch();
    change();
}

QPushButton* TSeriesSetUp::AddButton(const char* name, const QString& caption) {
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    button->setAutoDefault(false);
    Buttons->addWidget(button);
    return button;
}

bool TSeriesSetUp::RunStarted() const {
    return Document.Simulation->IsStarted();
}

TDialogResult TSeriesSetUp::Result() const {
    return OkPressed || Edit->Touched() ? TDialogResult::Accepted : TDialogResult::Cancelled;
}

void TSeriesSetUp::done(int result) {
    // The changes are in the control already; closing by any way makes them count.
    RunGuarded([this] { Edit->Finish(); }, this);
    QDialog::done(result);
}

void TSeriesSetUp::DeleteSelected() {
    const int32_t row = Selected();
    if (RunStarted() || row < 0) return;
    Change([&] { DeleteEntry(row); });
    ShowRows(row);
}

void TSeriesSetUp::Move(int32_t delta) {
    const int32_t row = Selected();
    const int32_t target = row + delta;
    if (RunStarted() || row < 0 || target < 0 || target >= Control.Series.Count()) return;
    Change([&] { MoveEntry(row, delta); });
    ShowRows(target);
}

void TSeriesSetUp::EditSelected() {
    const int32_t row = Selected();
    if (RunStarted() || row < 0) return;
    TVariableDataLink& entry = *Control.Series[row];
    const std::unique_ptr<TFormSeriesItemEdit> dialog = MakeItemEditor();
    dialog->Fill(entry);
    if (Hooks().Exec(*dialog) != QDialog::Accepted) return;
    const TSeriesEntryChoice choice = dialog->Choice();
    if (!SeriesEntryChanges(entry, choice)) return;
    Change([&] { ApplySeriesEntryChoice(entry, choice); });
    ShowRows(row);
}
