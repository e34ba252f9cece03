// Model elements, their dependencies and the simulation object: records, naming,
// renaming and the time settings. Stepping and the model check live in Stepping.cpp.
#include "core/model/SimulationObjects.h"
#include "core/model/StepProgram.h"
#include "core/support/Version.h"

#include "core/support/NumberFormat.h"
#include "core/support/Text.h"
#include "core/support/Version.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

const char* const ElementKindNames[4] = {"Constant", "Variable", "Resource", "Flow"};
const char* const SeriesKindNames[3] = {"Sketched", "Derived", "Simulated"};
const char* const IntegrationMethodNames[3] = {"Euler", "RK2", "RK4"};
thread_local constinit TSimulationObject* CurrentSimulation = nullptr;
thread_local constinit TSimulationObject* RunningSimulation = nullptr;

namespace {

// The next number tried for an automatic name, per element kind.
thread_local constinit int64_t AutomaticNameCounters[4] = {1, 1, 1, 1};

bool IsWordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// Nearest whole number: the small bias is added, then halves go to the even neighbour,
// so typed halves such as 0.5 go upwards.
double RoundTimeEntry(double value) {
    double biased = value + FloatTolerance;
    if (!(std::fabs(biased) < 4503599627370496.0)) return biased; // already whole (or not finite)
    double whole = std::floor(biased);
    double fraction = biased - whole; // exact for doubles of this size
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
    return whole + 0.0; // + 0.0 turns -0 into 0
}

} // namespace

