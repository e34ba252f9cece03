#include "app/dialogs/Properties.h"

#include "app/Utilities.h"
#include "core/support/DateTime.h"
#include "document/model/DataFile.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>

namespace {

QLabel* ReadOnly(const char* name) {
    auto* label = new QLabel;
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QLineEdit* Editable(const char* name) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    return edit;
}

QString DateText(TDateTime value) {
    // A document never saved may carry no date at all.
    if (!std::isfinite(value) || value == 0) return QString();
    return Q(FormatDateTime("d mmm yyyy hh:mm:ss", value));
}

} // namespace

TFormProperties::TFormProperties(QWidget* parent) : QDialog(parent) {
    setObjectName("FormProperties");
    setWindowTitle("Properties");
    LabelFileName = ReadOnly("LabelFileName");
    LabelFolder = ReadOnly("LabelFolder");
    LabelCreated = ReadOnly("LabelCreated");
    LabelModified = ReadOnly("LabelModified");
    EditTitle = Editable("EditTitle");
    EditAuthor = Editable("EditAuthor");
    EditCompany = Editable("EditCompany");
    MemoNotes = new QPlainTextEdit;
    MemoNotes->setObjectName("MemoNotes");
    MemoNotes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoNotes->setTabChangesFocus(true);

    auto* form = new QFormLayout;
    form->addRow("File name:", LabelFileName);
    form->addRow("Folder:", LabelFolder);
    form->addRow("Created:", LabelCreated);
    form->addRow("Modified:", LabelModified);
    form->addRow("&Title:", EditTitle);
    form->addRow("&Author:", EditAuthor);
    form->addRow("&Company:", EditCompany);
    form->addRow("&Notes:", MemoNotes);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ButtonOK");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("ButtonCancel");
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(420, 380);

    for (QLineEdit* edit : {EditTitle, EditAuthor, EditCompany})
        connect(edit, &QLineEdit::textChanged, this, [this] { Changed = true; });
    connect(MemoNotes, &QPlainTextEdit::textChanged, this, [this] { Changed = true; });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TFormProperties::Fill(const TDataFile& document) {
    const QSignalBlocker blockers[] = {QSignalBlocker(EditTitle), QSignalBlocker(EditAuthor),
                                       QSignalBlocker(EditCompany), QSignalBlocker(MemoNotes)};
    const QFileInfo file(Q(document.FileName));
    LabelFileName->setText(document.FileName.empty() ? QString() : file.fileName());
    LabelFolder->setText(document.FileName.empty() ? QString() : file.absolutePath());
    LabelCreated->setText(DateText(document.Created));
    LabelModified->setText(DateText(document.Modified));
    EditTitle->setText(Q(document.Title));
    EditAuthor->setText(Q(document.Author));
    EditCompany->setText(Q(document.Company));
    MemoNotes->setPlainText(Q(document.Notes));
    Changed = false;
}

bool TFormProperties::Apply(TDataFile& document) {
    if (!Changed) return false;
    bool any = false;
    auto store = [&any](std::string& field, const QString& text) {
        const std::string value = S(text);
        if (value == field) return;
        field = value;
        any = true;
    };
    store(document.Title, EditTitle->text());
    store(document.Author, EditAuthor->text());
    store(document.Company, EditCompany->text());
    // Model files keep line breaks as CR LF whatever was saved; storing them so keeps a
    // reloaded model equal to the saved one.
    store(document.Notes, MemoNotes->toPlainText().replace('\n', "\r\n"));
    // The texts are not part of the model's undo snapshots: they are marked, not snapshotted.
    if (any) document.MarkModified();
    return any;
}
