#pragma once
// Running state of NPV, FV and PV across the steps of a run.

#include "core/equations/Arithmetic.h"
#include "core/equations/EquationObjects.h"
#include "core/support/NumberFormat.h"

#include <memory>
#include <utility>
#include <vector>

class TFinancialData {
public:
    virtual ~TFinancialData() = default;
    virtual void Reset() = 0;
    // Remembers the state after the step at time (absolute), replacing any later record.
    virtual void Record(double time) = 0;
    // Brings back the state recorded at time (absolute), so replayed steps are not counted
    // twice; with no record there, the last one before it (or the reset state).
    virtual void RewindTo(double time) = 0;

    // The built-in this state belongs to, so a mismatched state is never misread.
    const TFunctionIndex Function;

protected:
    explicit TFinancialData(TFunctionIndex function) : Function(function) {}
};

// The state of one kind with its per-step records.
template <class TFields, TFunctionIndex Index>
class TFinancialState : public TFinancialData, public TFields {
public:
    TFinancialState() : TFinancialData(Index) {}
    void Reset() override {
        static_cast<TFields&>(*this) = TFields();
        History.clear();
    }
    void Record(double time) override {
        DropFrom(time - FloatTolerance);
        History.push_back({time, static_cast<const TFields&>(*this)});
    }
    void RewindTo(double time) override {
        DropFrom(time + FloatTolerance);
        static_cast<TFields&>(*this) = History.empty() ? TFields() : History.back().second;
    }
    size_t RecordCount() const { return History.size(); }

private:
    // Forgets the records at or after limit.
    void DropFrom(double limit) {
        while (!History.empty() && History.back().first >= limit)
            History.pop_back();
    }
    std::vector<std::pair<double, TFields>> History;
};

struct TNPVFields {
    bool Started = false;
    double LastCashFlow = 0;
    double Total = 0;
    double PeriodEnd = 0;
    double StartedAt = 0;
};

struct TFVFields {
    bool Started = false;
    double LastCashFlow = 0;
    double Total = 0;
    double Period = 1.0;
    double FinishTime = 0;
    // Period and FinishTime have been taken in this run.
    bool FixedTaken = false;
};

struct TPVFields {
    double LastCashFlow = 0;
    double Total = 0;
    double Period = 1.0;
    double PresentValueTime = 0;
    // Period and PresentValueTime have been taken in this run.
    bool FixedTaken = false;
};

class TNPVData : public TFinancialState<TNPVFields, sgvNPV> {};
class TFVData : public TFinancialState<TFVFields, sgvFV> {};
class TPVData : public TFinancialState<TPVFields, sgvPV> {};

// One evaluation of the function at the current time of CurrentSimulation. On a failure the
// running state keeps its previous values and result is 0.
TEvalFailure EvaluateNPV(const TEquationFunction& function, TNPVData& state, double& result);
TEvalFailure EvaluateFV(const TEquationFunction& function, TFVData& state, double& result);
TEvalFailure EvaluatePV(const TEquationFunction& function, TPVData& state, double& result);

// A fresh state object for NPV, FV or PV; none for any other built-in.
std::unique_ptr<TFinancialData> NewFinancialData(TFunctionIndex function);
