// The Element Set-Up dialog: building it, filling it, the equation page and the buttons.
// The sketch page's handlers live in ElementSketchPage.cpp.
#include "app/dialogs/ElementSetUp.h"

#include "app/Utilities.h"
#include "app/dialogs/GraphFunctionEditor.h"
#include "app/widgets/DataGrid.h"
#include "app/widgets/NumberEdit.h"
#include "app/widgets/SketchPlot.h"
#include "core/equations/GraphFunction.h"
#include "core/model/SimulationObjects.h"
#include "core/support/NumberFormat.h"
#include "core/support/Text.h"
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"
#include "document/model/DocumentEdits.h"
#include "document/model/ElementEdits.h"

#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <set>

namespace {

enum TTreeRole { RoleFunction = Qt::UserRole, RoleCategory };
constexpr int VariablesCategory = -1;

// Byte positions of our UTF-8 texts and character positions of Qt's, both ways.
size_t BytePosition(const QString& text, int position) {
    return static_cast<size_t>(text.left(position).toUtf8().size());
}
int CharPosition(const std::string& text, size_t position) {
    return static_cast<int>(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(std::min(position, text.size())))
            .size());
}

QLabel* Caption(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    buddy->setAccessibleName(QString(text).remove(':').trimmed());
    return label;
}

} // namespace

TFormVariable::TFormVariable(QWidget* parent) : QDialog(parent) {
    setObjectName("FormVariable");
    setWindowTitle("Element Set-Up");
    // First: both pages report to it.
    VariableStatusBar = new QStatusBar(this);
    VariableStatusBar->setObjectName("VariableStatusBar");
    VariableStatusBar->setSizeGripEnabled(false);
    PageControlVariable = new QTabWidget(this);
    PageControlVariable->setObjectName("PageControlVariable");
    TabSheetEquation = BuildEquationPage();
    TabSheetGraph = BuildGraphPage();
    PageControlVariable->addTab(TabSheetEquation, "Equation");
    PageControlVariable->addTab(TabSheetGraph, "Graph");

    ButtonOK = new QPushButton("OK", this);
    ButtonOK->setObjectName("ButtonOK");
    ButtonOK->setDefault(true);
    ButtonCancel = new QPushButton("Cancel", this);
    ButtonCancel->setObjectName("ButtonCancel");
    ButtonApply = new QPushButton("Apply", this);
    ButtonApply->setObjectName("ButtonApply");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ButtonOK);
    buttons->addWidget(ButtonCancel);
    buttons->addWidget(ButtonApply);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControlVariable, 1);
    layout->addLayout(buttons);
    layout->addWidget(VariableStatusBar);
    resize(760, 560);

    connect(ButtonOK, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { PressOK(); }, this); });
    connect(ButtonApply, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { PressApply(); }, this); });
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TFormVariable::~TFormVariable() {
    // A showing left without OK or Cancel still ends as Cancel.
    if (Edit) reject();
}

