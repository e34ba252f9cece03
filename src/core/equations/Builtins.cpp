// What each of the built-in functions computes.
#include "core/equations/Arithmetic.h"
#include "core/equations/EquationObjects.h"
#include "core/equations/Financial.h"
#include "core/model/SimulationObjects.h"
#include "core/support/NumberFormat.h"

#include <algorithm>
#include <cmath>

const char* EvalFailureMessage(TEvalFailure failure) {
    switch (failure) {
    case efNone:
        return "";
    case efDivideByZero:
        return "Divide by zero, assuming 0";
    case efLnNotPositive:
        return "LN of expression<=0, assuming 0";
    case efLogNotPositive:
        return "Log of expression<=0, assuming 0";
    case efSqrtNegative:
        return "Square root of negative number, assuming 0";
    case efInvalidOperation:
        return "Invalid floating point operation, assuming 0 as result";
    case efZeroDivide:
        return "Floating point division by zero, assuming 0 as result";
    case efOverflow:
        return "Floating point overflow, assuming 0 as result";
    }
    return "";
}

TEvalFailure Power(double base, double exponent, double& result) {
    result = 0;
    if (exponent == 0) {
        result = 1;
        return efNone;
    }
    if (base == 0 && exponent > 0) return efNone;
    const double magnitude = std::fabs(exponent);
    if (std::trunc(exponent) == exponent && magnitude <= 2147483647.0) {
        auto n = static_cast<uint32_t>(magnitude);
        double x = base;
        double p = 1;
        for (;;) {
            if (n & 1u) p *= x;
            n >>= 1;
            if (n == 0) break;
            x *= x;
        }
        if (exponent > 0) {
            result = p;
            return CheckResult(p);
        }
        // The inverse of a power too large for a double underflows to 0: not a failure.
        if (p == 0) return base == 0 ? efZeroDivide : efOverflow;
        result = 1 / p;
        return CheckResult(result);
    }
    if (std::isnan(base) || base < 0) return efInvalidOperation;
    if (base == 0) return efZeroDivide; // ln 0 with a negative exponent
    const double r = std::exp(exponent * std::log(base));
    if (TEvalFailure e = CheckResult(r)) return e;
    result = r;
    return efNone;
}

TEvalFailure Modulo(double a, double b, double& result) {
    result = 0;
    if (IsZero(b)) return efDivideByZero;
    double r = std::fmod(a, b);
    if (r == 0)
        r = 0; // no negative zero
    else if ((r < 0) != (b < 0))
        r += b;
    result = r;
    return CheckResult(r);
}

double PulseTrain(double time, double first, double width, double interval, double last) {
    const double t = FloatTolerance;
    // The latest pulse that started by now, and no later than the last one allowed.
    double k = 0;
    if (interval > t)
        k = std::min(std::floor((time - first + t) / interval),
                     std::floor((last - first + t) / interval));
    const double start = first + k * interval;
    const bool on =
        time >= first - t && first <= last + t && time >= start - t && time < start + width - t;
    return on ? 1 : 0;
}

