// Creating, attaching, removing, reversing and dragging diagram objects, with what each
// does to the model.
#include "DiagramFixture.h"

#include <gtest/gtest.h>

namespace {

// A flow whose inflow comes from Source and whose outflow fills Sink.
struct TFlowChain : TDiagramFixture {
    TVariableInstance* Source;
    TFlowInstance* Flow;
    TVariableInstance* Sink;
    TFlowChain() {
        Source = Place(ekResource, "Source", 220, 100);
        Flow = static_cast<TFlowInstance*>(Place(ekFlow, "Flow", 300, 100));
        Sink = Place(ekResource, "Sink", 390, 100);
        Paint();
        Image.AttachFlowEnds();
        Paint();
    }
    std::string Saved() {
        FileObject.OpenForWrite("", "");
        Model.Save(FileObject);
        Image.Save(FileObject);
        return FileObject.SavedText();
    }
};

} // namespace

TEST(DiagramEdit, NewFlowHasTwoPipesWithTheDefaultGeometry) {
    TDiagramFixture f;
    auto* flow = static_cast<TFlowInstance*>(f.Place(ekFlow, "Flow", 300, 100));
    ASSERT_EQ(f.Image.Links.Count(), 2);
    EXPECT_EQ(f.Image.Elements[0], flow);
    TLinkInstance* in = flow->Inflow();
    TLinkInstance* out = flow->Outflow();
    EXPECT_EQ(in, f.Image.Links[0]);
    EXPECT_EQ(out, f.Image.Links[1]);
    EXPECT_EQ(in->StartPoint(), (TDrawPoint{232, 100}));
    EXPECT_EQ(in->EndPoint(), (TDrawPoint{262, 100}));
    EXPECT_EQ(out->StartPoint(), (TDrawPoint{338, 100}));
    EXPECT_EQ(out->EndPoint(), (TDrawPoint{368, 100}));
    EXPECT_EQ(flow->NameLabelOffset, (TDrawPoint{0, -44}));
}

TEST(DiagramEdit, FreePipeEndsAttachToAResourceUnderThem) {
    TFlowChain c;
    TLinkInstance* in = c.Flow->Inflow();
    TLinkInstance* out = c.Flow->Outflow();
    EXPECT_EQ(in->From(), c.Source);
    EXPECT_EQ(in->StartOffset, (TDrawPoint{12, 0}));
    EXPECT_EQ(out->To(), c.Sink);
    EXPECT_EQ(out->EndOffset, (TDrawPoint{-22, 0}));
    const TDependency* drains = FlowDependency(c.Source->Var(), c.Flow->Var());
    const TDependency* fills = FlowDependency(c.Sink->Var(), c.Flow->Var());
    ASSERT_TRUE(drains && fills);
    EXPECT_EQ(drains->Direction, 1);
    EXPECT_EQ(fills->Direction, 0);
    EXPECT_TRUE(c.Sink->Highlighted);
    // Attached ends stay attached; nothing is added twice.
    c.Image.AttachFlowEnds();
    EXPECT_EQ(c.Sink->Var()->Dependencies.Count(), 1);
}

TEST(DiagramEdit, PipeEndDraggedOntoTheNameLabelAttaches) {
    TDiagramFixture f;
    TVariableInstance* stock = f.Place(ekResource, "Stock", 500, 300);
    auto* flow = static_cast<TFlowInstance*>(f.Place(ekFlow, "Flow", 300, 100));
    f.Paint();
    TLinkInstance* out = flow->Outflow();
    // Grab the free end and drop it on the name label, 41 units above the stock.
    out->BeginDrag(368, 100);
    out->DragTo(500, 300 - 41, false);
    f.Image.AttachFlowEnds();
    EXPECT_EQ(out->To(), stock);
    EXPECT_EQ(out->EndOffset, (TDrawPoint{0, -41}));
}

