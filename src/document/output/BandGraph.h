#pragma once
// The band graph of a sensitivity analysis: for one output, nested shaded bands holding
// 100, 95, 75 and 50 % of the runs, the median line and the model's own run over them, with
// the time axis and number formats of the model's graphs. One painter for the results
// window, pictures, PDF and print.

#include "core/analysis/Sensitivity.h"
#include "document/diagram/DrawingObjects.h"
#include "document/output/RenderImage.h"

#include <QtCore/QString>
#include <QtGui/QColor>

#include <string>
#include <vector>

class QIODevice;
class QPainter;

struct TBandGraphData {
    std::string Output;   // the output's name, the graph's title
    std::string TimeUnit; // the time axis' title
    double StartTime = 0;
    std::vector<double> Offsets; // the steps' time offsets
    TOutputBands Bands;          // over Bands.Runs runs
    size_t TotalRuns = 0;
    std::vector<double> Own; // the model's own run; empty when not (yet) there
};

// The data of output (an index into the plan's outputs) as far as the runs are done.
TBandGraphData MakeBandGraphData(const TSensitivityPlan& plan, const TSensitivityResults& results,
                                 size_t output, const std::string& timeUnit);

// The shades of the bands from the widest (100 %) to the narrowest (50 %), and the lines.
extern const QRgb BandColours[4];
inline constexpr QRgb MedianColour = qRgb(16, 52, 120);
inline constexpr QRgb OwnRunColour = qRgb(200, 30, 30);

// Paints the graph into rect (pixels) at scale s (1 on screen at 100 %; fonts and margins
// grow with it for print), on a white background.
void PaintBandGraph(QPainter& canvas, const TDrawRect& rect, const TBandGraphData& data,
                    double s = 1);

// A picture's default size in pixels.
inline constexpr int32_t BandPictureWidth = 800;
inline constexpr int32_t BandPictureHeight = 500;

// The graph as a PNG, SVG or PDF picture of width x height pixels, written to device.
TPictureResult WriteBandGraphPicture(const TBandGraphData& data, TPictureFormat format,
                                     int32_t width, int32_t height, const QString& title,
                                     QIODevice& device);
