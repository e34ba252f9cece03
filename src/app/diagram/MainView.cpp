#include "app/diagram/MainView.h"

#include "app/Utilities.h"
#include "app/widgets/DrawSurface.h"
#include "core/model/Listings.h"
#include "document/model/DataFile.h"

#include <QGridLayout>
#include <QHeaderView>
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
    GridEquations = new QTableWidget(0, 5, TabSheetEquations);
    GridEquations->setObjectName("GridEquations");
    GridEquations->setHorizontalHeaderLabels({"Name", "Type", "Units", "Equation", "Notes"});
    GridEquations->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridEquations->verticalHeader()->setDefaultSectionSize(16);
    const int widths[] = {128, 52, 93, 234, 113};
    for (int i = 0; i < 5; ++i)
        GridEquations->setColumnWidth(i, widths[i]);
    GridEquations->horizontalHeader()->setStretchLastSection(true);
    auto* equationsLayout = new QVBoxLayout(TabSheetEquations);
    equationsLayout->addWidget(GridEquations);
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
                if (PageControlMain->currentWidget() == TabSheetEquations) FillEquations();
                UpdateEditActions();
            },
            this);
    });
    connect(RichEditNotes, &QPlainTextEdit::textChanged, this, [this] {
        if (Updating || !Document) return;
        const std::string text = S(RichEditNotes->toPlainText());
        if (text == Document->ModelNotes) return;
        Document->ModelNotes = text;
        Document->MarkModified();
    });
}

TDrawImage* TFormMainView::Image() {
    if (!Document) return nullptr;
    // Undo exchanges the document's drawing: bind whichever one it holds now.
    TDrawImage& image = Document->Image();
    image.Surface = ImageMain;
    return &image;
}

void TFormMainView::SetDocument(TDataFile* document) {
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

void TFormMainView::EditCommand(int code) {
    if (!Document) return;
    if (code == acUndo && Actions && Actions->EditingAllowed() && Document->CanUndo()) {
        Document->Undo();
        RefreshView();
    }
    UpdateEditActions();
}

bool TFormMainView::SelectTool(QToolButton* button, bool /*sticky*/) {
    // Placing elements with the tools comes with the diagram's editing; until then every
    // tool is refused and its button pops up again.
    if (button) button->setChecked(false);
    return false;
}

void TFormMainView::UpdateEditActions() {
    if (!Actions) return;
    const bool model = PageControlMain->currentWidget() == TabSheetModel;
    Actions->SetActionState(acUndo, Document && Document->CanUndo(), true);
    // Selection, the structure buffer and printing work through the diagram's editing.
    for (int code :
         {acCut, acCopy, acPaste, acDelete, acSelectAll, acPrint, acPrintPreview, acPrintSetup})
        Actions->SetActionState(code, false, true);
    Actions->SetActionState(acZoom, model, true);
}

void TFormMainView::FillEquations() {
    GridEquations->setRowCount(0);
    if (!Document) return;
    const auto& variables = Document->Simulation->Variables;
    GridEquations->setRowCount(static_cast<int>(variables.Count()));
    int row = 0;
    for (const TVariableObject* v : variables) {
        const std::string cells[] = {v->Name, ElementKindNames[v->Kind & 3], v->Units,
                                     EquationColumn(*v), OneLine(v->Notes)};
        for (int column = 0; column < 5; ++column)
            GridEquations->setItem(row, column, new QTableWidgetItem(Q(cells[column])));
        ++row;
    }
}
