// Arbitrary bytes as an XMILE document through the importer, then what a user does with a
// model imported: save it, load it again, export it and import that.
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
    document.Simulation->CheckModel();

    // What the import built saves and loads like any model.
    std::string message;
    const std::string saved = document.SavedText();
    std::unique_ptr<TDataFile> loaded = TDataFile::LoadModelText(saved, "", message);
    if (!loaded || loaded->SavedText() != saved) std::abort();

    // An imported model holds nothing XMILE lacks, so it exports, and that imports again.
    TXmileExport exported = ExportXmile(document, false);
    if (exported.Fault != TXmileFault::None) std::abort();
    TXmileImport again = ImportXmileText(exported.Text, "again.xmile");
    if (!again.Document) std::abort();

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
