#pragma once
// "Properties": the model file's name, folder and dates, and its title, author, company and
// notes.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class TDataFile;

class TFormProperties : public QDialog {
    Q_OBJECT
public:
    explicit TFormProperties(QWidget* parent = nullptr);

    // Shows the document's details and clears the changed flag.
    void Fill(const TDataFile& document);
    // Stores the texts that differ from the document's and marks it modified when any did;
    // nothing when no field was edited. True when the document changed.
    bool Apply(TDataFile& document);

    bool Changed = false;
    QLabel* LabelFileName;
    QLabel* LabelFolder;
    QLabel* LabelCreated;
    QLabel* LabelModified;
    QLineEdit* EditTitle;
    QLineEdit* EditAuthor;
    QLineEdit* EditCompany;
    QPlainTextEdit* MemoNotes;
};