TEST(DiagramEdit, LinksAreRefusedBetweenLinkedOrSameVariables) {
    TDiagramFixture f;
    TVariableInstance* a = f.Place(ekVariable, "A", 100, 100);
    TVariableInstance* b = f.Place(ekVariable, "B", 300, 100);
    TVariableInstance* cloneOfA = f.Image.AddElement(100, 300, true, a->Var());

    TLinkInstance* link = f.Image.AddLink(130, 100, a, b, 271, 106);
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(HasDependency(b->Var(), a->Var(), false));
    EXPECT_EQ(link->StartOffset, (TDrawPoint{30, 0}));
    EXPECT_EQ(link->EndOffset, (TDrawPoint{-29, 6}));
    EXPECT_EQ(link->StartControl, (TDrawPoint{47, 2}));
    EXPECT_EQ(link->EndControl, (TDrawPoint{-47, -2}));

    struct TCase {
        TVariableInstance* From;
        TVariableInstance* To;
        const char* Why;
    };
    const TCase refused[] = {{a, b, "the same link"},
                             {b, a, "a link the other way"},
                             {cloneOfA, a, "a clone to its own shape"},
                             {cloneOfA, b, "the same link from a clone"},
                             {a, nullptr, "no shape"}};
    for (const TCase& c : refused) {
        EXPECT_EQ(f.Image.AddLink(0, 0, c.From, c.To, 10, 10), nullptr) << c.Why;
    }
    EXPECT_EQ(f.Image.Links.Count(), 1);
    EXPECT_EQ(b->Var()->Dependencies.Count(), 1);
    EXPECT_EQ(a->Var()->Dependencies.Count(), 0);
}

TEST(DiagramEdit, DeletingAResourceFreesItsPipeEnds) {
    TFlowChain c;
    TVariableObject* sink = c.Sink->Var();
    c.Image.RemoveObject(c.Sink);
    EXPECT_EQ(c.Model.Variables.IndexOf(sink), -1);
    TLinkInstance* out = c.Flow->Outflow();
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->To(), nullptr);
    EXPECT_EQ(out->StartPoint(), (TDrawPoint{338, 100}));
    EXPECT_EQ(out->EndPoint(), (TDrawPoint{368, 100}));
    EXPECT_EQ(c.Image.Links.Count(), 2);
    c.Paint(); // nothing left points at the deleted shape
}

TEST(DiagramEdit, DeletingAFlowRemovesBothPipesAndItsDependencies) {
    TFlowChain c;
    TVariableObject* flow = c.Flow->Var();
    c.Image.RemoveObject(c.Flow);
    EXPECT_EQ(c.Image.Links.Count(), 0);
    EXPECT_EQ(c.Image.Elements.Count(), 2);
    EXPECT_EQ(c.Model.Variables.IndexOf(flow), -1);
    EXPECT_EQ(c.Source->Var()->Dependencies.Count(), 0);
    EXPECT_EQ(c.Sink->Var()->Dependencies.Count(), 0);
}

TEST(DiagramEdit, DeletingAnAttachedPipeDetachesItsResourceEnd) {
    TFlowChain c;
    TLinkInstance* in = c.Flow->Inflow();
    c.Image.RemoveObject(in);
    EXPECT_EQ(c.Image.Links.Count(), 2);
    EXPECT_EQ(in->From(), nullptr);
    EXPECT_EQ(in->To(), c.Flow);
    EXPECT_EQ(in->StartPoint(), (TDrawPoint{232, 100}));
    EXPECT_EQ(FlowDependency(c.Source->Var(), c.Flow->Var()), nullptr);
    // A pipe with a free end cannot be deleted on its own.
    c.Image.RemoveObject(in);
    EXPECT_EQ(c.Image.Links.Count(), 2);
}

