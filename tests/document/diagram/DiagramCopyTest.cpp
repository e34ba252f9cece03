// Copies of the drawing for undo and the structure buffer, cutting, and pasting with
// renamed elements placed at the visible area.
#include "DiagramFixture.h"

#include <gtest/gtest.h>

namespace {

// What the document's structure buffer holds after Copy or Cut.
struct TBuffer {
    TSimulationObject Model;
    TDrawImage Image;
    TBuffer(TDiagramFixture& from, bool cut) {
        Image.Model = &Model;
        Model.CopyFrom(from.Model);
        if (cut)
            from.Image.CutInto(Image);
        else
            from.Image.CopyInto(Image, false);
    }
};

std::vector<std::string> Names(const TSimulationObject& model) {
    std::vector<std::string> names;
    for (TVariableObject* v : model.Variables)
        names.push_back(v->Name);
    return names;
}

std::string SavedText(TDiagramFixture& f) {
    FileObject.OpenForWrite("", "");
    f.Model.Save(FileObject);
    f.Image.Save(FileObject);
    return FileObject.SavedText();
}

} // namespace

TEST(DiagramCopy, KeepAllCopiesEverythingBoundToTheCopiedModel) {
    TDiagramFixture f;
    TVariableInstance* a = f.Place(ekVariable, "A", 100, 100);
    TVariableInstance* b = f.Place(ekVariable, "B", 300, 100);
    f.Image.AddLink(130, 100, a, b, 270, 100);
    f.Image.AddOutputControl(0, 300, occNote, 100, 400);
    f.Paint();
    const std::string before = SavedText(f);

    TSimulationObject model;
    TDrawImage copy;
    copy.Model = &model;
    model.CopyFrom(f.Model);
    f.Image.CopyInto(copy, true);
    ASSERT_EQ(copy.Elements.Count(), 2);
    EXPECT_EQ(copy.Elements[0]->Var(), model.Variables[0]);
    EXPECT_EQ(copy.Links[0]->From(), copy.Elements[0]);
    EXPECT_EQ(copy.Extent, f.Image.Extent);
    EXPECT_EQ(copy.OutputControls.Count(), 1);
    std::string why;
    EXPECT_TRUE(copy.Validate(why)) << why;
    EXPECT_EQ(SavedText(f), before);
}

