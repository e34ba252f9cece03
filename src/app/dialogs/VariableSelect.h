#pragma once
// "Variable Select": one element of the model, chosen from its names in alphabetical order.

#include <QComboBox>
#include <QDialog>

#include <string>

class TSimulationObject;
class TVariableObject;

class TFormVariableSelect : public QDialog {
    Q_OBJECT
public:
    explicit TFormVariableSelect(QWidget* parent = nullptr);

    // Lists the model's elements and selects preselect, else the element chosen last time,
    // else the first name.
    void Fill(const TSimulationObject& model, const TVariableObject* preselect);
    // The selected element of model, or none when the list is empty.
    TVariableObject* Selected(const TSimulationObject& model) const;

    QComboBox* ComboBoxVariables;
};

// Shows Variable Select modally; the chosen element, or none on Cancel or an empty model.
// The choice is remembered by identifier, so a later deletion, undo or new model leaves
// nothing dangling: the list then opens at its first name.
TVariableObject* SelectVariable(const TSimulationObject& model, const TVariableObject* preselect,
                                QWidget* parent = nullptr);
