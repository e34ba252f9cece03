#pragma once
// The simulation model: elements with their dependencies and series, the
// simulation object with its time settings, stepping and derived data.

#include "core/analysis/SensitivitySetUp.h"
#include "core/equations/EquationObjects.h"
#include "core/model/DataSeries.h"
#include "core/model/VariableLink.h"
#include "core/persistence/FileItems.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class TSimulationObject;
class TStepProgram;

enum TElementKind : uint8_t { ekConstant = 0, ekVariable = 1, ekResource = 2, ekFlow = 3 };
extern const char* const ElementKindNames[4]; // "Constant", "Variable", "Resource", "Flow"

enum TSeriesKind : uint8_t { skSketched = 0, skDerived = 1, skSimulated = 2 };

// How a run moves its resources from one time step to the next.
enum TIntegrationMethod : uint8_t { imEuler = 0, imRK2 = 1, imRK4 = 2 };
extern const char* const IntegrationMethodNames[3]; // "Euler", "RK2", "RK4"
extern const char* const SeriesKindNames[3];        // "Sketched", "Derived", "Simulated"

// What an element depends on: an information link, or for a Resource a flow that
// fills (Direction 0) or drains (Direction 1) it.
class TDependency : public TIOListObject {
public:
    void Save(TFileObject& file) override;
    // Source resolves against the Variables of CurrentSimulation.
    void Load(TFileObject& file) override;
    bool IsInformationLink() const { return !IsFlow && Direction == 0; }

    uint8_t Direction = 0;
    bool IsFlow = false;
    TVariableLink Source;
    bool Used = false; // set by the parser; not saved
};

using TDependencyList = TIOTypedList<TDependency>;

class TVariableObject : public TIOListObject {
public:
    TVariableObject();
    ~TVariableObject() override;

    void Save(TFileObject& file) override;
    void Load(TFileObject& file) override;

    // Name with spaces replaced by '_'; compared without regard to case.
    std::string Identifier() const;
    TSimulationObject* Simulation() const;
    // Appends a dependency on source: an information link, or with isFlow a flow that fills
    // (direction 0) or drains (direction 1) this resource.
    TDependency* AddDependency(TVariableObject* source, bool isFlow = false, uint8_t direction = 0);
    // Removes, last first, every dependency on element with that IsFlow flag.
    void RemoveDependency(TVariableObject* element, bool isFlow);

    // Parsing, computing and stepping.
    bool CompileEquation();
    // Puts tree in place of the compiled tree and returns the old one, so that compiled step
    // code never refers to a tree that was taken away.
    std::unique_ptr<TEquationElement> ExchangeTree(std::unique_ptr<TEquationElement> tree);
    void Reset();
    void Evaluate();
    void Integrate();
    // The sum of the inflows' values less the outflows', as the flows hold them; false when
    // the resource has no flow connection.
    bool NetFlow(double& sum) const;
    double GetValue() {
        if (!Computed) Evaluate();
        return Value;
    }
    void RestoreTo(double time);
    void AfterStep();
    bool Visit();
    // Fills the Derived series from sketches (Resources and Flows only).
    void Derive(bool clearOnly);

    // What a run touches for every element on every step comes first, so that a big model
    // fetches as few cache lines per element as possible.
    uint8_t Kind = ekConstant;
    bool Computed = false;       // not saved
    bool DrivenBySketch = false; // not saved
    // Whether ScannedRoot holds DELAY, history or financial state that AfterStep must feed; a
    // tree without any is not walked after every step. Not saved.
    bool RootHoldsStepState = false;
    double Value = 0;
    // Not saved. Whoever makes or frees a tree bumps EquationTreeGeneration: outside the
    // model's own compiling, change it through ExchangeTree.
    std::unique_ptr<TEquationElement> Root;
    const TEquationElement* ScannedRoot = nullptr; // not saved
    TDataSeries Simulated;

    std::string Name;
    std::string Units;
    std::string Equation;
    std::string Notes;
    double InitialValue = 0;
    TDataSeries Sketched;
    TDataSeries Derived;
    double LowerY = 0;
    double UpperY = 10;
    TDependencyList Dependencies;
    uint8_t DeriveFromSource = 0;
    // A Resource that never goes below zero (its outflows are cut back), or a Flow that never
    // takes a negative value.
    bool NonNegative = false;
    // Not saved: the flow's value is cut back during a run (it is non-negative itself, or
    // drains a non-negative resource). Set by the model check and at every reset.
    bool FlowLimited = false;
    // Not saved: a resource's value at the start of the step being integrated.
    double StepBase = 0;

    // Not saved: parse and check state.
    bool Visiting = false;
    bool Visited = false;
    bool Parsed = false;
    bool HasErrors = false;
    int32_t Order = 0;
};

using TVariableList = TIOTypedList<TVariableObject>;

inline TVariableObject* TVariableLink::GetTarget() const {
    return static_cast<TVariableObject*>(Target);
}

// Time settings as typed in the Time Settings dialog.
struct TTimeSettingsEntry {
    double StartTime = 0;
    double StopTime = 24;
    std::string TimeStepText = "1.000";
    std::string TimeUnit = "Months";
    double ViewStart = 0;
    double ViewStop = 24;
    double Now = 12;
    int32_t RunStepInterval = 1;
    int32_t UpdateInterval = 1;
    bool UpdateScreen = true;
    TIntegrationMethod Method = imEuler;
};

