#include "app/diagram/MainView.h"

#include "app/Utilities.h"
#include "app/widgets/DrawSurface.h"
#include "core/model/EquationListing.h"
#include "document/model/DataFile.h"
#include "document/model/DiagramEdits.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

TFormMainView::TFormMainView(TActionTarget* actions, QWidget* parent)
    : TFormBaseChild(actions, parent) {
    setObjectName("FormMainView");
    setWindowTitle("Main View");
    PageControlMain = new QTabWidget(this);
    PageControlMain->setObjectName("PageControlMain");
    PageControlMain->setTabPosition(QTabWidget::South);

    TabSheetModel = new QWidget;
    TabSheetModel->setObjectName("TabSheetModel");
    PanelMain = new QWidget(TabSheetModel);
    PanelMain->setObjectName("PanelMain");
    ImageMain = new TDrawSurfaceWidget(PanelMain);
    ImageMain->setObjectName("ImageMain");
    ScrollBarVertical = new QScrollBar(Qt::Vertical, PanelMain);
    ScrollBarVertical->setObjectName("ScrollBarVertical");
    ScrollBarHorizontal = new QScrollBar(Qt::Horizontal, PanelMain);
    ScrollBarHorizontal->setObjectName("ScrollBarHorizontal");
    for (QScrollBar* bar : {ScrollBarVertical, ScrollBarHorizontal}) {
        bar->setMinimum(1);
        bar->setSingleStep(10);
        bar->setPageStep(100);
    }
    auto* grid = new QGridLayout(PanelMain);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(ImageMain, 0, 0);
    grid->addWidget(ScrollBarVertical, 0, 1);
    grid->addWidget(ScrollBarHorizontal, 1, 0);
    auto* modelLayout = new QVBoxLayout(TabSheetModel);
    modelLayout->setContentsMargins(0, 0, 0, 0);
    modelLayout->addWidget(PanelMain);
    PageControlMain->addTab(TabSheetModel, "Model");

    TabSheetEquations = new QWidget;
    TabSheetEquations->setObjectName("TabSheetEquations");
    GridEquations = new QTableWidget(1, 5, TabSheetEquations);
    GridEquations->setObjectName("GridEquations");
    GridEquations->setHorizontalHeaderLabels({"Variable", "Type", "Units", "Equation", "Notes"});
    GridEquations->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridEquations->verticalHeader()->setDefaultSectionSize(16);
    GridEquations->verticalHeader()->hide();
    const int widths[] = {128, 52, 93, 234, 113};
    for (int i = 0; i < 5; ++i)
        GridEquations->setColumnWidth(i, widths[i]);
    GridEquations->horizontalHeader()->setStretchLastSection(true);
    GridEquations->setContextMenuPolicy(Qt::CustomContextMenu);
    PopupMenuEquationGrid = new QMenu(GridEquations);
    PopupMenuEquationGrid->setObjectName("PopupMenuEquationGrid");
    QAction* copyGrid = PopupMenuEquationGrid->addAction("Copy Grid");
    copyGrid->setObjectName("CopyGrid");
    connect(copyGrid, &QAction::triggered, this,
            [this] { RunGuarded([this] { CopyEquationGrid(); }, this); });
    connect(GridEquations, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        PopupMenuEquationGrid->popup(GridEquations->viewport()->mapToGlobal(p));
    });
    auto* sortLabel = new QLabel("Sort Order:", TabSheetEquations);
    ComboBoxEquationSortOrder = new QComboBox(TabSheetEquations);
    ComboBoxEquationSortOrder->setObjectName("ComboBoxEquationSortOrder");
    ComboBoxEquationSortOrder->addItems({"Name", "Type", "Calculation Order"});
    ComboBoxEquationSortOrder->setCurrentIndex(0);
    sortLabel->setBuddy(ComboBoxEquationSortOrder);
    connect(ComboBoxEquationSortOrder, &QComboBox::currentIndexChanged, this,
            [this](int) { RunGuarded([this] { FillEquations(); }, this); });
    auto* sortRow = new QHBoxLayout;
    sortRow->addWidget(sortLabel);
    sortRow->addWidget(ComboBoxEquationSortOrder);
    sortRow->addStretch(1);
    auto* equationsLayout = new QVBoxLayout(TabSheetEquations);
    equationsLayout->addWidget(GridEquations);
    equationsLayout->addLayout(sortRow);
    PageControlMain->addTab(TabSheetEquations, "Equations");

    TabSheetNotes = new QWidget;
    TabSheetNotes->setObjectName("TabSheetNotes");
    RichEditNotes = new QPlainTextEdit(TabSheetNotes);
    RichEditNotes->setObjectName("RichEditNotes");
    RichEditNotes->setStatusTip("Enter any descriptive notes or comments about the model");
    RichEditNotes->setAccessibleName("Model notes");
    auto* notesLayout = new QVBoxLayout(TabSheetNotes);
    notesLayout->addWidget(RichEditNotes);
    PageControlMain->addTab(TabSheetNotes, "Notes");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PageControlMain);

    connect(ImageMain, &TDrawSurfaceWidget::Resized, this,
            [this] { RunGuarded([this] { RefreshView(); }, this); });
    connect(ScrollBarHorizontal, &QScrollBar::valueChanged, this, [this](int value) {
        RunGuarded(
            [&] {
                if (TDrawImage* image = Image())
                    ScrollMoved(ScrollBarHorizontal, LastHPos, image->ScrollX, value);
            },
            this);
    });
    connect(ScrollBarVertical, &QScrollBar::valueChanged, this, [this](int value) {
        RunGuarded(
            [&] {
                if (TDrawImage* image = Image())
                    ScrollMoved(ScrollBarVertical, LastVPos, image->ScrollY, value);
            },
            this);
    });
    connect(PageControlMain, &QTabWidget::currentChanged, this, [this](int) {
        RunGuarded(
            [this] {
                // A tool or a held gesture does not survive a change of page.
                DropTool();
                EndGesture();
                if (PageControlMain->currentWidget() == TabSheetEquations) FillEquations();
                UpdateEditActions();
            },
            this);
    });
    TimerScroll = new QTimer(this);
    TimerScroll->setObjectName("TimerScroll");
    TimerScroll->setInterval(50);
    connect(TimerScroll, &QTimer::timeout, this,
            [this] { RunGuarded([this] { TimerScrollTimer(); }, this); });
    ImageMain->setFocusPolicy(Qt::StrongFocus);
    ImageMain->installEventFilter(this);
    BuildPopupMenu();
    connect(RichEditNotes, &QPlainTextEdit::textChanged, this, [this] {
        if (Updating || !Document) return;
        const std::string text = S(RichEditNotes->toPlainText());
        if (text == Document->ModelNotes) return;
        Document->ModelNotes = text;
        Document->MarkModified();
    });
}

