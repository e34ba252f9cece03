// Token file throughput and series lookups.
#include "core/model/DataSeries.h"
#include "core/persistence/FileIO.h"
#include "core/support/NumberFormat.h"
#include "core/support/Version.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>

namespace {

// About 50 MB of body: lines of floats, integers and strings as a model file holds them.
void WriteBody(TFileObject& file, size_t targetBytes) {
    size_t written = 0;
    int32_t i = 0;
    while (written < targetBytes) {
        file.WriteFloat(i * 0.1);
        file.WriteFloat(1.0 / (i + 3));
        file.WriteInteger(i);
        file.WriteString("Customer's revenue");
        if (++i % 16 == 0) {
            written += file.Buffer.size() + 2;
            file.EndLine();
        }
    }
    file.EndLine();
}

constexpr size_t BodyBytes = 50u << 20;

void BM_WriteFile(benchmark::State& state) {
    auto path = std::filesystem::temp_directory_path() / "quorvane-bench-write.qvf";
    size_t bytes = 0;
    for (auto _ : state) {
        TFileObject file;
        file.CurrentVersion = ProgramVersion;
        file.OpenForWrite(path.string(), "Quorvane");
        WriteBody(file, BodyBytes);
        file.Save(false);
        bytes += std::filesystem::file_size(path);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    std::filesystem::remove(path);
}
BENCHMARK(BM_WriteFile)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReadFile(benchmark::State& state) {
    auto path = std::filesystem::temp_directory_path() / "quorvane-bench-read.qvf";
    {
        TFileObject file;
        file.CurrentVersion = ProgramVersion;
        file.OpenForWrite(path.string(), "Quorvane");
        WriteBody(file, BodyBytes);
        file.Save(false);
    }
    size_t bytes = std::filesystem::file_size(path);
    for (auto _ : state) {
        TFileObject file;
        file.OpenForRead(path.string());
        double sum = 0;
        try {
            for (;;) {
                sum += file.ReadFloat();
                sum += file.ReadFloat();
                sum += file.ReadInteger();
                benchmark::DoNotOptimize(file.ReadString());
            }
        } catch (const EFileEnd&) {
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
    std::filesystem::remove(path);
}
BENCHMARK(BM_ReadFile)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_AddPointInOrder(benchmark::State& state) {
    for (auto _ : state) {
        TDataSeries series;
        for (int64_t i = 0; i < state.range(0); ++i)
            series.AddPoint(i * 0.25, i);
        benchmark::DoNotOptimize(series.Points.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AddPointInOrder)->Arg(1000)->Arg(100000)->Arg(1000000);

void BM_ValueAt(benchmark::State& state) {
    TDataSeries series;
    for (int i = 0; i < 100000; ++i)
        series.AddPoint(i, i * 2.0);
    double t = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(series.ValueAt(t));
        t += 7.3;
        if (t > 100000) t -= 100000;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ValueAt);

} // namespace

namespace {

// The cost of one number in the file format, the bulk of every save and undo snapshot.
void BM_FloatToStr(benchmark::State& state) {
    double value = 0.1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FloatToStr(value));
        value = value * 1.000001 + 0.37;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FloatToStr);

} // namespace
