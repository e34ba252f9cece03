// Finding the object under the mouse, selecting by rectangle, and painting pixels.
#include "DiagramFixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Two shapes joined by a straight horizontal link at y = 100 from x = 130 to x = 270.
struct TLinkedPair : TDiagramFixture {
    TVariableInstance* A;
    TVariableInstance* B;
    TLinkInstance* Link;
    TLinkedPair() {
        A = Place(ekVariable, "A", 100, 100);
        B = Place(ekVariable, "B", 300, 100);
        Link = Image.AddLink(130, 100, A, B, 270, 100);
        Paint();
    }
    TDrawObject* At(int32_t drawX, int32_t drawY, int32_t viewDy = 0) {
        const double s = Image.Scale;
        return Image.ObjectAt(static_cast<int32_t>(std::lround(drawX * s)),
                              static_cast<int32_t>(std::lround(drawY * s)) + viewDy, false);
    }
};

} // namespace

TEST(DiagramHitTest, PointOnALinkHitsAtAnyZoomAndBesideItMisses) {
    struct TCase {
        float Zoom;
        int32_t ViewOffset; // view pixels beside the curve
        bool Hits;
    };
    const TCase cases[] = {
        {100, 0, true}, {50, 0, true},   {200, 0, true}, {13, 0, true},  {400, 0, true},
        {100, 3, true}, {100, 6, false}, {50, 3, false}, {200, 6, true}, {200, 12, false},
    };
    for (const TCase& c : cases) {
        TLinkedPair pair;
        pair.SetZoom(c.Zoom);
        TDrawObject* hit = pair.At(200, 100, c.ViewOffset);
        EXPECT_EQ(hit == pair.Link, c.Hits) << "zoom " << c.Zoom << " offset " << c.ViewOffset;
    }
}

TEST(DiagramHitTest, ArrowHeadAnswersAndCurveHitsAfterScrolling) {
    TLinkedPair pair;
    pair.Image.ScrollX = 50;
    pair.Image.ScrollY = 20;
    pair.Paint();
    EXPECT_EQ(pair.Image.ObjectAt(200 - 50, 100 - 20, false), pair.Link);
    EXPECT_EQ(pair.Image.ObjectAt(200 - 50, 130 - 20, false), nullptr);
}

TEST(DiagramHitTest, SelectedElementThenLinkThenElementThenLastControl) {
    TDiagramFixture f;
    TVariableInstance* under = f.Place(ekVariable, "Under", 100, 100);
    TVariableInstance* over = f.Place(ekVariable, "Over", 110, 100);
    f.Paint();
    // Unselected overlap: the first in the list answers.
    EXPECT_EQ(f.Image.ObjectAt(105, 100, false), under);
    over->Selected = true;
    f.Paint();
    EXPECT_EQ(f.Image.ObjectAt(105, 100, false), over);

    // A link over an unselected element wins.
    TDiagramFixture g;
    TVariableInstance* a = g.Place(ekVariable, "A", 100, 100);
    TVariableInstance* b = g.Place(ekVariable, "B", 300, 100);
    TLinkInstance* link = g.Image.AddLink(100, 100, a, b, 300, 100);
    g.Paint();
    EXPECT_EQ(g.Image.ObjectAt(110, 100, false), link);

    // Overlapping output controls: the last one answers.
    TDiagramFixture h;
    TOutputControlInstance* first = h.Image.AddOutputControl(10, 10, occNote, 200, 200);
    TOutputControlInstance* second = h.Image.AddOutputControl(100, 100, occGraph, 300, 300);
    h.Paint();
    EXPECT_EQ(h.Image.ObjectAt(150, 150, true), second);
    EXPECT_TRUE(second->Highlighted);
    EXPECT_FALSE(first->Highlighted);
    EXPECT_EQ(h.Image.ObjectAt(50, 50, true), first);
    EXPECT_EQ(h.Image.ObjectAt(500, 500, true), nullptr);
    EXPECT_FALSE(first->Highlighted);
}

TEST(DiagramHitTest, AShapeScrolledOutOfViewNoLongerAnswers) {
    TDiagramFixture f;
    f.Place(ekVariable, "A", 100, 100);
    f.Paint();
    ASSERT_NE(f.Image.ObjectAt(100, 100, false), nullptr);
    f.Image.ScrollX = 2000;
    f.Paint();
    EXPECT_EQ(f.Image.ObjectAt(100, 100, false), nullptr);
}