QWidget* TFormVariable::BuildEquationPage() {
    auto* page = new QWidget(this);
    page->setObjectName("TabSheetEquation");
    EditName = new QLineEdit(page);
    EditName->setObjectName("EditName");
    ComboBoxUnits = new QComboBox(page);
    ComboBoxUnits->setObjectName("ComboBoxUnits");
    ComboBoxUnits->setEditable(true);
    ComboBoxUnits->setInsertPolicy(QComboBox::NoInsert);
    MemoEquation = new QPlainTextEdit(page);
    MemoEquation->setObjectName("MemoEquation");
    MemoEquation->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoEquation->viewport()->installEventFilter(this);
    SingleEditValue = new TNumberEdit(page, -1);
    SingleEditValue->setObjectName("SingleEditValue");
    SingleEditValue->setAccessibleName("Current Value");
    MemoNotes = new QPlainTextEdit(page);
    MemoNotes->setObjectName("MemoNotes");
    TreeNTEquationElements = new QTreeWidget(page);
    TreeNTEquationElements->setObjectName("TreeNTEquationElements");
    TreeNTEquationElements->setHeaderHidden(true);
    TreeNTEquationElements->setEditTriggers(QAbstractItemView::NoEditTriggers);
    XYGraphBtn = new QPushButton("XY Graph", page);
    XYGraphBtn->setObjectName("XYGraphBtn");
    CheckBoxNonNegative = new QCheckBox("Non-negative", page);
    CheckBoxNonNegative->setObjectName("CheckBoxNonNegative");
    CheckBoxNonNegative->setToolTip("A resource never goes below zero: its outflows are cut "
                                    "back.\nA flow never takes a negative value.");

    auto* form = new QGridLayout(page);
    form->addWidget(Caption("Name:", EditName, page), 0, 0);
    form->addWidget(EditName, 0, 1);
    form->addWidget(Caption("Units:", ComboBoxUnits, page), 1, 0);
    form->addWidget(ComboBoxUnits, 1, 1);
    LabelEquation = Caption("Equation:", MemoEquation, page);
    LabelEquation->setObjectName("LabelEquation");
    form->addWidget(LabelEquation, 2, 0, 1, 2);
    auto* equation = new QVBoxLayout;
    equation->setContentsMargins(0, 0, 0, 0);
    equation->addWidget(MemoEquation, 1);
    equation->addWidget(SingleEditValue);
    form->addLayout(equation, 3, 0, 1, 2);
    form->addWidget(Caption("Notes:", MemoNotes, page), 4, 0, 1, 2);
    form->addWidget(MemoNotes, 5, 0, 1, 2);
    auto* elements = Caption("Equation Elements:", TreeNTEquationElements, page);
    form->addWidget(elements, 0, 2);
    form->addWidget(TreeNTEquationElements, 1, 2, 5, 1);
    form->addWidget(CheckBoxNonNegative, 6, 0, 1, 2);
    form->addWidget(XYGraphBtn, 6, 2);
    form->setRowStretch(3, 2);
    form->setRowStretch(5, 1);
    form->setColumnStretch(1, 3);
    form->setColumnStretch(2, 2);

    connect(XYGraphBtn, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { PressXYGraph(); }, this); });
    connect(TreeNTEquationElements, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { ShowTreeHelp(item); });
    connect(TreeNTEquationElements, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { RunGuarded([&] { InsertTreeItem(item); }, this); });
    for (QWidget* field : {static_cast<QWidget*>(EditName), static_cast<QWidget*>(MemoEquation),
                           static_cast<QWidget*>(MemoNotes)})
        if (auto* line = qobject_cast<QLineEdit*>(field))
            connect(line, &QLineEdit::textEdited, this, [this] { MarkChanged(); });
        else
            connect(static_cast<QPlainTextEdit*>(field), &QPlainTextEdit::textChanged, this,
                    [this] { MarkChanged(); });
    connect(ComboBoxUnits, &QComboBox::editTextChanged, this, [this] { MarkChanged(); });
    connect(SingleEditValue, &QLineEdit::textEdited, this, [this] { MarkChanged(); });
    connect(CheckBoxNonNegative, &QCheckBox::toggled, this, [this] { MarkChanged(); });
    return page;
}

void TFormVariable::MarkChanged() {
    if (!Filling) Changed = true;
}

void TFormVariable::FillTree() {
    TreeNTEquationElements->clear();
    auto* variables = new QTreeWidgetItem(TreeNTEquationElements, QStringList{"Variables"});
    variables->setData(0, RoleCategory, VariablesCategory - 1);
    for (const TDependency* dependency : Element->Dependencies) {
        const TVariableObject* source = dependency->Source.GetTarget();
        if (!dependency->IsInformationLink() || !source) continue;
        auto* item = new QTreeWidgetItem(variables, QStringList{Q(source->Name)});
        item->setData(0, RoleCategory, VariablesCategory);
    }
    for (int category = 0; category < 6; ++category) {
        auto* node = new QTreeWidgetItem(TreeNTEquationElements,
                                         QStringList{FunctionCategoryNames[category]});
        node->setData(0, RoleCategory, -2);
        for (int i = 0; i < FunctionCount; ++i) {
            if (FunctionList[i].Category != category) continue;
            auto* item = new QTreeWidgetItem(node, QStringList{FunctionList[i].Name});
            item->setData(0, RoleCategory, category);
            item->setData(0, RoleFunction, i);
        }
    }
}