TFormMainView::~TFormMainView() {
    // A drag left open belongs to a document that may already be gone.
    ForgetObjects();
}

TDrawImage* TFormMainView::Image() {
    if (!Document) return nullptr;
    // Undo exchanges the document's drawing: bind whichever one it holds now.
    TDrawImage& image = Document->Image();
    image.Surface = ImageMain;
    return &image;
}

void TFormMainView::SetDocument(TDataFile* document) {
    DropTool();
    ForgetObjects();
    Updating = true;
    if (Document && Document->Views.Image) Document->Image().Surface = nullptr;
    Document = document;
    LastExtent = EmptyRect;
    LastVisible = EmptyRect;
    if (Document) {
        Document->AttachView(this);
        Image();
        RichEditNotes->setPlainText(Q(Document->ModelNotes));
    } else {
        RichEditNotes->clear();
    }
    PageControlMain->setCurrentWidget(TabSheetModel);
    Updating = false;
    if (Document) RefreshView();
    UpdateEditActions();
}

void TFormMainView::RefreshView() {
    if (Updating) return;
    TDrawImage* image = Image();
    if (!image) return;
    image->Refresh();
    ++RefreshCount;
    if (!ScrollBarDriven && !(image->Extent == LastExtent && image->VisibleArea == LastVisible))
        SetScrollBars();
    emit Refreshed();
}

void TFormMainView::SetScrollBars() {
    TDrawImage& image = *Image();
    Updating = true;
    const TDrawRect& v = image.VisibleArea;
    const TDrawRect& e = image.Extent;
    auto set = [](QScrollBar* bar, int64_t visibleLow, int64_t visibleHigh, int64_t extentLow,
                  int64_t extentHigh) {
        const int64_t a = std::min<int64_t>({visibleLow, extentLow, 0});
        const int64_t maximum = std::max(visibleHigh, extentHigh) - a + 1;
        const int64_t page = std::max<int64_t>(1, visibleHigh - visibleLow);
        const int64_t position = visibleLow - a + 1;
        auto fit = [](int64_t x) { return static_cast<int>(std::clamp<int64_t>(x, 1, 999999999)); };
        bar->setRange(1, fit(maximum - page + 1));
        bar->setPageStep(fit(page));
        bar->setValue(fit(position));
    };
    set(ScrollBarHorizontal, v.Left, v.Right, e.Left, e.Right);
    set(ScrollBarVertical, v.Top, v.Bottom, e.Top, e.Bottom);
    LastHPos = ScrollBarHorizontal->value();
    LastVPos = ScrollBarVertical->value();
    LastExtent = e;
    LastVisible = v;
    Updating = false;
}

