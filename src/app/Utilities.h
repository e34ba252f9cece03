#pragma once
// Every modal window of the program goes through one hooks object, so that tests answer
// them with a script instead of a person; and every slot runs guarded, so that no
// exception crosses the event loop.

#include <QString>

#include <exception>
#include <functional>

class QDialog;
class QWidget;

enum class TMessageKind { Warning, Error, Information, Confirmation };

// Buttons of a message box; the answer is one of them.
enum TMessageButton : int { mbOK = 1, mbYes = 2, mbNo = 4, mbCancel = 8 };

struct TFileDialogRequest {
    QString Caption;
    QString StartName; // the file name the dialog starts with
    QString Filter;    // "Quorvane files (*.qvf)", several joined by ";;"
    QString DefaultSuffix;
    bool Save = false; // a save dialog asks before overwriting the final name
};

class TDialogHooks {
public:
    virtual ~TDialogHooks() = default;
    // Shows a message box with the given buttons and returns the one pressed.
    virtual int Message(QWidget* parent, TMessageKind kind, const QString& text, int buttons);
    // The chosen file name, or empty when cancelled.
    virtual QString FileName(QWidget* parent, const TFileDialogRequest& request);
    // Runs one of our dialogs modally; QDialog::Accepted or Rejected.
    virtual int Exec(QDialog& dialog);
    // Opens a web page in the user's browser.
    virtual void OpenUrl(const QString& url);
};

// The hooks in force; the default shows real windows.
TDialogHooks& Hooks();
// Installs hooks (not owned); nullptr restores the default.
void SetHooks(TDialogHooks* hooks);

// Shorthands through Hooks().
int ShowMessage(TMessageKind kind, const QString& text, int buttons = mbOK,
                QWidget* parent = nullptr);
inline void ShowError(const QString& text, QWidget* parent = nullptr) {
    ShowMessage(TMessageKind::Error, text, mbOK, parent);
}

// Runs work and shows any exception it throws as an error box; true when nothing was thrown.
bool RunGuarded(const std::function<void()>& work, QWidget* parent = nullptr);

// Qt text from our UTF-8 strings and back.
inline QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
inline std::string S(const QString& text) {
    return text.toStdString();
}
