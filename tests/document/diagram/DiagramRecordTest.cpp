// The diagram's record: a whole drawing saved, read back and saved again gives the same
// text, and older files keep the defaults of the fields they lack.
#include "DiagramFixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TVariableObject* AddVariable(TSimulationObject& model, uint8_t kind, const std::string& name) {
    return &TModelBuilder(model).Add(kind, name);
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

// ---------------------------------------------------------------------------------------------
// Files of older versions and damaged files

namespace {

struct TFixtureModel {
    TSimulationObject Model;
    TDrawImage Image;
    TFixtureModel() {
        Image.Model = &Model;
        AddVariable(Model, ekResource, "Stock");
        AddVariable(Model, ekFlow, "Flow");
    }
    void Load(const std::string& text) {
        FileObject.OpenForReadText(text);
        Image.Load(FileObject);
        GlobalLinkManager.ResolveAll();
    }
};

// An image record as the given version wrote it.
std::string ImageRecord(const std::string& version, const std::string& shapeVariable = "0",
                        const std::string& pipes = "0 1", const std::string& linkEnds = "-1 1") {
    auto older = [&](const char* than, int parts) {
        return CompareVersions(version, than, parts) < 0;
    };
    std::string text = "Quorvane\t" + version + "\r\n\r\n100 1 0 0 2\r\n";
    text += "0\r\n300 200 0 " + shapeVariable + " 1 1 0 0 0 36 0 -41\r\n";
    text += "1\r\n150 200 0 1 1 1 0 0 0 44 0 -44 " + std::string(older("1.0.2", 3) ? "" : "-1 ") +
            pipes + "\r\n";
    text += "2\r\n1 " + linkEnds + " -68 0 -38 0 10 0 -10 0\r\n1 1 0 38 0 -30 5 10 0 -10 0\r\n";
    if (!older("1.0.3", 3)) {
        text += "2 2\r\n10 20 110 220 1\r\n0 2 1 -1 255 1\r\n3";
        if (!older("1.0.4.69", 4)) text += " 1 80";
        text += " 1\r\n10 240 110 440 1\r\n1 2 1 0 0 1\r\n";
        if (!older("1.0.4.70", 4)) text += " 0";
        if (!older("1.0.8.120", 4)) text += " 0 -5 1";
    }
    text += "\r\n0 0 500 400 0 0 800 600\r\n";
    if (!older("1.0.6", 3)) text += "2 1000 700 0 1 2 3 75 1 'a' 'b' 1 'c' 'd'\r\n";
    return text + "\r\n";
}

} // namespace

TEST(DiagramRecord, OlderFilesKeepTheDefaultsOfWhatTheyLack) {
    struct TCase {
        const char* Version;
        int32_t Direction;
        int32_t Controls;
        std::vector<int32_t> Widths;
        bool ShowLegend;
        double YMin;
        uint8_t Orientation;
        float PrintScale;
    };
    const double automatic = std::numeric_limits<double>::infinity();
    const TCase cases[] = {
        {"1.0.1", 1, 0, {}, true, automatic, 1, 100},
        {"1.0.2", -1, 0, {}, true, automatic, 1, 100},
        {"1.0.4.50", -1, 2, {60}, true, automatic, 1, 100},
        {"1.0.4.69", -1, 2, {80}, true, automatic, 1, 100},
        {"1.0.8.119", -1, 2, {80}, false, automatic, 0, 75},
        {"1.0.8.120", -1, 2, {80}, false, -5, 0, 75},
        {"1.0.10.166", -1, 2, {80}, false, -5, 0, 75},
    };
    for (const TCase& c : cases) {
        TFixtureModel f;
        ASSERT_NO_THROW(f.Load(ImageRecord(c.Version))) << c.Version;
        auto* flow = dynamic_cast<TFlowInstance*>(f.Image.Elements[1]);
        ASSERT_NE(flow, nullptr);
        EXPECT_EQ(flow->Direction, c.Direction) << c.Version;
        ASSERT_EQ(f.Image.OutputControls.Count(), c.Controls) << c.Version;
        EXPECT_EQ(f.Image.Orientation, c.Orientation) << c.Version;
        EXPECT_EQ(f.Image.PrintScale, c.PrintScale) << c.Version;
        EXPECT_EQ(f.Image.Extent, (TDrawRect{0, 0, 500, 400}));
        if (c.Orientation == 1) {
            EXPECT_FALSE(f.Image.ShowPageBreaks);
            EXPECT_EQ(f.Image.PagesWide, 1);
            EXPECT_EQ(f.Image.PagesTall, 1);
        } else {
            EXPECT_EQ(f.Image.ExtraText4, "d");
        }
        if (c.Controls) {
            auto* table = dynamic_cast<TTableInstance*>(f.Image.OutputControls[0]);
            auto* graph = dynamic_cast<TGraphInstance*>(f.Image.OutputControls[1]);
            ASSERT_TRUE(table && graph);
            EXPECT_EQ(table->Frame, (TDrawRect{20, 10, 220, 110}));
            EXPECT_EQ(table->Interval, 3);
            EXPECT_EQ(table->ColumnWidths, c.Widths) << c.Version;
            EXPECT_EQ(graph->ShowLegend, c.ShowLegend) << c.Version;
            EXPECT_EQ(graph->YMin, c.YMin) << c.Version;
            EXPECT_TRUE(std::isinf(graph->YMax));
            EXPECT_EQ(graph->Series[0]->Var(), f.Model.Variables[1]);
        }
        std::string why;
        EXPECT_TRUE(f.Image.Validate(why)) << c.Version << ": " << why;
    }
}

