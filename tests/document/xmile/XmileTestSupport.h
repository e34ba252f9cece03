#pragma once
// Importing and running XMILE models in the tests.

#include "support/TempDir.h"

#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"

#include "core/model/RunToEnd.h"
#include "document/xmile/Xmile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

// The hand-written XMILE models are golden cases: tests/golden/xmile_<name>/model.xmile.
inline fs::path XmileModel(const std::string& name) {
    return SourceFolder() / "tests" / "golden" / ("xmile_" + name) / "model.xmile";
}

inline std::vector<fs::path> XmileModels() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(SourceFolder() / "tests" / "golden"))
        if (fs::exists(entry.path() / "model.xmile")) files.push_back(entry.path() / "model.xmile");
    std::sort(files.begin(), files.end());
    return files;
}

inline TXmileImport ImportXmileData(const std::string& name) {
    return ImportXmileFile(XmileModel(name).string());
}

// Every element's simulated values by name, after a check and a run to the stop time.
using TRunValues = std::map<std::string, std::vector<double>>;

inline TRunValues RunModel(TDataFile& document) {
    document.MakeCurrent();
    TSimulationObject& model = *document.Simulation;
    EXPECT_TRUE(model.CheckModel()) << (ErrorList.empty() ? "" : ErrorList.front());
    bool tooLong = false;
    const std::vector<double> offsets = RunToEnd(model, DefaultMaxSteps, tooLong);
    TRunValues values;
    for (TVariableObject* element : model.Variables)
        for (double offset : offsets)
            values[element->Name].push_back(element->Simulated.ValueAt(offset));
    values["(time)"] = offsets;
    return values;
}

// a and b agree to the last few bits.
inline bool Close(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(a));
}
