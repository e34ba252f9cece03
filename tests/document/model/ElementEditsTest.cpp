// Renaming an element in every equation, as the diagram does after the set-up dialog.
#include "document/model/ElementEdits.h"

#include "document/model/DataFile.h"
#include "document/model/DocumentEdits.h"
#include "support/DiagramBuilder.h"

#include <gtest/gtest.h>

TEST(ElementEdits, RenameRewritesEquationsChecksAndIsOneUndoStep) {
    TDataFile document;
    TDiagramBuilder model(document);
    model.Element(ekConstant, "Unit Price", "4");
    TVariableObject* sales = model.Element(ekVariable, "Sales", "unit_price * 2 + Unit_Prices");
    model.Link(model["Unit Price"], *sales);
    model["Unit Price"].Name = "Price";
    ASSERT_TRUE(RenameElementEverywhere(document, "Unit_Price", "Price"));
    EXPECT_EQ(sales->Equation, "Price * 2 + Unit_Prices"); // whole words only
    EXPECT_TRUE(document.IsModified);
    EXPECT_FALSE(sales->Parsed && sales->HasErrors); // the check ran on the new text
    EXPECT_EQ(document.UndoStack.size(), 1u);

    // Run again (the dialog did it already): nothing to do, no second undo step.
    EXPECT_FALSE(RenameElementEverywhere(document, "Unit_Price", "Price"));
    EXPECT_EQ(document.UndoStack.size(), 1u);

    // Inside an open edit the rename shares its snapshot.
    {
        TDocumentEdit edit(document);
        edit.Touch();
        EXPECT_TRUE(RenameElementEverywhere(edit, "Price", "Cost"));
    }
    EXPECT_EQ(sales->Equation, "Cost * 2 + Unit_Prices");
    EXPECT_EQ(document.UndoStack.size(), 2u);
    document.Undo();
    document.Undo();
    EXPECT_EQ(document.Simulation->FindByIdentifier("Sales")->Equation,
              "unit_price * 2 + Unit_Prices");
}