TEST(DiagramRecord, DamagedReferencesAreReportedAndNeverCrash) {
    struct TCase {
        std::string Text;
        const char* Why;
    };
    const std::string version = "1.0.10.166";
    const TCase cases[] = {
        {ImageRecord(version, "-1"), "shows no element"},
        {ImageRecord(version, "0", "-1 -1"), "missing a pipe"},
        {ImageRecord(version, "0", "1 0"), "not connected"},
        {ImageRecord(version, "0", "0 1", "-1 -1"), "not connected"},
        {ImageRecord(version, "0", "1 1"), "missing a pipe"},
    };
    for (const TCase& c : cases) {
        TFixtureModel f;
        ASSERT_NO_THROW(f.Load(c.Text));
        std::string why;
        EXPECT_FALSE(f.Image.Validate(why));
        EXPECT_NE(why.find(c.Why), std::string::npos) << why;
        // Painting, hit testing, selecting, dragging, reversing and deleting survive it.
        QImage picture(400, 300, QImage::Format_ARGB32);
        QPainter canvas(&picture);
        f.Image.PaintAll(canvas, 400, 300);
        for (int x = 0; x < 400; x += 25)
            for (int y = 0; y < 300; y += 25)
                f.Image.ObjectAt(x, y, true);
        f.Image.SelectInRect(0, 0, false, 400, 300);
        f.Image.AttachFlowEnds();
        for (TVariableInstance* shape : f.Image.Elements) {
            shape->BeginDrag(150, 200);
            shape->DragTo(160, 210, false);
        }
        if (auto* flow = dynamic_cast<TFlowInstance*>(f.Image.Elements[1])) flow->Reverse();
        f.Image.PaintAll(canvas, 400, 300);
        while (!f.Image.Elements.IsEmpty())
            f.Image.RemoveObject(f.Image.Elements[0]);
        f.Image.PaintAll(canvas, 400, 300);
    }
}

TEST(DiagramRecord, AnInformationLinkWithoutEndsIsReported) {
    TDiagramFixture f;
    auto link = std::make_unique<TLinkInstance>();
    link->Owner = &f.Image;
    f.Image.Links.AddItem(std::move(link));
    std::string why;
    EXPECT_FALSE(f.Image.Validate(why));
    EXPECT_NE(why.find("missing an end"), std::string::npos) << why;
    f.Paint();
    f.Image.ObjectAt(0, 0, true);
}