bool TFormVariable::RunBegun() const {
    return Document && Document->Simulation->IsStarted();
}

void TFormVariable::ShowFor(TDataFile& document, TVariableObject& element) {
    Document = &document;
    Element = &element;
    Outcome = TDialogResult::Cancelled;
    Edit = std::make_unique<TDocumentEdit>(document, efCheck | efDerive);
    Filling = true;
    std::set<std::string> units;
    for (const TVariableObject* other : document.Simulation->Variables)
        if (!IsBlank(other->Units)) units.insert(Trim(other->Units));
    ComboBoxUnits->clear();
    for (const std::string& unit : units)
        ComboBoxUnits->addItem(Q(unit));
    ShownSketch.Assign(element.Sketched);
    ShownLowerY = element.LowerY;
    ShownUpperY = element.UpperY;
    EditName->setText(Q(element.Name));
    ComboBoxUnits->setEditText(Q(element.Units));
    MemoEquation->setPlainText(Q(element.Equation));
    MemoNotes->setPlainText(Q(element.Notes));
    CheckBoxNonNegative->setVisible(element.Kind == ekResource || element.Kind == ekFlow);
    CheckBoxNonNegative->setChecked(element.NonNegative);
    SetScaleFields();
    (element.Sketched.Stepwise ? RadioStep : RadioInterpolate)->setChecked(true);
    FillTree();
    LabelEquation->setText(element.Kind == ekResource ? "Initialization Equation or Value:"
                                                      : "Equation:");
    const bool begun = RunBegun();
    const bool valueField =
        begun && element.Kind != ekResource && !element.Root && element.Sketched.IsEmpty();
    SetReadOnly(begun, valueField);
    if (valueField) SingleEditValue->SetValue(element.Value);
    BuildGrid();
    VariableStatusBar->clearMessage();
    PageControlVariable->setCurrentWidget(TabSheetEquation);
    Changed = false;
    ScaleChanged = false;
    PreviousRow = -1;
    Filling = false;
    if (begun && document.Simulation->IsFinished() && !document.ResetWarningShown) {
        document.ResetWarningShown = true;
        ShowMessage(TMessageKind::Warning,
                    "You must reset the simulation before you can make changes to any elements",
                    mbOK, this);
    }
}

void TFormVariable::SetReadOnly(bool readOnly, bool valueField) {
    EditName->setReadOnly(readOnly);
    EditName->setEnabled(!readOnly);
    ComboBoxUnits->setEnabled(!readOnly);
    CheckBoxNonNegative->setEnabled(!readOnly);
    MemoEquation->setReadOnly(readOnly);
    MemoEquation->setEnabled(!readOnly);
    MemoNotes->setReadOnly(readOnly);
    MemoNotes->setEnabled(!readOnly);
    TreeNTEquationElements->setEnabled(!readOnly);
    // The run may be reading the series and the equation: no GRAPH editing either.
    XYGraphBtn->setEnabled(!readOnly);
    RadioGroupDataFormat->setEnabled(!readOnly);
    IntervalBtn->setEnabled(!readOnly);
    ButtonClear->setEnabled(!readOnly);
    ButtonReset->setEnabled(!readOnly);
    FormattedDataGridGraph->ActionPaste->setEnabled(!readOnly);
    ActionClear->setEnabled(!readOnly);
    ActionReset->setEnabled(!readOnly);
    LabelEquation->setText(valueField ? "Current Value:" : LabelEquation->text());
    MemoEquation->setVisible(!valueField);
    SingleEditValue->setVisible(valueField);
    SingleEditValue->setReadOnly(Document->Simulation->IsFinished());
    LabelEquation->setBuddy(valueField ? static_cast<QWidget*>(SingleEditValue) : MemoEquation);
}

