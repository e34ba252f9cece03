#pragma once
// Help > Support: what a problem report needs (the program's and Qt's versions, the system,
// where settings and recovery copies live), with a button that copies it all as text.

#include <QDialog>
#include <QString>

class QLabel;
class QPlainTextEdit;
class QPushButton;

struct TSupportFacts {
    QString ProgramVersion;
    QString QtVersion; // the library in use, and the one built against when they differ
    QString System;
    QString SettingsFile;
    QString RecoveryFolder;
};

// The facts of this program on this machine; recoveryFolder is where its copies go.
TSupportFacts GatherSupportFacts(const QString& recoveryFolder);
// The text "Copy" puts on the clipboard: one fact per line, named.
QString SupportReport(const TSupportFacts& facts);

class TFormSupport : public QDialog {
    Q_OBJECT
public:
    explicit TFormSupport(QWidget* parent = nullptr);

    void Fill(const TSupportFacts& facts);
    // "Copy": the report on the clipboard.
    void CopyReport();

    QPlainTextEdit* MemoFacts;
    QPushButton* ButtonCopy;
    QPushButton* ButtonTroubleshooting;
    QPushButton* ButtonClose;

signals:
    // The user asked for the user guide's troubleshooting section.
    void TroubleshootingRequested();

private:
    TSupportFacts Facts;
};
