#pragma once
// "Results Table": every row of a table control's run in a scrolling grid whose two label
// rows and time column stay in view, with column widths taken from the table and written
// back to it, the table's set-up, and a text copy of the whole grid.

#include "document/output/TableDrawing.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QDialog>
#include <QPushButton>
#include <QTableView>

#include <memory>
#include <vector>

class QAbstractButton;
class TDataFile;

// The grid as a model: cells are formatted when the view asks for them, so a long run opens
// at once. The two label rows and the time column are cells too (Copy Grid takes them), and
// also the header texts the view keeps in sight.
class TTableGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TTableGridModel(const TTableInstance& table, QObject* parent = nullptr);
    ~TTableGridModel() override;

    // Reads the table again (its entries, the run's length).
    void Refill();
    const TTableGridReader& Reader() const { return *GridReader; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Columns: the label over the units; rows: the row's time.
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const TTableInstance& Table;
    std::unique_ptr<TTableGridReader> GridReader;
};

class TFormTableView : public QDialog {
    Q_OBJECT
public:
    TFormTableView(TDataFile& document, TTableInstance& table, QWidget* parent = nullptr);

    // Builds the grid from the table: rows, labels, column widths.
    void FillTableView();
    // Writes the grid's column widths into the table; a width that changed is an edit of
    // the document.
    void StoreColumnWidths();
    // "Setup": the table's set-up, then the grid again.
    void Setup();
    // "Copy Grid": the whole grid as text, the model's title first.
    void CopyGrid();

    void done(int result) override;

    TDataFile& Document;
    TTableInstance& Table;
    TTableGridModel* Grid;
    QTableView* GridTable;
    QPushButton* ButtonSetup;
    QPushButton* ButtonClose;
    QAction* ActionCopyGrid;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The width column needs for its heading and its numbers.
    int FittingWidth(int column) const;

    QAbstractButton* Corner = nullptr;
    // The width each grid column was shown with, to tell the user's resizing.
    std::vector<int32_t> ShownWidths;
    static constexpr int64_t MaxMeasuredRows = 2000;
    static constexpr int CellPadding = 12;
    static constexpr int MaxFittingWidth = 400;
};
