#include "app/TimeSettings.h"

#include "app/Utilities.h"
#include "app/widgets/NumberEdit.h"
#include "core/model/SimulationObjects.h"
#include "core/support/NumberFormat.h"
#include "document/model/DataFile.h"
#include "document/model/DocumentEdits.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace {

TNumberEdit* AddNumber(QFormLayout* form, const char* label, const char* name, bool integer) {
    auto* edit = new TNumberEdit(nullptr, 0, integer);
    edit->setObjectName(name);
    edit->setAccessibleName(QString(label).remove(':'));
    form->addRow(label, edit);
    return edit;
}

} // namespace

TFormTimeSettings::TFormTimeSettings(QWidget* parent) : QDialog(parent) {
    setObjectName("FormTimeSettings");
    setWindowTitle("Time Settings");

    auto* simulation = new QGroupBox("Simulation Settings");
    auto* simForm = new QFormLayout(simulation);
    EditStartTime = AddNumber(simForm, "Start Time:", "EditStartTime", false);
    EditStopTime = AddNumber(simForm, "Stop Time:", "EditStopTime", false);
    ComboBoxTimeStep = new QComboBox;
    ComboBoxTimeStep->setObjectName("ComboBoxTimeStep");
    ComboBoxTimeStep->setEditable(true);
    ComboBoxTimeStep->addItems({"0.125", "0.250", "0.500", "1.000"});
    ComboBoxTimeStep->setAccessibleName("Time-Step");
    simForm->addRow("Time-Step:", ComboBoxTimeStep);
    ComboBoxTimeUnits = new QComboBox;
    ComboBoxTimeUnits->setObjectName("ComboBoxTimeUnits");
    ComboBoxTimeUnits->setEditable(true);
    ComboBoxTimeUnits->addItems({"Hours", "Days", "Weeks", "Months", "Quarters", "Years"});
    ComboBoxTimeUnits->setAccessibleName("Time Units");
    simForm->addRow("Time Units:", ComboBoxTimeUnits);
    ComboBoxIntegrationMethod = new QComboBox;
    ComboBoxIntegrationMethod->setObjectName("ComboBoxIntegrationMethod");
    for (const char* method : IntegrationMethodNames)
        ComboBoxIntegrationMethod->addItem(method);
    ComboBoxIntegrationMethod->setAccessibleName("Integration Method");
    simForm->addRow("Integration Method:", ComboBoxIntegrationMethod);
    EditRunStepInterval =
        AddNumber(simForm, "Run Step Interval (Time-Steps):", "EditRunStepInterval", true);

    auto* display = new QGroupBox("Display Settings");
    auto* displayForm = new QFormLayout(display);
    EditViewStart = AddNumber(displayForm, "View Start:", "EditViewStart", false);
    EditViewStop = AddNumber(displayForm, "View Stop:", "EditViewStop", false);
    EditNow = AddNumber(displayForm, "Now/Today:", "EditNow", false);

    auto* updating = new QGroupBox("Display Updating");
    auto* updatingForm = new QFormLayout(updating);
    EditUpdateInterval =
        AddNumber(updatingForm, "Update Interval (Time-Steps):", "EditUpdateInterval", true);
    CheckBoxUpdateScreen = new QCheckBox;
    CheckBoxUpdateScreen->setObjectName("CheckBoxUpdateScreen");
    CheckBoxUpdateScreen->setAccessibleName("Update Screen");
    updatingForm->addRow("Update Screen:", CheckBoxUpdateScreen);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ButtonOK");
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("ButtonCancel");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(simulation);
    layout->addWidget(display);
    layout->addWidget(updating);
    layout->addWidget(buttons);

    auto changed = [this] { Changed = true; };
    for (TNumberEdit* edit : {EditStartTime, EditStopTime, EditRunStepInterval, EditViewStart,
                              EditViewStop, EditNow, EditUpdateInterval})
        connect(edit, &QLineEdit::textChanged, this, changed);
    connect(ComboBoxTimeStep, &QComboBox::currentTextChanged, this, [this] {
        Changed = true;
        TimeStepEdited = true;
    });
    connect(ComboBoxTimeUnits, &QComboBox::currentTextChanged, this, changed);
    connect(ComboBoxIntegrationMethod, &QComboBox::currentIndexChanged, this, changed);
    connect(CheckBoxUpdateScreen, &QCheckBox::toggled, this, changed);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        RunGuarded(
            [this] {
                if (!Target || Apply(*Target)) accept();
            },
            this);
    });
}

