#include "app/dialogs/SeriesEntryDialogs.h"

#include "app/Utilities.h"
#include "app/widgets/NumberEdit.h"
#include "core/model/SimulationObjects.h"
#include "core/support/NumberFormat.h"
#include "document/output/SeriesColours.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace {

QDialogButtonBox* AddOkCancel(QDialog* dialog, QBoxLayout* layout) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ButtonOK");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("ButtonCancel");
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return buttons;
}

QComboBox* AddCombo(QFormLayout* form, const char* label, const char* name) {
    auto* combo = new QComboBox;
    combo->setObjectName(name);
    combo->setAccessibleName(QString(label).remove('&').remove(':'));
    form->addRow(label, combo);
    return combo;
}

const QStringList YesNo = {"Yes", "No"};

} // namespace

QIcon ColourSwatch(int32_t colour) {
    QPixmap swatch(16, 12);
    swatch.fill(ColourFromInt(colour));
    QPainter painter(&swatch);
    painter.setPen(Qt::darkGray);
    painter.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    return QIcon(swatch);
}

// ---------------------------------------------------------------------------------------------
// Edit Graph Data Series, Edit Table Data Series

TFormSeriesItemEdit::TFormSeriesItemEdit(bool graph, QWidget* parent)
    : QDialog(parent), IsGraph(graph) {
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    EditElement = new QLineEdit;
    EditElement->setObjectName("EditElement");
    EditElement->setReadOnly(true);
    EditElement->setAccessibleName("Element");
    EditElement->setMinimumWidth(200);
    form->addRow("&Element:", EditElement);
    ComboBoxData = AddCombo(form, "&Data:", "ComboBoxData");
    if (graph) {
        ComboBoxColour = AddCombo(form, "&Colour:", "ComboBoxColour");
        ComboBoxHistory = AddCombo(form, "&History:", "ComboBoxHistory");
        ComboBoxHistory->addItems(YesNo);
        ComboBoxDisplay = AddCombo(form, "Dis&play:", "ComboBoxDisplay");
        ComboBoxDisplay->addItems(YesNo);
    }
    AddOkCancel(this, layout);
}

void TFormSeriesItemEdit::Fill(const TVariableDataLink& entry) {
    const TVariableObject* element = entry.Var();
    EditElement->setText(Q(SeriesEntryName(entry)));
    Kinds = DataKindChoices(element ? element->Kind : uint8_t{ekVariable}, entry.SeriesKind);
    ComboBoxData->clear();
    for (size_t i = 0; i < Kinds.size(); ++i) {
        ComboBoxData->addItem(Q(SeriesKindName(Kinds[i])));
        if (Kinds[i] == entry.SeriesKind) ComboBoxData->setCurrentIndex(static_cast<int>(i));
    }
    History = entry.Run == 0;
    Visible = entry.Visible;
    if (!IsGraph) return;
    ComboBoxColour->clear();
    for (const TPaletteColour& colour : ColourPalette)
        ComboBoxColour->addItem(ColourSwatch(colour.Colour), colour.Name);
    // A colour from elsewhere (a kept run, an older file) stays until the user picks another.
    if (!InColourPalette(entry.Colour))
        ComboBoxColour->addItem(ColourSwatch(entry.Colour), "Other");
    ComboBoxColour->setCurrentIndex(InColourPalette(entry.Colour) ? ColourIndex(entry.Colour)
                                                                  : ComboBoxColour->count() - 1);
    ComboBoxHistory->setCurrentIndex(History ? 0 : 1);
    ComboBoxDisplay->setCurrentIndex(Visible ? 0 : 1);
    const bool kept = entry.Run >= 1;
    ComboBoxData->setEnabled(!kept);
    ComboBoxHistory->setEnabled(!kept);
}

TSeriesEntryChoice TFormSeriesItemEdit::Choice() const {
    TSeriesEntryChoice choice;
    const int data = ComboBoxData->currentIndex();
    choice.Kind = data >= 0 && data < static_cast<int>(Kinds.size())
                      ? Kinds[static_cast<size_t>(data)]
                      : (Kinds.empty() ? uint8_t{skSimulated} : Kinds.front());
    choice.History = History;
    choice.Visible = Visible;
    if (!IsGraph) return choice;
    const int colour = ComboBoxColour->currentIndex();
    if (colour >= 0 && colour < static_cast<int>(ColourPalette.size()))
        choice.Colour = ColourPalette[static_cast<size_t>(colour)].Colour;
    choice.History = ComboBoxHistory->currentIndex() == 0;
    choice.Visible = ComboBoxDisplay->currentIndex() == 0;
    return choice;
}

TFormGraphItemEdit::TFormGraphItemEdit(QWidget* parent) : TFormSeriesItemEdit(true, parent) {
    setObjectName("FormGraphItemEdit");
    setWindowTitle("Edit Graph Data Series");
}

TFormTableItemEdit::TFormTableItemEdit(QWidget* parent) : TFormSeriesItemEdit(false, parent) {
    setObjectName("FormTableItemEdit");
    setWindowTitle("Edit Table Data Series");
}