void TFormVariable::ShowTreeHelp(QTreeWidgetItem* item) {
    const int category = item ? item->data(0, RoleCategory).toInt() : -2;
    if (category != 1 && category != 2 && category != 5) return;
    const TFunctionListItem& function = FunctionList[item->data(0, RoleFunction).toInt()];
    VariableStatusBar->showMessage(QString(function.Name) + function.ParamHelp);
}

void TFormVariable::ReplaceEquation(const std::string& text, size_t cursor) {
    MemoEquation->setPlainText(Q(text));
    QTextCursor place = MemoEquation->textCursor();
    place.setPosition(CharPosition(text, cursor));
    MemoEquation->setTextCursor(place);
    MemoEquation->setFocus();
    Changed = true;
}

void TFormVariable::InsertTreeItem(QTreeWidgetItem* item) {
    if (!item || RunBegun()) return;
    const int category = item->data(0, RoleCategory).toInt();
    TInsertion insertion;
    if (category == VariablesCategory)
        insertion = ElementInsertion(S(item->text(0)));
    else if (category >= 0)
        insertion = FunctionInsertion(item->data(0, RoleFunction).toInt());
    else
        return;
    const QString text = MemoEquation->toPlainText();
    const QTextCursor cursor = MemoEquation->textCursor();
    const TInsertion result =
        InsertAtCursor(S(text), BytePosition(text, cursor.selectionStart()),
                       BytePosition(text, cursor.selectionEnd()), insertion.Text, insertion.Cursor);
    ReplaceEquation(result.Text, result.Cursor);
    ShowTreeHelp(item);
}

namespace {

// The GRAPH editor behind a call's text; empty when the call is invalid or was cancelled.
std::string EditCall(const std::string& call, QWidget* parent) {
    TGraphCallEditor editor;
    editor.ShowError = [parent](const char* message) { ShowError(message, parent); };
    editor.ShowWarning = [parent](const char* message) {
        ShowMessage(TMessageKind::Warning, message, mbOK, parent);
    };
    editor.EditTable = [parent](TDataSeries& table) {
        TFormXYGraph form(parent);
        return form.Edit(table);
    };
    return EditGraphCall(call, editor);
}

} // namespace

bool TFormVariable::EditGraphAt(int position) {
    if (RunBegun() || MemoEquation->isReadOnly()) return false;
    const QString text = MemoEquation->toPlainText();
    const std::string plain = S(text);
    const size_t at = BytePosition(text, position);
    const std::optional<TTextSpan> call = FindGraphCallAtCursor(plain, at, at);
    if (!call) return false;
    const std::string edited = EditCall(plain.substr(call->Start, call->End - call->Start), this);
    if (!edited.empty())
        ReplaceEquation(plain.substr(0, call->Start) + edited + plain.substr(call->End), at);
    return true;
}

void TFormVariable::PressXYGraph() {
    if (RunBegun()) return;
    const QString text = MemoEquation->toPlainText();
    const std::string plain = S(text);
    const QTextCursor cursor = MemoEquation->textCursor();
    const size_t start = BytePosition(text, cursor.selectionStart());
    const size_t end = BytePosition(text, cursor.selectionEnd());
    if (const std::optional<TTextSpan> call = FindGraphCallAtCursor(plain, start, end)) {
        const std::string edited =
            EditCall(plain.substr(call->Start, call->End - call->Start), this);
        if (!edited.empty())
            ReplaceEquation(plain.substr(0, call->Start) + edited + plain.substr(call->End),
                            (start + end) / 2);
        return;
    }
    const std::string created = EditCall({}, this);
    if (created.empty()) return;
    // The cursor waits after "GRAPH( " for the index expression.
    const TInsertion result = InsertAtCursor(plain, start, end, created, 7);
    ReplaceEquation(result.Text, result.Cursor);
}

bool TFormVariable::eventFilter(QObject* watched, QEvent* event) {
    if (watched == MemoEquation->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int position =
            MemoEquation->cursorForPosition(mouse->position().toPoint()).position();
        bool handled = false;
        RunGuarded([&] { handled = EditGraphAt(position); }, this);
        return handled;
    }
    return QDialog::eventFilter(watched, event);
}

