#include "core/support/GridClipboard.h"
#include "app/Utilities.h"
#include "core/support/NumberFormat.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>

bool IsNumber(const QString& text) {
    double value = 0;
    return TryStrToFloat(S(text), value);
}

void CopyGridToClipboard(const QString& title, const QAbstractItemModel& grid, int firstRow,
                         int lastColumn, int lastRow, int firstColumn) {
    const std::string text = GridCopyText(
        S(title),
        [&grid](int column, int row) {
            return S(grid.data(grid.index(row, column), Qt::DisplayRole).toString());
        },
        firstRow, lastColumn, lastRow, firstColumn);
    QApplication::clipboard()->setText(Q(text));
}

bool PasteNumbersFromClipboard(QAbstractItemModel& grid, int firstRow, int firstColumn,
                               int decimals, int lastColumn, int lastRow, QWidget* parent) {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data || !data->hasText()) {
        ShowError(QStringLiteral("No numeric data to paste from clipboard"), parent);
        return false;
    }
    const TPastePlan plan = PlanPaste(S(data->text()), firstColumn, firstRow,
                                      std::min(lastColumn, grid.columnCount() - 1),
                                      std::min(lastRow, grid.rowCount() - 1));
    for (const TPasteCell& cell : plan.Cells)
        grid.setData(grid.index(cell.Row, cell.Column), Q(FormatFixed(decimals, cell.Value)),
                     Qt::EditRole);
    if (plan.SkippedText)
        ShowInformation(
            QStringLiteral("Clipboard contains text data - only numeric values will be pasted"),
            parent);
    return true;
}
