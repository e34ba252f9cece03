#include "app/analysis/SensitivitySetUpDialog.h"

#include "app/Utilities.h"
#include "app/dialogs/VariableSelect.h"
#include "app/widgets/NumberEdit.h"
#include "core/analysis/Sampling.h"
#include "core/model/SimulationObjects.h"
#include "core/support/NumberFormat.h"
#include "document/model/DataFile.h"
#include "document/model/DocumentEdits.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

#include <cmath>

namespace {

QPushButton* Button(const char* name, const QString& caption) {
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    return button;
}

// The name to show for an identifier: the element's own name while it exists.
QString ShownName(const TSimulationObject* model, const std::string& identifier) {
    const TVariableObject* element = model ? FindElement(*model, identifier) : nullptr;
    return Q(element ? element->Name : identifier);
}

// A first guess for a new element's source: ten percent either side of its value.
TVariedSource GuessSource(double value) {
    TVariedSource source;
    const double spread = std::fabs(value) * 0.1;
    source.Values = spread > 0 && std::isfinite(spread)
                        ? std::vector<double>{value - spread, value + spread}
                        : std::vector<double>{0, 1};
    return source;
}

} // namespace

TFormSensitivitySetUp::TFormSensitivitySetUp(QWidget* parent) : QDialog(parent) {
    setObjectName("FormSensitivitySetUp");
    setWindowTitle("Sensitivity Set-Up");

    auto* varied = new QGroupBox("Constants that vary");
    ListViewVaried = new QTreeWidget;
    ListViewVaried->setObjectName("ListViewVaried");
    ListViewVaried->setAccessibleName("Constants that vary");
    ListViewVaried->setHeaderLabels({"Constant", "Source"});
    ListViewVaried->setRootIsDecorated(false);
    ListViewVaried->header()->setStretchLastSection(true);
    ListViewVaried->setColumnWidth(0, 160);
    ListViewVaried->setMinimumWidth(420);
    ButtonAdd = Button("ButtonAdd", "&Add...");
    ButtonEdit = Button("ButtonEdit", "&Edit...");
    ButtonDelete = Button("ButtonDelete", "&Delete");
    auto* variedButtons = new QVBoxLayout;
    for (QPushButton* button : {ButtonAdd, ButtonEdit, ButtonDelete})
        variedButtons->addWidget(button);
    variedButtons->addStretch();
    auto* variedLayout = new QHBoxLayout(varied);
    variedLayout->addWidget(ListViewVaried);
    variedLayout->addLayout(variedButtons);

    auto* sampling = new QGroupBox("Sampling");
    auto* samplingForm = new QFormLayout(sampling);
    ComboBoxMethod = new QComboBox;
    ComboBoxMethod->setObjectName("ComboBoxMethod");
    for (const char* caption : SamplingMethodCaptions)
        ComboBoxMethod->addItem(caption);
    ComboBoxMethod->setAccessibleName("Method");
    samplingForm->addRow("&Method:", ComboBoxMethod);
    EditRuns = new TNumberEdit(nullptr, 0, true);
    EditRuns->setObjectName("EditRuns");
    EditRuns->setAccessibleName("Runs");
    samplingForm->addRow("&Runs:", EditRuns);
    EditSeed = new TNumberEdit(nullptr, 0, true);
    EditSeed->setObjectName("EditSeed");
    EditSeed->setAccessibleName("Seed");
    samplingForm->addRow("S&eed:", EditSeed);

    auto* outputs = new QGroupBox("Outputs (none: every element)");
    ListBoxOutputs = new QListWidget;
    ListBoxOutputs->setObjectName("ListBoxOutputs");
    ListBoxOutputs->setAccessibleName("Outputs");
    ListBoxOutputs->setMaximumHeight(110);
    ButtonAddOutput = Button("ButtonAddOutput", "A&dd...");
    ButtonDeleteOutput = Button("ButtonDeleteOutput", "De&lete");
    auto* outputButtons = new QVBoxLayout;
    outputButtons->addWidget(ButtonAddOutput);
    outputButtons->addWidget(ButtonDeleteOutput);
    outputButtons->addStretch();
    auto* outputLayout = new QHBoxLayout(outputs);
    outputLayout->addWidget(ListBoxOutputs);
    outputLayout->addLayout(outputButtons);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ButtonOK");
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("ButtonCancel");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(varied);
    layout->addWidget(sampling);
    layout->addWidget(outputs);
    layout->addWidget(buttons);

    auto guarded = [this](void (TFormSensitivitySetUp::*command)()) {
        return [this, command] { RunGuarded([&] { (this->*command)(); }, this); };
    };
    connect(ButtonAdd, &QPushButton::clicked, this, guarded(&TFormSensitivitySetUp::AddVaried));
    connect(ButtonEdit, &QPushButton::clicked, this, guarded(&TFormSensitivitySetUp::EditVaried));
    connect(ListViewVaried, &QTreeWidget::itemDoubleClicked, this,
            guarded(&TFormSensitivitySetUp::EditVaried));
    connect(ButtonDelete, &QPushButton::clicked, this,
            guarded(&TFormSensitivitySetUp::DeleteVaried));
    connect(ButtonAddOutput, &QPushButton::clicked, this,
            guarded(&TFormSensitivitySetUp::AddOutput));
    connect(ButtonDeleteOutput, &QPushButton::clicked, this,
            guarded(&TFormSensitivitySetUp::DeleteOutput));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TFormSensitivitySetUp::Fill(const TSimulationObject& model) {
    Model = &model;
    SetUp = model.Sensitivity;
    ComboBoxMethod->setCurrentIndex(SetUp.Method);
    EditRuns->SetValue(SetUp.Runs);
    EditSeed->SetValue(SetUp.Seed);
    ShowVaried(0);
    ShowOutputs(0);
}

void TFormSensitivitySetUp::ShowVaried(int select) {
    ListViewVaried->clear();
    for (const TVariedElement& varied : SetUp.Varied)
        ListViewVaried->addTopLevelItem(new QTreeWidgetItem(
            {ShownName(Model, varied.Identifier), Q(VariedSourceText(varied.Source))}));
    const int count = ListViewVaried->topLevelItemCount();
    if (count > 0)
        ListViewVaried->setCurrentItem(
            ListViewVaried->topLevelItem(std::clamp(select, 0, count - 1)));
    ButtonEdit->setEnabled(count > 0);
    ButtonDelete->setEnabled(count > 0);
}

void TFormSensitivitySetUp::ShowOutputs(int select) {
    ListBoxOutputs->clear();
    for (const std::string& output : SetUp.Outputs)
        ListBoxOutputs->addItem(ShownName(Model, output));
    const int count = ListBoxOutputs->count();
    if (count > 0) ListBoxOutputs->setCurrentRow(std::clamp(select, 0, count - 1));
    ButtonDeleteOutput->setEnabled(count > 0);
}

void TFormSensitivitySetUp::AddVaried() {
    if (!Model) return;
    TVariableObject* element = SelectVariable(*Model, nullptr, this);
    if (!element) return;
    if (!CanVary(*element)) {
        ShowError(Q(element->Name + " cannot vary: its equation is not a plain number."), this);
        return;
    }
    for (size_t i = 0; i < SetUp.Varied.size(); ++i) {
        if (SameIdentifier(SetUp.Varied[i].Identifier, element->Identifier())) {
            ShowVaried(static_cast<int>(i));
            EditVaried();
            return;
        }
    }
    double value = 0;
    TryStrToFloat(element->Equation, value);
    TFormVariedSource source(this);
    source.Fill(Q(element->Name), GuessSource(value));
    if (Hooks().Exec(source) != QDialog::Accepted) return;
    SetUp.Varied.push_back({element->Identifier(), source.Source});
    ShowVaried(static_cast<int>(SetUp.Varied.size()) - 1);
}

void TFormSensitivitySetUp::EditVaried() {
    const int row = ListViewVaried->indexOfTopLevelItem(ListViewVaried->currentItem());
    if (row < 0 || row >= static_cast<int>(SetUp.Varied.size())) return;
    TVariedElement& varied = SetUp.Varied[static_cast<size_t>(row)];
    TFormVariedSource source(this);
    source.Fill(ShownName(Model, varied.Identifier), varied.Source);
    if (Hooks().Exec(source) != QDialog::Accepted) return;
    varied.Source = source.Source;
    ShowVaried(row);
}

void TFormSensitivitySetUp::DeleteVaried() {
    const int row = ListViewVaried->indexOfTopLevelItem(ListViewVaried->currentItem());
    if (row < 0 || row >= static_cast<int>(SetUp.Varied.size())) return;
    SetUp.Varied.erase(SetUp.Varied.begin() + row);
    ShowVaried(row);
}

void TFormSensitivitySetUp::AddOutput() {
    if (!Model) return;
    TVariableObject* element = SelectVariable(*Model, nullptr, this);
    if (!element) return;
    int row = 0;
    for (const std::string& output : SetUp.Outputs) {
        if (SameIdentifier(output, element->Identifier())) return ShowOutputs(row);
        ++row;
    }
    SetUp.Outputs.push_back(element->Identifier());
    ShowOutputs(static_cast<int>(SetUp.Outputs.size()) - 1);
}

void TFormSensitivitySetUp::DeleteOutput() {
    const int row = ListBoxOutputs->currentRow();
    if (row < 0 || row >= static_cast<int>(SetUp.Outputs.size())) return;
    SetUp.Outputs.erase(SetUp.Outputs.begin() + row);
    ShowOutputs(row);
}

bool TFormSensitivitySetUp::Read(TSensitivitySetUp& setUp) {
    TSensitivitySetUp read = SetUp;
    read.Method = static_cast<TSamplingMethod>(std::clamp(ComboBoxMethod->currentIndex(), 0, 2));
    const std::optional<double> runs = EditRuns->Value();
    if (!runs || *runs < 1 || *runs > MaxSensitivityRuns) {
        ShowError("The number of runs must be a whole number from 1 to " +
                      Q(CountText(MaxSensitivityRuns)),
                  this);
        EditRuns->setFocus();
        return false;
    }
    read.Runs = static_cast<int32_t>(*runs);
    const std::optional<double> seed = EditSeed->Value();
    if (!seed || *seed < 0 || *seed > INT32_MAX) {
        ShowError("The seed must be a whole number from 0 to 2147483647", this);
        EditSeed->setFocus();
        return false;
    }
    read.Seed = static_cast<int32_t>(*seed);
    if (read.Method == smGrid) {
        std::vector<TVariedSource> sources;
        for (const TVariedElement& varied : read.Varied)
            sources.push_back(varied.Source);
        std::string problem;
        if (GridRunCount(sources, MaxSensitivityRuns, problem) == 0 && !sources.empty()) {
            ShowError(Q(problem), this);
            return false;
        }
    }
    setUp = std::move(read);
    return true;
}

void TFormSensitivitySetUp::done(int result) {
    if (result == QDialog::Accepted && !Read(SetUp)) return;
    QDialog::done(result);
}

TFormVariedSource::TFormVariedSource(QWidget* parent) : QDialog(parent) {
    setObjectName("FormVariedSource");
    setWindowTitle("Source");
    EditSource = new QLineEdit;
    EditSource->setObjectName("EditSource");
    EditSource->setMinimumWidth(320);
    auto* label = new QLabel("&Source:");
    label->setBuddy(EditSource);
    auto* help = new QLabel("uniform(min, max)\nnormal(mean, sd) or normal(mean, sd, min, max)\n"
                            "triangular(min, mode, max)\nlist(v1, v2, ...)\n"
                            "steps(start, stop, count)");
    help->setObjectName("LabelSourceForms");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ButtonOK");
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("ButtonCancel");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(EditSource);
    layout->addWidget(help);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TFormVariedSource::Fill(const QString& element, const TVariedSource& source) {
    setWindowTitle("Source of " + element);
    Source = source;
    EditSource->setText(Q(VariedSourceText(source)));
    EditSource->selectAll();
}

void TFormVariedSource::done(int result) {
    if (result == QDialog::Accepted) {
        std::string problem;
        if (!ParseVariedSource(S(EditSource->text()), Source, problem)) {
            ShowError(Q("The source cannot be used: " + problem + "."), this);
            EditSource->setFocus();
            return;
        }
    }
    QDialog::done(result);
}

bool ShowSensitivitySetUp(TDataFile& document, bool running, QWidget* parent) {
    TSimulationObject& model = *document.Simulation;
    if (model.IsStarted() || running) {
        ShowError("You cannot make changes to the sensitivity set-up during a simulation", parent);
        return false;
    }
    TFormSensitivitySetUp dialog(parent);
    dialog.Fill(model);
    if (Hooks().Exec(dialog) != QDialog::Accepted) return false;
    return EditDocument(document, efNone, [&] {
        if (dialog.SetUp == model.Sensitivity) return false;
        model.Sensitivity = dialog.SetUp;
        return true;
    });
}
