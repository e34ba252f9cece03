#pragma once
// Pictures of the diagram (PNG, SVG with text as text, PDF) through the drawing's own
// painting: the command line's render and the program's Copy Image share these.

#include "document/diagram/DrawingObjects.h"

#include <QtCore/QString>
#include <QtGui/QImage>

#include <cstdint>
#include <functional>

class QIODevice;

// Blank drawing units kept around the content so that nothing touches the picture's edge.
inline constexpr int32_t RenderMargin = 10;
// No side of a raster picture may exceed this many pixels.
inline constexpr int32_t MaxRenderSide = 16384;

enum TPictureFormat { pfPng, pfSvg, pfPdf };
enum TPictureResult { prPainted, prNoMemory, prFailed };

// The drawing units a picture shows: every object (or only the selected ones) with the
// margin around them. Brings the objects' bounds up to date first. Empty when there is
// nothing to show.
TDrawRect PictureArea(TDrawImage& image, bool selectedOnly);

// Paints area onto a white canvas of width x height pixels.
void PaintPicture(TDrawImage& image, QPainter& canvas, int32_t width, int32_t height,
                  const TDrawRect& area, bool selectedOnly);

// The picture of area at width x height pixels, written to device in the format.
TPictureResult WritePicture(TDrawImage& image, TPictureFormat format, int32_t width, int32_t height,
                            const TDrawRect& area, bool selectedOnly, const QString& title,
                            QIODevice& device);

// A picture of width x height pixels that paint paints, written to device in the format.
TPictureResult WritePaintedPicture(TPictureFormat format, int32_t width, int32_t height,
                                   const QString& title, const QString& description,
                                   QIODevice& device, const std::function<void(QPainter&)>& paint);

// The pixel size of area at the scale, each side at least 1; false when a side would
// exceed maxSide.
bool PictureSize(const TDrawRect& area, double scale, int32_t maxSide, int32_t& width,
                 int32_t& height);
// The largest scale up to 1 at which area fits maxSide pixels on both sides.
double FittingScale(const TDrawRect& area, int32_t maxSide);

// A raster picture of area scaled down to fit MaxRenderSide; a null image when there is
// nothing to show or no memory for it.
QImage RenderRaster(TDrawImage& image, const TDrawRect& area, bool selectedOnly);
