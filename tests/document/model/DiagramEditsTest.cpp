// The diagram's edit operations on a document: what they remove, when they leave the document
// untouched (no snapshot, no modified mark), and that each change is one undo step.
#include "support/DiagramBuilder.h"

#include "document/model/DiagramEdits.h"

#include <gtest/gtest.h>

TEST(DiagramEdits, AnElementWithItsCloneGoesOnceInEitherOrder) {
    for (bool cloneFirst : {false, true}) {
        SCOPED_TRACE(cloneFirst ? "clone first" : "main shape first");
        TDataFile document;
        TDiagramBuilder b(document);
        TVariableInstance* sales = b.Place(ekVariable, "Sales", 100, 100);
        b.Place(ekConstant, "Price", 300, 100);
        TVariableInstance* clone = document.Image().AddElement(200, 200, true, &b["Sales"]);
        const std::vector<TDrawObject*> objects = cloneFirst
                                                      ? std::vector<TDrawObject*>{clone, sales}
                                                      : std::vector<TDrawObject*>{sales, clone};
        EXPECT_TRUE(DeleteObjects(document, objects));
        EXPECT_EQ(document.Image().Elements.Count(), 1);
        EXPECT_EQ(document.Simulation->Variables.Count(), 1);
        EXPECT_EQ(document.UndoStack.size(), 1u);
        EXPECT_TRUE(document.IsModified);
    }
}

TEST(DiagramEdits, CommandsThatChangeNothingLeaveNoSnapshotAndNoMark) {
    TDataFile document;
    TDiagramBuilder b(document);
    auto* flow = static_cast<TFlowInstance*>(b.Place(ekFlow, "Orders", 200, 200));
    TVariableInstance* price = b.Place(ekConstant, "Price", 100, 100);
    TVariableInstance* clone = document.Image().AddElement(300, 100, true, &b["Orders"]);
    struct TCase {
        const char* Name;
        std::function<bool()> Run;
    } cases[] = {{"Reset Flow Link on a pipe with a free end",
                  [&] { return DeleteObjects(document, {flow->Inflow()}); }},
                 {"Derive on a flow with both far ends free",
                  [&] { return ToggleDerived(document, *flow, true); }},
                 {"Derive on a constant", [&] { return ToggleDerived(document, *price, true); }},
                 {"Set Sketch to Derived without derived data",
                  [&] { return SetSketchToDerived(document, b["Orders"]); }},
                 {"Graph on a flow", [&] { return ToggleShowGraph(document, *flow); }},
                 {"a link onto a clone",
                  [&] {
                      return PlaceLink(document, {100, 100}, price, clone, {300, 100}) != nullptr;
                  }},
                 {"a link from nothing",
                  [&] {
                      return PlaceLink(document, {0, 0}, nullptr, price, {100, 100}) != nullptr;
                  }},
                 {"Paste with an empty buffer", [&] {
                      ClipboardHasStructure = false;
                      return PasteStructureBuffer(document);
                  }}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_FALSE(c.Run());
        EXPECT_TRUE(document.UndoStack.empty());
        EXPECT_FALSE(document.IsModified);
    }
}

TEST(DiagramEdits, SetSketchToDerivedCopiesTheDerivedSeriesAsOneUndoStep) {
    TDataFile document;
    TDiagramBuilder b(document);
    TVariableInstance* stock = b.Place(ekResource, "Stock", 300, 200);
    b.Place(ekFlow, "Orders", 210, 200);
    document.Image().MeasureContent();
    document.Image().AttachFlowEnds();
    b["Stock"].Equation = "10";
    b["Stock"].InitialValue = 10;
    TModelBuilder::Sketch(b["Orders"], {{0, 2}, {24, 2}});
    EXPECT_TRUE(ToggleDerived(document, *stock, false));
    ASSERT_FALSE(b["Stock"].Derived.IsEmpty());
    EXPECT_TRUE(SetSketchToDerived(document, b["Stock"]));
    EXPECT_EQ(b["Stock"].Sketched.Count(), b["Stock"].Derived.Count());
    EXPECT_DOUBLE_EQ(b["Stock"].Sketched.ValueAt(24), 10 + 2 * 24);
    EXPECT_EQ(document.UndoStack.size(), 2u);
    document.Undo();
    EXPECT_TRUE(document.Simulation->FindByIdentifier("Stock")->Sketched.IsEmpty());
}
