// Graph and diagram painting: a 400 x 300 graph control showing 10 series of 100,000
// points, and the whole diagram of the largest example after a run.
#include "core/model/RunToEnd.h"
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"
#include "document/output/GraphDrawing.h"

#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPainter>

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

constexpr int SeriesCount = 10;
constexpr int PointCount = 100000;

// Fonts need a GUI application; painting needs no display.
void EnsureApplication() {
    if (QCoreApplication::instance()) return;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "graph_bench";
    static char* argv[] = {name, nullptr};
    // Kept to the end of the process: Qt must not be torn down after its own statics.
    new QGuiApplication(argc, argv);
}

struct TGraphFixture {
    TGraphFixture() {
        EnsureApplication();
        model.StopTime = PointCount - 1;
        model.ViewStop = PointCount - 1;
        model.Now = PointCount / 2.0;
        for (int s = 0; s < SeriesCount; ++s) {
            TVariableObject* element = model.NewElement(ekVariable);
            for (int p = 0; p < PointCount; ++p)
                element->Simulated.AddPoint(p, std::sin(p * 0.001 + s) * 100 + s * 20);
            auto entry = std::make_unique<TVariableDataLink>();
            entry->Variable.SetTarget(element);
            entry->Colour = 0x008000 + s * 20;
            graph.Series.AddItem(std::move(entry));
        }
        graph.FrameRect = {0, 0, 400, 300};
        graph.Frame = {0, 0, 400, 300};
    }
    TSimulationObject model;
    TGraphInstance graph;
};

void BM_GraphControl400x300(benchmark::State& state) {
    TGraphFixture fixture;
    QImage image(400, 300, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter canvas(&image);
        PaintGraphControl(fixture.graph, canvas, qRgb(0, 0, 0), 1.0);
    }
    state.counters["series_points"] = SeriesCount * PointCount;
}
BENCHMARK(BM_GraphControl400x300)->Unit(benchmark::kMillisecond);

// The curves alone, without the scan for automatic limits that a fixed scale avoids.
void BM_PlotSeries100k(benchmark::State& state) {
    TGraphFixture fixture;
    QImage image(400, 300, QImage::Format_RGB32);
    const TPlotArea area =
        MakePlotArea({54, 3, 390, 270}, -100, 300, 0, PointCount - 1, PointCount / 2.0);
    const auto& points = fixture.model.Variables[0]->Simulated.Points;
    for (auto _ : state) {
        QPainter canvas(&image);
        PlotSeries(points, canvas, area, true, true, qRgb(0, 128, 0), 0);
    }
}
BENCHMARK(BM_PlotSeries100k)->Unit(benchmark::kMicrosecond);

// For comparison: finding each column's point by scanning from the first point, the way a
// straightforward walk would, without drawing anything.
void BM_LinearColumnSearch100k(benchmark::State& state) {
    TGraphFixture fixture;
    const auto& points = fixture.model.Variables[0]->Simulated.Points;
    const int32_t width = 390 - 54 + 1;
    const double endOff = PointCount - 1;
    for (auto _ : state) {
        int64_t found = 0;
        for (int32_t c = 0; c <= width; ++c) {
            const double time = endOff * c / width;
            for (size_t k = 1; k < points.size(); ++k)
                if (points[k - 1].Time <= time && time < points[k].Time) {
                    found += static_cast<int64_t>(k);
                    break;
                }
        }
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_LinearColumnSearch100k)->Unit(benchmark::kMillisecond);

fs::path LargestExample() {
    fs::path largest;
    uintmax_t size = 0;
    const fs::path folder = fs::path(QV_SOURCE_DIR) / "examples";
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".qvf" && entry.file_size() > size) {
            size = entry.file_size();
            largest = entry.path();
        }
    return largest;
}

void BM_ExampleDiagramAfterRun(benchmark::State& state) {
    EnsureApplication();
    std::string message;
    auto document = TDataFile::LoadModelFile(LargestExample().string(), message);
    if (!document) {
        state.SkipWithError(message.c_str());
        return;
    }
    bool tooLong = false;
    document->Simulation->CheckModel();
    RunToEnd(*document->Simulation, 1000000, tooLong);
    TDrawImage& image = document->Image();
    const TDrawRect content = image.MeasureContent();
    QImage picture(content.Width() + 20, content.Height() + 20, QImage::Format_RGB32);
    for (auto _ : state) {
        picture.fill(Qt::white);
        QPainter canvas(&picture);
        image.RenderTo(canvas, picture.width(), picture.height(), false, content.Inflated(10, 10));
    }
    state.SetLabel(LargestExample().filename().string());
}
BENCHMARK(BM_ExampleDiagramAfterRun)->Unit(benchmark::kMillisecond);

} // namespace
