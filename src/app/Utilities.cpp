#include "app/Utilities.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

int TDialogHooks::Message(QWidget* parent, TMessageKind kind, const QString& text, int buttons) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (kind) {
    case TMessageKind::Warning:
        icon = QMessageBox::Warning;
        break;
    case TMessageKind::Error:
        icon = QMessageBox::Critical;
        break;
    case TMessageKind::Information:
        icon = QMessageBox::Information;
        break;
    case TMessageKind::Confirmation:
        icon = QMessageBox::Question;
        break;
    }
    QMessageBox box(icon, QApplication::applicationDisplayName(), text, QMessageBox::NoButton,
                    parent ? parent : QApplication::activeWindow());
    struct TPair {
        int Ours;
        QMessageBox::StandardButton Theirs;
    };
    const TPair pairs[] = {{mbYes, QMessageBox::Yes},
                           {mbNo, QMessageBox::No},
                           {mbOK, QMessageBox::Ok},
                           {mbCancel, QMessageBox::Cancel}};
    for (const TPair& pair : pairs)
        if (buttons & pair.Ours) box.addButton(pair.Theirs);
    const int answer = box.exec();
    for (const TPair& pair : pairs)
        if (answer == pair.Theirs) return pair.Ours;
    // Closed with the window's close button: the gentlest answer offered.
    for (int gentle : {mbCancel, mbNo, mbOK})
        if (buttons & gentle) return gentle;
    return mbOK;
}

QString TDialogHooks::FileName(QWidget* parent, const TFileDialogRequest& request) {
    // A dialog object rather than the static helpers: with a default suffix the overwrite
    // question then concerns the name that will really be written.
    QFileDialog dialog(parent, request.Caption);
    dialog.setNameFilter(request.Filter);
    dialog.setDefaultSuffix(request.DefaultSuffix);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (request.Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (!request.StartName.isEmpty()) dialog.selectFile(request.StartName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

int TDialogHooks::Exec(QDialog& dialog) {
    return dialog.exec();
}

void TDialogHooks::OpenUrl(const QString& url) {
    QDesktopServices::openUrl(QUrl(url));
}

namespace {
TDialogHooks DefaultHooks;
TDialogHooks* CurrentHooks = &DefaultHooks;
} // namespace

TDialogHooks& Hooks() {
    return *CurrentHooks;
}

void SetHooks(TDialogHooks* hooks) {
    CurrentHooks = hooks ? hooks : &DefaultHooks;
}

int ShowMessage(TMessageKind kind, const QString& text, int buttons, QWidget* parent) {
    return Hooks().Message(parent, kind, text, buttons);
}

bool RunGuarded(const std::function<void()>& work, QWidget* parent) {
    try {
        work();
        return true;
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()), parent);
    } catch (...) {
        ShowError(QStringLiteral("An unexpected error occurred."), parent);
    }
    return false;
}
