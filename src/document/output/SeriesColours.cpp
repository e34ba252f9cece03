#include "document/output/SeriesColours.h"

#include <algorithm>

namespace {
int32_t PaletteIndex(int32_t colour) {
    for (size_t i = 0; i < ColourPalette.size(); ++i)
        if (ColourPalette[i].Colour == colour) return static_cast<int32_t>(i);
    return -1;
}
} // namespace

std::string ColourName(int32_t colour) {
    const int32_t i = PaletteIndex(colour);
    return i < 0 ? "Other" : ColourPalette[static_cast<size_t>(i)].Name;
}

int32_t ColourIndex(int32_t colour) {
    return std::max(0, PaletteIndex(colour));
}

bool InColourPalette(int32_t colour) {
    return PaletteIndex(colour) >= 0;
}

int32_t NewSeriesColour(std::span<const int32_t> colours) {
    for (const TPaletteColour& candidate : ColourPalette)
        if (std::find(colours.begin(), colours.end(), candidate.Colour) == colours.end())
            return candidate.Colour;
    return ColourPalette[colours.size() % ColourPalette.size()].Colour;
}
