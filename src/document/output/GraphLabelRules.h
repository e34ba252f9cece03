#pragma once
// The decisions behind the graph labels, kept apart from the painting so that they can be
// checked on their own.

#include "document/output/GraphDrawing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

// No tick list grows beyond this many computed ticks, whatever the limits; ordinary
// limits give a dozen at most.
inline constexpr int32_t MaxTickCount = 100;

// A scale factor that keeps pixel sums inside 32 bits and sizes positive; real zooms lie
// far inside the bounds, only a damaged value reaches them.
inline double BoundedScale(double s) {
    return std::isnan(s) ? 0 : std::clamp(s, 0.0, 1e4);
}

// The rectangle with every coordinate within 2^28 pixels, for the same reason.
inline TDrawRect BoundedRect(const TDrawRect& r) {
    auto bound = [](int32_t v) { return std::clamp(v, -(1 << 28), 1 << 28); };
    return {bound(r.Left), bound(r.Top), bound(r.Right), bound(r.Bottom)};
}

// The value ticks that get a label: First..Last inclusive, none when Last < First.
struct TLabelSpan {
    int32_t First = 0;
    int32_t Last = -1;
};
// min is skipped when it lies off the grid (its gap differs from the next one), and max or
// its duplicate likewise at the other end.
TLabelSpan ValueLabelSpan(const TTickList& ticks);

// Which time labels are drawn, given each label's x (its centre) and text width: a label
// that reaches the next one is skipped, the label after a skipped one is always drawn and
// the last one is never skipped.
std::vector<bool> TimeLabelsShown(const std::vector<int32_t>& xs,
                                  const std::vector<int32_t>& widths);
