// Derived data: what the sketches of connected elements imply for a Resource (its path
// from the sketched flows) or a Flow (the rate that a Resource's sketched path needs).
#include "core/model/SimulationObjects.h"
#include "core/support/NumberFormat.h"
#include "core/support/Text.h"

#include <cmath>
#include <cstdint>

namespace {

// Derivation runs in one go on the user's command, so an absurd time grid must not
// freeze the program or fill its memory: beyond this many steps nothing is derived.
constexpr int64_t MaxDerivedSteps = 1'000'000;

bool UsableGrid(const TSimulationObject& s) {
    const double dt = s.TimeStep;
    if (!std::isfinite(dt) || dt <= 0 || !std::isfinite(s.StartTime) || !std::isfinite(s.StopTime))
        return false;
    // The points lie at offsets from the start up to a step past the stop, and a saved time
    // must be a number.
    if (!std::isfinite(s.StopTime - s.StartTime + 2 * dt)) return false;
    return (s.StopTime - s.StartTime) / dt <= static_cast<double>(MaxDerivedSteps);
}

// The element's sketch at absolute time tau.
double Sketch(const TVariableObject& element, double tau, double start) {
    return element.Sketched.ValueAt(tau - start);
}

// Whether the loop over the grid goes on from tau; the tolerance keeps a clock that
// has gathered rounding errors from taking one step past the stop time.
bool Before(double tau, double stop) {
    return tau < stop && !SameValue(tau, stop);
}

double Signed(const TDependency& d, double value) {
    return d.Direction == 0 ? value : -value;
}

void DeriveResource(TVariableObject& e, const TSimulationObject& s) {
    const double start = s.StartTime, stop = s.StopTime, dt = s.TimeStep;
    e.DrivenBySketch = IsBlank(e.Equation) && !e.Sketched.IsEmpty();
    double a = e.DrivenBySketch ? Sketch(e, start, start) : e.InitialValue;
    e.Derived.AddPoint(0, a);
    bool hasFlow = false;
    for (TDependency* d : e.Dependencies)
        if (d->IsFlow && d->Source.GetTarget()) hasFlow = true;

    double tau = start;
    for (int64_t n = 0; n <= MaxDerivedSteps && Before(tau, stop); ++n) {
        double sum = 0;
        for (TDependency* d : e.Dependencies) {
            const TVariableObject* flow = d->Source.GetTarget();
            if (d->IsFlow && flow) sum += Signed(*d, Sketch(*flow, tau, start));
        }
        if (hasFlow || !e.DrivenBySketch)
            a += dt * sum;
        else
            a = Sketch(e, tau + dt, start);
        tau += dt;
        e.Derived.AddPoint(tau - start, a);
    }
}

// Sum over a Resource's flow connections other than the flow itself, signed by direction.
double OtherFlows(const TVariableObject& resource, const TVariableObject& self, double tau,
                  double start) {
    double sum = 0;
    for (TDependency* c : resource.Dependencies) {
        const TVariableObject* flow = c->Source.GetTarget();
        if (c->IsFlow && flow && flow != &self) sum += Signed(*c, Sketch(*flow, tau, start));
    }
    return sum;
}

void DeriveFlow(TVariableObject& e, const TSimulationObject& s) {
    const double start = s.StartTime, stop = s.StopTime, dt = s.TimeStep;
    const TVariableObject* filled = nullptr;
    const TVariableObject* drained = nullptr;
    for (TVariableObject* r : s.Variables) {
        if (r->Kind != ekResource) continue;
        for (TDependency* d : r->Dependencies) {
            if (!d->IsFlow || d->Source.GetTarget() != &e) continue;
            if (d->Direction == 0)
                filled = r;
            else
                drained = r;
        }
    }
    if (e.DeriveFromSource)
        filled = nullptr;
    else
        drained = nullptr;

    double tau = start;
    for (int64_t n = 0; n <= MaxDerivedSteps && Before(tau, stop); ++n, tau += dt) {
        double b = 0;
        if (filled) b = Sketch(*filled, tau + dt, start) - Sketch(*filled, tau, start);
        if (drained) b -= Sketch(*drained, tau + dt, start) - Sketch(*drained, tau, start);
        double h = b / dt;
        // The other flows of the Resource account for part of its change.
        if (filled) h -= OtherFlows(*filled, e, tau, start);
        if (drained) h += OtherFlows(*drained, e, tau, start);
        e.Derived.AddPoint(tau - start, h);
    }
}

} // namespace

void TVariableObject::Derive(bool clearOnly) {
    if (Kind != ekResource && Kind != ekFlow) return;
    Derived.Clear();
    if (clearOnly) return;
    const TSimulationObject* s = Simulation();
    if (!s || !UsableGrid(*s)) return;
    if (Kind == ekResource)
        DeriveResource(*this, *s);
    else
        DeriveFlow(*this, *s);
}

void TSimulationObject::RefreshDerived() {
    for (TVariableObject* v : Variables)
        if ((v->Kind == ekResource || v->Kind == ekFlow) && !v->Derived.IsEmpty()) v->Derive(false);
}
