#pragma once
// Modal windows in tests: the default responder fails the test instead of waiting for a
// person; a test that expects one installs a scripted responder for its duration.

#include "app/Utilities.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#include <deque>
#include <functional>

// Readable failure output for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* out) {
    *out << '{' << list.join("\", \"").toStdString() << '}';
}

class TFailingHooks : public TDialogHooks {
public:
    int Message(QWidget*, TMessageKind, const QString& text, int buttons) override {
        ADD_FAILURE() << "unexpected message box: " << text.toStdString();
        return (buttons & mbCancel) ? mbCancel : (buttons & mbNo) ? mbNo : mbOK;
    }
    QString FileName(QWidget*, const TFileDialogRequest& request) override {
        ADD_FAILURE() << "unexpected file dialog: " << request.Caption.toStdString();
        return {};
    }
    int Exec(QDialog& dialog) override {
        ADD_FAILURE() << "unexpected dialog: " << dialog.windowTitle().toStdString();
        return QDialog::Rejected;
    }
    void OpenUrl(const QString& url) override {
        ADD_FAILURE() << "unexpected browser: " << url.toStdString();
    }
};

// Records every message and answers from a script (mbOK once the script runs out);
// file dialogs and our dialogs are answered by the functions set.
class TScriptedHooks : public TDialogHooks {
public:
    TScriptedHooks() { SetHooks(this); }
    ~TScriptedHooks() override { SetHooks(&Failing); }
    TScriptedHooks(const TScriptedHooks&) = delete;
    TScriptedHooks& operator=(const TScriptedHooks&) = delete;

    int Message(QWidget*, TMessageKind, const QString& text, int buttons) override {
        Messages << text;
        if (Answers.empty()) return (buttons & mbOK) ? mbOK : mbNo;
        const int answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    QString FileName(QWidget*, const TFileDialogRequest& request) override {
        Requests.push_back(request);
        if (FileNames.empty()) return {};
        const QString name = FileNames.front();
        FileNames.pop_front();
        return name;
    }
    int Exec(QDialog& dialog) override {
        if (!OnDialog) return TFailingHooks().Exec(dialog);
        OnDialog(dialog);
        return dialog.result();
    }
    void OpenUrl(const QString& url) override { Urls << url; }

    QStringList Messages;
    std::deque<int> Answers;
    std::deque<QString> FileNames;
    std::vector<TFileDialogRequest> Requests;
    std::function<void(QDialog&)> OnDialog;
    QStringList Urls;

private:
    static inline TFailingHooks Failing;
};