TEST(DiagramEdit, AShapeTakesItsClonesLinksAndTableColumnsWithIt) {
    TDiagramFixture f;
    TVariableInstance* a = f.Place(ekVariable, "A", 100, 100);
    TVariableInstance* b = f.Place(ekVariable, "B", 300, 100);
    TVariableInstance* clone = f.Image.AddElement(100, 300, true, a->Var());
    f.Image.AddLink(100, 300, clone, b, 300, 100);
    auto* table =
        static_cast<TTableInstance*>(f.Image.AddOutputControl(0, 400, occTable, 200, 500));
    for (TVariableObject* v : {b->Var(), a->Var(), b->Var()}) {
        auto entry = std::make_unique<TVariableDataLink>();
        entry->Variable.SetTarget(v);
        entry->Colour = v == a->Var() ? 255 : 7;
        table->Series.AddItem(std::move(entry));
        table->AddColumn();
    }
    table->ColumnWidths = {61, 62, 63};

    // A clone alone leaves its variable.
    f.Image.RemoveObject(clone);
    EXPECT_EQ(f.Model.Variables.Count(), 2);
    EXPECT_EQ(f.Image.Links.Count(), 0);
    EXPECT_FALSE(HasDependency(b->Var(), a->Var(), false));

    TVariableInstance* clone2 = f.Image.AddElement(100, 300, true, a->Var());
    f.Image.AddLink(100, 300, clone2, b, 300, 100);
    TVariableObject* removed = a->Var();
    f.Image.RemoveObject(b);
    EXPECT_EQ(f.Image.Links.Count(), 0);
    EXPECT_EQ(table->Series.Count(), 1);
    EXPECT_EQ(table->Series[0]->Var(), removed);
    EXPECT_EQ(table->ColumnWidths, (std::vector<int32_t>{62}));
    EXPECT_EQ(table->Series[0]->Colour, 255);

    f.Image.RemoveObject(a);
    EXPECT_EQ(f.Image.Elements.Count(), 0);
    EXPECT_EQ(f.Model.Variables.Count(), 0);
    EXPECT_EQ(table->Series.Count(), 0);
    f.Image.RemoveObject(nullptr);
    f.Image.RemoveObject(table);
    EXPECT_TRUE(f.Image.IsEmpty());
}

TEST(DiagramEdit, ReversingAFlowTwiceRestoresEverything) {
    TFlowChain c;
    const std::string before = c.Saved();
    TLinkInstance* formerInflow = c.Flow->Inflow();
    c.Flow->Reverse();
    EXPECT_EQ(c.Flow->Outflow(), formerInflow);
    EXPECT_EQ(formerInflow->From(), c.Flow);
    EXPECT_EQ(formerInflow->To(), c.Source);
    EXPECT_EQ(c.Flow->Direction, -1);
    EXPECT_EQ(c.Flow->Var()->DeriveFromSource, 1);
    EXPECT_EQ(FlowDependency(c.Source->Var(), c.Flow->Var())->Direction, 0);
    EXPECT_EQ(FlowDependency(c.Sink->Var(), c.Flow->Var())->Direction, 1);

    // A pipe end freed now takes the mirrored default geometry.
    TFlowChain d;
    d.Flow->Reverse();
    d.Image.RemoveObject(d.Source);
    EXPECT_EQ(d.Flow->Outflow()->EndPoint(), (TDrawPoint{300 - 68, 100}));

    c.Flow->Reverse();
    EXPECT_EQ(c.Saved(), before);
}

TEST(DiagramEdit, LabelsStayWithinTheirLimits) {
    struct TCase {
        TShapeDragPart Part;
        TDrawPoint Wanted; // offset from the shape's position
        TDrawPoint Result;
    };
    const TCase cases[] = {
        {sdpNameLabel, {60, 80}, {36, 48}},      {sdpNameLabel, {0, -50}, {0, -50}},
        {sdpValueLabel, {0, 79}, {0, 79}},       {sdpValueLabel, {0, 100}, {0, 80}},
        {sdpValueLabel, {-60, -80}, {-48, -64}},
    };
    for (const TCase& c : cases) {
        TDiagramFixture f;
        TVariableInstance* shape = f.Place(ekVariable, "Sales", 200, 200);
        f.Paint();
        const TDrawRect& label =
            c.Part == sdpNameLabel ? shape->NameLabelRect : shape->ValueLabelRect;
        const TDrawPoint offset =
            c.Part == sdpNameLabel ? shape->NameLabelOffset : shape->ValueLabelOffset;
        const TDrawPoint grab{(label.Left + label.Right) / 2, (label.Top + label.Bottom) / 2};
        shape->BeginDrag(grab.X, grab.Y);
        const TDrawPoint to = grab - offset + c.Wanted;
        shape->DragTo(to.X, to.Y, true);
        EXPECT_EQ(shape->DragPart, c.Part);
        EXPECT_EQ(c.Part == sdpNameLabel ? shape->NameLabelOffset : shape->ValueLabelOffset,
                  c.Result);
        EXPECT_EQ(shape->Position, (TDrawPoint{200, 200}));
    }
}