void TFormMainView::ScrollMoved(QScrollBar* bar, int32_t& last, int32_t& scroll, int value) {
    if (Updating) return;
    TDrawImage& image = *Image();
    // One scroll-bar unit is one drawing unit.
    const double moved = (static_cast<double>(value) - last) * image.Zoom / 100.0;
    scroll = TruncToInt(static_cast<double>(scroll) + std::trunc(moved));
    last = bar->value();
    ScrollBarDriven = true;
    RefreshView();
    ScrollBarDriven = false;
}

void TFormMainView::KeepRunForComparison() {
    if (TDrawImage* image = Image()) image->KeepRunForComparison();
}

float TFormMainView::SetZoom(float percent) {
    if (Updating) return 0;
    TDrawImage* image = Image();
    if (!image) return 0;
    image->SetZoom(percent);
    RefreshView();
    return image->Zoom;
}

void TFormMainView::UpdateEditActions() {
    if (!Actions) return;
    QWidget* page = PageControlMain->currentWidget();
    if (page != TabSheetModel) {
        // The other pages offer only Copy (of the grid or of the notes' text).
        for (int code :
             {acUndo, acCut, acPaste, acDelete, acSelectAll, acPrint, acPrintPreview, acPrintSetup})
            Actions->SetActionState(code, false, true);
        Actions->SetActionState(acCopy, Document != nullptr, true);
        Actions->SetActionState(acZoom, false, true);
        return;
    }
    const TDrawImage* image = Document ? &Document->Image() : nullptr;
    const bool drawing = image && !image->IsEmpty();
    Actions->SetActionState(acUndo, Document && Document->CanUndo(), true);
    for (int code : {acCut, acCopy, acDelete})
        Actions->SetActionState(code, !Selection.empty(), true);
    Actions->SetActionState(acPaste, Document && ClipboardHasStructure, true);
    Actions->SetActionState(acSelectAll, drawing, true);
    Actions->SetActionState(acZoom, true, true);
    for (int code : {acPrint, acPrintPreview, acPrintSetup})
        Actions->SetActionState(code, drawing, true);
}

void TFormMainView::FillEquations() {
    GridEquations->setRowCount(0);
    if (!Document) return;
    const auto rows = EquationRows(
        *Document->Simulation,
        static_cast<TEquationSortOrder>(std::max(0, ComboBoxEquationSortOrder->currentIndex())));
    GridEquations->setRowCount(std::max(1, static_cast<int>(rows.size())));
    for (int row = 0; row < static_cast<int>(rows.size()); ++row)
        for (int column = 0; column < 5; ++column)
            GridEquations->setItem(row, column, new QTableWidgetItem(Q(rows[row][column])));
    // Every column is wide enough for its heading and its texts ("Resource" in full), never
    // narrower than its first width; a long equation is cut rather than pushing the notes
    // out of sight. The notes take what is left.
    const int widths[] = {128, 52, 93, 234};
    const int widest[] = {320, 160, 200, 640};
    QHeaderView& header = *GridEquations->horizontalHeader();
    const QAbstractItemView& view = *GridEquations; // where the size hint is public
    for (int column = 0; column < 4; ++column) {
        const int wanted =
            std::max(view.sizeHintForColumn(column), header.sectionSizeHint(column)) + 8;
        GridEquations->setColumnWidth(column, std::clamp(wanted, widths[column], widest[column]));
    }
}

void TFormMainView::CopyEquationGrid() {
    // The heading row goes with the rows, as the grid shows it.
    QTableWidget copy(GridEquations->rowCount() + 1, 5);
    for (int column = 0; column < 5; ++column) {
        copy.setItem(0, column,
                     new QTableWidgetItem(GridEquations->horizontalHeaderItem(column)->text()));
        for (int row = 0; row < GridEquations->rowCount(); ++row)
            if (const QTableWidgetItem* item = GridEquations->item(row, column))
                copy.setItem(row + 1, column, new QTableWidgetItem(item->text()));
    }
    CopyGridToClipboard(Document ? Q(Document->Title) : QString(), *copy.model(), 0, 4,
                        copy.rowCount() - 1, 0);
}
