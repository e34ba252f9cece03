#pragma once
// What the graph and the table set-up have in common: the list of series entries with its
// selection, the buttons beside it, and the one edit of a showing, whose first change takes
// the undo snapshot and whose end marks the document modified.

#include "app/dialogs/ObjectDialogs.h"
#include "document/model/DocumentEdits.h"

#include <QDialog>
#include <QPushButton>
#include <QStringList>
#include <QTreeWidget>

#include <functional>
#include <memory>
#include <vector>

class QVBoxLayout;
class TTableGraphOutputInstance;
class TFormSeriesItemEdit;

class TSeriesSetUp : public QDialog {
    Q_OBJECT
public:
    TSeriesSetUp(TDataFile& document, TTableGraphOutputInstance& control,
                 const QStringList& columns, QWidget* parent);
    ~TSeriesSetUp() override;

    // The selected row, or -1.
    int32_t Selected() const;
    // Delete, Up and Down act on a valid selection only, and never while a run has begun.
    void DeleteSelected();
    // Edit (also a double click): the entry's item editor, its choice applied when it changed.
    void EditSelected();
    void Move(int32_t delta);
    void Select(int32_t row);
    // Accepted after OK or any change (the control changed at once either way).
    TDialogResult Result() const;

    void done(int result) override;

    TDataFile& Document;
    QTreeWidget* ListViewSeries;
    QPushButton* ButtonOK;

protected:
    // The list's texts, one row per entry.
    virtual QStringList RowTexts(int32_t row) const = 0;
    // The list operations of this kind of control.
    virtual std::unique_ptr<TFormSeriesItemEdit> MakeItemEditor() = 0;
    virtual void DeleteEntry(int32_t row) = 0;
    virtual void MoveEntry(int32_t row, int32_t delta) = 0;
    // Fills the list again, selecting row (clamped to the list).
    void ShowRows(int32_t row);
    // Runs change as part of this showing's edit: the first one takes the undo snapshot.
    void Change(const std::function<void()>& change);
    QPushButton* AddButton(const char* name, const QString& caption);
    // The simulation has left its start: the list is locked.
    bool RunStarted() const;

    QVBoxLayout* Buttons;

private:
    TTableGraphOutputInstance& Control;
    std::unique_ptr<TDocumentEdit> Edit;
    bool OkPressed = false;
};
