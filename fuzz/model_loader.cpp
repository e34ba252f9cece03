// Arbitrary bytes as a whole model file through the document loader, then what the
// program does with a model it has opened: check it and save it again.
#include "ModelChecks.h"
#include "document/model/DataFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string message;
    std::unique_ptr<TDataFile> document = TDataFile::LoadModelText(text, "", message);
    // A failed load leaves nothing behind and always says why.
    if (!document && (message.empty() || !GlobalLinkManager.IsEmpty())) std::abort();
    if (!document) return 0;

    CheckTimesOf(*document->Simulation);
    CheckSaveLoadSave(*document);
    // The program checks every model it opens, which may mend what a damaged file holds
    // (an element's stale initial value); what it saves then is just as stable.
    document->Simulation->CheckModel();
    CheckSaveLoadSave(*document);
    return 0;
}
