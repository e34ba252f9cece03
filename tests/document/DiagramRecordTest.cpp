// The diagram's record: a whole drawing saved, read back and saved again gives the same
// text, and older files keep the defaults of the fields they lack.
#include "diagram/DrawingObjects.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TVariableObject* AddVariable(TSimulationObject& model, uint8_t kind, const std::string& name) {
    TVariableObject* v = model.NewElement(kind);
    v->Name = name;
    return v;
}

template <class T> T* Append(TIOObjectList& list, TDrawImage& image) {
    auto item = std::make_unique<T>();
    T* raw = item.get();
    raw->Owner = &image;
    list.AddItem(std::move(item));
    return raw;
}

// A drawing that uses every record: shapes, a flow with its pipes, a link, a note, a table
// and a graph with a kept run.
void BuildDrawing(TSimulationObject& model, TDrawImage& image) {
    TVariableObject* stock = AddVariable(model, ekResource, "Stock");
    TVariableObject* flow = AddVariable(model, ekFlow, "Inflow");
    TVariableObject* rate = AddVariable(model, ekConstant, "Rate");
    image.Model = &model;
    image.Zoom = 150;
    image.ScrollX = 12;
    image.ScrollY = -7;

    auto* stockShape = Append<TVariableInstance>(image.Elements, image);
    stockShape->Position = {300, 200};
    stockShape->Variable.SetTarget(stock);
    stockShape->NameLabelOffset = {0, -41};
    stockShape->ValueLabelOffset = {0, 36};
    auto* in = Append<TLinkInstance>(image.Links, image);
    auto* out = Append<TLinkInstance>(image.Links, image);
    auto* flowShape = Append<TFlowInstance>(image.Elements, image);
    flowShape->Position = {150, 200};
    flowShape->Variable.SetTarget(flow);
    flowShape->Direction = -1;
    flowShape->InflowPipe.SetTarget(in);
    flowShape->OutflowPipe.SetTarget(out);
    in->Kind = lkFlow;
    in->ToElement.SetTarget(flowShape);
    in->StartOffset = {-68, 0};
    in->EndOffset = {-38, 0};
    out->Kind = lkFlow;
    out->FromElement.SetTarget(flowShape);
    out->ToElement.SetTarget(stockShape);
    out->StartOffset = {38, 0};
    out->EndOffset = {-30, 5};
    auto* rateShape = Append<TVariableInstance>(image.Elements, image);
    rateShape->Position = {150, 60};
    rateShape->Variable.SetTarget(rate);
    rateShape->ShowGraph = false;
    rateShape->IsClone = true;
    auto* link = Append<TLinkInstance>(image.Links, image);
    link->FromElement.SetTarget(rateShape);
    link->ToElement.SetTarget(flowShape);
    link->StartControl = {3, 4};
    link->EndControl = {-3, -4};

    auto* note = Append<TNoteInstance>(image.OutputControls, image);
    note->Frame = {10, 400, 200, 480};
    note->Lines = {"First line", "", "Third \"quoted\" line"};
    auto* table = Append<TTableInstance>(image.OutputControls, image);
    table->Frame = {220, 400, 420, 520};
    table->Interval = 3;
    auto entry = std::make_unique<TVariableDataLink>();
    entry->Owner = table;
    entry->Variable.SetTarget(stock);
    table->Series.AddItem(std::move(entry));
    table->ColumnWidths = {75};
    auto* graph = Append<TGraphInstance>(image.OutputControls, image);
    graph->Frame = {440, 400, 640, 560};
    graph->ShowLegend = false;
    graph->YMin = -2.5;
    for (int run : {0, 1}) {
        auto e = std::make_unique<TVariableDataLink>();
        e->Owner = graph;
        e->Variable.SetTarget(run ? flow : stock);
        e->Run = run;
        e->Live = run == 0;
        e->Colour = ComparisonColour(run);
        e->OwnSeries.AddPoint(0, 1.5);
        e->OwnSeries.AddPoint(1, 2.5);
        graph->Series.AddItem(std::move(e));
    }
    image.Extent = {-5, 0, 700, 600};
    image.VisibleArea = {0, 0, 400, 300};
    image.PaperSize = 3;
    image.PageWidth = 1000;
    image.PageHeight = 700;
    image.Orientation = 0;
    image.FitToPages = true;
    image.PagesTall = 2;
    image.PagesWide = 3;
    image.PrintScale = 75;
    image.ShowPageBreaks = true;
    image.ExtraText1 = "a";
    image.ExtraText2 = "b c";
    image.ExtraFlag = true;
    image.ExtraText3 = "";
    image.ExtraText4 = "d";
}

std::string SaveText(TSimulationObject& model, TDrawImage& image) {
    FileObject.OpenForWrite("", "");
    model.Save(FileObject);
    image.Save(FileObject);
    FileObject.EndLine();
    return FileObject.SavedText();
}

} // namespace

TEST(DiagramRecord, WholeDrawingRoundTripsByteExact) {
    TSimulationObject model;
    TDrawImage image;
    BuildDrawing(model, image);
    std::string first = SaveText(model, image);

    FileObject.RewindForRead();
    TSimulationObject loadedModel;
    TDrawImage loaded;
    loaded.Model = &loadedModel;
    loadedModel.Load(FileObject);
    loaded.Load(FileObject);
    GlobalLinkManager.ResolveAll();

    ASSERT_EQ(loaded.Elements.Count(), 3);
    ASSERT_EQ(loaded.Links.Count(), 3);
    ASSERT_EQ(loaded.OutputControls.Count(), 3);
    auto* flow = dynamic_cast<TFlowInstance*>(loaded.Elements[1]);
    ASSERT_NE(flow, nullptr);
    EXPECT_EQ(flow->Inflow(), loaded.Links[0]);
    EXPECT_EQ(flow->Outflow(), loaded.Links[1]);
    EXPECT_EQ(flow->Direction, -1);
    EXPECT_EQ(loaded.Links[1]->To(), loaded.Elements[0]);
    EXPECT_EQ(loaded.Elements[0]->Var(), loadedModel.Variables[0]);
    auto* graph = dynamic_cast<TGraphInstance*>(loaded.OutputControls[2]);
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(graph->YMin, -2.5);
    EXPECT_TRUE(std::isinf(graph->YMax));
    EXPECT_EQ(graph->Series[1]->OwnSeries.Count(), 2);
    auto* note = dynamic_cast<TNoteInstance*>(loaded.OutputControls[0]);
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->Lines.size(), 3u);
    std::string why;
    EXPECT_TRUE(loaded.Validate(why)) << why;

    EXPECT_EQ(SaveText(loadedModel, loaded), first);
}
