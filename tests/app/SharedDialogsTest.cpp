#include "app/dialogs/ChoiceDialog.h"
#include "app/dialogs/VariableSelect.h"
#include "support/ModelBuilder.h"

#include "app/AppTestSupport.h"
#include <QComboBox>

#include <QPushButton>

TEST(ChoiceDialog, LayoutAndAnswers) {
    EXPECT_EQ(ChoiceLayout({40, 100}).ClientWidth, 408);
    EXPECT_EQ(ChoiceLayout({10}).ButtonWidth, 64);
    EXPECT_EQ(ChoiceLayout({50, 50, 50, 50, 50, 50}).Margin, 16);

    struct TCase {
        int Cancel;
        const char* Press; // a button's name, or nullptr for Escape
        int Expected;
    };
    const TCase cases[] = {{2, "Button1", 10},
                           {2, "Button2", ChoiceCancelled},
                           {0, "Button2", 11},
                           {-1, "Button2", ChoiceCancelled},
                           {0, nullptr, ChoiceCancelled}};
    for (const TCase& c : cases) {
        TScriptedHooks hooks;
        hooks.OnDialog = [&](QDialog& dialog) {
            if (c.Press)
                dialog.findChild<QPushButton*>(c.Press)->click();
            else
                dialog.reject();
        };
        EXPECT_EQ(ShowChoiceDialog("Which?", 3, {"Stock A", "Stock B"}, 0, c.Cancel), c.Expected)
            << c.Cancel << " " << (c.Press ? c.Press : "Escape");
    }
}

TEST(VariableSelect, SortedRemembersTheChoiceByIdentifierAndSurvivesItsDeletion) {
    TModelBuilder b;
    TVariableObject* zeta = &b.Constant("Zeta", "1");
    TVariableObject* alpha = &b.Constant("alpha", "2");
    b.Constant("Beta Rate", "3");
    TSimulationObject& model = b.Sim;

    TScriptedHooks hooks;
    QStringList shown;
    QString current;
    QString pick;
    hooks.OnDialog = [&](QDialog& dialog) {
        auto* list = dialog.findChild<QComboBox*>("ComboBoxVariables");
        shown.clear();
        for (int i = 0; i < list->count(); ++i)
            shown << list->itemText(i);
        current = list->currentText();
        if (!pick.isEmpty()) list->setCurrentText(pick);
        dialog.accept();
    };
    pick = "Zeta";
    EXPECT_EQ(SelectVariable(model, nullptr), zeta);
    EXPECT_EQ(shown, QStringList({"alpha", "Beta Rate", "Zeta"}));
    pick.clear();
    EXPECT_EQ(SelectVariable(model, nullptr), zeta) << "opens at the previous choice";
    EXPECT_EQ(SelectVariable(model, alpha), alpha) << "a preselected element wins";
    EXPECT_EQ(current, "alpha");

    // The remembered element is deleted: the list opens at its first name.
    b.Constant("Zeta Two", "4");
    pick = "Zeta Two";
    SelectVariable(model, nullptr);
    model.Variables.Remove(model.FindByIdentifier("Zeta_Two"));
    pick.clear();
    SelectVariable(model, nullptr);
    EXPECT_EQ(current, "alpha");

    TSimulationObject empty;
    EXPECT_EQ(SelectVariable(empty, nullptr), nullptr);
}
