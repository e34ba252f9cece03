#include "app/dialogs/ChoiceDialog.h"
#include "app/AppTestSupport.h"

#include <QPushButton>
#include <QTest>

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
