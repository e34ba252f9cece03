#include "document/output/BandGraph.h"

#include "document/output/GraphCanvas.h"
#include "document/output/GraphCurves.h"
#include "document/output/GraphDrawing.h"

#include <QtGui/QPainter>
#include <QtGui/QPolygon>

#include <algorithm>
#include <cmath>
#include <limits>

const QRgb BandColours[4] = {qRgb(222, 231, 245), qRgb(184, 204, 235), qRgb(139, 170, 220),
                             qRgb(92, 133, 200)};

namespace {

// The statistics bounding each band, widest first.
constexpr TBandStatistic BandLow[4] = {bsMin, bsP2_5, bsP12_5, bsP25};
constexpr TBandStatistic BandHigh[4] = {bsMax, bsP97_5, bsP87_5, bsP75};
const char* const BandLabels[4] = {"100 %", "95 %", "75 %", "50 %"};

void Widen(const std::vector<double>& values, double& low, double& high) {
    for (double v : values) {
        if (!std::isfinite(v)) continue;
        low = std::min(low, v);
        high = std::max(high, v);
    }
}

// The value range: every finite value shown, widened as the model's graphs widen equal limits.
void ChooseScale(const TBandGraphData& data, double& min, double& max) {
    min = std::numeric_limits<double>::infinity();
    max = -std::numeric_limits<double>::infinity();
    Widen(data.Bands.Statistic[bsMin], min, max);
    Widen(data.Bands.Statistic[bsMax], min, max);
    Widen(data.Own, min, max);
    if (!(min <= max)) {
        min = 0;
        max = 10;
    }
    ResolveScale(min, max);
}

class TBandPlot {
public:
    TBandPlot(QPainter& canvas, const TPlotArea& area, const TBandGraphData& data)
        : Canvas(canvas), Area(area) {
        const double span = data.Offsets.empty() ? 0 : data.Offsets.back() - data.Offsets.front();
        for (double offset : data.Offsets) {
            const double x =
                span > 0 ? (offset - data.Offsets.front()) * area.W / span : area.W / 2.0;
            Columns.push_back(area.Rect.Left + TruncToInt(x));
        }
    }

    int Row(double value) const {
        return static_cast<int>(ValueRow(Area, std::clamp(value, Area.MinY, Area.MaxY)));
    }

    // A shaded band between two series, in pieces where both are numbers.
    void Band(const std::vector<double>& low, const std::vector<double>& high, QRgb colour) {
        Canvas.setPen(Qt::NoPen);
        Canvas.setBrush(QColor(colour));
        const size_t n = std::min({Columns.size(), low.size(), high.size()});
        size_t s = 0;
        while (s < n) {
            while (s < n && !(std::isfinite(low[s]) && std::isfinite(high[s])))
                ++s;
            const size_t first = s;
            while (s < n && std::isfinite(low[s]) && std::isfinite(high[s]))
                ++s;
            if (s == first) continue;
            QPolygon shape;
            for (size_t i = first; i < s; ++i)
                shape << QPoint(Columns[i], Row(high[i]));
            for (size_t i = s; i-- > first;)
                shape << QPoint(Columns[i], Row(low[i]) + 1);
            if (s - first == 1) shape << QPoint(Columns[first] + 1, Row(low[first]) + 1);
            Canvas.drawPolygon(shape);
        }
    }

    // A line through the finite values, broken where one is not.
    void Line(const std::vector<double>& values, QRgb colour, int width) {
        QPen pen(QColor(colour), width);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        Canvas.setPen(pen);
        Canvas.setBrush(Qt::NoBrush);
        QPolygon line;
        auto flush = [&] {
            if (line.size() == 1) Canvas.drawPoint(line.front());
            if (line.size() > 1) Canvas.drawPolyline(line);
            line.clear();
        };
        const size_t n = std::min(Columns.size(), values.size());
        for (size_t i = 0; i < n; ++i) {
            if (!std::isfinite(values[i])) {
                flush();
                continue;
            }
            line << QPoint(Columns[i], Row(values[i]));
        }
        flush();
    }

private:
    QPainter& Canvas;
    const TPlotArea& Area;
    std::vector<int> Columns;
};

void DottedPen(QPainter& canvas, QRgb colour) {
    QPen pen(QColor(colour), 1);
    pen.setStyle(Qt::DotLine);
    pen.setCapStyle(Qt::FlatCap);
    canvas.setPen(pen);
}

void Legend(QPainter& canvas, const TDrawRect& rect, int32_t fontSize, double s) {
    SetLabelFont(canvas, fontSize);
    const int32_t swatch = std::max(6, TruncToInt(12 * s));
    const int32_t gap = TruncToInt(14 * s);
    const int32_t middle = (rect.Top + rect.Bottom) / 2;
    int32_t x = rect.Left;
    auto label = [&](const QString& text) {
        x += swatch + TruncToInt(4 * s);
        SetLabelFont(canvas, fontSize);
        TextAt(canvas, x, middle - TextHeight(canvas) / 2, text);
        x += TextWidth(canvas, text) + gap;
    };
    for (size_t b = 0; b < 4; ++b) {
        canvas.setPen(QColor(128, 128, 128));
        canvas.setBrush(QColor(BandColours[b]));
        canvas.drawRect(x, middle - swatch / 2, swatch, swatch);
        label(QString::fromLatin1(BandLabels[b]));
    }
    auto lineSwatch = [&](QRgb colour, const QString& text) {
        canvas.setPen(QPen(QColor(colour), std::max(1, TruncToInt(2 * s))));
        canvas.drawLine(x, middle, x + swatch, middle);
        label(text);
    };
    lineSwatch(MedianColour, QStringLiteral("Median"));
    lineSwatch(OwnRunColour, QStringLiteral("Model's own run"));
}

} // namespace