TEST(DiagramCopy, SelectedOnlyKeepsTheSelectionAndDropsTheRestFromTheCopiedModel) {
    TDiagramFixture f;
    TVariableInstance* a = f.Place(ekVariable, "A", 100, 100);
    TVariableInstance* b = f.Place(ekVariable, "B", 300, 100);
    TVariableInstance* c = f.Place(ekVariable, "C", 500, 100);
    TLinkInstance* ab = f.Image.AddLink(130, 100, a, b, 270, 100);
    f.Image.AddLink(330, 100, b, c, 470, 100);
    a->Selected = b->Selected = ab->Selected = true;

    TBuffer buffer(f, false);
    EXPECT_EQ(Names(buffer.Model), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(buffer.Image.Elements.Count(), 2);
    EXPECT_EQ(buffer.Image.Links.Count(), 1);
    EXPECT_TRUE(HasDependency(buffer.Model.Variables[1], buffer.Model.Variables[0], false));
    EXPECT_EQ(f.Model.Variables.Count(), 3); // the document is untouched

    TBuffer cut(f, true);
    EXPECT_EQ(Names(cut.Model), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(Names(f.Model), (std::vector<std::string>{"C"}));
    EXPECT_EQ(f.Image.Elements.Count(), 1);
    EXPECT_EQ(f.Image.Links.Count(), 0);
    EXPECT_EQ(f.Model.Variables[0]->Dependencies.Count(), 0);
}

TEST(DiagramCopy, CopiedFlowWithoutItsResourcesKeepsFreePipes) {
    TDiagramFixture f;
    TVariableInstance* stock = f.Place(ekResource, "Stock", 390, 100);
    auto* flow = static_cast<TFlowInstance*>(f.Place(ekFlow, "Flow", 300, 100));
    f.Paint();
    f.Image.AttachFlowEnds();
    ASSERT_EQ(flow->Outflow()->To(), stock);
    flow->Selected = true;
    TBuffer buffer(f, false);
    ASSERT_EQ(buffer.Image.Elements.Count(), 1);
    auto* copied = dynamic_cast<TFlowInstance*>(buffer.Image.Elements[0]);
    ASSERT_NE(copied, nullptr);
    ASSERT_NE(copied->Outflow(), nullptr);
    EXPECT_EQ(copied->Outflow()->To(), nullptr);
    EXPECT_EQ(buffer.Image.Links.Count(), 2);
    std::string why;
    EXPECT_TRUE(buffer.Image.Validate(why)) << why;
}

TEST(DiagramPaste, ClashingNamesTakeTheNextFreeNumber) {
    struct TCase {
        std::vector<std::string> Existing;
        std::vector<std::string> Pasted;
        std::vector<std::string> Result;
    };
    const TCase cases[] = {
        {{"Sales 2", "Sales 3"}, {"Sales 2"}, {"Sales 4"}},
        {{"cost"}, {"Cost"}, {"Cost2"}},
        {{"Flow 1"}, {"Flow 1"}, {"Flow 2"}},
        {{"Stock"}, {"  Stock "}, {"Stock2"}},
        {{"Other"}, {" Padded  "}, {"Padded"}},
        {{"A_B"}, {"a b"}, {"a b2"}},
        {{"X"}, {"X", "X"}, {"X2", "X3"}},
        {{"A"}, {"A", "A2"}, {"A2", "A3"}},
    };
    for (const TCase& c : cases) {
        TDiagramFixture document;
        TDiagramFixture source;
        for (const std::string& name : c.Existing)
            document.Place(ekVariable, name, 100, 100);
        for (const std::string& name : c.Pasted)
            source.Place(ekVariable, name, 100, 100)->Selected = true;
        TBuffer buffer(source, false);
        document.Image.PasteFrom(buffer.Model, buffer.Image);
        std::vector<std::string> names = Names(document.Model);
        names.erase(names.begin(), names.begin() + static_cast<long>(c.Existing.size()));
        EXPECT_EQ(names, c.Result) << c.Pasted[0];
    }
}

TEST(DiagramPaste, EquationsFollowTheNewNamesAndPastingTwiceGivesTwoSets) {
    TDiagramFixture document;
    document.Place(ekVariable, "Price", 100, 100);
    TDiagramFixture source;
    TVariableInstance* price = source.Place(ekVariable, "Price", 100, 100);
    TVariableInstance* revenue = source.Place(ekVariable, "Revenue", 300, 100);
    source.Image.AddLink(130, 100, price, revenue, 270, 100);
    price->Var()->Equation = "10";
    revenue->Var()->Equation = "price * 2 + Price_tag";
    for (TDrawObject* o : {static_cast<TDrawObject*>(price), static_cast<TDrawObject*>(revenue),
                           static_cast<TDrawObject*>(source.Image.Links[0])})
        o->Selected = true;
    TBuffer buffer(source, false);

    document.Image.PasteFrom(buffer.Model, buffer.Image);
    document.Image.PasteFrom(buffer.Model, buffer.Image);
    EXPECT_EQ(Names(document.Model),
              (std::vector<std::string>{"Price", "Price2", "Revenue", "Price3", "Revenue2"}));
    EXPECT_EQ(document.Model.Variables[2]->Equation, "Price2 * 2 + Price_tag");
    EXPECT_EQ(document.Model.Variables[4]->Equation, "Price3 * 2 + Price_tag");
    EXPECT_EQ(document.Image.Elements.Count(), 5);
    EXPECT_EQ(document.Image.Links.Count(), 2);
    EXPECT_EQ(document.Image.Links[1]->From()->Var(), document.Model.Variables[3]);
    EXPECT_TRUE(HasDependency(document.Model.Variables[4], document.Model.Variables[3], false));
    EXPECT_EQ(document.Model.Variables[4]->Owner, &document.Model);
    EXPECT_EQ(CurrentSimulation, &buffer.Model); // paste leaves the current model as it was
    for (int i = 1; i < 5; ++i)
        EXPECT_TRUE(document.Image.Elements[i]->Selected);
    std::string why;
    EXPECT_TRUE(document.Image.Validate(why)) << why;
    document.Paint();
}

TEST(DiagramPaste, PastedLayoutLandsJustInsideTheVisibleArea) {
    TDiagramFixture document;
    document.Image.ScrollX = 1000;
    document.Image.ScrollY = 500;
    document.Paint();
    TDiagramFixture source;
    source.Place(ekVariable, "A", 400, 300)->Selected = true;
    source.Place(ekVariable, "B", 500, 350)->Selected = true;
    source.Image.AddOutputControl(300, 600, occNote, 400, 700)->Selected = true;
    source.Paint();
    TBuffer buffer(source, false);
    document.Image.PasteFrom(buffer.Model, buffer.Image);
    // Across, the note's left edge lies further left than the elements less 40: it lands
    // 20 inside. Down, the topmost element lands 60 inside.
    EXPECT_EQ(document.Image.Elements[0]->Position, (TDrawPoint{1120, 560}));
    EXPECT_EQ(document.Image.Elements[1]->Position, (TDrawPoint{1220, 610}));
    EXPECT_EQ(document.Image.OutputControls[0]->Frame, (TDrawRect{1020, 860, 1120, 960}));
}
