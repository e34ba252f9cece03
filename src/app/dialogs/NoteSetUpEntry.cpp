#include "app/dialogs/NoteSetUp.h"

#include "app/Utilities.h"
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"
#include "document/model/DocumentEdits.h"

#include <QHBoxLayout>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

TFormNoteSetUp::TFormNoteSetUp(TDataFile& document, TNoteInstance& note, QWidget* parent)
    : QDialog(parent), Document(document), Note(note) {
    setObjectName("FormNoteSetUp");
    setWindowTitle("Note Set-Up");
    MemoNote = new QPlainTextEdit(this);
    MemoNote->setObjectName("MemoNote");
    MemoNote->setAccessibleName("Note text");
    ButtonOK = new QPushButton("OK", this);
    ButtonOK->setObjectName("ButtonOK");
    ButtonOK->setDefault(false);
    ButtonOK->setAutoDefault(false);
    ButtonCancel = new QPushButton("Cancel", this);
    ButtonCancel->setObjectName("ButtonCancel");
    ButtonApply = new QPushButton("Apply", this);
    ButtonApply->setObjectName("ButtonApply");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* button : {ButtonOK, ButtonCancel, ButtonApply})
        buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MemoNote);
    layout->addLayout(buttons);

    {
        const QSignalBlocker block(MemoNote);
        QStringList lines;
        for (const std::string& line : Note.Lines)
            lines << Q(line);
        MemoNote->setPlainText(lines.join('\n'));
    }
    Changed = false;
    if (Document.Simulation->IsStarted()) {
        // A running model is read here, not changed.
        MemoNote->setReadOnly(true);
        MemoNote->setEnabled(false);
        QPalette palette = MemoNote->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        MemoNote->setPalette(palette);
    }
    connect(MemoNote, &QPlainTextEdit::textChanged, this, [this] { Changed = true; });
    connect(ButtonOK, &QPushButton::clicked, this, [this] {
        RunGuarded(
            [this] {
                if (!Changed) {
                    reject();
                    return;
                }
                Store();
                Outcome = TDialogResult::Accepted;
                accept();
            },
            this);
    });
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ButtonApply, &QPushButton::clicked, this, [this] {
        RunGuarded(
            [this] {
                if (!Changed) return; // nothing to apply: the dialog stays
                Store();
                Outcome = TDialogResult::Applied;
                accept();
            },
            this);
    });
}

void TFormNoteSetUp::Store() {
    const std::string text = S(MemoNote->toPlainText());
    EditDocument(Document, efNone, [&] {
        Note.SetText(text);
        Note.InvalidateBounds();
        return true;
    });
    Changed = false;
}

TDialogResult OpenNoteSetUp(TDataFile& document, TNoteInstance& note, QWidget* parent) {
    TFormNoteSetUp dialog(document, note, parent);
    if (Hooks().Exec(dialog) != QDialog::Accepted) return TDialogResult::Cancelled;
    return dialog.Outcome;
}
