// The legend under a graph control's plot: one sample line and label per visible entry,
// wrapped into rows.
#include "document/output/GraphCanvas.h"
#include "document/output/GraphDrawing.h"
#include "document/output/GraphLabelRules.h"

#include <algorithm>
#include <cstdlib>

std::string LegendLabel(const TVariableDataLink& entry) {
    std::string label;
    if (const TVariableObject* variable = entry.Var()) label = variable->Name;
    if (entry.SeriesKind == skSketched)
        label += " (Sk)";
    else if (entry.SeriesKind == skDerived)
        label += " (D)";
    if (entry.Run > 0) label += " [" + IntToStr(entry.Run) + "]";
    return label;
}

namespace {

// Whether an entry of textWidth starts a new row, given the width left in the current one.
bool StartsNewRow(double remaining, int32_t rowWidth, int32_t textWidth, double s) {
    return remaining != rowWidth && remaining < textWidth + 24 * s;
}

} // namespace

int32_t LegendHeight(const TVariableDataLinkList& series, int32_t availableWidth, QPainter& canvas,
                     int32_t fontSize, double scale) {
    const int32_t width = std::clamp(availableWidth, -(1 << 28), 1 << 28);
    const double s = BoundedScale(scale);
    SetCanvasFont(canvas, fontSize);
    const int32_t lineHeight = std::abs(FontHeight(canvas));
    const int32_t rowWidth = width - 4;
    int32_t rows = 1;
    int32_t remaining = rowWidth;
    bool any = false;
    for (const TVariableDataLink* entry : series) {
        if (!entry->Visible) continue;
        any = true;
        const int32_t textWidth = TextWidth(canvas, QString::fromStdString(LegendLabel(*entry)));
        if (StartsNewRow(remaining, rowWidth, textWidth, s)) {
            ++rows;
            remaining = rowWidth;
        }
        remaining = TruncToInt(remaining - textWidth - 24 * s);
    }
    // Nothing listed: no legend at all, not an empty box.
    if (!any) return 0;
    return TruncToInt(4 * s) + (lineHeight + 2) * rows;
}

void DrawLegend(const TVariableDataLinkList& series, const TDrawRect& legendRect, QPainter& canvas,
                int32_t fontSize, double scale) {
    const TDrawRect rect = BoundedRect(legendRect);
    const double s = BoundedScale(scale);
    SetCanvasFont(canvas, fontSize);
    canvas.setBrush(Qt::NoBrush);
    canvas.setPen(QPen(QColor(Qt::black), 1));
    canvas.drawRect(GdiRect(rect.Left, rect.Top, rect.Right, rect.Bottom));
    const int32_t lineHeight = std::abs(FontHeight(canvas));
    const int32_t rowWidth = rect.Right - rect.Left - 4;
    const int32_t sampleLength = TruncToInt(8 * s);
    const int32_t sampleGap = TruncToInt(6 * s);
    const int32_t labelGap = TruncToInt(10 * s);
    const int32_t sampleWidth = std::max(TruncToInt(2 * s), 1);
    int32_t x = rect.Left + 2;
    int32_t row = 0;
    int32_t remaining = rowWidth;
    for (const TVariableDataLink* entry : series) {
        if (!entry->Visible) continue;
        const QString label = QString::fromStdString(LegendLabel(*entry));
        const int32_t textWidth = TextWidth(canvas, label);
        if (StartsNewRow(remaining, rowWidth, textWidth, s)) {
            ++row;
            x = rect.Left + 2;
            remaining = rowWidth;
        }
        const int32_t rowTop = (lineHeight + 2) * row + rect.Top;
        canvas.setPen(DiagramPen(ColourFromInt(entry->Colour).rgb(), sampleWidth));
        const int32_t y = lineHeight / 2 + rowTop + 4;
        canvas.drawLine(x, y, x + sampleLength, y);
        x += sampleLength + sampleGap;
        // Text is black whatever colour the sample line had.
        canvas.save();
        canvas.setPen(QColor(Qt::black));
        canvas.setClipRect(rect.ToQRect(), Qt::IntersectClip);
        TextAt(canvas, x, rowTop + 2, label);
        canvas.restore();
        x += textWidth + labelGap;
        remaining -= sampleLength + sampleGap + textWidth + labelGap;
    }
    canvas.setPen(QColor(Qt::black));
}
