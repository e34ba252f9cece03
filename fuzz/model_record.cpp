// Arbitrary bytes as a model file: the simulation record with its elements, series and
// dependencies, then the binding of every stored link.
#include "core/model/SimulationObjects.h"
#include "core/persistence/FileIO.h"
#include "core/persistence/FileItems.h"
#include "core/support/Version.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    TFileObject file;
    file.CurrentVersion = ProgramVersion;
    try {
        file.OpenForReadText(text);
        TSimulationObject sim;
        sim.Load(file);
        GlobalLinkManager.ResolveAll();
        // A loaded model must save again.
        TFileObject out;
        out.OpenForWrite("", "");
        sim.Save(out);
        (void)sim.FindByIdentifier("Flow_1");
    } catch (const std::exception&) {
        // Every failure must arrive as an exception with a message, never as a crash.
    }
    GlobalLinkManager.Clear();
    return 0;
}
