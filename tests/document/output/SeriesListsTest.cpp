// The colours new series get, and what an edited series entry becomes.
#include "document/output/SeriesLists.h"
#include "document/output/SeriesColours.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int32_t Black = 0x000000, Red = 0x0000FF, Green = 0x008000, Maroon = 0x000080;

std::vector<int32_t> Palette(std::initializer_list<int32_t> leaveOut = {}) {
    std::vector<int32_t> colours;
    for (const TPaletteColour& colour : ColourPalette)
        if (std::find(leaveOut.begin(), leaveOut.end(), colour.Colour) == leaveOut.end())
            colours.push_back(colour.Colour);
    return colours;
}

} // namespace

TEST(SeriesColours, NamesIndexesAndTheNextColour) {
    EXPECT_EQ(ColourPalette.size(), 11u);
    struct TName {
        int32_t Colour;
        const char* Name;
        int32_t Index;
    };
    for (const TName& c :
         {TName{Black, "Black", 0}, TName{Red, "Red", 1}, TName{0xFF0000, "Blue", 3},
          TName{Maroon, "Maroon", 10}, TName{0x123456, "Other", 0}, TName{0x10000FF, "Other", 0}}) {
        EXPECT_EQ(ColourName(c.Colour), c.Name) << std::hex << c.Colour;
        EXPECT_EQ(ColourIndex(c.Colour), c.Index) << std::hex << c.Colour;
    }

    struct TNext {
        std::vector<int32_t> Used;
        int32_t Expected;
    };
    std::vector<int32_t> twelve = Palette();
    twelve.push_back(Black);
    const TNext cases[] = {
        {{}, Black},               // the first series of an empty graph
        {{Black}, Red},            // the second
        {{Red}, Black},            // the first colour nobody uses, in palette order
        {Palette({Green}), Green}, // a gap in the middle is filled
        {Palette(), Black},        // all eleven in use: the twelfth (index 11) is Black again
        {twelve, Red},             // index 12
        {{0x123456, Black}, Red},  // colours from elsewhere do not count
    };
    for (const TNext& c : cases)
        EXPECT_EQ(NewSeriesColour(c.Used), c.Expected) << c.Used.size() << " used";
}

TEST(SeriesLists, AnEditedEntryKeepsWhatWasNotChanged) {
    struct TCase {
        const char* Name;
        int32_t Run;
        int32_t Colour;
        TSeriesEntryChoice Choice;
        bool Changes;
        int32_t RunAfter;
        int32_t ColourAfter;
    };
    const TCase cases[] = {
        {"history yes records runs", -1, Red, {skSimulated, Red, true, true}, true, 0, Red},
        {"history no stops recording", 0, Red, {skSimulated, Red, false, true}, true, -1, Red},
        {"a kept run keeps its number", 3, Red, {skSimulated, Red, false, true}, false, 3, Red},
        {"an odd run without histories stays",
         -5,
         Red,
         {skSimulated, Red, false, true},
         false,
         -5,
         Red},
        {"an other colour survives",
         -1,
         0x123456,
         {skSimulated, {}, false, false},
         true,
         -1,
         0x123456},
        {"nothing changed", -1, 0x123456, {skSimulated, {}, false, true}, false, -1, 0x123456},
        {"a palette colour chosen",
         -1,
         0x123456,
         {skSimulated, Maroon, false, true},
         true,
         -1,
         Maroon},
    };
    for (const TCase& c : cases) {
        TVariableDataLink entry;
        entry.Run = c.Run;
        entry.Colour = c.Colour;
        EXPECT_EQ(SeriesEntryChanges(entry, c.Choice), c.Changes) << c.Name;
        ApplySeriesEntryChoice(entry, c.Choice);
        EXPECT_EQ(entry.Run, c.RunAfter) << c.Name;
        EXPECT_EQ(entry.Colour, c.ColourAfter) << c.Name;
        EXPECT_EQ(entry.Visible, c.Choice.Visible) << c.Name;
    }
}