namespace {

struct TClockValues {
    double Time, Start, Stop, Step, Now;
};

inline TClockValues Clock() {
    const TSimulationObject* sim = CurrentSimulation;
    if (!sim) return {0, 0, 0, 0, 0};
    return {sim->CurrentTime, sim->StartTime, sim->StopTime, sim->TimeStep, sim->Now};
}

inline double CurrentTimeValue() {
    const TSimulationObject* sim = CurrentSimulation;
    return sim ? sim->CurrentTime : 0;
}

// Inside a step of RK2 or RK4, between its whole steps.
inline bool InStage() {
    const TSimulationObject* sim = CurrentSimulation;
    return sim && sim->InStage;
}

inline double TimeStepValue() {
    const TSimulationObject* sim = CurrentSimulation;
    return sim ? sim->TimeStep : 0;
}

// Whole numbers beyond 2^52 have no fraction, and rounding arithmetic on them would not be exact.
constexpr double ExactWholeLimit = 4503599627370496.0;

inline double RoundAway(double x) {
    if (!(std::fabs(x) < ExactWholeLimit)) return x;
    const double whole = std::trunc(x);
    const double rest = x - whole; // exact for doubles
    if (rest >= 0.5) return whole + 1;
    if (rest <= -0.5) return whole - 1;
    return whole;
}

// A parameter's number. Constants and references, the commonest parameters, are read here
// without a virtual call; their classes are final, so this is what their EvaluateNumber gives.
inline double NumberOf(TEquationElement& e) {
    switch (e.Leaf) {
    case lkConstant: {
        const TEquationValue& v = static_cast<TEquationConstant&>(e).Value;
        if (v.Kind == evkBoolean) return v.BoolValue ? 1 : 0;
        return v.Number;
    }
    case lkReference: {
        TVariableObject* target = static_cast<TEquationVariableReference&>(e).Variable.GetTarget();
        return target ? target->GetValue() : 0;
    }
    default:
        return e.EvaluateNumber();
    }
}

// Parameter i as a number; a missing parameter gives 0.
inline double ParamValue(const TEquationFunction& f, int32_t i) {
    TEquationElement* p = f.Param(i);
    return p ? NumberOf(*p) : 0;
}

// Reports the failure and gives the 0 that replaces the result.
[[gnu::noinline, gnu::cold]] double Failed(TEquationElement& e, TEvalFailure failure) {
    e.ReportError(EvalFailureMessage(failure));
    return 0;
}

inline double Checked(TEquationElement& e, double n) {
    const TEvalFailure failure = CheckResult(n);
    return failure == efNone ? n : Failed(e, failure);
}

template <class TState> TState* FinancialState(TEquationFunction& f) {
    if (!f.Financial || f.Financial->Function != f.FunctionIndex)
        f.Financial = NewFinancialData(f.FunctionIndex);
    return static_cast<TState*>(f.Financial.get());
}

} // namespace

bool TEquationFunction::GivesCondition() const {
    switch (FunctionIndex) {
    case sgvTRUE:
    case sgvFALSE:
    case sgvEqual:
    case sgvNotEqual:
    case sgvGreaterEqual:
    case sgvLessEqual:
    case sgvGreaterThan:
    case sgvLessThan:
    case sgvAND:
    case sgvOR:
    case sgvNOT:
        return true;
    default:
        return false;
    }
}

void TEquationFunction::Evaluate(TEquationValue& value) {
    if (GivesCondition()) {
        value.Kind = evkBoolean;
        value.BoolValue = ComputeCondition();
    } else {
        value.Kind = evkNumber;
        value.Number = TEquationFunction::EvaluateNumber();
    }
}

double TEquationFunction::EvaluateNumber() {
    // Arithmetic on two operands makes up most of a model's nodes; it skips the general path.
    const auto& items = Parameters.AllItems();
    if (items.size() == 2 && items[0] && items[1]) {
        auto& a = *static_cast<TEquationElement*>(items[0]);
        auto& b = *static_cast<TEquationElement*>(items[1]);
        switch (FunctionIndex) {
        case sgvPlus: {
            const double x = NumberOf(a);
            return Checked(*this, x + NumberOf(b));
        }
        case sgvMinus: {
            const double x = NumberOf(a);
            return Checked(*this, x - NumberOf(b));
        }
        case sgvMultiply: {
            const double x = NumberOf(a);
            return Checked(*this, x * NumberOf(b));
        }
        case sgvDivide: {
            const double divisor = NumberOf(b);
            if (IsZero(divisor)) return Failed(*this, efDivideByZero);
            return Checked(*this, NumberOf(a) / divisor);
        }
        default:
            break;
        }
    }
    if (GivesCondition()) return ComputeCondition() ? 1 : 0;
    return ComputeNumber();
}

bool TEquationFunction::EvaluateCondition() {
    if (GivesCondition()) return ComputeCondition();
    return !IsZero(TEquationFunction::EvaluateNumber());
}

