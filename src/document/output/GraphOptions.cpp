#include "document/model/DataFile.h"
#include "document/output/GraphDrawing.h"

TGraphOptions GraphOptionsOf(const TDrawImage* image) {
    TGraphOptions options;
    const auto* document = image ? dynamic_cast<const TDataFile*>(image->Owner) : nullptr;
    if (!document) return options;
    for (size_t kind = 0; kind < options.Colours.size(); ++kind)
        options.Colours[kind] = ColourFromInt(document->SeriesColours[kind]).rgb();
    for (size_t i = 0; i < options.Show.size(); ++i)
        options.Show[i] = document->SeriesShow[i];
    return options;
}