bool SameIdentifier(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

// ---------------------------------------------------------------------------------------------
// TDependency

void TDependency::Save(TFileObject& file) {
    TIOListObject::Save(file);
    file.WriteInteger(Direction);
    file.WriteBoolean(IsFlow);
    Source.Save(file);
}

void TDependency::Load(TFileObject& file) {
    // Checked first so that nothing is read from a record that could not be bound.
    if (!CurrentSimulation)
        throw EFileException("An element's links can only be read into a simulation");
    Direction = static_cast<uint8_t>(file.ReadInteger());
    IsFlow = file.ReadBoolean();
    Source.Load(CurrentSimulation->Variables, file);
    Used = false;
}

// ---------------------------------------------------------------------------------------------
// TVariableObject

TVariableObject::TVariableObject() = default;
TVariableObject::~TVariableObject() {
    ++EquationTreeGeneration;
}

void TVariableObject::Save(TFileObject& file) {
    TIOListObject::Save(file);
    file.WriteString(Name);
    file.WriteString(Units);
    file.WriteString(Equation);
    file.WriteString(Notes);
    file.WriteInteger(Kind);
    file.WriteFloat(InitialValue);
    file.WriteFloat(Value);
    Sketched.Save(file);
    Derived.Save(file);
    Simulated.Save(file);
    file.WriteFloat(LowerY);
    file.WriteFloat(UpperY);
    Dependencies.Save(file);
    file.WriteInteger(DeriveFromSource);
    if (!file.FileVersionLess(Format1011, 3)) file.WriteBoolean(NonNegative);
}

void TVariableObject::Load(TFileObject& file) {
    Name = file.ReadString();
    Units = file.ReadString();
    Equation = file.ReadString();
    Notes = file.ReadString();
    int32_t kind = file.ReadInteger();
    // The kind indexes the kind names everywhere; an unknown one is damaged data.
    if (kind < ekConstant || kind > ekFlow)
        throw EConvertError("'" + IntToStr(kind) + "' is not a valid element kind");
    Kind = static_cast<uint8_t>(kind);
    // Values may have overflowed in a run and are kept as they are; the scale may not.
    InitialValue = file.ReadFloat();
    Value = file.ReadFloat();
    Sketched.Load(file);
    Derived.Load(file);
    Simulated.Load(file);
    LowerY = file.ReadFiniteFloat();
    UpperY = file.ReadFiniteFloat();
    Dependencies.LoadItems(file);
    DeriveFromSource =
        file.FileVersionLess("1.0.6", 3) ? 0 : static_cast<uint8_t>(file.ReadInteger());
    NonNegative = file.FileVersionLess(Format1011, 3) ? false : file.ReadBoolean();

    ++EquationTreeGeneration;
    Root.reset();
    Parsed = false;
    HasErrors = false;
    Computed = false;
    DrivenBySketch = false;
    Visiting = false;
    Visited = false;
}

std::string TVariableObject::Identifier() const {
    std::string identifier = Name;
    std::replace(identifier.begin(), identifier.end(), ' ', '_');
    return identifier;
}

TSimulationObject* TVariableObject::Simulation() const {
    return static_cast<TSimulationObject*>(Owner);
}

TDependency* TVariableObject::AddDependency(TVariableObject* source, bool isFlow,
                                            uint8_t direction) {
    auto dependency = std::make_unique<TDependency>();
    dependency->IsFlow = isFlow;
    dependency->Direction = direction;
    dependency->Source.SetTarget(source);
    TDependency* added = dependency.get();
    Dependencies.AddItem(std::move(dependency));
    Parsed = false; // the equation may now use the source
    return added;
}

void TVariableObject::RemoveDependency(TVariableObject* element, bool isFlow) {
    for (int32_t i = Dependencies.Count() - 1; i >= 0; --i) {
        TDependency* dependency = Dependencies[i];
        if (dependency->Source.GetTarget() == element && dependency->IsFlow == isFlow) {
            Dependencies.Delete(i);
            Parsed = false;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Time settings

TTimeSettingsResult CheckTimeSettings(const TTimeSettingsEntry& entry) {
    TTimeSettingsResult result;
    const double start = entry.StartTime, stop = entry.StopTime;
    const double viewStart = entry.ViewStart, viewStop = entry.ViewStop;
    auto within = [&](double value) { return start <= value && value <= stop; };

    // The comparisons are written so that a value that is not a number fails them.
    if (!(stop > start)) {
        result.Error = "The end time must be greater than the start time";
    } else if (!within(viewStop)) {
        result.Error = "The display end time must within the current simulation time range";
    } else if (!within(viewStart)) {
        result.Error = "The display start time must within the current simulation time range";
    } else if (!(viewStop > viewStart)) {
        result.Error = "The display end time must be greater than the display start time";
    } else if (!within(entry.Now)) {
        result.Error = "The marker for 'now' must be within the current simulation time range";
    }
    if (!result.Error.empty()) return result;

    TTimeSettingsValues values;
    values.StartTime = RoundTimeEntry(start);
    values.StopTime = RoundTimeEntry(stop);
    values.ViewStart = RoundTimeEntry(viewStart);
    values.ViewStop = RoundTimeEntry(viewStop);
    values.Now = RoundTimeEntry(entry.Now);

    // Rounding keeps the order of the entries but can make two of them equal; an empty run
    // or an empty display window is refused just like the entries that give it.
    double timeStep = 0;
    if (!std::isfinite(start) || !std::isfinite(stop)) {
        result.Error = "The start and end times must be finite numbers";
    } else if (!(values.StopTime > values.StartTime)) {
        result.Error = "The end time must be greater than the start time";
    } else if (!(values.ViewStop > values.ViewStart)) {
        result.Error = "The display end time must be greater than the display start time";
    } else if (!TryStrToFloat(entry.TimeStepText, timeStep) || !std::isfinite(timeStep) ||
               !(timeStep > 0)) {
        result.Error = "The time step must be a number greater than zero";
    } else if (entry.RunStepInterval < 1 || entry.RunStepInterval > 1000) {
        result.Error = "The run step interval must be between 1 and 1000 time steps";
    } else if (entry.UpdateInterval < 1 || entry.UpdateInterval > 1000) {
        result.Error = "The update interval must be between 1 and 1000 time steps";
    }
    if (!result.Error.empty()) return result;

    values.TimeStep = timeStep;
    values.TimeUnit = entry.TimeUnit;
    values.RunStepInterval = entry.RunStepInterval;
    values.UpdateInterval = entry.UpdateInterval;
    values.UpdateScreen = entry.UpdateScreen;
    values.Method = entry.Method;
    result.Values = std::move(values);
    return result;
}

// ---------------------------------------------------------------------------------------------
// TSimulationObject

TSimulationObject::TSimulationObject() {
    CurrentSimulation = this;
    std::fill(std::begin(AutomaticNameCounters), std::end(AutomaticNameCounters), 1);
}

TSimulationObject::~TSimulationObject() {
    CurrentSimulation = nullptr;
    if (RunningSimulation == this) RunningSimulation = nullptr;
}

void TSimulationObject::Save(TFileObject& file) {
    TIOObject::Save(file);
    file.WriteFloat(StartTime);
    file.WriteFloat(StopTime);
    file.WriteFloat(TimeStep);
    file.WriteFloat(CurrentTime);
    file.WriteFloat(ViewStart);
    file.WriteFloat(ViewStop);
    file.WriteFloat(SpareValue);
    file.WriteFloat(Now);
    file.WriteString(TimeUnit);
    file.WriteInteger(RunStepInterval);
    file.WriteInteger(UpdateInterval);
    file.WriteBoolean(UpdateScreen);
    if (!file.FileVersionLess(Format1011, 3)) file.WriteInteger(Method);
    Variables.Save(file);
    // Newer fields follow the elements, so that the older format's record ends as it did.
    if (!file.FileVersionLess(Format1011, 3)) Sensitivity.Save(file);
}

void TSimulationObject::Load(TFileObject& file) {
    // The elements' dependency links bind against this object's Variables.
    CurrentSimulation = this;
    // Every time must be a number; SpareValue is kept as it was written, since nothing reads it.
    StartTime = file.ReadFiniteFloat();
    StopTime = file.ReadFiniteFloat();
    TimeStep = file.ReadFiniteFloat();
    CurrentTime = file.ReadFiniteFloat();
    ViewStart = file.ReadFiniteFloat();
    ViewStop = file.ReadFiniteFloat();
    SpareValue = file.ReadFloat();
    Now = file.ReadFiniteFloat();
    TimeUnit = file.FileVersionLess("1.0.5", 3) ? std::string("Months") : file.ReadString();
    if (file.FileVersionLess("1.0.4", 3)) {
        RunStepInterval = 1;
        UpdateInterval = 1;
        UpdateScreen = true;
    } else {
        // The dialog keeps both within 1 to 1000; a damaged file must not ask a single
        // press of Run Step for billions of steps.
        RunStepInterval = std::clamp(file.ReadInteger(), 1, 1000);
        UpdateInterval = std::clamp(file.ReadInteger(), 1, 1000);
        UpdateScreen = file.ReadBoolean();
    }
    Method = imEuler;
    if (!file.FileVersionLess(Format1011, 3)) {
        const int32_t method = file.ReadInteger();
        if (method < imEuler || method > imRK4)
            throw EConvertError("'" + IntToStr(method) + "' is not a valid integration method");
        Method = static_cast<TIntegrationMethod>(method);
    }
    Variables.LoadItems(file);
    for (TVariableObject* element : Variables)
        element->Owner = this;
    Sensitivity = TSensitivitySetUp();
    if (!file.FileVersionLess(Format1011, 3)) Sensitivity.Load(file);
    CurrentTime = StartTime;
    AtStart = true;
}

void TSimulationObject::CopyFrom(TSimulationObject& source) {
    FileObject.OpenForCopy();
    source.Save(FileObject);
    FileObject.EndLine();
    FileObject.RewindForRead();
    Variables.Clear();
    Load(FileObject);
    FileObject.CloseCopy();
    Owner = source.Owner;
}

void TSimulationObject::ApplyTimeSettings(const TTimeSettingsValues& values) {
    StartTime = values.StartTime;
    StopTime = values.StopTime;
    TimeStep = values.TimeStep;
    ViewStart = values.ViewStart;
    ViewStop = values.ViewStop;
    Now = values.Now;
    TimeUnit = values.TimeUnit;
    RunStepInterval = values.RunStepInterval;
    UpdateInterval = values.UpdateInterval;
    UpdateScreen = values.UpdateScreen;
    Method = values.Method;
    CurrentTime = StartTime;
}

TVariableObject* TSimulationObject::NewElement(uint8_t kind) {
    if (kind > ekFlow) throw std::invalid_argument("Unknown element kind " + IntToStr(kind));
    std::string name, identifier;
    do {
        name = std::string(ElementKindNames[kind]) + " " + IntToStr(AutomaticNameCounters[kind]);
        ++AutomaticNameCounters[kind];
        identifier = name;
        std::replace(identifier.begin(), identifier.end(), ' ', '_');
    } while (FindByIdentifier(identifier));
    auto element = std::make_unique<TVariableObject>();
    element->Name = name;
    element->Kind = kind;
    element->Owner = this;
    TVariableObject* added = element.get();
    Variables.AddItem(std::move(element));
    return added;
}

void TSimulationObject::RenameInEquations(const std::string& oldIdentifier,
                                          const std::string& newIdentifier) {
    for (TVariableObject* element : Variables) {
        if (element->Equation.find_first_not_of(' ') == std::string::npos) continue;
        std::string renamed = RenameIdentifier(element->Equation, oldIdentifier, newIdentifier);
        if (renamed == element->Equation) continue;
        element->Equation = std::move(renamed);
        // Its tree no longer matches its text.
        element->Parsed = false;
    }
    Sensitivity.RenameElement(oldIdentifier, newIdentifier);
}

TVariableObject* TSimulationObject::FindByIdentifier(const std::string& identifier) const {
    for (TVariableObject* element : Variables)
        if (SameIdentifier(element->Identifier(), identifier)) return element;
    return nullptr;
}

std::string RenameIdentifier(const std::string& text, const std::string& oldIdentifier,
                             const std::string& newIdentifier) {
    std::string result;
    result.reserve(text.size());
    size_t wordStart = 0;
    bool inWord = false;
    auto closeWord = [&](size_t end) {
        if (!inWord) return;
        std::string word = text.substr(wordStart, end - wordStart);
        result += SameIdentifier(word, oldIdentifier) ? newIdentifier : word;
        inWord = false;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsWordChar(text[i])) {
            if (!inWord) {
                inWord = true;
                wordStart = i;
            }
        } else {
            closeWord(i);
            result += text[i];
        }
    }
    closeWord(text.size());
    return result;
}