bool TEquationFunction::ComputeCondition() {
    const int32_t count = ParamCount();
    bool condition = false;
    switch (FunctionIndex) {
    case sgvTRUE:
        return true;
    case sgvFALSE:
        return false;
    case sgvEqual:
    case sgvNotEqual: {
        if (count < 2) return ParamCondition(0);
        const double a = ParamValue(*this, 0);
        const double b = ParamValue(*this, 1);
        return SameValue(a, b) == (FunctionIndex == sgvEqual);
    }
    case sgvGreaterEqual:
    case sgvLessEqual:
    case sgvGreaterThan:
    case sgvLessThan: {
        if (count < 2) return ParamCondition(0);
        // The right side first.
        const double b = ParamValue(*this, 1);
        const double a = ParamValue(*this, 0);
        switch (FunctionIndex) {
        case sgvGreaterEqual:
            return a >= b - FloatTolerance;
        case sgvLessEqual:
            return a <= b + FloatTolerance;
        case sgvGreaterThan:
            return a > b + FloatTolerance;
        default:
            return a < b - FloatTolerance;
        }
    }
    case sgvAND:
        condition = true;
        for (int32_t i = 0; i < count && condition; ++i)
            condition = ParamCondition(i);
        return condition;
    case sgvOR:
        condition = false;
        for (int32_t i = 0; i < count && !condition; ++i)
            condition = ParamCondition(i);
        return condition;
    case sgvNOT:
        return !ParamCondition(0);
    default:
        return false; // only the functions above give conditions
    }
}

