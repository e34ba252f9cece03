// Undo snapshots and the structure buffer, checked through the saved text.
#include "support/DiagramBuilder.h"
#include "support/TempDir.h"

#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"

#include <functional>
#include <gtest/gtest.h>
#include <set>

namespace {

// The saved text with the modification time held still: undo restores the model and
// the diagram, while the time of the last change moves on.
std::string ModelText(TDataFile& document) {
    const TDateTime modified = document.Modified;
    document.Modified = 45001.25;
    std::string text = document.SavedText();
    document.Modified = modified;
    return text;
}

// A small model: Price and Volume feed Sales; a note beside them.
void BuildSalesModel(TDataFile& document) {
    TDiagramBuilder b(document);
    TVariableObject* price = b.Element(ekConstant, "Price", "5", 100, 100);
    TVariableObject* volume = b.Element(ekConstant, "Volume", "20", 100, 250);
    TVariableObject* sales = b.Element(ekVariable, "Sales", "Price * Volume", 300, 170);
    b.DrawnLink(price, sales);
    b.DrawnLink(volume, sales);
    b.Note("Sales model", {400, 20, 500, 60});
}

void SelectAll(TDrawImage& image) {
    for (TVariableInstance* shape : image.Elements)
        shape->Selected = true;
    for (TLinkInstance* link : image.Links)
        link->Selected = true;
    for (TOutputControlInstance* control : image.OutputControls)
        control->Selected = true;
}

} // namespace

TEST(Undo, TenEditsAndTenUndosRestoreTheSavedText) {
    TDataFile document;
    BuildSalesModel(document);
    const std::string before = ModelText(document);
    TSimulationObject* model = nullptr;
    auto sim = [&]() -> TSimulationObject& { return *document.Simulation; };
    auto var = [&](int i) { return sim().Variables[i]; };

    const std::vector<std::function<void()>> edits = {
        [&] { var(0)->Equation = "7"; },
        [&] { sim().StopTime = 48; },
        [&] { TDiagramBuilder(document).Element(ekResource, "Stock", "100", 500, 300); },
        [&] {
            var(1)->Name = "Units";
            sim().RenameInEquations("Volume", "Units");
        },
        [&] {
            document.Image().Elements[0]->Position = {150, 90};
        },
        [&] { var(2)->Sketched.AddPoint(3, 42); },
        [&] {
            TDiagramBuilder(document).Note("Second note", {10, 400, 200, 460});
        },
        [&] { document.Image().Zoom = 150; },
        [&] { document.Image().RemoveObject(document.Image().Links[0]); },
        [&] { document.Image().RemoveObject(document.Image().Elements[1]); },
    };
    std::vector<std::string> texts;
    for (const auto& edit : edits) {
        texts.push_back(ModelText(document));
        document.PushUndo();
        EXPECT_EQ(CurrentSimulation, document.Simulation.get());
        edit();
        document.MarkModified();
        EXPECT_NE(ModelText(document), texts.back());
    }
    model = document.Simulation.get();
    for (size_t i = edits.size(); i-- > 0;) {
        ASSERT_TRUE(document.CanUndo());
        document.Undo();
        EXPECT_EQ(ModelText(document), texts[i]) << "after undoing edit " << i + 1;
        EXPECT_EQ(CurrentSimulation, document.Simulation.get());
        EXPECT_EQ(document.Simulation->Owner, &document);
        EXPECT_EQ(document.Image().Owner, &document);
        EXPECT_EQ(document.Image().Model, document.Simulation.get());
    }
    EXPECT_NE(document.Simulation.get(), model);
    EXPECT_EQ(ModelText(document), before);
    EXPECT_TRUE(document.IsModified);

    // An eleventh undo does nothing.
    EXPECT_FALSE(document.CanUndo());
    document.Undo();
    EXPECT_EQ(ModelText(document), before);
}

TEST(Undo, RestoredModelRunsAgain) {
    TDataFile document;
    BuildSalesModel(document);
    document.PushUndo();
    document.Simulation->Variables[0]->Equation = "(";
    document.Undo();
    TSimulationObject& model = *document.Simulation;
    ASSERT_TRUE(model.CheckModel());
    model.Reset();
    model.Step();
    EXPECT_EQ(model.Variables[2]->Value, 100);
}

