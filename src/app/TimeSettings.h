#pragma once
// The Time Settings dialog: the run's clock, the display window and screen updating.

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>

class TNumberEdit;
class TDataFile;

class TFormTimeSettings : public QDialog {
    Q_OBJECT
public:
    explicit TFormTimeSettings(QWidget* parent = nullptr);

    // Shows the settings of the document's model and clears the changed flag.
    void Fill(TDataFile& document);
    // On "OK": true when the dialog may close. Applies the entries to the model, as one undo
    // step, when something changed and every check passes; otherwise shows the first failure.
    bool Apply(TDataFile& document);

    bool Changed = false;
    bool Applied = false; // the last Apply changed the model

    TNumberEdit* EditStartTime;
    TNumberEdit* EditStopTime;
    QComboBox* ComboBoxTimeStep;
    QComboBox* ComboBoxTimeUnits;
    QComboBox* ComboBoxIntegrationMethod; // Euler, RK2, RK4 in that order
    TNumberEdit* EditRunStepInterval;
    TNumberEdit* EditViewStart;
    TNumberEdit* EditViewStop;
    TNumberEdit* EditNow;
    TNumberEdit* EditUpdateInterval;
    QCheckBox* CheckBoxUpdateScreen;

private:
    double StoredTimeStep = 1;
    bool TimeStepEdited = false;
    TDataFile* Target = nullptr;
};
