#pragma once
// The named colours a graph series can take, and the colour a new series gets. Colours are
// stored as in model files: red in the low byte.

#include <array>
#include <cstdint>
#include <span>
#include <string>

struct TPaletteColour {
    const char* Name;
    int32_t Colour;
};

inline constexpr std::array<TPaletteColour, 11> ColourPalette = {{{"Black", 0x000000},
                                                                  {"Red", 0x0000FF},
                                                                  {"Green", 0x008000},
                                                                  {"Blue", 0xFF0000},
                                                                  {"Purple", 0x800080},
                                                                  {"Grey", 0x808080},
                                                                  {"Fuchsia", 0xFF00FF},
                                                                  {"Aqua", 0xFFFF00},
                                                                  {"Yellow", 0x00FFFF},
                                                                  {"Lime", 0x00FF00},
                                                                  {"Maroon", 0x000080}}};

// The palette name of a colour, or "Other".
std::string ColourName(int32_t colour);
// The palette index of a colour, or 0 (Black) for a colour outside the palette.
int32_t ColourIndex(int32_t colour);
bool InColourPalette(int32_t colour);

// The colour of a series appended to a graph whose entries have the given colours: the
// first palette colour no entry uses, or, with every one in use, the palette colour at the
// new entry's index modulo the palette's size.
int32_t NewSeriesColour(std::span<const int32_t> colours);
