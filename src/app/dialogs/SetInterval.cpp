#include "app/dialogs/SetInterval.h"

#include "app/Utilities.h"
#include "app/widgets/NumberEdit.h"
#include "core/support/NumberFormat.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFormSetInterval::TFormSetInterval(QWidget* parent) : QDialog(parent) {
    setObjectName("FormSetInterval");
    setWindowTitle("Graph Time Interval");
    EditInterval = new TNumberEdit(this, -1);
    EditInterval->setObjectName("EditInterval");
    auto* form = new QFormLayout;
    auto* label = new QLabel("Graph Time Interval :", this);
    label->setBuddy(EditInterval);
    EditInterval->setAccessibleName("Graph Time Interval");
    form->addRow(label, EditInterval);
    auto* buttons = new QDialogButtonBox(this);
    ButtonOK = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    ButtonOK->setObjectName("ButtonOK");
    ButtonOK->setDefault(true);
    ButtonCancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    ButtonCancel->setObjectName("ButtonCancel");
    connect(ButtonOK, &QPushButton::clicked, this, [this] { RunGuarded([this] { TryAccept(); }); });
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void TFormSetInterval::Set(double interval, double span) {
    Shown = interval;
    Span = span;
    Chosen = interval;
    EditInterval->SetValue(interval);
}

void TFormSetInterval::Restore() {
    EditInterval->SetValue(Shown);
}

void TFormSetInterval::TryAccept() {
    const std::optional<double> typed = EditInterval->Value();
    if (!typed || !(*typed > 0)) {
        ShowMessage(TMessageKind::Warning, "The interval must be larger than 0", mbOK, this);
        Restore();
        return;
    }
    const double v = *typed;
    if (v > Span) {
        ShowMessage(TMessageKind::Warning,
                    "The interval can be no larger than " + Q(FloatToStr(Span)), mbOK, this);
        Restore();
        return;
    }
    if (Span / v > 10000) {
        ShowMessage(TMessageKind::Warning,
                    "This interval will generate more than 10000 data points. Please select a "
                    "larger interval.",
                    mbOK, this);
        Restore();
        return;
    }
    if (Span / v > 1000) {
        if (ShowMessage(TMessageKind::Confirmation,
                        "This interval will generate in excess of 1000 data points and will have "
                        "an adverse affect on simulation run speed. Are you sure that you wish "
                        "to make the change?",
                        mbOK | mbCancel, this) != mbOK) {
            Restore();
            return;
        }
    } else if (ShowMessage(TMessageKind::Confirmation,
                           "Changing the interval will clear all data from the graph.  Do you "
                           "wish to make the change?",
                           mbOK | mbCancel, this) != mbOK) {
        reject();
        return;
    }
    Chosen = v;
    accept();
}
