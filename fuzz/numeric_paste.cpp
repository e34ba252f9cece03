// Arbitrary clipboard text pasted into grids of a few shapes: every planned cell lies in the
// range, rows and columns only move forward, and the reader always comes to an end.
#include "core/support/GridClipboard.h"

#include <cmath>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const int shapes[][4] = {{0, 0, 0, 0}, {1, 1, 2, 3}, {0, 0, 4, 20}, {3, 2, 1, 5}};
    for (const auto& s : shapes) {
        const TPastePlan plan = PlanPaste(text, s[0], s[1], s[2], s[3]);
        const size_t cells = static_cast<size_t>(std::max(0, s[2] - s[0] + 1)) *
                             static_cast<size_t>(std::max(0, s[3] - s[1] + 1));
        if (plan.Cells.size() > cells) __builtin_trap();
        for (const TPasteCell& cell : plan.Cells)
            if (cell.Column < s[0] || cell.Column > s[2] || cell.Row < s[1] || cell.Row > s[3] ||
                !std::isfinite(cell.Value))
                __builtin_trap();
    }
    size_t position = 0;
    for (size_t reads = 0; reads <= size + 1; ++reads) {
        const size_t before = position;
        if (ReadPasteToken(text, position).End) return 0;
        if (position <= before || position > size) __builtin_trap();
    }
    __builtin_trap(); // more tokens than characters
}
