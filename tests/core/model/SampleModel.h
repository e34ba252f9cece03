#pragma once
// A small model shared by the model tests, with the exact text it saves as.

#include "support/ModelBuilder.h"
#include "support/TempDir.h"

#include "core/model/SimulationObjects.h"

#include <string>
#include <vector>

inline const char* const TestVersion = "1.0.10.166";

// A Resource filled by a Flow listed after it, so its dependency points further down the list.
inline void BuildSampleModel(TSimulationObject& sim) {
    sim.StartTime = 0;
    sim.StopTime = 36;
    sim.TimeStep = 0.5;
    sim.ViewStart = 2;
    sim.ViewStop = 30;
    sim.Now = 10;
    sim.TimeUnit = "Weeks";
    sim.RunStepInterval = 4;
    sim.UpdateInterval = 2;
    sim.UpdateScreen = false;

    TModelBuilder build(sim);
    TVariableObject* stock = &build.Resource("Stock", "100");
    TVariableObject* flow = &build.Flow("In flow", "2.5");
    stock->Units = "kg";
    stock->Notes = "it's full";
    stock->InitialValue = 100;
    stock->Value = 102.5;
    stock->Sketched.AddPoint(0, 1);
    stock->Sketched.AddPoint(1, 2);
    stock->Simulated.AddPoint(0, 100);
    stock->Simulated.AddPoint(1, 102.5);
    stock->UpperY = 200;
    build.Inflow(*flow, *stock);

    flow->InitialValue = 2.5;
    flow->Value = 2.5;
    flow->DeriveFromSource = 1;
}

// What BuildSampleModel saves as, with CurrentTime 0.
inline std::string SampleModelText() {
    return JoinCrLf({
        "Quorvane\t1.0.10.166",
        "",
        "\t0\t36\t0.5\t0\t2\t30\t1\t10\t'Weeks'\t4\t2\t0\t2",
        "",
        "\t'Stock'\t'kg'\t'100'\t'it''s full'\t2\t100\t102.5",
        "\t0\t0\t0\t1\t2\t0\t1\t1\t2",
        "\t0\t0\t0\t1\t0",
        "\t0\t0\t0\t1\t2\t0\t100\t1\t102.5\t0\t200\t1",
        "",
        "\t0\t1\t1\t0",
        "\t'In flow'\t''\t'2.5'\t''\t3\t2.5\t2.5",
        "\t0\t0\t0\t1\t0",
        "\t0\t0\t0\t1\t0",
        "\t0\t0\t0\t1\t0\t0\t10\t0",
        "\t1",
    });
}

// The text of a record saved through an in-memory file.
inline std::string SavedRecord(TIOObject& object) {
    TFileObject file;
    file.CurrentVersion = TestVersion;
    file.OpenForWrite("", "Quorvane");
    object.Save(file);
    return file.SavedText();
}
