#pragma once
// One worker's own copy of a model, run again and again with other values of its constants:
// set the constants, reset, run. The copy is made once on the thread that owns the model (the
// token file and link manager that copying goes through are shared); everything after that,
// from compiling its equations to its last run, happens on the worker alone, which never
// touches the document's model or anything shared.

#include "core/model/SimulationObjects.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TAnalysisSimulation {
public:
    // Copies model; the calling thread's current simulation stays what it was.
    explicit TAnalysisSimulation(TSimulationObject& model);
    ~TAnalysisSimulation();
    TAnalysisSimulation(const TAnalysisSimulation&) = delete;
    TAnalysisSimulation& operator=(const TAnalysisSimulation&) = delete;

    // On the worker, before its first run: compiles the copy's equations. False when the
    // copy does not pass its check, with the check's messages.
    bool Prepare(std::vector<std::string>& messages);

    // The next runs give the element at position slot (one whose equation is a plain number,
    // see CanVary) this value instead of its own.
    void SetConstant(int32_t slot, double value);
    // Every constant set since Prepare goes back to the model's own value.
    void RestoreConstants();
    // The model's own value of the plain-number element at slot.
    double OwnConstant(int32_t slot) const;

    // Runs from reset to the stop time, RANDOM drawing from a generator started at
    // randomSeed. False when cancel was seen (between every few hundred steps).
    bool Run(uint32_t randomSeed, const std::atomic<bool>* cancel = nullptr);

    // The values of the Simulated series of the elements at slots, steps per element one
    // after another, into values (slots.size() * steps of them). A run that took fewer steps
    // leaves NaN after its last.
    void CopyResults(const std::vector<int32_t>& slots, size_t steps, double* values) const;

    TSimulationObject& Model() { return *Copy; }

private:
    std::unique_ptr<TSimulationObject> Copy;
    std::vector<TVariableObject*> Elements;
    std::vector<double> OwnValues;   // InitialValue of every element after Prepare
    std::vector<int32_t> Overridden; // slots set since Prepare
};

// Runs given to the check every this many steps see a cancel request.
inline constexpr int64_t CancelCheckSteps = 256;
