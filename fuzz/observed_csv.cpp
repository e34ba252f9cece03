// Arbitrary text as observed data for a model of a few elements: read, matched and applied.
// What reads must give sorted, finite, distinct times; a refused text changes nothing of the
// document; an applied one leaves sketches the grid and the graphs can take.
#include "core/model/ObservedData.h"
#include "core/model/SimulationObjects.h"
#include "document/model/DataFile.h"
#include "document/model/DataImport.h"

#include <cmath>
#include <cstdint>
#include <string_view>

namespace {

struct TFuzzDocument {
    TFuzzDocument() {
        TSimulationObject& model = *Document.Simulation;
        model.StartTime = 1990;
        model.StopTime = 2010;
        for (const char* name : {"A", "Sales Rate", "b\"q"}) {
            TVariableObject* element = model.NewElement(ekVariable);
            element->Name = name;
            element->Equation = "1";
        }
        Document.Simulation->Variables[1]->Sketched.AddPoint(3, 4);
    }
    TDataFile Document;
};

void CheckSorted(const std::vector<TDataPoint>& points) {
    for (size_t i = 0; i < points.size(); ++i) {
        if (!std::isfinite(points[i].Time) || !std::isfinite(points[i].Value)) __builtin_trap();
        if (i > 0 && !(points[i].Time - points[i - 1].Time > 1e-10)) __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TFuzzDocument fuzz;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TObservedData observed;
    std::string error;
    const bool read = ReadObservedCsv(text, observed, error);
    if (read != error.empty()) __builtin_trap();
    if (read)
        for (const TObservedColumn& column : observed.Columns)
            CheckSorted(column.Points);

    TDataFile& document = fuzz.Document;
    const std::string before = document.SavedText();
    const TDataImportResult result = ImportObservedText(document, text);
    if (result.Imported != result.Error.empty()) __builtin_trap();
    if (!result.Imported) {
        if (document.SavedText() != before) __builtin_trap();
        return 0;
    }
    if (!read) __builtin_trap();
    for (TVariableObject* element : document.Simulation->Variables) {
        CheckSorted(element->Sketched.Points);
        if (!(element->Sketched.Interval > 0) || !std::isfinite(element->Sketched.Interval))
            __builtin_trap();
    }
    document.Undo();
    return 0;
}