double TEquationFunction::ComputeNumber() {
    const int32_t count = ParamCount();
    double n = 0;
    TEvalFailure failure = efNone;

    switch (FunctionIndex) {
    // Constants and simulation values.
    case sgvPI:
        n = 3.141592653589793;
        break;
    case sgvTIME:
        n = CurrentTimeValue();
        break;
    case sgvSTARTTIME:
        n = Clock().Start;
        break;
    case sgvSTOPTIME:
        n = Clock().Stop;
        break;
    case sgvTIMESTEP:
        n = TimeStepValue();
        break;
    case sgvTODAY:
        n = Clock().Now;
        break;

    // Arithmetic.
    case sgvPlus:
        n = ParamValue(*this, 0);
        if (count >= 2) n += ParamValue(*this, 1);
        break;
    case sgvMinus:
        n = ParamValue(*this, 0);
        if (count >= 2)
            n -= ParamValue(*this, 1);
        else
            n = -n;
        break;
    case sgvMultiply:
        n = ParamValue(*this, 0);
        if (count >= 2) n *= ParamValue(*this, 1);
        break;
    case sgvDivide: {
        if (count < 2) {
            n = ParamValue(*this, 0);
            break;
        }
        const double divisor = ParamValue(*this, 1);
        if (IsZero(divisor)) {
            failure = efDivideByZero;
            break;
        }
        n = ParamValue(*this, 0) / divisor;
        break;
    }
    case sgvDIV: {
        const double divisor = ParamValue(*this, 1);
        if (IsZero(divisor)) {
            n = count >= 3 ? ParamValue(*this, 2) : 0;
            break;
        }
        n = ParamValue(*this, 0) / divisor;
        break;
    }
    case sgvPOWER: {
        const double base = ParamValue(*this, 0);
        failure = Power(base, ParamValue(*this, 1), n);
        break;
    }

    case sgvIF:
        n = ParamCondition(0) ? ParamValue(*this, 1) : ParamValue(*this, 2);
        break;

    // General functions.
    case sgvLN:
    case sgvLOG: {
        const double x = ParamValue(*this, 0);
        if (IsZero(x) || x < 0)
            failure = FunctionIndex == sgvLN ? efLnNotPositive : efLogNotPositive;
        else
            n = FunctionIndex == sgvLN ? std::log(x) : std::log10(x);
        break;
    }
    case sgvEXP:
        n = std::exp(ParamValue(*this, 0));
        break;
    case sgvSQRT: {
        const double x = ParamValue(*this, 0);
        if (x < 0)
            failure = efSqrtNegative;
        else
            n = std::sqrt(x);
        break;
    }
    case sgvRANDOM:
        // Draws belong to whole steps: a stage inside a step sees the step's draw again.
        if (InStage()) {
            n = StepDraw;
        } else if (count >= 1) {
            const double bound = ParamValue(*this, 0);
            n = StepDraw = NextRandom() * bound;
        } else {
            n = StepDraw = NextRandom();
        }
        break;
    case sgvMIN:
        // Every finite value is below the start, so no parameter value is ever lost.
        n = count > 0 ? HUGE_VAL : 0;
        for (int32_t i = 0; i < count; ++i) {
            const double x = ParamValue(*this, i);
            if (x < n) n = x;
        }
        break;
    case sgvMAX:
        n = count > 0 ? -HUGE_VAL : 0;
        for (int32_t i = 0; i < count; ++i) {
            const double x = ParamValue(*this, i);
            if (x > n) n = x;
        }
        break;
    case sgvINT:
        n = std::trunc(ParamValue(*this, 0));
        break;
    case sgvFRAC: {
        const double x = ParamValue(*this, 0);
        n = x - std::trunc(x);
        break;
    }
    case sgvABS:
        n = std::fabs(ParamValue(*this, 0));
        break;
    case sgvSIGN: {
        const double x = ParamValue(*this, 0);
        n = x > 0 ? 1 : (x < 0 ? -1 : 0);
        break;
    }
    case sgvROUND:
        n = RoundAway(ParamValue(*this, 0));
        break;
    case sgvCEIL:
        n = std::ceil(ParamValue(*this, 0));
        break;
    case sgvFLOOR:
        n = std::floor(ParamValue(*this, 0));
        break;

    // Time functions.
    case sgvPULSE: {
        // A pulse moves its amount in one step; the stages inside a step see it as at the
        // step's start, so that every integration method moves the same amount.
        const double t = InStage() ? CurrentSimulation->StepTime : CurrentTimeValue();
        const double d = t - ParamValue(*this, 1);
        const double interval = ParamValue(*this, 2);
        bool due;
        if (IsZero(interval)) {
            due = true;
        } else if (d <= -FloatTolerance) {
            due = false;
        } else {
            // Nearest whole number: a time a hair below a pulse time still gets its pulse.
            const double q = d / interval;
            due = SameValue(q, std::round(q));
        }
        if (due) failure = CheckedDivide(ParamValue(*this, 0), TimeStepValue(), n);
        break;
    }
    case sgvRAMP: {
        const double d = CurrentTimeValue() - ParamValue(*this, 1);
        if (d >= FloatTolerance) n = ParamValue(*this, 0) * d;
        break;
    }
    case sgvDELAY: {
        const double t = CurrentTimeValue();
        const double dt = TimeStepValue();
        if (!Table) Table = std::make_unique<TDataSeries>();
        if (Table->IsEmpty()) {
            // The seed one step before the first evaluation.
            const double seed = count >= 3 ? ParamValue(*this, 2) : ParamValue(*this, 0);
            // Histories hold whole steps only.
            if (InStage()) {
                n = seed;
                break;
            }
            AddDelayPoint(t - dt, seed);
        }
        double delay = ParamValue(*this, 1);
        if (delay < dt) delay = dt;
        n = Table->ValueAtNear(t - delay, DelayPlace, !DelayTimeNaN);
        break;
    }
    case sgvGRAPH: {
        const double x = ParamValue(*this, 0);
        n = Table ? Table->ValueAt(x) : 0;
        break;
    }
    case sgvPULSETRAIN: {
        const double first = ParamValue(*this, 0);
        const double width = ParamValue(*this, 1);
        const double interval = ParamValue(*this, 2);
        const double last = ParamValue(*this, 3);
        // Like PULSE, as at the step's start in the stages inside a step.
        const double t = InStage() ? CurrentSimulation->StepTime : CurrentTimeValue();
        n = PulseTrain(t, first, width, interval, last);
        break;
    }
    case sgvINIT:
    case sgvPREVIOUS:
    case sgvHISTORY:
    case sgvTREND:
        n = ComputeRecalled();
        break;

    // Trigonometry and the remainder.
    case sgvSIN:
    case sgvCOS:
    case sgvTAN:
    case sgvARCSIN:
    case sgvARCCOS:
    case sgvARCTAN:
        n = Trigonometric(FunctionIndex - sgvSIN, ParamValue(*this, 0));
        break;
    case sgvMODULO: {
        const double a = ParamValue(*this, 0);
        failure = Modulo(a, ParamValue(*this, 1), n);
        break;
    }

    // Financial functions.
    case sgvNPV:
        failure = EvaluateNPV(*this, *FinancialState<TNPVData>(*this), n);
        break;
    case sgvFV:
        failure = EvaluateFV(*this, *FinancialState<TFVData>(*this), n);
        break;
    case sgvPV:
        failure = EvaluatePV(*this, *FinancialState<TPVData>(*this), n);
        break;

    default:
        break; // a malformed index yields 0
    }

    if (failure == efNone) failure = CheckResult(n);
    if (failure != efNone) {
        n = 0;
        ReportError(EvalFailureMessage(failure));
    }
    return n;
}