TEST(DiagramEdit, DraggingAShapeMovesItAndItsLinksFollow) {
    TDiagramFixture f;
    TVariableInstance* a = f.Place(ekVariable, "A", 100, 100);
    TVariableInstance* b = f.Place(ekVariable, "B", 300, 100);
    TLinkInstance* link = f.Image.AddLink(130, 100, a, b, 270, 100);
    f.Paint();
    a->BeginDrag(110, 105);
    a->DragTo(150, 205, true); // Ctrl on the box still moves the whole shape
    EXPECT_EQ(a->DragPart, sdpWhole);
    EXPECT_EQ(a->Position, (TDrawPoint{140, 200}));
    EXPECT_FALSE(link->BoundsValid);
    EXPECT_EQ(link->StartPoint(), (TDrawPoint{170, 200}));
}

TEST(DiagramEdit, LinkEndsSlideButStayNearTheirShapes) {
    TDiagramFixture f;
    TVariableInstance* a = f.Place(ekVariable, "A", 100, 100);
    TVariableInstance* b = f.Place(ekVariable, "B", 300, 100);
    TLinkInstance* link = f.Image.AddLink(130, 100, a, b, 270, 100);
    link->Selected = true;
    f.Paint();
    link->BeginDrag(130, 100);
    link->DragTo(100 + 120, 100 + 160, false); // 200 units from A
    EXPECT_EQ(link->DragPart, ldpStart);
    EXPECT_EQ(link->StartOffset, (TDrawPoint{36, 48}));
    EXPECT_TRUE(a->Highlighted);

    f.Paint();
    const TDrawPoint control = link->SecondControlPoint();
    link->BeginDrag(control.X + 2, control.Y - 1);
    link->DragTo(250, 20, false);
    EXPECT_EQ(link->DragPart, ldpEndControl);
    EXPECT_EQ(link->SecondControlPoint(), (TDrawPoint{248, 21}));
}

TEST(DiagramEdit, OutputControlsResizeNoSmallerThanThirty) {
    struct TCase {
        TDrawPoint Grab;
        TDrawPoint To;
        TDrawRect Frame;
    };
    const TCase cases[] = {
        {{100, 100}, {190, 190}, {170, 170, 200, 200}}, // top-left handle, too far
        {{200, 200}, {250, 260}, {100, 100, 250, 260}}, // bottom-right handle
        {{150, 100}, {10, 40}, {100, 40, 200, 200}},    // top handle: only the top moves
        {{120, 130}, {20, 30}, {0, 0, 100, 100}},       // inside: moves
    };
    for (const TCase& c : cases) {
        TDiagramFixture f;
        TOutputControlInstance* graph = f.Image.AddOutputControl(100, 100, occGraph, 200, 200);
        graph->Selected = true;
        f.Paint();
        graph->BeginDrag(c.Grab.X, c.Grab.Y);
        graph->DragTo(c.To.X, c.To.Y, false);
        EXPECT_EQ(graph->Frame, c.Frame) << c.Grab.X << "," << c.Grab.Y;
    }
    TDiagramFixture f;
    TOutputControlInstance* note = f.Image.AddOutputControl(50, 60, occNote, 40, 61);
    EXPECT_EQ(note->Frame, (TDrawRect{40, 60, 70, 90}));
}

