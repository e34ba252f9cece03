// The model document with a large model: 1,000 elements on the diagram, each with a
// saved run of 10,000 points; loading, saving and taking an undo snapshot, the snapshot
// also for an everyday model of 100 elements with runs of 1,000 points.
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

constexpr int ElementCount = 1000;
constexpr int PointCount = 10000;

// Resident memory of the process in bytes.
double ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    double pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE));
}

// Resources filled by flows, with variables and constants linked to them, laid out on a
// grid; every element carries a simulated series of pointCount steps.
std::unique_ptr<TDataFile> LargeDocument(int elementCount = ElementCount,
                                         int pointCount = PointCount) {
    auto document = std::make_unique<TDataFile>();
    TSimulationObject& model = *document->Simulation;
    TDrawImage& image = document->Image();
    model.StopTime = pointCount - 1;
    std::vector<TVariableInstance*> shapes;
    for (int i = 0; i < elementCount; ++i) {
        const uint8_t kind = static_cast<uint8_t>(i % 4);
        TVariableObject* element = model.NewElement(kind);
        element->Equation = kind == ekResource ? "100" : "1 + 2";
        for (int p = 0; p < pointCount; ++p)
            element->Simulated.AddPoint(p, p * 0.37 + i);
        auto shape = kind == ekFlow ? std::make_unique<TFlowInstance>()
                                    : std::make_unique<TVariableInstance>();
        shape->Position = {(i % 40) * 150, (i / 40) * 150};
        shape->Variable.SetTarget(element);
        shape->Owner = &image;
        shapes.push_back(shape.get());
        image.Elements.AddItem(std::move(shape));
        if (kind == ekFlow) {
            // Two pipes; the outflow fills the resource two places before.
            auto* flow = static_cast<TFlowInstance*>(shapes.back());
            for (int end = 0; end < 2; ++end) {
                auto pipe = std::make_unique<TLinkInstance>();
                pipe->Kind = lkFlow;
                pipe->Owner = &image;
                if (end == 0) {
                    pipe->ToElement.SetTarget(flow);
                    flow->InflowPipe.SetTarget(pipe.get());
                } else {
                    pipe->FromElement.SetTarget(flow);
                    pipe->ToElement.SetTarget(shapes[static_cast<size_t>(i - 1)]);
                    flow->OutflowPipe.SetTarget(pipe.get());
                    model.Variables[i - 1]->AddDependency(element, true, 0);
                }
                image.Links.AddItem(std::move(pipe));
            }
        } else if (kind != ekConstant) {
            // An information link from the constant before it.
            element->AddDependency(model.Variables[i - kind]);
            auto link = std::make_unique<TLinkInstance>();
            link->FromElement.SetTarget(shapes[static_cast<size_t>(i - kind)]);
            link->ToElement.SetTarget(shapes.back());
            link->Owner = &image;
            image.Links.AddItem(std::move(link));
        }
    }
    return document;
}

std::filesystem::path BenchFile() {
    return std::filesystem::temp_directory_path() / "quorvane-document-bench.qvf";
}

void BM_SaveDocument(benchmark::State& state) {
    auto document = LargeDocument();
    const auto path = BenchFile();
    for (auto _ : state)
        document->SaveToFile(path.string(), false);
    const auto bytes = static_cast<int64_t>(std::filesystem::file_size(path));
    state.SetBytesProcessed(bytes * state.iterations());
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["ns_per_point"] = benchmark::Counter(
        static_cast<double>(ElementCount) * PointCount * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SaveDocument)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LoadDocument(benchmark::State& state) {
    const auto path = BenchFile();
    LargeDocument()->SaveToFile(path.string(), false);
    const auto bytes = static_cast<int64_t>(std::filesystem::file_size(path));
    for (auto _ : state) {
        std::string message;
        auto document = TDataFile::LoadModelFile(path.string(), message);
        if (!document) state.SkipWithError(message.c_str());
        benchmark::DoNotOptimize(document.get());
    }
    state.SetBytesProcessed(bytes * state.iterations());
    state.counters["ns_per_point"] = benchmark::Counter(
        static_cast<double>(ElementCount) * PointCount * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadDocument)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PushUndo(benchmark::State& state) {
    const int elements = static_cast<int>(state.range(0)),
              points = static_cast<int>(state.range(1));
    auto document = LargeDocument(elements, points);
    // What one snapshot keeps resident, the shared copy buffers included.
    const double before = ResidentBytes();
    document->PushUndo();
    state.counters["snapshot_MB"] = (ResidentBytes() - before) / 1e6;
    document->UndoStack.clear();
    document->MakeCurrent();
    for (auto _ : state) {
        document->PushUndo();
        state.PauseTiming();
        document->UndoStack.clear(); // keep memory flat between iterations
        document->MakeCurrent();
        state.ResumeTiming();
    }
    state.counters["ns_per_point"] = benchmark::Counter(
        static_cast<double>(elements) * points * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PushUndo)
    ->ArgNames({"elements", "points"})
    ->Args({ElementCount, PointCount})
    ->Args({100, 1000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_Undo(benchmark::State& state) {
    auto document =
        LargeDocument(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        state.PauseTiming();
        document->PushUndo();
        state.ResumeTiming();
        document->Undo();
    }
}
BENCHMARK(BM_Undo)
    ->ArgNames({"elements", "points"})
    ->Args({ElementCount, PointCount})
    ->Args({100, 1000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace
