// Arbitrary bytes as an XMILE document through the importer, then what a user does with a
// model imported: save it, load it again, export it and import that. What the program writes
// as a model it reads again and writes the same way.
#include "ModelChecks.h"
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"
#include "document/xmile/Xmile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    TSimulationObject* before = CurrentSimulation;
    TXmileImport imported = ImportXmileText(text, "fuzz.xmile");
    // A failed import leaves nothing behind and always says why.
    if (!imported.Document) {
        if (imported.Error.empty() || imported.Fault == TXmileFault::None ||
            CurrentSimulation != before || !GlobalLinkManager.IsEmpty())
            std::abort();
        return 0;
    }
    TDataFile& document = *imported.Document;
    std::string why;
    if (!document.Image().Validate(why)) std::abort();
    CheckTimesOf(*document.Simulation);
    document.Simulation->CheckModel();

    // What the import built saves and loads like any model.
    CheckSaveLoadSave(document);

    // An imported model holds nothing XMILE lacks, so it exports, and that imports again and
    // exports once more. (Not to the same text: a graph's x range and a connector's angle are
    // computed back from what was written, and may differ in their last digits.)
    TXmileExport exported = ExportXmile(document, false);
    if (exported.Fault != TXmileFault::None) std::abort();
    TXmileImport again = ImportXmileText(exported.Text, "again.xmile");
    if (!again.Document) std::abort();
    CheckTimesOf(*again.Document->Simulation);
    CheckSaveLoadSave(*again.Document);
    if (ExportXmile(*again.Document, false).Fault != TXmileFault::None) std::abort();

    // A few steps of a run: the integration method and non-negative elements at work.
    document.MakeCurrent();
    TSimulationObject& model = *document.Simulation;
    if (model.CheckModel()) {
        model.Reset();
        for (int step = 0; step < 40 && !model.IsFinished(); ++step)
            model.Step();
        for (TVariableObject* element : model.Variables)
            if (element->NonNegative && element->Kind == ekResource && element->Value < 0 &&
                !element->Simulated.Points.empty() && element->Simulated.Points.front().Value >= 0)
                std::abort();
    }
    return 0;
}
