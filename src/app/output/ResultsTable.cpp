#include "app/output/ResultsTable.h"

#include "app/Utilities.h"
#include "app/dialogs/ObjectDialogs.h"
#include "document/model/DataFile.h"
#include "document/model/DocumentEdits.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QVBoxLayout>

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// The grid model

TTableGridModel::TTableGridModel(const TTableInstance& table, QObject* parent)
    : QAbstractTableModel(parent), Table(table),
      GridReader(std::make_unique<TTableGridReader>(table)) {}

TTableGridModel::~TTableGridModel() = default;

void TTableGridModel::Refill() {
    beginResetModel();
    GridReader = std::make_unique<TTableGridReader>(Table);
    endResetModel();
}

int TTableGridModel::rowCount(const QModelIndex& parent) const {
    // The reader caps the rows far below what an int holds.
    return parent.isValid() ? 0 : static_cast<int>(GridReader->RowCount());
}

int TTableGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : GridReader->ColumnCount();
}

QVariant TTableGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    return Q(GridReader->Cell(index.row(), index.column()));
}

QVariant TTableGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return Q(GridReader->Cell(section, 0));
    return Q(GridReader->Cell(0, section) + "\n" + GridReader->Cell(1, section));
}

// ---------------------------------------------------------------------------------------------
// The window

TFormTableView::TFormTableView(TDataFile& document, TTableInstance& table, QWidget* parent)
    : QDialog(parent), Document(document), Table(table) {
    setObjectName("FormTableView");
    setWindowTitle("Results Table");
    setMinimumSize(150, 150);
    auto* layout = new QVBoxLayout(this);

    Grid = new TTableGridModel(table, this);
    GridTable = new QTableView;
    GridTable->setObjectName("GridTable");
    GridTable->setAccessibleName("Results");
    GridTable->setModel(Grid);
    GridTable->setShowGrid(true);
    GridTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    GridTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridTable->setWordWrap(false);
    // The label rows and the time column are the headers, so they stay while the body
    // scrolls; their cells are hidden from the body.
    QHeaderView* columns = GridTable->horizontalHeader();
    columns->setMinimumSectionSize(0);
    columns->setDefaultSectionSize(TableGridDefaultColumnWidth);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setHighlightSections(false);
    QHeaderView* rows = GridTable->verticalHeader();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(TableGridRowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    rows->setHighlightSections(false);
    Corner = GridTable->findChild<QAbstractButton*>();
    if (Corner) Corner->installEventFilter(this);
    layout->addWidget(GridTable, 1);

    ActionCopyGrid = new QAction("Copy Grid", this);
    ActionCopyGrid->setObjectName("ActionCopyGrid");
    GridTable->setContextMenuPolicy(Qt::ActionsContextMenu);
    GridTable->addAction(ActionCopyGrid);
    connect(ActionCopyGrid, &QAction::triggered, this,
            [this] { RunGuarded([this] { CopyGrid(); }, this); });

    // Close sits as far from the right edge as Setup from the left.
    auto* panel = new QHBoxLayout;
    ButtonSetup = new QPushButton("Setup");
    ButtonSetup->setObjectName("ButtonSetup");
    ButtonSetup->setAutoDefault(false);
    ButtonClose = new QPushButton("Close");
    ButtonClose->setObjectName("ButtonClose");
    ButtonClose->setAutoDefault(false);
    panel->addWidget(ButtonSetup);
    panel->addStretch();
    panel->addWidget(ButtonClose);
    layout->addLayout(panel);
    connect(ButtonSetup, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { Setup(); }, this); });
    connect(ButtonClose, &QPushButton::clicked, this, &QDialog::reject);

    FillTableView();
    const int frame = GridTable->verticalScrollBar()->sizeHint().width() + 48;
    resize(std::clamp(rows->sizeHint().width() + columns->length() + frame, 300, 900), 420);
}