TEST(StructureBuffer, UndoAfterCopyMakesPasteUnavailable) {
    TDataFile document;
    BuildSalesModel(document);
    SelectAll(document.Image());
    document.CopySelection(document.Image(), false);
    EXPECT_TRUE(ClipboardHasStructure);
    EXPECT_EQ(CurrentSimulation, document.Simulation.get());
    EXPECT_FALSE(document.IsModified); // a copy changes nothing
    document.PushUndo();
    document.Undo();
    EXPECT_FALSE(ClipboardHasStructure);
}

TEST(StructureBuffer, CopyKeepsOnlyTheSelectionAndWhatItNeeds) {
    TDataFile document;
    BuildSalesModel(document);
    const std::string before = ModelText(document);
    TDrawImage& image = document.Image();
    image.Elements[0]->Selected = true; // Price only
    document.CopySelection(image, false);
    EXPECT_EQ(ModelText(document), before);
    TCopyObject& buffer = ClipboardCopy();
    ASSERT_EQ(buffer.Simulation->Variables.Count(), 1);
    EXPECT_EQ(buffer.Simulation->Variables[0]->Name, "Price");
    EXPECT_EQ(buffer.Image().Elements.Count(), 1);
    EXPECT_TRUE(buffer.Image().Links.IsEmpty());
    EXPECT_TRUE(buffer.Image().OutputControls.IsEmpty());
    EXPECT_EQ(buffer.Image().Elements[0]->Var(), buffer.Simulation->Variables[0]);
}

TEST(StructureBuffer, PastingTwiceGivesConsistentDifferentlyNamedElements) {
    TDataFile document;
    BuildSalesModel(document);
    SelectAll(document.Image());
    document.CopySelection(document.Image(), false);
    for (TVariableInstance* shape : document.Image().Elements)
        shape->Selected = false;

    document.PasteStructure(document.Image());
    EXPECT_TRUE(document.IsModified);
    document.PasteStructure(document.Image());
    EXPECT_EQ(CurrentSimulation, document.Simulation.get());

    TSimulationObject& model = *document.Simulation;
    ASSERT_EQ(model.Variables.Count(), 9);
    std::set<std::string> names;
    for (TVariableObject* element : model.Variables) {
        std::string id = element->Identifier();
        for (char& c : id)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(names.insert(id).second) << element->Name;
    }
    EXPECT_EQ(model.Variables[3]->Name, "Price2");
    EXPECT_EQ(model.Variables[5]->Name, "Sales2");
    EXPECT_EQ(model.Variables[5]->Equation, "Price2 * Volume2");
    EXPECT_EQ(model.Variables[8]->Equation, "Price3 * Volume3");
    EXPECT_EQ(document.Image().Elements.Count(), 9);
    EXPECT_EQ(document.Image().Links.Count(), 6);
    EXPECT_EQ(document.Image().OutputControls.Count(), 3);

    // The pasted parts are whole models of their own: the check passes and they compute.
    ASSERT_TRUE(model.CheckModel());
    model.Reset();
    model.Step();
    EXPECT_EQ(model.Variables[8]->Value, 100);

    // And the document still saves and loads as one model.
    auto again = LoadText(document.SavedText());
    ASSERT_TRUE(again);
    EXPECT_EQ(again->SavedText(), document.SavedText());
}

TEST(StructureBuffer, CutRemovesTheSelectionAndUndoBringsItBack) {
    TDataFile document;
    BuildSalesModel(document);
    const std::string before = ModelText(document);
    document.PushUndo();
    document.Image().Elements[2]->Selected = true; // Sales
    document.CopySelection(document.Image(), true);
    EXPECT_TRUE(document.IsModified);
    EXPECT_TRUE(ClipboardHasStructure);
    EXPECT_EQ(document.Simulation->Variables.Count(), 2);
    EXPECT_TRUE(document.Image().Links.IsEmpty());
    EXPECT_EQ(ClipboardCopy().Simulation->Variables.Count(), 1);

    document.Undo();
    EXPECT_EQ(ModelText(document), before);
}
