// Calibration: the recovery case of the tests (the customer growth structure, 96 months in
// steps of 0.25, Contact Rate and Churn Rate fitted to every fourth month of Customers made
// with 10 and 0.04, starting 50% away), with BOBYQA from the model's values, and with 4
// starts on 1 and 2 jobs. Counters: evaluations (model runs of the optimiser) and the
// fitted values' largest relative error.
#include "ChainModel.h"
#include "core/analysis/Calibration.h"
#include "core/model/RunToEnd.h"
#include "document/model/DataFile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    std::abort();
}

std::unique_ptr<TDataFile> GrowthModel() {
    auto document = std::make_unique<TDataFile>();
    TSimulationObject& model = *document->Simulation;
    model.StartTime = 0;
    model.StopTime = 96;
    model.TimeStep = 0.25;
    auto add = [&](uint8_t kind, const std::string& name, const std::string& equation) {
        return AddElement(model, kind, name, equation);
    };
    TVariableObject* contact = add(ekConstant, "Contact Rate", "10");
    TVariableObject* churnRate = add(ekConstant, "Churn Rate", "0.04");
    TVariableObject* adoption = add(ekConstant, "Adoption Fraction", "0.015");
    TVariableObject* potential = add(ekResource, "Potential Customers", "100000");
    TVariableObject* customers = add(ekResource, "Customers", "500");
    TVariableObject* joining =
        add(ekFlow, "New Customers",
            "Customers * Contact_Rate * Adoption_Fraction * Potential_Customers / "
            "(Potential_Customers + Customers)");
    TVariableObject* churn = add(ekFlow, "Churn", "Customers * Churn_Rate");
    for (TVariableObject* input : {customers, contact, adoption, potential})
        joining->AddDependency(input);
    churn->AddDependency(customers);
    churn->AddDependency(churnRate);
    potential->AddDependency(joining, true, 1);
    customers->AddDependency(joining, true, 0);
    customers->AddDependency(churn, true, 1);
    if (!model.CheckModel()) Fail("the growth model does not pass its check");
    bool tooLong = false;
    RunToEnd(model, DefaultMaxSteps, tooLong);
    for (double month = 0; month <= 96; month += 4)
        customers->Sketched.AddPoint(month, customers->Simulated.ValueAt(month));
    contact->Equation = "15";
    churnRate->Equation = "0.02";
    contact->Parsed = churnRate->Parsed = false;
    if (!model.CheckModel()) Fail("the growth model does not pass its check");
    return document;
}

void Recover(benchmark::State& state, int starts, int jobs) {
    auto document = GrowthModel();
    TSimulationObject& model = *document->Simulation;
    TCalibrationSetUp setUp;
    setUp.Parameters = {{"Contact Rate", 2.5, 25}, {"Churn Rate", 0.01, 0.1}};
    setUp.Starts = starts;
    TCalibrationPlan plan;
    std::string problem;
    if (PlanCalibration(model, setUp, plan, problem) != cpNone) Fail(problem);
    TCalibrationRunner runner(model, jobs);
    TCalibrationResult result;
    for (auto _ : state) {
        if (Calibrate(runner, plan, result, nullptr, problem) != aoFinished) Fail(problem);
        benchmark::DoNotOptimize(result.PayoffAfter);
    }
    state.counters["evaluations"] = static_cast<double>(result.Evaluations);
    state.counters["relative_error"] =
        std::max(std::fabs(result.Fitted[0] / 10 - 1), std::fabs(result.Fitted[1] / 0.04 - 1));
}

void BM_CalibrateRecovery(benchmark::State& state) {
    Recover(state, 1, 1);
}
BENCHMARK(BM_CalibrateRecovery)->Unit(benchmark::kMillisecond);

void BM_CalibrateFourStarts(benchmark::State& state) {
    Recover(state, 4, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_CalibrateFourStarts)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
