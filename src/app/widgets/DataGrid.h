#pragma once
// A grid of numbers: one table view over a model that makes its rows on demand, with the
// Copy and Paste pop-up every data grid of the program shares. Owners add their own actions
// (Clear, Reset) to PopupMenu.

#include <QMenu>
#include <QTableView>

class QAction;

class TDataGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDataGrid(QWidget* parent = nullptr);

    // The column that "Copy Data" copies and that pastes go to.
    int ValueColumn = 1;
    // The first line of "Copy Table".
    QString CopyTitle;

    void CopyData();
    void CopyTable();
    void CopyCells();
    // Pastes numbers into the value column only, from the current row; a single cell
    // selected with several values on the clipboard pastes down to the last row.
    void Paste();
    // Ends an open cell editor, storing what was typed.
    void CommitEditor();

    QMenu* PopupMenu;
    QAction* ActionCopyData;
    QAction* ActionCopyTable;
    QAction* ActionCopyCells;
    QAction* ActionPaste;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};