TEST(DiagramEdit, ZoomAndScrolling) {
    TDiagramFixture f;
    f.Paint(400, 300);
    EXPECT_EQ(f.Image.SetZoom(5), 13.0f);
    f.Image.Zoom = 100;
    f.Image.ScrollX = 100;
    f.Image.ScrollY = 100;
    f.Paint(400, 300); // shows (100, 100) to (500, 400); its centre is (300, 250)
    EXPECT_EQ(f.Image.SetZoom(200), 200.0f);
    f.Paint(400, 300);
    EXPECT_EQ(f.Image.VisibleArea, (TDrawRect{200, 175, 400, 325}));

    TVariableInstance* far = f.Place(ekVariable, "Far", 0, 0);
    far->Position = {2000, 1000};
    f.Paint(400, 300);
    f.Image.EnsureVisible(far);
    f.Paint(400, 300);
    EXPECT_EQ(f.Image.VisibleArea.Left, far->Bounds.Left - 20);
    EXPECT_EQ(f.Image.VisibleArea.Top, far->Bounds.Top - 20);
}

TEST(DiagramEdit, KeptRunsTakeTheNextNumberAndColour) {
    TDiagramFixture f;
    TVariableObject* v = f.Variable(ekVariable, "Sales");
    v->Simulated.AddPoint(0, 5);
    auto* graph = static_cast<TGraphInstance*>(f.Image.AddOutputControl(0, 0, occGraph, 100, 100));
    auto entry = std::make_unique<TVariableDataLink>();
    entry->Variable.SetTarget(v);
    entry->Run = 0;
    graph->Series.AddItem(std::move(entry));

    f.Image.KeepRunForComparison();
    ASSERT_EQ(graph->Series.Count(), 2);
    EXPECT_EQ(graph->Series[1]->Run, 1);
    EXPECT_EQ(ColourFromInt(graph->Series[1]->Colour), QColor(0, 128, 0));
    EXPECT_FALSE(graph->Series[1]->Live);
    EXPECT_EQ(graph->Series[1]->OwnSeries.Count(), 1);

    v->Simulated.AddPoint(1, 6);
    f.Image.KeepRunForComparison();
    ASSERT_EQ(graph->Series.Count(), 3);
    EXPECT_EQ(graph->Series[1]->Run, 2);
    EXPECT_EQ(ColourFromInt(graph->Series[1]->Colour), QColor(0, 0, 255));
    EXPECT_EQ(graph->Series[1]->OwnSeries.Count(), 2);
    EXPECT_EQ(graph->Series[2]->Run, 1);
}

TEST(DiagramEdit, NoteLinesWrapAtBreaks) {
    struct TCase {
        const char* Line;
        int32_t Limit;
        std::vector<std::string> Pieces;
    };
    const TCase cases[] = {
        {"", 10, {""}},
        {"short", 10, {"short"}},
        {"one two three four", 9, {"one two ", "three ", "four"}},
        {"well-known\tfacts", 6, {"well-", "known\t", "facts"}},
        {"an extraordinarily long word", 5, {"an ", "extraordinarily ", "long ", "word"}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(WrapNoteLine(c.Line, c.Limit), c.Pieces) << c.Line;

    TDiagramFixture f;
    auto* note = static_cast<TNoteInstance*>(f.Image.AddOutputControl(0, 0, occNote, 200, 60));
    std::string line;
    while (line.size() < 300)
        line += "words and ";
    note->Lines = {line};
    QImage picture = f.Paint();
    // Text on the first and last whole rows, nothing below the frame.
    EXPECT_TRUE(AnyInk(picture, QRect(4, 4, 190, 10)));
    EXPECT_TRUE(AnyInk(picture, QRect(4, 40, 190, 10)));
    EXPECT_FALSE(AnyInk(picture, QRect(0, 61, 200, 20)));
}

TEST(DiagramPainting, ArrowHeadTipLiesBeyondTheLineEnd) {
    QImage picture(40, 40, QImage::Format_ARGB32);
    picture.fill(Qt::white);
    {
        QPainter canvas(&picture);
        canvas.setPen(Qt::black);
        canvas.setBrush(Qt::black);
        TDrawImage::DrawArrowHead(0, 20, canvas, 1.0, 20, 20);
    }
    EXPECT_NE(picture.pixel(23, 20), qRgb(255, 255, 255));
    EXPECT_NE(picture.pixel(17, 20), qRgb(255, 255, 255));
    EXPECT_EQ(picture.pixel(26, 20), qRgb(255, 255, 255));
    EXPECT_EQ(picture.pixel(5, 20), qRgb(255, 255, 255));
}
