#pragma once
// "Note Set-Up": the text of a note on the diagram.

#include "app/dialogs/ObjectDialogs.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class TFormNoteSetUp : public QDialog {
    Q_OBJECT
public:
    TFormNoteSetUp(TDataFile& document, TNoteInstance& note, QWidget* parent = nullptr);

    QPlainTextEdit* MemoNote;
    QPushButton* ButtonOK;
    QPushButton* ButtonCancel;
    QPushButton* ButtonApply;
    bool Changed = false;
    TDialogResult Outcome = TDialogResult::Cancelled;

private:
    // The memo's text into the note, as one edit.
    void Store();
    TDataFile& Document;
    TNoteInstance& Note;
};