TEST(DiagramSelection, RectangleSelectsWhatLiesWhollyInside) {
    TDiagramFixture f;
    TVariableInstance* a = f.Place(ekVariable, "A", 100, 100);
    TVariableInstance* b = f.Place(ekVariable, "B", 300, 100);
    TLinkInstance* link = f.Image.AddLink(130, 100, a, b, 270, 100);
    TOutputControlInstance* note = f.Image.AddOutputControl(50, 300, occNote, 150, 400);
    f.Paint();

    f.Image.SelectInRect(0, 0, false, 200, 200); // A only
    EXPECT_TRUE(a->Selected);
    EXPECT_FALSE(b->Selected);
    EXPECT_FALSE(link->Selected);
    EXPECT_FALSE(note->Selected);

    f.Image.SelectInRect(0, 250, true, 200, 450); // adds the note
    EXPECT_TRUE(a->Selected);
    EXPECT_TRUE(note->Selected);

    f.Image.SelectInRect(0, 0, false, 400, 200); // both shapes and the link, not the note
    EXPECT_TRUE(a->Selected);
    EXPECT_TRUE(b->Selected);
    EXPECT_TRUE(link->Selected);
    EXPECT_FALSE(note->Selected);

    f.Image.SelectInRect(75, 0, false, 400, 200); // A's box sticks out
    EXPECT_FALSE(a->Selected);
    EXPECT_TRUE(b->Selected);
}

TEST(DiagramPainting, ShapesSetThePixelsAUserSees) {
    TDiagramFixture f;
    f.Place(ekResource, "Stock", 100, 100);
    f.Place(ekFlow, "Flow", 300, 100);
    f.Place(ekConstant, "Rate", 100, 300);
    QImage picture = f.Paint();

    EXPECT_EQ(picture.pixel(72, 100), qRgb(0, 0, 0));             // resource frame, left edge
    EXPECT_EQ(picture.pixel(100, 100 + 20), qRgb(255, 255, 255)); // inside the box
    EXPECT_EQ(picture.pixel(100, 70), qRgb(128, 128, 128));       // the 3-D top face
    EXPECT_TRUE(AnyInk(picture, QRect(80, 52, 40, 10)));          // name label
    EXPECT_TRUE(AnyInk(picture, QRect(85, 130, 30, 12)));         // value label
    EXPECT_TRUE(AnyInk(picture, QRect(295, 61, 10, 3)));          // the valve circle
    EXPECT_TRUE(AnyInk(picture, QRect(240, 99, 20, 3)));          // inflow pipe
    EXPECT_TRUE(AnyInk(picture, QRect(345, 99, 20, 3)));          // outflow pipe
    // A constant shows no box: only its labels 10 units above and below.
    EXPECT_FALSE(AnyInk(picture, QRect(72, 300 - 2, 10, 4)));
    EXPECT_TRUE(AnyInk(picture, QRect(85, 304, 30, 10)));
}

TEST(DiagramPainting, ColoursFollowSelectionErrorsAndClones) {
    TDiagramFixture f;
    TVariableInstance* shape = f.Place(ekResource, "Stock", 100, 100);
    TVariableInstance* clone = f.Image.AddElement(300, 100, true, shape->Var());
    clone->ShowGraph = true;
    QImage picture = f.Paint();
    EXPECT_EQ(picture.pixel(72, 100), qRgb(0, 0, 0));
    EXPECT_EQ(picture.pixel(272, 100), qRgb(128, 128, 128));
    shape->Selected = true;
    shape->Var()->HasErrors = true;
    picture = f.Paint();
    EXPECT_EQ(picture.pixel(72, 100), qRgb(0, 128, 0));
    EXPECT_EQ(picture.pixel(272, 100), qRgb(255, 0, 0));
}

TEST(DiagramPainting, EmptyDrawingKeepsTheDefaultExtent) {
    TDiagramFixture f;
    EXPECT_TRUE(f.Image.IsEmpty());
    f.Image.ShowPageBreaks = true;
    f.Image.PageWidth = 300;
    f.Image.PageHeight = 200;
    QImage picture = f.Paint();
    EXPECT_EQ(f.Image.Extent, (TDrawRect{0, 0, 100, 100}));
    EXPECT_NE(picture.pixel(300, 50), qRgb(255, 255, 255)); // a page break
    EXPECT_EQ(picture.pixel(301, 51), qRgb(255, 255, 255));
}

TEST(DiagramPainting, ExtentCoversEverything) {
    TDiagramFixture f;
    f.Place(ekVariable, "A", 500, 400);
    f.Image.AddOutputControl(-50, -20, occNote, 10, 10);
    f.Paint();
    EXPECT_EQ(f.Image.Extent.Left, -50);
    EXPECT_EQ(f.Image.Extent.Top, -20);
    EXPECT_EQ(f.Image.Extent.Right, 528);
    EXPECT_GE(f.Image.Extent.Bottom, 436);
}

