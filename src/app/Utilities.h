#pragma once
// Every modal window of the program goes through one hooks object, so that tests answer
// them with a script instead of a person; and every slot runs guarded, so that no
// exception crosses the event loop.

#include <QString>
#include <QStringList>

#include <exception>
#include <functional>

class QAbstractItemModel;
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

inline void ShowInformation(const QString& text, QWidget* parent = nullptr) {
    ShowMessage(TMessageKind::Information, text, mbOK, parent);
}

// The result of the choice dialog's cancel button, of Escape and of its close box; button i
// (from 1) returns i + 9.
inline constexpr int ChoiceCancelled = 2;
// A message box whose buttons carry the given captions. iconKind: 0 warning, 1 error,
// 2 information, 3 question, 4 none. defaultButton counts from 1 (0: none); cancelButton
// from 1, -1 for the last, 0 for none.
int ShowChoiceDialog(const QString& message, int iconKind, const QStringList& captions,
                     int defaultButton, int cancelButton, QWidget* parent = nullptr);

// Whether a text reads as a number (with '.', never the locale's separator).
bool IsNumber(const QString& text);
// Puts the cells from (firstColumn, firstRow) to (lastColumn, lastRow) of a grid's display
// text on the clipboard as tab-separated lines, the title (when any) first.
void CopyGridToClipboard(const QString& title, const QAbstractItemModel& grid, int firstRow,
                         int lastColumn, int lastRow, int firstColumn);
// Pastes the clipboard's numbers into the range through setData (EditRole), each written
// with the given decimals. Without clipboard text it shows an error and returns false;
// text tokens are skipped with one information message.
bool PasteNumbersFromClipboard(QAbstractItemModel& grid, int firstRow, int firstColumn,
                               int decimals, int lastColumn, int lastRow,
                               QWidget* parent = nullptr);

// Runs work and shows any exception it throws as an error box; true when nothing was thrown.
bool RunGuarded(const std::function<void()>& work, QWidget* parent = nullptr);

// Qt text from our UTF-8 strings and back.
inline QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
inline std::string S(const QString& text) {
    return text.toStdString();
}