void TFormTimeSettings::Fill(TDataFile& document) {
    Target = &document;
    const TSimulationObject& simulation = *document.Simulation;
    const QSignalBlocker blockers[] = {QSignalBlocker(EditStartTime),
                                       QSignalBlocker(EditStopTime),
                                       QSignalBlocker(ComboBoxTimeStep),
                                       QSignalBlocker(ComboBoxTimeUnits),
                                       QSignalBlocker(EditRunStepInterval),
                                       QSignalBlocker(EditViewStart),
                                       QSignalBlocker(EditViewStop),
                                       QSignalBlocker(EditNow),
                                       QSignalBlocker(EditUpdateInterval),
                                       QSignalBlocker(CheckBoxUpdateScreen),
                                       QSignalBlocker(ComboBoxIntegrationMethod)};
    EditStartTime->SetValue(simulation.StartTime);
    EditStopTime->SetValue(simulation.StopTime);
    StoredTimeStep = simulation.TimeStep;
    ComboBoxTimeStep->setEditText(Q(FormatFloat("0.000", simulation.TimeStep)));
    ComboBoxTimeUnits->setEditText(Q(simulation.TimeUnit));
    ComboBoxIntegrationMethod->setCurrentIndex(simulation.Method <= imRK4 ? simulation.Method : 0);
    EditRunStepInterval->SetValue(simulation.RunStepInterval);
    EditViewStart->SetValue(simulation.ViewStart);
    EditViewStop->SetValue(simulation.ViewStop);
    EditNow->SetValue(simulation.Now);
    EditUpdateInterval->SetValue(simulation.UpdateInterval);
    CheckBoxUpdateScreen->setChecked(simulation.UpdateScreen);
    Changed = false;
    TimeStepEdited = false;
    Applied = false;
}

bool TFormTimeSettings::Apply(TDataFile& document) {
    Applied = false;
    if (!Changed) return true; // closes as Cancel would
    TTimeSettingsEntry entry;
    bool numbers = true;
    auto read = [&](TNumberEdit* edit, double& into) {
        const auto value = edit->Value();
        if (value)
            into = *value;
        else
            numbers = false;
    };
    read(EditStartTime, entry.StartTime);
    read(EditStopTime, entry.StopTime);
    read(EditViewStart, entry.ViewStart);
    read(EditViewStop, entry.ViewStop);
    read(EditNow, entry.Now);
    double runStep = 0, update = 0;
    read(EditRunStepInterval, runStep);
    read(EditUpdateInterval, update);
    if (!numbers) {
        ShowError("Please enter a number in every field", this);
        return false;
    }
    // The step shown with three decimals is not the step: unless its text was edited, the
    // stored one stays exactly as it is.
    entry.TimeStepText =
        TimeStepEdited ? S(ComboBoxTimeStep->currentText()) : FloatToStr(StoredTimeStep);
    entry.TimeUnit = S(ComboBoxTimeUnits->currentText());
    entry.RunStepInterval = static_cast<int32_t>(std::clamp(runStep, -1.0, 1e6));
    entry.UpdateInterval = static_cast<int32_t>(std::clamp(update, -1.0, 1e6));
    entry.UpdateScreen = CheckBoxUpdateScreen->isChecked();
    entry.Method = static_cast<TIntegrationMethod>(
        std::clamp(ComboBoxIntegrationMethod->currentIndex(), 0, static_cast<int>(imRK4)));
    const TTimeSettingsResult result = CheckTimeSettings(entry);
    if (!result.Values) {
        ShowError(Q(result.Error), this);
        return false;
    }
    Applied = EditTimeSettings(document, *result.Values);
    return true;
}
