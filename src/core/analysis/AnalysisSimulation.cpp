#include "core/analysis/AnalysisSimulation.h"

#include "core/persistence/FileItems.h"
#include "core/support/Notifier.h"

#include <limits>

namespace {

// Making or freeing a model changes the thread's current and running simulation; the
// thread's own must stay what they were.
class TKeepThreadModels {
public:
    TKeepThreadModels() : Current(CurrentSimulation), Running(RunningSimulation) {}
    ~TKeepThreadModels() {
        CurrentSimulation = Current;
        RunningSimulation = Running;
    }
    TKeepThreadModels(const TKeepThreadModels&) = delete;
    TKeepThreadModels& operator=(const TKeepThreadModels&) = delete;

private:
    TSimulationObject* Current;
    TSimulationObject* Running;
};

} // namespace

TAnalysisSimulation::TAnalysisSimulation(TSimulationObject& model) {
    const TKeepThreadModels keep;
    Copy = std::make_unique<TSimulationObject>();
    try {
        Copy->CopyFrom(model);
        GlobalLinkManager.ResolveAll();
    } catch (...) {
        GlobalLinkManager.Clear();
        Copy.reset();
        throw;
    }
    Copy->Owner = nullptr; // not the document's
    for (TVariableObject* element : Copy->Variables) {
        // The document's results are no use here; only sketches can drive a run.
        element->Simulated.Clear();
        element->Simulated.Points.shrink_to_fit();
        element->Derived.Clear();
    }
}

TAnalysisSimulation::~TAnalysisSimulation() {
    const TKeepThreadModels keep;
    Copy.reset();
}

bool TAnalysisSimulation::Prepare(std::vector<std::string>& messages) {
    TSimulationObject& model = *Copy;
    CurrentSimulation = &model;
    // The check's messages are returned, not shown.
    TNotifier silent;
    const TThreadNotifierScope quiet(&silent);
    const bool ok = model.CheckModel();
    messages = ok ? std::vector<std::string>() : ErrorList;
    Elements.clear();
    OwnValues.clear();
    for (TVariableObject* element : model.Variables) {
        Elements.push_back(element);
        OwnValues.push_back(element->InitialValue);
    }
    Overridden.clear();
    return ok;
}

void TAnalysisSimulation::SetConstant(int32_t slot, double value) {
    if (slot < 0 || static_cast<size_t>(slot) >= Elements.size()) return;
    TVariableObject& element = *Elements[static_cast<size_t>(slot)];
    // A plain number compiles to no tree: its value is the one a run starts from.
    if (element.Root) return;
    element.InitialValue = value;
    Overridden.push_back(slot);
}

void TAnalysisSimulation::RestoreConstants() {
    for (int32_t slot : Overridden)
        Elements[static_cast<size_t>(slot)]->InitialValue = OwnValues[static_cast<size_t>(slot)];
    Overridden.clear();
}

double TAnalysisSimulation::OwnConstant(int32_t slot) const {
    if (slot < 0 || static_cast<size_t>(slot) >= OwnValues.size()) return 0;
    return OwnValues[static_cast<size_t>(slot)];
}

bool TAnalysisSimulation::Run(uint32_t randomSeed, const std::atomic<bool>* cancel) {
    TSimulationObject& model = *Copy;
    model.OwnRandom = true;
    model.OwnRandomSeed = randomSeed;
    model.Reset();
    int64_t steps = 0;
    while (!model.IsFinished()) {
        if (cancel && ++steps % CancelCheckSteps == 0 && cancel->load(std::memory_order_relaxed))
            return false;
        model.Step();
    }
    return true;
}

void TAnalysisSimulation::CopyResults(const std::vector<int32_t>& slots, size_t steps,
                                      double* values) const {
    for (int32_t slot : slots) {
        const std::vector<TDataPoint>& points =
            Elements[static_cast<size_t>(slot)]->Simulated.Points;
        const size_t taken = std::min(points.size(), steps);
        for (size_t s = 0; s < taken; ++s)
            values[s] = points[s].Value;
        for (size_t s = taken; s < steps; ++s)
            values[s] = std::numeric_limits<double>::quiet_NaN();
        values += steps;
    }
}