// A pipe belongs to one flow, and its far end is free or a resource: otherwise deleting one
// shape would leave another flow without a pipe, and the saved file could not be read again.
TEST(DiagramRecord, APipeSharedOrEndingAtAnotherFlowIsReported) {
    struct TCase {
        const char* Name;
        bool ShareOutflow; // B's outflow is A's inflow
        uint8_t FarKind;   // the kind of the shape at the far end of A's inflow pipe
    } cases[] = {
        {"shared between two flows", true, ekFlow},
        {"far end at another flow", false, ekFlow},
        {"far end at a constant", false, ekConstant},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TDiagramFixture f;
        auto* a = dynamic_cast<TFlowInstance*>(f.Place(ekFlow, "A", 200, 100));
        TVariableInstance* far = f.Place(c.FarKind, "B", 50, 100);
        TLinkInstance* pipe = a->Inflow();
        pipe->FromElement.SetTarget(far);
        if (c.ShareOutflow) {
            auto* b = dynamic_cast<TFlowInstance*>(far);
            ASSERT_NE(b, nullptr);
            f.Image.RemoveLink(b->Outflow());
            b->OutflowPipe.SetTarget(pipe);
        }
        std::string why;
        EXPECT_FALSE(f.Image.Validate(why));
        EXPECT_NE(why.find("pipe"), std::string::npos) << why;
    }
    // A pipe attached to a resource is sound.
    TDiagramFixture f;
    auto* a = dynamic_cast<TFlowInstance*>(f.Place(ekFlow, "A", 200, 100));
    a->Inflow()->FromElement.SetTarget(f.Place(ekResource, "Stock", 50, 100));
    std::string why;
    EXPECT_TRUE(f.Image.Validate(why)) << why;
}

TEST(DiagramRecord, AZoomThatCannotBeShownIsRaised) {
    for (const char* zoom : {"0", "-50", "NAN", "5"}) {
        TFixtureModel f;
        std::string text = ImageRecord("1.0.10.166");
        text.replace(text.find("\r\n\r\n100 1") + 4, 5, std::string(zoom) + " 0");
        ASSERT_NO_THROW(f.Load(text)) << zoom;
        EXPECT_GE(f.Image.Zoom, 13.0f) << zoom;
        QImage picture(100, 100, QImage::Format_ARGB32);
        QPainter canvas(&picture);
        f.Image.PaintAll(canvas, 100, 100);
        EXPECT_GT(f.Image.Scale, 0.1f);
    }
}

TEST(DiagramRecord, AReferencePastItsListIsALoadError) {
    TFixtureModel f;
    EXPECT_THROW(f.Load(ImageRecord("1.0.10.166", "7")), EListError);
    GlobalLinkManager.Clear();
}

TEST(DiagramRender, RendersARectangleScaledWithoutSelectionColours) {
    TDiagramFixture f;
    TVariableInstance* stock = f.Place(ekResource, "Stock", 100, 100);
    f.Place(ekResource, "Other", 400, 100);
    f.Paint();
    stock->Selected = true;
    const TDrawRect visible = f.Image.VisibleArea;

    QImage picture(200, 200, QImage::Format_ARGB32);
    picture.fill(Qt::white);
    {
        QPainter canvas(&picture);
        f.Image.RenderTo(canvas, 200, 200, true, {0, 0, 200, 200});
    }
    EXPECT_EQ(picture.pixel(72, 100), qRgb(0, 0, 0)); // black, not the selection's green
    EXPECT_TRUE(stock->Selected);
    EXPECT_EQ(f.Image.VisibleArea, visible);
    EXPECT_EQ(f.Image.Zoom, 100.0f);

    // Twice the size: the same drawing at scale 2, the unselected shape left out.
    QImage large(400, 400, QImage::Format_ARGB32);
    large.fill(Qt::white);
    {
        QPainter canvas(&large);
        f.Image.RenderTo(canvas, 400, 400, false, {0, 0, 200, 200});
    }
    EXPECT_EQ(large.pixel(144, 200), qRgb(0, 0, 0));
    EXPECT_EQ(large.pixel(72, 100), qRgb(255, 255, 255));
}

TEST(DiagramRender, ALoadedDrawingIsMeasuredAndRenderedWithoutAView) {
    TFixtureModel f;
    f.Load(ImageRecord("1.0.10.166"));
    const TDrawRect content = f.Image.MeasureContent();
    EXPECT_EQ(content.Left, 20); // the table's frame
    EXPECT_EQ(content.Top, 10);
    EXPECT_EQ(content.Right, 440); // the graph's frame
    EXPECT_GE(content.Bottom, 200 + 28);
    QImage picture(content.Width(), content.Height(), QImage::Format_ARGB32);
    picture.fill(Qt::white);
    {
        QPainter canvas(&picture);
        f.Image.RenderTo(canvas, picture.width(), picture.height(), false, content);
    }
    // The stock's box at (272..328, 172..228) in drawing units.
    EXPECT_EQ(picture.pixel(272 - content.Left, 200 - content.Top), qRgb(0, 0, 0));
}
