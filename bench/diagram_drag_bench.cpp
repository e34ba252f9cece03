// Dragging one shape in a diagram of 1,000 elements: one mouse move is the drag step, the
// repaint of the view (an offscreen 1280 x 800 buffer) and the pipe-end check; hovering is
// the hit test, alone and with the repaint a change of highlight needs. At 100 % the view
// shows a part of the diagram; at 13 % all of it.
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"
#include "document/model/DiagramEdits.h"

#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPainter>

#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int ElementCount = 1000;
constexpr int ViewWidth = 1280;
constexpr int ViewHeight = 800;

void EnsureApplication() {
    if (QCoreApplication::instance()) return;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "diagram_drag_bench";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

// The view's double buffer without a widget.
class TImageSurface : public TDrawSurface {
public:
    TImageSurface() : Back(ViewWidth, ViewHeight, QImage::Format_RGB32) { Start(); }
    QPainter& Canvas() override { return *Painter; }
    int32_t Width() const override { return ViewWidth; }
    int32_t Height() const override { return ViewHeight; }
    void Flip() override {
        Painter.reset();
        std::swap(Front, Back);
        if (Back.isNull()) Back = QImage(ViewWidth, ViewHeight, QImage::Format_RGB32);
        Start();
    }

private:
    void Start() {
        Back.fill(Qt::white);
        Painter = std::make_unique<QPainter>(&Back);
    }
    QImage Front;
    QImage Back;
    std::unique_ptr<QPainter> Painter;
};

// Constants, variables, resources and flows on a 40 x 25 grid, 150 units apart; each flow's
// pipes run into the resource before it, each variable reads the constant before it.
struct TLargeDiagram {
    explicit TLargeDiagram(float zoom) {
        EnsureApplication();
        TDrawImage& image = Document.Image();
        image.Surface = &Surface;
        TVariableInstance* previous[4] = {};
        for (int i = 0; i < ElementCount; ++i) {
            const uint8_t kind = static_cast<uint8_t>(i % 4);
            TVariableObject* element = Document.Simulation->NewElement(kind);
            element->Equation = kind == ekResource ? "100" : "1";
            const int32_t x = 60 + (i % 40) * 150, y = 60 + (i / 40) * 150;
            TVariableInstance* shape = kind == ekFlow ? image.AddFlow(x, y, element)
                                                      : image.AddElement(x, y, false, element);
            if (kind == ekVariable && previous[ekConstant])
                image.AddLink(previous[ekConstant]->Position.X, previous[ekConstant]->Position.Y,
                              previous[ekConstant], shape, x, y);
            previous[kind] = shape;
            if (i == 1) Dragged = shape;
        }
        image.Zoom = zoom;
        image.Refresh();
        image.AttachFlowEnds();
        image.Refresh();
    }
    TImageSurface Surface;
    TDataFile Document;
    TVariableInstance* Dragged = nullptr;
};

void BM_DragOneShape(benchmark::State& state) {
    TLargeDiagram diagram(static_cast<float>(state.range(0)));
    TDrawImage& image = diagram.Document.Image();
    const TDrawPoint start = ToView(diagram.Dragged->Position, image.VisibleArea, image.Scale);
    TDiagramDrag drag(diagram.Document, *diagram.Dragged, {}, start);
    drag.MoveTo(start.X + 1, start.Y + 1, false, [&] { image.Refresh(); }); // the snapshot
    int step = 0;
    for (auto _ : state) {
        ++step;
        drag.MoveTo(start.X + step % 40, start.Y + step % 30, false, [&] { image.Refresh(); });
    }
    state.SetLabel("per mouse move, repaint included");
}
BENCHMARK(BM_DragOneShape)->Arg(100)->Arg(13)->Unit(benchmark::kMillisecond);

void BM_HoverHitTest(benchmark::State& state) {
    TLargeDiagram diagram(static_cast<float>(state.range(0)));
    TDrawImage& image = diagram.Document.Image();
    const TDrawPoint on = ToView(diagram.Dragged->Position, image.VisibleArea, image.Scale);
    for (auto _ : state)
        benchmark::DoNotOptimize(image.ObjectAt(on.X, on.Y, true));
    state.SetLabel("hit test, highlight unchanged");
}
BENCHMARK(BM_HoverHitTest)->Arg(100)->Arg(13)->Unit(benchmark::kMicrosecond);

void BM_HoverChangeAndRepaint(benchmark::State& state) {
    TLargeDiagram diagram(static_cast<float>(state.range(0)));
    TDrawImage& image = diagram.Document.Image();
    const TDrawPoint on = ToView(diagram.Dragged->Position, image.VisibleArea, image.Scale);
    const TDrawPoint off{ViewWidth - 2, ViewHeight - 2};
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        const TDrawPoint p = flip ? on : off;
        image.ObjectAt(p.X, p.Y, true);
        image.Refresh();
    }
    state.SetLabel("hit test and the repaint of a new highlight");
}
BENCHMARK(BM_HoverChangeAndRepaint)->Arg(100)->Arg(13)->Unit(benchmark::kMillisecond);

} // namespace
