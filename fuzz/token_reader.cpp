// Arbitrary bytes as a token file, then a mixed sequence of reads chosen by the input.
#include "core/model/DataSeries.h"
#include "core/persistence/FileIO.h"
#include "core/persistence/FileItems.h"
#include "core/support/NumberFormat.h"
#include "core/support/Version.h"

#include <cstdint>
#include <string_view>

namespace {

class TItem : public TIOListObject {
public:
    void Load(TFileObject& file) override {
        Name = file.ReadString();
        Link.Load(*static_cast<TIOObjectList*>(OwnerListForLoad), file);
    }
    std::string Name;
    TIOListObjectLink Link;
    static inline TIOObjectList* OwnerListForLoad = nullptr;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the sequence of reads; the rest is the file.
    uint8_t plan = data[0];
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    TFileObject file;
    file.CurrentVersion = ProgramVersion;
    try {
        file.OpenForReadText(text);
        if (plan & 1) {
            TDataSeries series;
            series.Load(file);
            (void)series.ValueAt(0.5);
        }
        if (plan & 2) {
            TIOObjectList list;
            TItem::OwnerListForLoad = &list;
            list.LoadItems(file, [] { return std::make_unique<TItem>(); });
            GlobalLinkManager.ResolveAll();
        }
        for (int i = 0; i < 64; ++i) {
            switch ((plan >> (i % 4)) & 3) {
            case 0:
                (void)file.ReadString();
                break;
            case 1:
                (void)file.ReadInteger();
                break;
            case 2:
                (void)file.ReadFloat();
                break;
            default:
                (void)file.ReadBoolean();
                break;
            }
        }
    } catch (const std::exception&) {
        // Every failure must arrive as an exception with a message, never as a crash.
    }
    GlobalLinkManager.Clear();
    return 0;
}
