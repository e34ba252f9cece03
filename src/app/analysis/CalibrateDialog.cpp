#include "app/analysis/CalibrateDialog.h"

#include "app/Utilities.h"
#include "app/analysis/AnalysisThread.h"
#include "app/dialogs/VariableSelect.h"
#include "app/widgets/NumberEdit.h"
#include "core/support/NumberFormat.h"
#include "core/support/Text.h"
#include "document/model/DataFile.h"
#include "document/model/FittedValues.h"

#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QPushButton* Button(const char* name, const QString& caption) {
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    return button;
}

QTableWidget* Table(const char* name, const QString& accessible, const QStringList& headings) {
    auto* table = new QTableWidget(0, static_cast<int>(headings.size()));
    table->setObjectName(name);
    table->setAccessibleName(accessible);
    table->setHorizontalHeaderLabels(headings);
    table->verticalHeader()->hide();
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QTableWidgetItem* Fixed(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

QString Number(double value) {
    return Q(CalibrationNumber(value));
}

QString Whole(int64_t n) {
    return Q(CountText(n));
}

// Bounds for a constant just added: half and twice its value, which the user then adjusts.
TFitParameter GuessBounds(const std::string& name, double value) {
    TFitParameter parameter{name, 0, 1};
    if (std::isfinite(value) && value != 0 && std::isfinite(value * 2)) {
        parameter.Low = value > 0 ? value / 2 : value * 2;
        parameter.High = value > 0 ? value * 2 : value / 2;
    }
    return parameter;
}

bool ReadCell(const QTableWidget& table, int row, int column, double& value) {
    const QTableWidgetItem* item = table.item(row, column);
    const std::string text = item ? Trim(S(item->text())) : std::string();
    return !text.empty() && TryStrToFloat(text, value) && std::isfinite(value);
}

} // namespace

TFormCalibrate::TFormCalibrate(TDataFile& document, QWidget* parent)
    : QDialog(parent), Document(document) {
    setObjectName("FormCalibrate");
    setWindowTitle("Calibrate");

    auto* parameters = new QGroupBox("Constants to fit");
    TableParameters =
        Table("TableParameters", "Constants to fit", {"Constant", "Low", "High", "Start"});
    ButtonAddParameter = Button("ButtonAddParameter", "&Add...");
    ButtonDeleteParameter = Button("ButtonDeleteParameter", "&Delete");
    auto* parameterButtons = new QVBoxLayout;
    parameterButtons->addWidget(ButtonAddParameter);
    parameterButtons->addWidget(ButtonDeleteParameter);
    parameterButtons->addStretch();
    auto* parameterLayout = new QHBoxLayout(parameters);
    parameterLayout->addWidget(TableParameters);
    parameterLayout->addLayout(parameterButtons);

    auto* targets = new QGroupBox("Targets (none: every element with observed points)");
    TableTargets = Table("TableTargets", "Targets", {"Target", "Weight (empty: 1 / variance)"});
    ButtonAddTarget = Button("ButtonAddTarget", "A&dd...");
    ButtonDeleteTarget = Button("ButtonDeleteTarget", "De&lete");
    auto* targetButtons = new QVBoxLayout;
    targetButtons->addWidget(ButtonAddTarget);
    targetButtons->addWidget(ButtonDeleteTarget);
    targetButtons->addStretch();
    auto* targetLayout = new QHBoxLayout(targets);
    targetLayout->addWidget(TableTargets);
    targetLayout->addLayout(targetButtons);

    auto* optimiser = new QGroupBox("Optimiser");
    auto* optimiserForm = new QFormLayout(optimiser);
    ComboBoxMethod = new QComboBox;
    ComboBoxMethod->setObjectName("ComboBoxMethod");
    ComboBoxMethod->setAccessibleName("Method");
    for (const char* caption : CalibrationMethodCaptions)
        ComboBoxMethod->addItem(caption);
    optimiserForm->addRow("&Method:", ComboBoxMethod);
    EditEvaluations = new TNumberEdit(nullptr, 0, true);
    EditEvaluations->setObjectName("EditEvaluations");
    EditEvaluations->setAccessibleName("Maximum evaluations");
    optimiserForm->addRow("Maximum &evaluations:", EditEvaluations);
    EditTolerance = new TNumberEdit(nullptr, -1);
    EditTolerance->setObjectName("EditTolerance");
    EditTolerance->setAccessibleName("Relative tolerance");
    optimiserForm->addRow("Relative &tolerance:", EditTolerance);
    EditStarts = new TNumberEdit(nullptr, 0, true);
    EditStarts->setObjectName("EditStarts");
    EditStarts->setAccessibleName("Starts");
    optimiserForm->addRow("&Starts:", EditStarts);

    ButtonStart = Button("ButtonStart", "&Start");
    ButtonCancel = Button("ButtonCancel", "Cancel");
    ButtonCancel->setEnabled(false);
    LabelProgress = new QLabel(" ");
    LabelProgress->setObjectName("LabelProgress");
    ProgressBar = new QProgressBar;
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setAccessibleName("Evaluations done");
    ProgressBar->setRange(0, 1000);
    ProgressBar->setValue(0);
    auto* runRow = new QHBoxLayout;
    runRow->addWidget(ButtonStart);
    runRow->addWidget(ButtonCancel);
    runRow->addWidget(ProgressBar, 1);
    auto* result = new QGroupBox("Result");
    TableResult = Table("TableResult", "Result", {"Constant", "Start", "Fitted", "95% interval"});
    TableResult->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LabelSummary = new QLabel(" ");
    LabelSummary->setObjectName("LabelSummary");
    LabelSummary->setWordWrap(true);
    LabelSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* resultLayout = new QVBoxLayout(result);
    resultLayout->addWidget(TableResult);
    resultLayout->addWidget(LabelSummary);

    auto* buttons = new QDialogButtonBox;
    ButtonApply = buttons->addButton("A&pply", QDialogButtonBox::AcceptRole);
    ButtonApply->setObjectName("ButtonApply");
    ButtonApply->setEnabled(false);
    ButtonClose = buttons->addButton(QDialogButtonBox::Close);
    ButtonClose->setObjectName("ButtonClose");

    auto* settings = new QHBoxLayout;
    auto* lists = new QVBoxLayout;
    lists->addWidget(parameters);
    lists->addWidget(targets);
    settings->addLayout(lists, 1);
    settings->addWidget(optimiser, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(settings);
    layout->addLayout(runRow);
    layout->addWidget(LabelProgress);
    layout->addWidget(result);
    layout->addWidget(buttons);
    for (QTableWidget* table : {TableParameters, TableTargets, TableResult})
        table->setMinimumHeight(96);
    for (QTableWidget* table : {TableParameters, TableTargets, TableResult}) {
        table->setWordWrap(false);
        table->setColumnWidth(0, 150);
    }
    TableParameters->setMinimumWidth(420);
    TableParameters->setColumnWidth(1, 80);
    TableParameters->setColumnWidth(2, 80);
    TableResult->setColumnWidth(1, 80);
    TableResult->setColumnWidth(2, 170);
    resize(720, 620);

    auto guarded = [this](void (TFormCalibrate::*command)()) {
        return [this, command] { RunGuarded([&] { (this->*command)(); }, this); };
    };
    connect(ButtonAddParameter, &QPushButton::clicked, this,
            guarded(&TFormCalibrate::AddParameter));
    connect(ButtonDeleteParameter, &QPushButton::clicked, this,
            guarded(&TFormCalibrate::DeleteParameter));
    connect(ButtonAddTarget, &QPushButton::clicked, this, guarded(&TFormCalibrate::AddTarget));
    connect(ButtonDeleteTarget, &QPushButton::clicked, this,
            guarded(&TFormCalibrate::DeleteTarget));
    connect(ButtonStart, &QPushButton::clicked, this, guarded(&TFormCalibrate::StartCalibration));
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormCalibrate::CancelCalibration);
    connect(ButtonApply, &QPushButton::clicked, this, guarded(&TFormCalibrate::ApplyResult));
    connect(ButtonClose, &QPushButton::clicked, this, &TFormCalibrate::reject);
}

void TFormCalibrate::AddParameterRow(const TFitParameter& parameter) {
    const TVariableObject* element = FindElement(*Document.Simulation, parameter.Name);
    if (!element) return;
    const int row = TableParameters->rowCount();
    TableParameters->insertRow(row);
    TableParameters->setItem(row, 0, Fixed(Q(element->Name)));
    TableParameters->setItem(row, 1, new QTableWidgetItem(Number(parameter.Low)));
    TableParameters->setItem(row, 2, new QTableWidgetItem(Number(parameter.High)));
    TableParameters->setItem(row, 3, Fixed(Q(Trim(element->Equation))));
    TableParameters->setCurrentCell(row, 1);
}

void TFormCalibrate::AddTargetRow(const TFitTarget& target) {
    const TVariableObject* element = FindElement(*Document.Simulation, target.Name);
    if (!element) return;
    const int row = TableTargets->rowCount();
    TableTargets->insertRow(row);
    TableTargets->setItem(row, 0, Fixed(Q(element->Name)));
    TableTargets->setItem(row, 1,
                          new QTableWidgetItem(target.OwnWeight ? Number(target.Weight) : ""));
    TableTargets->setCurrentCell(row, 1);
}

void TFormCalibrate::Fill(const TCalibrationSetUp& setUp) {
    SetUp = setUp;
    TableParameters->setRowCount(0);
    for (const TFitParameter& parameter : setUp.Parameters)
        AddParameterRow(parameter);
    TableTargets->setRowCount(0);
    for (const TFitTarget& target : setUp.Targets)
        AddTargetRow(target);
    ComboBoxMethod->setCurrentIndex(setUp.Method);
    EditEvaluations->SetValue(static_cast<double>(setUp.MaxEvaluations));
    EditTolerance->SetValue(setUp.Tolerance);
    EditStarts->SetValue(setUp.Starts);
}

bool TFormCalibrate::Read(TCalibrationSetUp& setUp) {
    TCalibrationSetUp read;
    for (int row = 0; row < TableParameters->rowCount(); ++row) {
        TFitParameter parameter;
        parameter.Name = S(TableParameters->item(row, 0)->text());
        if (!ReadCell(*TableParameters, row, 1, parameter.Low) ||
            !ReadCell(*TableParameters, row, 2, parameter.High)) {
            ShowError(Q("The bounds of " + parameter.Name + " must be numbers."), this);
            return false;
        }
        read.Parameters.push_back(parameter);
    }
    for (int row = 0; row < TableTargets->rowCount(); ++row) {
        TFitTarget target;
        target.Name = S(TableTargets->item(row, 0)->text());
        const QTableWidgetItem* weight = TableTargets->item(row, 1);
        if (weight && !Trim(S(weight->text())).empty()) {
            target.OwnWeight = true;
            if (!ReadCell(*TableTargets, row, 1, target.Weight) || !(target.Weight > 0)) {
                ShowError(Q("The weight of " + target.Name +
                            " must be a number above 0, or empty for 1 / the variance of its "
                            "points."),
                          this);
                return false;
            }
        }
        read.Targets.push_back(target);
    }
    read.Method = static_cast<TCalibrationMethod>(std::max(0, ComboBoxMethod->currentIndex()));
    // Only whether each is a number is read here: the plan refuses values out of range, with
    // its reasons. Clamped first, so that any number fits the field it goes into.
    const auto evaluations = EditEvaluations->Value();
    const auto tolerance = EditTolerance->Value();
    const auto starts = EditStarts->Value();
    for (const auto& [value, name] :
         {std::pair{evaluations, "maximum number of evaluations"},
          std::pair{tolerance, "relative tolerance"}, std::pair{starts, "number of starts"}})
        if (!value) {
            ShowError(QString("The ") + name + " must be a number.", this);
            return false;
        }
    read.MaxEvaluations = static_cast<int64_t>(
        std::clamp(*evaluations, 0.0, static_cast<double>(MaxCalibrationEvaluations) + 1));
    read.Tolerance = *tolerance;
    read.Starts = static_cast<int32_t>(
        std::clamp(*starts, 0.0, static_cast<double>(MaxCalibrationStarts) + 1));
    read.Seed = SetUp.Seed;
    setUp = std::move(read);
    return true;
}

void TFormCalibrate::AddParameter() {
    TSimulationObject& model = *Document.Simulation;
    TVariableObject* element = SelectVariable(model, nullptr, this);
    if (!element) return;
    if (!CanVary(*element)) {
        ShowError(Q(element->Name + " cannot be fitted: its equation is not a plain number."),
                  this);
        return;
    }
    for (int row = 0; row < TableParameters->rowCount(); ++row)
        if (S(TableParameters->item(row, 0)->text()) == element->Name) {
            TableParameters->setCurrentCell(row, 1);
            return;
        }
    double value = 0;
    TryStrToFloat(Trim(element->Equation), value);
    AddParameterRow(GuessBounds(element->Name, value));
}

void TFormCalibrate::DeleteParameter() {
    const int row = TableParameters->currentRow();
    if (row >= 0) TableParameters->removeRow(row);
}

void TFormCalibrate::AddTarget() {
    TSimulationObject& model = *Document.Simulation;
    TVariableObject* element = SelectVariable(model, nullptr, this);
    if (!element) return;
    if (element->Sketched.IsEmpty()) {
        ShowError(Q(element->Name +
                    " has no observed points: import them with File > Import Data... first."),
                  this);
        return;
    }
    for (int row = 0; row < TableTargets->rowCount(); ++row)
        if (S(TableTargets->item(row, 0)->text()) == element->Name) {
            TableTargets->setCurrentCell(row, 1);
            return;
        }
    AddTargetRow(TFitTarget{element->Name, false, 1});
}

void TFormCalibrate::DeleteTarget() {
    const int row = TableTargets->currentRow();
    if (row >= 0) TableTargets->removeRow(row);
}

void TFormCalibrate::SetRunning(bool running) {
    Running = running;
    for (QWidget* widget : std::initializer_list<QWidget*>{
             TableParameters, ButtonAddParameter, ButtonDeleteParameter, TableTargets,
             ButtonAddTarget, ButtonDeleteTarget, ComboBoxMethod, EditEvaluations, EditTolerance,
             EditStarts, ButtonStart, ButtonClose})
        widget->setEnabled(!running);
    ButtonCancel->setEnabled(running);
    ButtonApply->setEnabled(!running && HasResult);
}

void TFormCalibrate::ShowProgress(qint64 evaluations, double best) {
    if (!Running) return;
    const int64_t most = Plan.MaxEvaluations * static_cast<int64_t>(Plan.Starts);
    LabelProgress->setText("Evaluations: " + Whole(evaluations) + "    Best payoff so far: " +
                           (std::isfinite(best) ? Number(best) : QString("-")));
    ProgressBar->setValue(
        most > 0 ? static_cast<int>(std::min<int64_t>(evaluations, most) * 1000 / most) : 0);
    if (Progressed) Progressed();
}

void TFormCalibrate::StartCalibration() {
    if (Running) return;
    TCalibrationSetUp setUp;
    if (!Read(setUp)) return;
    SetUp = setUp;
    TSimulationObject& model = *Document.Simulation;
    if (!model.CheckModel()) {
        ShowError("There are errors in equations, cannot simulate", this);
        return;
    }
    std::string problem;
    if (PlanCalibration(model, SetUp, Plan, problem) != cpNone) {
        ShowError(Q(problem), this);
        return;
    }
    HasResult = false;
    TableResult->setRowCount(0);
    LabelSummary->setText(" ");
    LabelProgress->setText("Starting...");
    ProgressBar->setValue(0);

    // The copies are made here, on the thread that owns the model.
    TCalibrationRunner runner(model, DefaultAnalysisJobs());
    TCalibrationBridge bridge;
    QEventLoop loop;
    connect(&bridge, &TCalibrationBridge::Progress, this, &TFormCalibrate::ShowProgress);
    connect(&bridge, &TCalibrationBridge::Finished, &loop, &QEventLoop::quit);
    TAnalysisOutcome outcome = aoFailed;
    std::string failure;
    TCalibrationResult result;
    Runner = &runner;
    SetRunning(true);
    RunBesideWindow(
        runner,
        [&] {
            outcome = Calibrate(runner, Plan, result, &bridge, failure);
            emit bridge.Finished();
        },
        [&] { loop.exec(); });
    Runner = nullptr;
    Result = std::move(result);
    HasResult = outcome == aoFinished;
    SetRunning(false);
    ShowResult(outcome, failure);
}

void TFormCalibrate::ShowResult(TAnalysisOutcome outcome, const std::string& failure) {
    if (outcome == aoCancelled) {
        LabelProgress->setText("Cancelled after " + Whole(Result.Evaluations) + " evaluations");
        LabelSummary->setText("Nothing was changed.");
        return;
    }
    if (outcome == aoFailed) {
        LabelProgress->setText("Failed");
        LabelSummary->setText(" ");
        ShowError(Q("The calibration failed: " + failure), this);
        return;
    }
    LabelProgress->setText("Evaluations: " + Whole(Result.Evaluations) +
                           "    Best payoff: " + Number(Result.PayoffAfter));
    ProgressBar->setValue(1000);
    TableResult->setRowCount(static_cast<int>(Plan.Parameters()));
    for (size_t i = 0; i < Plan.Parameters(); ++i) {
        const std::vector<std::string> cells = CalibrationResultRow(Plan, Result, i);
        for (size_t c = 0; c < cells.size(); ++c)
            TableResult->setItem(static_cast<int>(i), static_cast<int>(c), Fixed(Q(cells[c])));
    }
    QString summary = "Payoff before " + Number(Result.PayoffBefore) + ", after " +
                      Number(Result.PayoffAfter) + ". " + Whole(Result.Evaluations) +
                      " evaluations (" + Whole(Result.CurvatureEvaluations) +
                      " more for the intervals) in " + Number(Result.Seconds) + " s. ";
    summary += Result.Converged
                   ? QString("Converged.")
                   : "Stopped at the maximum of " + Whole(Plan.MaxEvaluations) +
                         " evaluations before converging: raise it, or start from the fitted "
                         "values.";
    if (!Result.Warnings.empty())
        summary += "\nSome runs reported errors: " + Q(Result.Warnings.front()) +
                   (Result.Warnings.size() > 1 ? " ..." : "");
    LabelSummary->setText(summary);
}

void TFormCalibrate::CancelCalibration() {
    if (!Running || !Runner) return;
    Runner->Cancel();
    LabelProgress->setText("Cancelling...");
    ButtonCancel->setEnabled(false);
}

void TFormCalibrate::ApplyResult() {
    if (Running || !HasResult) return;
    if (!ApplyFittedValues(Document, Plan, Result.Fitted)) {
        ShowInformation("The fitted values are the model's values already.", this);
        return;
    }
    Applied = true;
    accept();
}

void TFormCalibrate::reject() {
    if (Running) {
        CancelCalibration();
        return;
    }
    QDialog::reject();
}

bool ShowCalibrate(TDataFile& document, bool running, TCalibrationSetUp& setUp, QWidget* parent) {
    if (running || document.Simulation->IsStarted()) {
        ShowError("You cannot calibrate the model during a simulation; reset it first", parent);
        return false;
    }
    TFormCalibrate window(document, parent);
    window.Fill(setUp);
    Hooks().Exec(window);
    setUp = window.SetUp; // as last started
    return window.Applied;
}
