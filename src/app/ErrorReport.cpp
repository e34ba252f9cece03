#include "app/ErrorReport.h"

#include "app/Utilities.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>

TFormModelErrors::TFormModelErrors(QWidget* parent) : QDialog(parent, Qt::Tool) {
    setObjectName("FormModelErrors");
    setWindowTitle("Errors");
    setModal(false);
    MemoErrors = new QPlainTextEdit(this);
    MemoErrors->setObjectName("MemoErrors");
    MemoErrors->setReadOnly(true);
    MemoErrors->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoErrors->setAccessibleName("Errors");
    QPalette palette = MemoErrors->palette();
    palette.setColor(QPalette::Text, Qt::red);
    MemoErrors->setPalette(palette);
    PopupChk = new QCheckBox("Pop-up on New Error", this);
    PopupChk->setObjectName("PopupChk");
    PopupChk->setChecked(PopupOnNewError);
    ButtonHide = new QPushButton("Hide", this);
    ButtonHide->setObjectName("ButtonHide");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(PopupChk);
    buttons->addStretch();
    buttons->addWidget(ButtonHide);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MemoErrors);
    layout->addLayout(buttons);
    resize(460, 220);
    connect(ButtonHide, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { HideByUser(); }); });
    connect(PopupChk, &QCheckBox::toggled, this, [this](bool on) {
        PopupOnNewError = on;
        emit PopupChanged(on);
    });
}

void TFormModelErrors::SetPopupOnNewError(bool on) {
    PopupOnNewError = on;
    PopupChk->setChecked(on);
}

void TFormModelErrors::ShowErrors(const std::vector<std::string>& messages) {
    if (messages.empty()) {
        // Nothing to show; whether the user asked to see the log stays as it was.
        HidingForEmpty = true;
        hide();
        HidingForEmpty = false;
        return;
    }
    QStringList lines;
    for (const std::string& message : messages)
        lines << Q(message);
    MemoErrors->setPlainText(lines.join('\n'));
    setWindowTitle(QString("Errors (%1)").arg(messages.size()));
    if (PopupOnNewError || ShowRequested) {
        if (!isVisible() && parentWidget()) {
            const QRect owner = parentWidget()->frameGeometry();
            move(owner.center() - QPoint(width() / 2, height() / 2));
        }
        show();
    }
}

void TFormModelErrors::ClearErrors() {
    MemoErrors->clear();
    setWindowTitle("Errors");
    if (PopupOnNewError) {
        HidingForEmpty = true;
        hide();
        HidingForEmpty = false;
    }
}

void TFormModelErrors::HideByUser() {
    ShowRequested = false;
    hide();
}

void TFormModelErrors::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    PopupChk->setChecked(PopupOnNewError);
    emit VisibilityChanged(true);
}

void TFormModelErrors::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    emit VisibilityChanged(false);
}

void TFormModelErrors::closeEvent(QCloseEvent* event) {
    ShowRequested = false;
    QDialog::closeEvent(event);
}

void TFormModelErrors::reject() {
    ShowRequested = false;
    QDialog::reject();
}
