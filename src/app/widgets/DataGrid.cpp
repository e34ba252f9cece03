#include "app/widgets/DataGrid.h"

#include "app/Utilities.h"
#include "core/support/GridClipboard.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace {

// Whether clipboard text holds more than one value.
bool SeveralValues(const QString& text) {
    const std::string plain = S(text);
    size_t position = 0;
    int count = 0;
    while (count < 2 && !ReadPasteToken(plain, position).End)
        ++count;
    return count > 1;
}

} // namespace

TDataGrid::TDataGrid(QWidget* parent) : QTableView(parent) {
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setStretchLastSection(true);
    setTabKeyNavigation(false);

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName("PopupMenuDataTable");
    ActionCopyData = PopupMenu->addAction("Copy Data");
    connect(ActionCopyData, &QAction::triggered, this, &TDataGrid::CopyData);
    ActionCopyTable = PopupMenu->addAction("Copy Table");
    connect(ActionCopyTable, &QAction::triggered, this, &TDataGrid::CopyTable);
    ActionCopyCells = PopupMenu->addAction("Copy Cells");
    connect(ActionCopyCells, &QAction::triggered, this, &TDataGrid::CopyCells);
    ActionCopyCells->setShortcut(QKeySequence::Copy);
    ActionPaste = PopupMenu->addAction("Paste");
    connect(ActionPaste, &QAction::triggered, this, &TDataGrid::Paste);
    ActionPaste->setShortcut(QKeySequence::Paste);
    for (QAction* action : {ActionCopyCells, ActionPaste}) {
        action->setShortcutContext(Qt::WidgetShortcut);
        addAction(action);
    }
}

void TDataGrid::CopyData() {
    if (!model()) return;
    RunGuarded([&] {
        CopyGridToClipboard({}, *model(), 0, ValueColumn, model()->rowCount() - 1, ValueColumn);
    });
}

void TDataGrid::CopyTable() {
    QAbstractItemModel* grid = model();
    if (!grid) return;
    RunGuarded([&] {
        // Row -1 is the headings.
        const std::string text = GridCopyText(
            S(CopyTitle),
            [grid](int column, int row) {
                return S(row < 0 ? grid->headerData(column, Qt::Horizontal).toString().trimmed()
                                 : grid->data(grid->index(row, column)).toString());
            },
            -1, grid->columnCount() - 1, grid->rowCount() - 1, 0);
        QApplication::clipboard()->setText(Q(text));
    });
}

void TDataGrid::CopyCells() {
    if (!model() || !selectionModel()) return;
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    if (selected.isEmpty()) return;
    int top = selected.first().row(), bottom = top;
    int left = selected.first().column(), right = left;
    for (const QModelIndex& index : selected) {
        top = std::min(top, index.row());
        bottom = std::max(bottom, index.row());
        left = std::min(left, index.column());
        right = std::max(right, index.column());
    }
    RunGuarded([&] { CopyGridToClipboard({}, *model(), top, right, bottom, left); });
}

void TDataGrid::Paste() {
    if (!model() || !ActionPaste->isEnabled()) return;
    CommitEditor();
    const QModelIndex current = currentIndex();
    const int first = current.isValid() ? current.row() : 0;
    int last = first;
    const QModelIndexList selected =
        selectionModel() ? selectionModel()->selectedIndexes() : QModelIndexList{};
    if (selected.size() > 1) {
        for (const QModelIndex& index : selected)
            last = std::max(last, index.row());
    } else if (SeveralValues(QApplication::clipboard()->text())) {
        last = model()->rowCount() - 1;
    }
    RunGuarded([&] {
        PasteNumbersFromClipboard(*model(), first, ValueColumn, 10, ValueColumn, last, this);
    });
    viewport()->update();
}

void TDataGrid::CommitEditor() {
    if (state() != QAbstractItemView::EditingState) return;
    // The open editor: the focus when the window has it, else the line edit on the viewport.
    QWidget* editor = QApplication::focusWidget();
    if (!editor || !viewport()->isAncestorOf(editor)) editor = nullptr;
    if (!editor)
        for (QLineEdit* line : viewport()->findChildren<QLineEdit*>())
            if (!line->isHidden()) editor = line;
    if (!editor) return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void TDataGrid::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && state() != QAbstractItemView::EditingState && currentIndex().isValid()) {
        edit(currentIndex());
        return;
    }
    // Typing starts an edit only with what a number can start with.
    const QString text = event->text();
    if (state() != QAbstractItemView::EditingState && text.size() == 1 && text[0].isPrint() &&
        !QStringLiteral("0123456789-.").contains(text[0]) &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        event->ignore();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TDataGrid::contextMenuEvent(QContextMenuEvent* event) {
    PopupMenu->popup(event->globalPos());
}
