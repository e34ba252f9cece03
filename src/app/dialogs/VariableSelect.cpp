#include "app/dialogs/VariableSelect.h"

#include "app/Utilities.h"
#include "core/model/SimulationObjects.h"
#include "core/support/Text.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace {
// The identifier of the element chosen last.
std::string LastChosen;
} // namespace

TFormVariableSelect::TFormVariableSelect(QWidget* parent) : QDialog(parent) {
    setObjectName("FormVariableSelect");
    setWindowTitle("Variable Select");
    auto* layout = new QVBoxLayout(this);
    ComboBoxVariables = new QComboBox(this);
    ComboBoxVariables->setObjectName("ComboBoxVariables");
    ComboBoxVariables->setMinimumWidth(220);
    auto* label = new QLabel("&Element:", this);
    label->setBuddy(ComboBoxVariables);
    layout->addWidget(label);
    layout->addWidget(ComboBoxVariables);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ButtonOK");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("ButtonCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void TFormVariableSelect::Fill(const TSimulationObject& model, const TVariableObject* preselect) {
    std::vector<const TVariableObject*> elements;
    for (const TVariableObject* element : model.Variables)
        elements.push_back(element);
    std::stable_sort(elements.begin(), elements.end(),
                     [](auto* a, auto* b) { return Lower(a->Name) < Lower(b->Name); });
    ComboBoxVariables->clear();
    const std::string wanted = preselect ? preselect->Identifier() : LastChosen;
    int selected = 0;
    for (const TVariableObject* element : elements) {
        if (Lower(element->Identifier()) == Lower(wanted)) selected = ComboBoxVariables->count();
        ComboBoxVariables->addItem(Q(element->Name), Q(element->Identifier()));
    }
    ComboBoxVariables->setCurrentIndex(elements.empty() ? -1 : selected);
}

TVariableObject* TFormVariableSelect::Selected(const TSimulationObject& model) const {
    if (ComboBoxVariables->currentIndex() < 0) return nullptr;
    return model.FindByIdentifier(S(ComboBoxVariables->currentData().toString()));
}

TVariableObject* SelectVariable(const TSimulationObject& model, const TVariableObject* preselect,
                                QWidget* parent) {
    TFormVariableSelect dialog(parent);
    dialog.Fill(model, preselect);
    if (Hooks().Exec(dialog) != QDialog::Accepted) return nullptr;
    TVariableObject* chosen = dialog.Selected(model);
    if (chosen) LastChosen = chosen->Identifier();
    return chosen;
}
