#include "document/output/RenderImage.h"

#include <QtGui/QPainter>
#include <QtGui/QPdfWriter>
#include <QtSvg/QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace {

double Span(int32_t low, int32_t high) {
    return static_cast<double>(high) - static_cast<double>(low);
}

} // namespace

TDrawRect PictureArea(TDrawImage& image, bool selectedOnly) {
    const bool savedGroup = image.GroupSelection;
    image.GroupSelection = selectedOnly;
    TDrawRect content = image.MeasureContent();
    image.GroupSelection = savedGroup;
    if (content.IsEmpty()) return {0, 0, 0, 0};
    // A margin that would leave the 32-bit range is cut at its end.
    auto clampAdd = [](int32_t value, int32_t delta) {
        return static_cast<int32_t>(
            std::clamp<int64_t>(static_cast<int64_t>(value) + delta, INT32_MIN, INT32_MAX));
    };
    return {clampAdd(content.Left, -RenderMargin), clampAdd(content.Top, -RenderMargin),
            clampAdd(content.Right, RenderMargin), clampAdd(content.Bottom, RenderMargin)};
}

void PaintPicture(TDrawImage& image, QPainter& canvas, int32_t width, int32_t height,
                  const TDrawRect& area, bool selectedOnly) {
    canvas.fillRect(QRect(0, 0, width, height), Qt::white);
    image.RenderTo(canvas, width, height, selectedOnly, area);
}

bool PictureSize(const TDrawRect& area, double scale, int32_t maxSide, int32_t& width,
                 int32_t& height) {
    const double w = std::ceil(Span(area.Left, area.Right) * scale);
    const double h = std::ceil(Span(area.Top, area.Bottom) * scale);
    if (!(w <= maxSide && h <= maxSide)) return false;
    width = std::max(1, static_cast<int32_t>(w));
    height = std::max(1, static_cast<int32_t>(h));
    return true;
}

double FittingScale(const TDrawRect& area, int32_t maxSide) {
    const double longest = std::max(Span(area.Left, area.Right), Span(area.Top, area.Bottom));
    if (!(longest > maxSide)) return 1.0;
    // A little below the exact ratio, so that rounding up never passes the limit.
    return std::nextafter(maxSide / longest, 0.0);
}

TPictureResult WritePaintedPicture(TPictureFormat format, int32_t width, int32_t height,
                                   const QString& title, const QString& description,
                                   QIODevice& device, const std::function<void(QPainter&)>& paint) {
    bool painted = true;
    if (format == pfPng) {
        QImage picture(width, height, QImage::Format_RGB32);
        if (picture.isNull()) return prNoMemory;
        {
            QPainter canvas(&picture);
            paint(canvas);
        }
        painted = picture.save(&device, "PNG");
    } else if (format == pfSvg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&device);
        generator.setSize(QSize(width, height));
        generator.setViewBox(QRect(0, 0, width, height));
        generator.setResolution(96);
        generator.setTitle(title);
        generator.setDescription(description);
        QPainter canvas;
        painted = canvas.begin(&generator);
        if (painted) {
            paint(canvas);
            painted = canvas.end();
        }
    } else {
        QPdfWriter writer(&device);
        writer.setResolution(96);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Quorvane"));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setPageSize(QPageSize(QSizeF(width * 72.0 / 96, height * 72.0 / 96),
                                     QPageSize::Point, QString(), QPageSize::ExactMatch));
        QPainter canvas;
        painted = canvas.begin(&writer);
        if (painted) {
            paint(canvas);
            painted = canvas.end();
        }
    }
    return painted ? prPainted : prFailed;
}

TPictureResult WritePicture(TDrawImage& image, TPictureFormat format, int32_t width, int32_t height,
                            const TDrawRect& area, bool selectedOnly, const QString& title,
                            QIODevice& device) {
    return WritePaintedPicture(
        format, width, height, title, QStringLiteral("Quorvane diagram"), device,
        [&](QPainter& canvas) { PaintPicture(image, canvas, width, height, area, selectedOnly); });
}

QImage RenderRaster(TDrawImage& image, const TDrawRect& area, bool selectedOnly) {
    if (area.IsEmpty()) return {};
    int32_t width = 0, height = 0;
    if (!PictureSize(area, FittingScale(area, MaxRenderSide), MaxRenderSide, width, height))
        return {};
    QImage picture(width, height, QImage::Format_RGB32);
    if (picture.isNull()) return {};
    QPainter canvas(&picture);
    PaintPicture(image, canvas, width, height, area, selectedOnly);
    return picture;
}
