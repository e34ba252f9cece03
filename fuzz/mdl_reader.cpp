// Arbitrary bytes as a Vensim model (.mdl) through the importer, then what a user does with a
// model imported: run it a little, save it, load it again, export it as XMILE and import that.
// What the program writes as a model it reads again and writes the same way.
#include "ModelChecks.h"
#include "document/diagram/DrawingObjects.h"
#include "document/mdl/Mdl.h"
#include "document/model/DataFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    TSimulationObject* before = CurrentSimulation;
    TXmileImport imported = ImportMdlText(text, "fuzz.mdl");
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
    TSimulationObject& model = *document.Simulation;
    // Times are numbers, whatever the file said.
    CheckTimesOf(model);
    // What the import built saves and loads like any model.
    CheckSaveLoadSave(document);

    // A few steps of a run.
    if (model.CheckModel()) {
        model.Reset();
        for (int step = 0; step < 40 && !model.IsFinished(); ++step)
            model.Step();
    }

    // An imported model holds nothing XMILE lacks but random numbers, so it exports (leaving
    // those out on request), and that imports again.
    TXmileExport exported = ExportXmile(document, true);
    if (exported.Fault != TXmileFault::None) std::abort();
    TXmileImport again = ImportXmileText(exported.Text, "again.xmile");
    if (!again.Document) std::abort();
    // What the program wrote it reads again, saves and loads like any model, and exports
    // again. (Not to the same text: a graph's x range and a connector's angle are computed
    // back from what was written, and may differ in their last digits.)
    CheckTimesOf(*again.Document->Simulation);
    CheckSaveLoadSave(*again.Document);
    if (ExportXmile(*again.Document, true).Fault != TXmileFault::None) std::abort();
    return 0;
}
