#pragma once
// Builds models in code for tests: elements by kind with their equations, information links,
// flow pipes into and out of resources, sketches, time settings; runs them the way the run
// control does. Core only: the diagram half lives in DiagramBuilder.h.

#include "core/model/SimulationObjects.h"
#include "core/support/Notifier.h"

#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// Records what the core tells the user; installed for its own lifetime.
class TRecordingNotifier : public TNotifier {
public:
    TRecordingNotifier() { SetNotifier(this); }
    ~TRecordingNotifier() override { SetNotifier(nullptr); }
    TRecordingNotifier(const TRecordingNotifier&) = delete;
    TRecordingNotifier& operator=(const TRecordingNotifier&) = delete;

    void EvaluationWarning(const std::string& text) override { Warnings.push_back(text); }
    void ModelCheckMessages(const std::vector<std::string>& messages) override {
        CheckMessages = messages;
        ++CheckCount;
    }

    std::vector<std::string> Warnings;
    std::vector<std::string> CheckMessages;
    int CheckCount = 0;
};

class TModelBuilder {
public:
    // A model of its own with these time settings.
    explicit TModelBuilder(double start = 0, double stop = 24, double step = 1)
        : Owned(std::make_unique<TSimulationObject>()), Sim(*Owned) {
        TimeSettings(start, stop, step);
    }
    // Adds to a model held elsewhere (a document's), leaving its time settings alone.
    explicit TModelBuilder(TSimulationObject& model) : Sim(model) {}
    TModelBuilder(const TModelBuilder&) = delete;
    TModelBuilder& operator=(const TModelBuilder&) = delete;

    TModelBuilder& TimeSettings(double start, double stop, double step) {
        Sim.StartTime = start;
        Sim.StopTime = stop;
        Sim.TimeStep = step;
        Sim.CurrentTime = start;
        return *this;
    }

    // Adds an element at the end of the list; every name in inputs gets an information link
    // to it, so the equation may use those elements. Unlike NewElement it does not look for
    // a free automatic name first, which would make a model of many elements quadratic.
    TVariableObject& Add(uint8_t kind, const std::string& name, const std::string& equation = "",
                         std::initializer_list<const char*> inputs = {}) {
        auto element = std::make_unique<TVariableObject>();
        element->Kind = kind;
        element->Name = name;
        element->Equation = equation;
        element->Owner = &Sim;
        TVariableObject& added = *element;
        Sim.Variables.AddItem(std::move(element));
        for (const char* input : inputs)
            Link(Get(input), added);
        return added;
    }
    TVariableObject& Constant(const std::string& name, const std::string& equation) {
        return Add(ekConstant, name, equation);
    }
    TVariableObject& Variable(const std::string& name, const std::string& equation = "",
                              std::initializer_list<const char*> inputs = {}) {
        return Add(ekVariable, name, equation, inputs);
    }
    TVariableObject& Resource(const std::string& name, const std::string& equation = "",
                              std::initializer_list<const char*> inputs = {}) {
        return Add(ekResource, name, equation, inputs);
    }
    TVariableObject& Flow(const std::string& name, const std::string& equation = "",
                          std::initializer_list<const char*> inputs = {}) {
        return Add(ekFlow, name, equation, inputs);
    }

    // An information link: the equation of `to` may use `from`.
    TDependency& Link(TVariableObject& from, TVariableObject& to) {
        return *to.AddDependency(&from);
    }
    // A pipe: the flow fills the resource.
    TDependency& Inflow(TVariableObject& flow, TVariableObject& resource) {
        return *resource.AddDependency(&flow, true, 0);
    }
    // A pipe: the flow drains the resource.
    TDependency& Outflow(TVariableObject& flow, TVariableObject& resource) {
        return *resource.AddDependency(&flow, true, 1);
    }

    static void Sketch(TVariableObject& element, std::initializer_list<TDataPoint> points) {
        element.Sketched.Clear();
        for (const auto& p : points)
            element.Sketched.AddPoint(p.Time, p.Value);
    }
    // Simulated values at time offsets 0, 1, 2, ... as if a run had left them.
    static void Simulated(TVariableObject& element, std::initializer_list<double> values) {
        double time = 0;
        for (double value : values)
            element.Simulated.AddPoint(time++, value);
    }

    TVariableObject& Get(const std::string& name) const {
        for (TVariableObject* v : Sim.Variables)
            if (v->Name == name) return *v;
        throw std::invalid_argument("no element named " + name);
    }
    TVariableObject& operator[](const std::string& name) const { return Get(name); }

    // What a continuous run does: check, reset, then step until finished. False when
    // the check fails; a run that does not finish within maxSteps also gives false.
    bool Run(int maxSteps = 100000) {
        if (!Sim.CheckModel()) return false;
        Sim.Reset();
        for (int i = 0; i < maxSteps; ++i) {
            if (Sim.IsFinished()) return true;
            Sim.Step();
        }
        return Sim.IsFinished();
    }

    // The simulated values of an element, in time order.
    std::vector<double> Values(const std::string& name) const {
        std::vector<double> values;
        for (const auto& p : Get(name).Simulated.Points)
            values.push_back(p.Value);
        return values;
    }
    std::vector<double> Times(const std::string& name) const {
        std::vector<double> times;
        for (const auto& p : Get(name).Simulated.Points)
            times.push_back(p.Time);
        return times;
    }

private:
    std::unique_ptr<TSimulationObject> Owned;

public:
    TSimulationObject& Sim;
};