bool TFormVariable::ApplyChanges() {
    TVariableObject& element = *Element;
    if (RunBegun()) {
        if (Changed && !SingleEditValue->isHidden()) {
            if (const std::optional<double> value = SingleEditValue->Value()) {
                Edit->Touch();
                element.Value = *value;
            }
        }
        return true;
    }
    const std::string name = S(EditName->text());
    const std::string refused = ValidateElementName(*Document->Simulation, Element, name);
    if (!refused.empty()) {
        ShowError(Q(refused), this);
        return false;
    }
    if (!Changed) return true;
    const bool touchedBefore = Edit->Touched();
    Edit->Touch();
    const std::string oldIdentifier = element.Identifier();
    const std::string text = Trim(S(MemoEquation->toPlainText()));
    double number = 0;
    if (text.empty() || TryStrToFloat(text, number)) {
        element.InitialValue = text.empty() ? 0 : number;
        element.Value = element.InitialValue;
        element.ExchangeTree(nullptr);
        element.Parsed = false;
        element.HasErrors = false;
    } else {
        // Kept so that No puts the element back as it was, compiled state and all.
        std::unique_ptr<TEquationElement> oldRoot = element.ExchangeTree(nullptr);
        const std::string oldEquation = element.Equation;
        const double oldInitial = element.InitialValue, oldValue = element.Value;
        const bool oldParsed = element.Parsed, oldErrors = element.HasErrors;
        std::vector<bool> used;
        for (const TDependency* dependency : element.Dependencies)
            used.push_back(dependency->Used);
        element.Equation = text;
        element.CompileEquation();
        if (element.HasErrors &&
            ShowMessage(TMessageKind::Error,
                        "There are errors in the equation do you wish to continue ?\n" +
                            Q(EquationErrors),
                        mbYes | mbNo, this) != mbYes) {
            element.ExchangeTree(std::move(oldRoot));
            element.Equation = oldEquation;
            element.InitialValue = oldInitial;
            element.Value = oldValue;
            element.Parsed = oldParsed;
            element.HasErrors = oldErrors;
            for (int32_t i = 0; i < element.Dependencies.Count(); ++i)
                if (static_cast<size_t>(i) < used.size())
                    element.Dependencies[i]->Used = used[static_cast<size_t>(i)];
            if (!touchedBefore) Edit->Abandon();
            return false;
        }
    }
    element.Name = Trim(name);
    element.Units = Trim(S(ComboBoxUnits->currentText()));
    element.Equation = text;
    element.Notes = S(MemoNotes->toPlainText());
    if (element.Kind == ekResource || element.Kind == ekFlow)
        element.NonNegative = CheckBoxNonNegative->isChecked();
    RenameElementEverywhere(*Edit, oldIdentifier, element.Identifier());
    return true;
}

void TFormVariable::Close(TDialogResult outcome) {
    Outcome = outcome;
    if (Edit) Edit->Finish();
    Edit.reset();
    accept();
}

void TFormVariable::PressOK() {
    FormattedDataGridGraph->CommitEditor();
    ApplyScale(false);
    if (!RunBegun() && !Changed &&
        ValidateElementName(*Document->Simulation, Element, S(EditName->text())).empty()) {
        reject();
        return;
    }
    if (ApplyChanges()) Close(TDialogResult::Accepted);
}

void TFormVariable::PressApply() {
    FormattedDataGridGraph->CommitEditor();
    ApplyScale(false);
    if (RunBegun()) {
        if (ApplyChanges()) Close(TDialogResult::Accepted);
        return;
    }
    if (!Changed) return;
    if (ApplyChanges()) Close(TDialogResult::Applied);
}

void TFormVariable::reject() {
    if (Edit) {
        // The sketch comes back as it was shown: points, interval and data format. A scale
        // changed on the way stays, and with it the undo step.
        if (Changed) Element->Sketched.Assign(ShownSketch);
        if (ScaleChanged)
            Edit->Finish();
        else
            Edit->Abandon();
        Edit.reset();
    }
    Outcome = TDialogResult::Cancelled;
    QDialog::reject();
}