int TFormTableView::FittingWidth(int column) const {
    const TTableGridReader& reader = Grid->Reader();
    // The heading's two lines as the header draws them, margins and all.
    int width = GridTable->horizontalHeader()->sectionSizeHint(column);
    // The numbers of a long run are sampled evenly, the last row always among them.
    const int64_t first = 2, rows = reader.RowCount() - first;
    const int64_t step = std::max<int64_t>(1, rows / MaxMeasuredRows);
    const QFontMetrics metrics(GridTable->font());
    int text = 0;
    for (int64_t r = first; r < reader.RowCount(); r += step)
        text = std::max(text, metrics.horizontalAdvance(Q(reader.Cell(r, column))));
    if (rows > 0)
        text = std::max(text,
                        metrics.horizontalAdvance(Q(reader.Cell(reader.RowCount() - 1, column))));
    width = std::max(width, text + CellPadding);
    return std::min(width, MaxFittingWidth);
}

void TFormTableView::FillTableView() {
    Grid->Refill();
    const std::vector<int32_t> widths = Grid->Reader().ColumnWidths();
    ShownWidths.assign(widths.size(), -1);
    // Wide enough to read, or wider where the user made a column so.
    for (size_t c = 1; c < widths.size(); ++c) {
        const int column = static_cast<int>(c);
        ShownWidths[c] = std::max(widths[c], FittingWidth(column));
        GridTable->horizontalHeader()->resizeSection(column, ShownWidths[c]);
    }
    GridTable->setColumnHidden(0, true);
    GridTable->setRowHidden(0, true);
    GridTable->setRowHidden(1, true);
    // The time column is the row headers: at least the grid's default width, and wide enough
    // for its heading in the corner.
    const QString heading = Q(Grid->Reader().Cell(1, 0));
    GridTable->verticalHeader()->setMinimumWidth(
        std::max(TableGridDefaultColumnWidth, fontMetrics().horizontalAdvance(heading) + 12));
}

void TFormTableView::StoreColumnWidths() {
    // Only the widths the user changed: a column shown wider to fit its numbers keeps the
    // width stored with the table (negative means unchanged).
    std::vector<int32_t> widths(static_cast<size_t>(Grid->columnCount()), -1);
    for (int c = 1; c < Grid->columnCount(); ++c) {
        const auto i = static_cast<size_t>(c);
        const int now = GridTable->horizontalHeader()->sectionSize(c);
        if (i >= ShownWidths.size() || now != ShownWidths[i]) widths[i] = now;
    }
    if (!ColumnWidthsDiffer(Table, widths)) return;
    TDocumentEdit edit(Document);
    edit.Touch();
    ::StoreColumnWidths(Table, widths);
    edit.Finish();
}

void TFormTableView::Setup() {
    StoreColumnWidths();
    OpenTableSetUp(Document, Table, this);
    FillTableView();
}

void TFormTableView::CopyGrid() {
    CopyGridToClipboard(Q(Document.Title), *Grid, 0, Grid->columnCount() - 1, Grid->rowCount() - 1,
                        0);
}

void TFormTableView::done(int result) {
    RunGuarded([this] { StoreColumnWidths(); }, this);
    QDialog::done(result);
}

bool TFormTableView::eventFilter(QObject* watched, QEvent* event) {
    // The corner above the times names the time column, as the grid's fixed cell does.
    if (watched == Corner && event->type() == QEvent::Paint) {
        QStylePainter painter(Corner);
        QStyleOptionHeader option;
        option.initFrom(Corner);
        option.rect = Corner->rect();
        option.position = QStyleOptionHeader::OnlyOneSection;
        option.text = Grid->headerData(0, Qt::Horizontal).toString();
        option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        painter.drawControl(QStyle::CE_Header, option);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void OpenResultsTable(TDataFile& document, TTableInstance& table, QWidget* parent) {
    TFormTableView window(document, table, parent);
    Hooks().Exec(window);
}