TEST(DiagramPainting, LinkColoursTellWhetherTheEquationUsesThem) {
    TDiagramFixture f;
    TVariableInstance* a = f.Place(ekVariable, "A", 100, 100);
    TVariableInstance* b = f.Place(ekVariable, "B", 300, 100);
    TLinkInstance* link = f.Image.AddLink(130, 100, a, b, 270, 100);
    auto* flow = static_cast<TFlowInstance*>(f.Place(ekFlow, "F", 300, 300));
    struct TCase {
        bool Used;
        bool Selected;
        QRgb Link;
        QRgb Pipe; // the free-ended outflow pipe
    };
    const TCase cases[] = {
        {false, false, qRgb(255, 0, 0), qRgb(0, 0, 0)},
        {true, false, qRgb(0, 0, 0), qRgb(0, 0, 0)},
        {true, true, qRgb(0, 128, 0), qRgb(255, 0, 0)},
    };
    for (const TCase& c : cases) {
        b->Var()->Dependencies[0]->Used = c.Used;
        link->Selected = c.Selected;
        flow->Outflow()->Selected = c.Selected;
        QImage picture = f.Paint();
        EXPECT_EQ(picture.pixel(200, 100), c.Link) << c.Used << c.Selected;
        EXPECT_EQ(picture.pixel(350, 298), c.Pipe) << c.Used << c.Selected;
        if (!c.Selected) { // the pipe's centre line (a selected one has handles here)
            EXPECT_EQ(picture.pixel(350, 300), qRgb(255, 255, 255));
        }
    }
}

TEST(DiagramPainting, AtHalfSizeLinesAreThinnerAndPipesSolid) {
    TDiagramFixture f;
    TVariableInstance* a = f.Place(ekVariable, "A", 100, 100);
    TVariableInstance* b = f.Place(ekVariable, "B", 300, 100);
    f.Image.AddLink(130, 100, a, b, 270, 100);
    f.Place(ekFlow, "F", 300, 300);
    f.Image.Zoom = 50;
    QImage picture = f.Paint();
    EXPECT_NE(picture.pixel(100, 50), qRgb(255, 255, 255));
    EXPECT_EQ(picture.pixel(100, 49), qRgb(255, 255, 255));
    EXPECT_EQ(picture.pixel(100, 51), qRgb(255, 255, 255));
    EXPECT_NE(picture.pixel(175, 150), qRgb(255, 255, 255)); // no white centre line
}

TEST(DiagramPainting, GraphScaleIsWrittenFromNinetyPercent) {
    for (float zoom : {80.0f, 90.0f, 100.0f}) {
        TDiagramFixture f;
        f.Place(ekVariable, "A", 100, 100);
        f.Image.Zoom = zoom;
        QImage picture = f.Paint();
        const double s = zoom / 100;
        const int graphLeft = TruncToInt(75 * s), boxTop = TruncToInt(72 * s);
        const int graphTop = TruncToInt(82 * s);
        const QRect aboveGraph(graphLeft + 1, boxTop + 2, 15, graphTop - boxTop - 3);
        EXPECT_EQ(AnyInk(picture, aboveGraph), zoom >= 90) << zoom;
    }
}

namespace {

// A double buffer like the view's: paint into Back, Flip shows it in Front.
class TTestSurface : public TDrawSurface {
public:
    TTestSurface() : Back(300, 200, QImage::Format_ARGB32) { Fresh(); }
    QPainter& Canvas() override { return *Painter; }
    int32_t Width() const override { return Back.width(); }
    int32_t Height() const override { return Back.height(); }
    void Flip() override {
        Painter.reset();
        Front = Back.copy();
        ++Flips;
        Fresh();
    }
    QImage Back, Front;
    int Flips = 0;

private:
    void Fresh() {
        Back.fill(Qt::white);
        Painter = std::make_unique<QPainter>(&Back);
    }
    std::unique_ptr<QPainter> Painter;
};

} // namespace

TEST(DiagramPainting, RubberBandFeedbackGoesThroughTheSurface) {
    TDiagramFixture f;
    TTestSurface surface;
    f.Image.Surface = &surface;
    f.Place(ekResource, "Stock", 100, 100);
    f.Image.Refresh();
    EXPECT_EQ(surface.Flips, 1);
    EXPECT_EQ(surface.Front.pixel(72, 100), qRgb(0, 0, 0));

    f.Image.DrawRubberRect(150, 20, qRgb(255, 0, 0), Qt::SolidLine, 250, 120);
    EXPECT_EQ(surface.Front.pixel(200, 20), qRgb(255, 0, 0));
    EXPECT_EQ(surface.Front.pixel(250, 70), qRgb(255, 0, 0));
    EXPECT_EQ(surface.Front.pixel(72, 100), qRgb(0, 0, 0)); // the diagram beneath

    f.Image.DrawRubberLine(150, 150, 250, 150);
    EXPECT_EQ(surface.Front.pixel(200, 150), qRgb(0, 128, 0));
    EXPECT_EQ(surface.Front.pixel(253, 150), qRgb(0, 128, 0)); // the arrow's tip
    EXPECT_EQ(surface.Front.pixel(200, 20), qRgb(255, 255, 255));
    f.Image.Surface = nullptr;
}
