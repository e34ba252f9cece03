#pragma once
// "Sensitivity Set-Up": the constants that vary with their sources, the sampling method, the
// number of runs, the seed and the outputs. The dialog edits a copy; OK stores it with the
// model as one undoable edit.

#include "core/analysis/SensitivitySetUp.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

class TDataFile;
class TNumberEdit;
class TSimulationObject;

class TFormSensitivitySetUp : public QDialog {
    Q_OBJECT
public:
    explicit TFormSensitivitySetUp(QWidget* parent = nullptr);

    // Shows the model's set-up.
    void Fill(const TSimulationObject& model);
    // "Add...": an element through Variable Select, then its source.
    void AddVaried();
    // "Edit..." (also a double click): the selected element's source.
    void EditVaried();
    void DeleteVaried();
    void AddOutput();
    void DeleteOutput();
    // On OK: the set-up as entered, or the first problem shown and none.
    bool Read(TSensitivitySetUp& setUp);

    void done(int result) override;

    TSensitivitySetUp SetUp;
    QTreeWidget* ListViewVaried;
    QPushButton* ButtonAdd;
    QPushButton* ButtonEdit;
    QPushButton* ButtonDelete;
    QComboBox* ComboBoxMethod;
    TNumberEdit* EditRuns;
    TNumberEdit* EditSeed;
    QListWidget* ListBoxOutputs;
    QPushButton* ButtonAddOutput;
    QPushButton* ButtonDeleteOutput;

private:
    void ShowVaried(int select);
    void ShowOutputs(int select);
    const TSimulationObject* Model = nullptr;
};

// "Source": the text of a varied element's source, read back when OK is pressed.
class TFormVariedSource : public QDialog {
    Q_OBJECT
public:
    explicit TFormVariedSource(QWidget* parent = nullptr);
    void Fill(const QString& element, const TVariedSource& source);
    void done(int result) override;

    TVariedSource Source;
    QLineEdit* EditSource;
};

// The menu command: refused during a run, else the dialog and, on OK with a change, the
// document edit. True when the set-up changed.
bool ShowSensitivitySetUp(TDataFile& document, bool running, QWidget* parent);