// ---------------------------------------------------------------------------------------------
// Set Y Axis

TformGraphYAxis::TformGraphYAxis(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("FormGraphYAxis");
    setWindowTitle("Set Y Axis");
    auto* layout = new QVBoxLayout(this);
    auto* scale = new QGroupBox("Scale");
    auto* grid = new QGridLayout(scale);
    layout->addWidget(scale);
    const auto addBound = [&](int row, const char* label, const char* checkName,
                              const char* editName, QCheckBox*& check, TNumberEdit*& edit) {
        check = new QCheckBox("Auto");
        check->setObjectName(checkName);
        check->setAccessibleName(QString(label).remove('&').remove(':') + " Auto");
        edit = new TNumberEdit(nullptr, -1);
        edit->setObjectName(editName);
        edit->setAccessibleName(QString(label).remove('&').remove(':'));
        edit->installEventFilter(this);
        auto* caption = new QLabel(label);
        caption->setBuddy(edit);
        grid->addWidget(caption, row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(check, row, 2);
        connect(check, &QCheckBox::toggled, edit, [edit](bool on) { edit->setEnabled(!on); });
        connect(edit, &QLineEdit::textEdited, this, [this, edit] {
            LastEdited = edit;
            EditedSinceCheck = true;
        });
    };
    addBound(0, "M&in:", "CheckBoxMinAuto", "EditMin", CheckBoxMinAuto, EditMin);
    addBound(1, "M&ax:", "CheckBoxMaxAuto", "EditMax", CheckBoxMaxAuto, EditMax);
    AddOkCancel(this, layout);
}

void TformGraphYAxis::Fill(double yMin, double yMax) {
    const auto show = [](QCheckBox* check, TNumberEdit* edit, double value) {
        const bool automatic = !std::isfinite(value);
        const QSignalBlocker blocker(check);
        check->setChecked(automatic);
        edit->setEnabled(!automatic);
        edit->SetValue(automatic ? 0 : value);
    };
    show(CheckBoxMinAuto, EditMin, yMin);
    show(CheckBoxMaxAuto, EditMax, yMax);
    LastEdited = nullptr;
    EditedSinceCheck = false;
}

double TformGraphYAxis::YMin() const {
    if (CheckBoxMinAuto->isChecked()) return std::numeric_limits<double>::infinity();
    return EditMin->Value().value_or(0);
}

double TformGraphYAxis::YMax() const {
    if (CheckBoxMaxAuto->isChecked()) return -std::numeric_limits<double>::infinity();
    return EditMax->Value().value_or(0);
}

bool TformGraphYAxis::CheckBounds() {
    TNumberEdit* focus = LastEdited ? LastEdited : EditMin;
    QString error;
    const bool minFixed = !CheckBoxMinAuto->isChecked();
    const bool maxFixed = !CheckBoxMaxAuto->isChecked();
    if ((minFixed && !EditMin->Value()) || (maxFixed && !EditMax->Value())) {
        if (minFixed && !EditMin->Value())
            focus = EditMin;
        else
            focus = EditMax;
        error = "Please enter a number in every field";
    } else if (minFixed && maxFixed && !(YMax() - YMin() > FloatTolerance)) {
        error = "Min value must be smaller than max value";
    }
    if (error.isEmpty()) return true;
    ShowError(error, this);
    focus->setFocus();
    focus->selectAll();
    return false;
}

void TformGraphYAxis::accept() {
    if (CheckBounds()) QDialog::accept();
}

bool TformGraphYAxis::eventFilter(QObject* watched, QEvent* event) {
    // Entering a field after changing the other checks the pair; the message waits until
    // the focus change is over.
    if (event->type() == QEvent::FocusIn && EditedSinceCheck &&
        (watched == EditMin || watched == EditMax)) {
        EditedSinceCheck = false;
        QTimer::singleShot(0, this, [this] { RunGuarded([this] { CheckBounds(); }, this); });
    }
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Table Settings

TFormTableSettings::TFormTableSettings(QWidget* parent) : QDialog(parent) {
    setObjectName("FormTableSettings");
    setWindowTitle("Table Settings");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    EditInterval = new QLineEdit;
    EditInterval->setObjectName("EditInterval");
    EditInterval->setAccessibleName("View Interval (Time-Steps)");
    // Whole numbers from 1 to 100 only, whatever the locale.
    EditInterval->setValidator(
        new QRegularExpressionValidator(QRegularExpression("100|[1-9][0-9]?"), EditInterval));
    form->addRow("&View Interval (Time-Steps) :", EditInterval);
    QPushButton* ok = AddOkCancel(this, layout)->button(QDialogButtonBox::Ok);
    connect(EditInterval, &QLineEdit::textChanged, ok,
            [this, ok] { ok->setEnabled(EditInterval->hasAcceptableInput()); });
}

void TFormTableSettings::Fill(int32_t interval) {
    EditInterval->setText(QString::number(std::clamp(interval, 1, 100)));
}

int32_t TFormTableSettings::Interval() const {
    return std::clamp(EditInterval->text().toInt(), 1, 100);
}