// The values to apply, already rounded.
struct TTimeSettingsValues {
    double StartTime, StopTime, TimeStep, ViewStart, ViewStop, Now;
    std::string TimeUnit;
    int32_t RunStepInterval, UpdateInterval;
    bool UpdateScreen;
    TIntegrationMethod Method = imEuler;
};

struct TTimeSettingsResult {
    std::string Error; // the first failing check's message; empty when all pass
    std::optional<TTimeSettingsValues> Values;
};

// Checks the entries in the dialog's order and, when all pass, gives the values to apply.
// A time step that is not a positive number and intervals outside 1 to 1000 are refused
// too, so that nothing is applied unless everything can be.
TTimeSettingsResult CheckTimeSettings(const TTimeSettingsEntry& entry);

class TSimulationObject : public TIOObject {
public:
    // Becomes CurrentSimulation and restarts the automatic element numbering.
    TSimulationObject();
    ~TSimulationObject() override;

    void Save(TFileObject& file) override;
    void Load(TFileObject& file) override;
    // A deep copy through the token format, series points copied as they are; variable
    // links stay pending in GlobalLinkManager.
    void CopyFrom(TSimulationObject& source);
    void ApplyTimeSettings(const TTimeSettingsValues& values);

    TVariableObject* NewElement(uint8_t kind);
    // Renames the identifier in every equation and in the analysis set-ups.
    void RenameInEquations(const std::string& oldIdentifier, const std::string& newIdentifier);
    // The element with that identifier (case ignored), or none.
    TVariableObject* FindByIdentifier(const std::string& identifier) const;

    // Model check and stepping.
    bool CheckModel();
    void Step();
    void ComputeStep();
    void Reset();
    // Points to reserve for one more series that the run being reset appends to; none once
    // the run's bound is spent.
    size_t TakeReservation();
    bool IsStarted() const { return !AtStart; }
    bool IsFinished() const;
    void StepBackTo(double time);
    void RefreshDerived();
    // Notes which flows a run cuts back (FlowLimited) and what limits them.
    void RefreshFlowLimits();
    // Cuts the value of a FlowLimited flow back: never below zero when it is non-negative
    // itself, and for each non-negative resource it drains, to what is left of the resource
    // and its inflows over one time step after the outflows before it (an inflow running
    // backwards drains too, after every outflow).
    void LimitFlow(TVariableObject& flow);

    double StartTime = 0;
    double StopTime = 24;
    double TimeStep = 1;
    double ViewStart = 0;
    double ViewStop = 24;
    double SpareValue = 1;
    double Now = 12;
    std::string TimeUnit = "Months";
    int32_t RunStepInterval = 1;
    int32_t UpdateInterval = 1;
    bool UpdateScreen = true;
    TIntegrationMethod Method = imEuler;
    TVariableList Variables;
    // Stored from the 1.0.11 format on; part of every copy and undo snapshot.
    TSensitivitySetUp Sensitivity;
    double CurrentTime = 0;
    bool AtStart = true;
    bool Paused = false;
    // Inside a step of RK2 or RK4, while the stages between whole steps are evaluated:
    // CurrentTime is the stage's time, and StepTime the time of the whole step being
    // integrated from. What is recorded belongs to whole steps only.
    bool InStage = false;
    double StepTime = 0;
    // Not saved. An analysis run draws RANDOM from a generator of its own, seeded for that
    // run, instead of the program-wide one.
    bool OwnRandom = false;
    uint32_t OwnRandomSeed = 0;
    // How many times Reset has emptied the Simulated series; never saved. Undo compares a
    // snapshot's count with the model's to know whether a run has started since.
    uint64_t ResetCount = 0;

private:
    // The compiled equations, made again whenever the elements or their trees change;
    // none while a step inside a step cannot have them made again.
    TStepProgram* PrepareProgram();

    // Scratch of ComputeStep, kept to spare an allocation per step.
    struct TSteppedElement {
        TVariableObject* Element;
        uint32_t Slot; // its place in the list
    };
    std::vector<TSteppedElement> SteppedWithState;
    // RK2 and RK4: the resources' values at the end of this step, computed from the stages.
    void IntegrateStages(std::vector<double>& values);
    std::vector<double> StageValues;
    // The non-negative resources that each FlowLimited flow drains.
    struct TFlowLimit {
        TVariableObject* Resource;
        bool Outflow; // drains it; otherwise fills it, and is cut back only running backwards
        bool operator==(const TFlowLimit&) const = default;
    };
    std::unordered_map<const TVariableObject*, std::vector<TFlowLimit>> FlowLimits;
    std::unique_ptr<TStepProgram> Program;
    // What Reset reserves for each series of the run, and how much of its bound is left.
    size_t ReservedPoints = 0;
    size_t ReservationLeft = 0;
};

// Each thread has its own of what follows, so that analysis workers can each load, check
// and run a copy of the model while the main thread keeps the document's.

// The object that links bind against while loading and whose times equations read.
extern thread_local constinit TSimulationObject* CurrentSimulation;
// The object whose times sketch-driven elements read during a run; set by Reset.
extern thread_local constinit TSimulationObject* RunningSimulation;

// Model check state: the circularity search path and the messages of the last check.
extern thread_local std::vector<TVariableObject*> EvaluationPath;
extern thread_local std::vector<std::string> ErrorList;

// Rewrites every word of text equal to oldIdentifier (case ignored) as newIdentifier.
std::string RenameIdentifier(const std::string& text, const std::string& oldIdentifier,
                             const std::string& newIdentifier);

// Identifiers compare without regard to letter case (ASCII letters only).
bool SameIdentifier(const std::string& a, const std::string& b);
