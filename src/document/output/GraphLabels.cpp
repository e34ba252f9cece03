// Tick labels beside and below a plot.
#include "document/output/GraphCanvas.h"
#include "document/output/GraphDrawing.h"
#include "document/output/GraphLabelRules.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// A scale that a value can be placed on.
bool UsableScale(double max, double min) {
    return max > min && std::isfinite(max) && std::isfinite(min) && std::isfinite(max - min);
}

// origin + Trunc(offset), kept well inside the 32-bit range so that text placement cannot
// overflow whatever ticks a caller passes.
int32_t PixelAt(double offset, int32_t origin) {
    constexpr int64_t limit = int64_t{1} << 30;
    return static_cast<int32_t>(
        std::clamp(static_cast<int64_t>(TruncToInt(offset)) + origin, -limit, limit));
}

void TextRightAligned(QPainter& canvas, int32_t right, int32_t y, const QString& text) {
    TextAt(canvas, right - TextWidth(canvas, text), y, text);
}

} // namespace

TLabelSpan ValueLabelSpan(const TTickList& ticks) {
    const auto count = static_cast<int32_t>(ticks.size());
    if (count == 0) return {};
    if (count < 3) return {0, count - 1};
    auto at = [&](int32_t i) { return TickValue(ticks[static_cast<size_t>(i)]); };
    TLabelSpan span;
    span.First = SameValue(at(2) - at(1), at(1) - at(0)) ? 0 : 1;
    span.Last = SameValue(at(count - 1) - at(count - 2), at(count - 2) - at(count - 3)) ? count - 1
                                                                                        : count - 2;
    return span;
}

std::vector<bool> TimeLabelsShown(const std::vector<int32_t>& xs,
                                  const std::vector<int32_t>& widths) {
    std::vector<bool> shown(xs.size(), true);
    bool afterSkipped = false;
    for (size_t i = 0; i + 1 < xs.size() && i < widths.size(); ++i) {
        if (afterSkipped) {
            afterSkipped = false;
            continue;
        }
        if (static_cast<int64_t>(xs[i]) + widths[i] + 2 >= xs[i + 1]) {
            shown[i] = false;
            afterSkipped = true;
        }
    }
    return shown;
}

void DrawValueLabels(const TDrawRect& labelRect, QPainter& canvas, const TTickList& ticks,
                     int32_t fontSize, double max, double min) {
    SetLabelFont(canvas, fontSize);
    const TDrawRect rect = BoundedRect(labelRect);
    if (!UsableScale(max, min)) return;
    const int32_t halfHeight = std::abs(FontHeight(canvas)) / 2;
    const TLabelSpan span = ValueLabelSpan(ticks);
    for (int32_t i = span.First; i <= span.Last; ++i) {
        const std::string& tick = ticks[static_cast<size_t>(i)];
        const double v = TickValue(tick);
        const int32_t y = PixelAt(
            (v - min) * (rect.Top - rect.Bottom + 1) / (max - min) + rect.Bottom - 1, -halfHeight);
        TextRightAligned(canvas, rect.Right, y, QString::fromStdString(tick));
    }
}

void DrawValueLabelsBetween(const TDrawRect& labelRect, QPainter& canvas, const TTickList& ticks,
                            int32_t fontSize, double max, double min) {
    SetLabelFont(canvas, fontSize);
    const TDrawRect rect = BoundedRect(labelRect);
    auto limitText = [](double value) {
        return QString::fromStdString(FormatFloat(value > 1000000 ? "0.00E+00" : "0.##", value));
    };
    TextRightAligned(canvas, rect.Right, rect.Top + 4, limitText(max));
    TextRightAligned(canvas, rect.Right, rect.Bottom - 18, limitText(min));
    if (!UsableScale(max, min)) return;
    const int32_t fontHeight = std::abs(FontHeight(canvas));
    const int32_t bandTop = rect.Top + 11;
    const int32_t bandBottom = rect.Bottom - 11;
    for (size_t i = 1; i + 1 < ticks.size(); ++i) {
        const double v = TickValue(ticks[i]);
        const int32_t y =
            PixelAt((v - min) * (rect.Top - rect.Bottom + 23) / (max - min) + bandBottom - 1,
                    -(fontHeight / 2));
        // Keep clear of the two edit boxes at the ends of the column.
        if (std::abs(static_cast<int64_t>(y) - bandTop) > 12 &&
            std::abs(static_cast<int64_t>(y) - bandBottom) > fontHeight + 12)
            TextRightAligned(canvas, rect.Right, y, QString::fromStdString(ticks[i]));
    }
}

void DrawTimeLabels(const TDrawRect& labelRect, QPainter& canvas, const std::string& title,
                    int32_t fontSize, const TTickList& ticks, double max, double min) {
    SetLabelFont(canvas, fontSize);
    const TDrawRect rect = BoundedRect(labelRect);
    const int32_t width = rect.Right - rect.Left;
    // Without a span every label sits at the left end rather than nowhere in particular.
    const bool spanned = UsableScale(max, min);
    std::vector<int32_t> xs;
    std::vector<int32_t> widths;
    std::vector<QString> texts;
    for (const std::string& tick : ticks) {
        texts.push_back(QString::fromStdString(tick));
        // Multiplied before dividing: the other order truncates some ticks a pixel short.
        xs.push_back(
            PixelAt(spanned ? (TickValue(tick) - min) * width / (max - min) : 0, rect.Left));
        widths.push_back(TextWidth(canvas, texts.back()));
    }
    const std::vector<bool> shown = TimeLabelsShown(xs, widths);
    for (size_t i = 0; i < texts.size(); ++i)
        if (shown[i])
            TextAt(canvas, xs[i] - static_cast<int32_t>(std::floor(widths[i] / 2.0)), rect.Top + 5,
                   texts[i]);
    const QString titleText = QString::fromStdString(title);
    TextAt(canvas, rect.Left + (width - TextWidth(canvas, titleText)) / 2, rect.Top + 18,
           titleText);
}