TBandGraphData MakeBandGraphData(const TSensitivityPlan& plan, const TSensitivityResults& results,
                                 size_t output, const std::string& timeUnit) {
    TBandGraphData data;
    if (output < plan.OutputNames.size()) data.Output = plan.OutputNames[output];
    data.TimeUnit = timeUnit;
    data.StartTime = plan.StartTime;
    data.Offsets = plan.Offsets;
    data.Bands = ComputeBands(results, output);
    data.TotalRuns = plan.Runs;
    if (results.BaseDone() && output < results.Outputs()) {
        const auto first =
            results.BaseRun().begin() + static_cast<std::ptrdiff_t>(output * results.Steps());
        data.Own.assign(first, first + static_cast<std::ptrdiff_t>(results.Steps()));
    }
    return data;
}

void PaintBandGraph(QPainter& canvas, const TDrawRect& rect, const TBandGraphData& data, double s) {
    if (rect.IsEmpty()) return;
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.fillRect(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()), Qt::white);
    const int32_t fontSize = std::max(1, TruncToInt(8 * s));
    const int32_t margin = std::max(2, TruncToInt(6 * s));

    // Title line: the output, and how many runs the bands hold.
    SetCanvasFont(canvas, TruncToInt(10 * s));
    canvas.setPen(Qt::black);
    const int32_t titleHeight = TextHeight(canvas);
    TextAt(canvas, rect.Left + margin, rect.Top + margin, QString::fromStdString(data.Output));
    SetLabelFont(canvas, fontSize);
    const std::string runs =
        data.Bands.Runs < data.TotalRuns
            ? CountText(data.Bands.Runs) + " of " + CountText(data.TotalRuns) + " runs"
            : CountText(data.Bands.Runs) + (data.Bands.Runs == 1 ? " run" : " runs");
    const QString runsText = QString::fromStdString(runs);
    TextAt(canvas, rect.Right - margin - TextWidth(canvas, runsText),
           rect.Top + margin + titleHeight - TextHeight(canvas), runsText);

    const int32_t legendHeight = TextHeight(canvas) + 2 * margin;
    TDrawRect plot{rect.Left + TruncToInt(60 * s), rect.Top + margin + titleHeight + margin,
                   rect.Right - margin, rect.Bottom - legendHeight - TruncToInt(30 * s)};
    const TDrawRect legendRect{plot.Left, rect.Bottom - legendHeight, rect.Right - margin,
                               rect.Bottom};

    const double start = data.StartTime;
    const double stop = data.Offsets.empty() ? start : start + data.Offsets.back();
    const TTickList timeTicks = CalcTimeTicks(data.TimeUnit, nullptr, stop, start);
    const double lastLength =
        timeTicks.empty() ? 0.0 : static_cast<double>(timeTicks.back().size());
    plot.Right -= TruncToInt(lastLength * 3 * s);
    if (plot.Right - plot.Left < 20 || plot.Bottom - plot.Top < 20) {
        canvas.restore();
        return;
    }
    double min = 0, max = 10;
    ChooseScale(data, min, max);
    const TTickList valueTicks = CalcValueTicks(max, min);
    const TPlotArea area = MakePlotArea(plot, min, max, 0, stop - start, 0);

    DrawValueLabels({rect.Left, plot.Top, plot.Left - 3, plot.Bottom}, canvas, valueTicks, fontSize,
                    max, min);
    DrawTimeLabels({plot.Left, plot.Bottom - 2, plot.Right, plot.Bottom + TruncToInt(30 * s)},
                   canvas, data.TimeUnit, fontSize, timeTicks, stop, start);

    canvas.setClipRect(QRect(plot.Left, plot.Top, plot.Width() + 1, plot.Height()),
                       Qt::IntersectClip);
    TBandPlot bands(canvas, area, data);
    for (size_t b = 0; b < 4; ++b)
        bands.Band(data.Bands.Statistic[BandLow[b]], data.Bands.Statistic[BandHigh[b]],
                   BandColours[b]);
    // Grid lines over the shades, so that values can be read inside the bands.
    DottedPen(canvas, qRgb(110, 110, 110));
    for (size_t i = 1; i < valueTicks.size(); ++i) {
        const int row = bands.Row(TickValue(valueTicks[i]));
        canvas.drawLine(plot.Left + 1, row, plot.Right, row);
    }
    if (stop > start) {
        for (size_t i = 1; i < timeTicks.size(); ++i) {
            const int column =
                plot.Left + TruncToInt((TickValue(timeTicks[i]) - start) * area.W / (stop - start));
            canvas.drawLine(column, plot.Top, column, plot.Bottom);
        }
    }
    const int lineWidth = std::max(1, TruncToInt(2 * s));
    bands.Line(data.Bands.Statistic[bsMedian], MedianColour, lineWidth);
    bands.Line(data.Own, OwnRunColour, lineWidth);
    canvas.setClipping(false);

    canvas.setPen(QPen(Qt::black, 1));
    canvas.drawLine(plot.Left, plot.Top, plot.Left, plot.Bottom);
    canvas.drawLine(plot.Left, plot.Bottom - 1, plot.Right, plot.Bottom - 1);
    Legend(canvas, legendRect, fontSize, s);
    canvas.restore();
}

TPictureResult WriteBandGraphPicture(const TBandGraphData& data, TPictureFormat format,
                                     int32_t width, int32_t height, const QString& title,
                                     QIODevice& device) {
    return WritePaintedPicture(format, width, height, title,
                               QStringLiteral("Quorvane sensitivity bands"), device,
                               [&](QPainter& canvas) {
                                   PaintBandGraph(canvas, {0, 0, width, height}, data);
                               });
}
