#pragma once
// Questions about the pixels of a picture: which are set, of which colour, where. Alpha is
// ignored throughout, so RGB32 and ARGB32 pictures answer alike. Qt Gui: never include it
// from the core tests.

#include <QtGui/QImage>
#include <QtGui/QPainter>

#include <cstdint>
#include <cstdlib>
#include <functional>

inline constexpr QRgb White = 0xFFFFFFFF;

inline bool SameColour(QRgb a, QRgb b) {
    return (a | 0xFF000000) == (b | 0xFF000000);
}

inline QImage WhiteImage(int32_t width, int32_t height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// A white picture painted by paint without antialiasing, as the diagram paints, with a
// two-pixel black pen as the graphs use for curves.
inline QImage Paint(int32_t width, int32_t height, const std::function<void(QPainter&)>& paint) {
    QImage image = WhiteImage(width, height);
    QPainter canvas(&image);
    QPen pen(QColor(Qt::black));
    pen.setWidth(2);
    canvas.setPen(pen);
    paint(canvas);
    canvas.end();
    return image;
}

// Whether (x, y) lies in the picture and has that colour.
inline bool Is(const QImage& image, int32_t x, int32_t y, QRgb colour) {
    return image.rect().contains(x, y) && SameColour(image.pixel(x, y), colour);
}

// Whether a pixel of that colour lies within radius of (x, y).
inline bool Near(const QImage& image, int32_t x, int32_t y, QRgb colour, int32_t radius = 2) {
    for (int32_t dy = -radius; dy <= radius; ++dy)
        for (int32_t dx = -radius; dx <= radius; ++dx)
            if (Is(image, x + dx, y + dy, colour)) return true;
    return false;
}

// Pixels of the area (clipped to the picture) for which match holds.
inline int64_t CountWhere(const QImage& image, const QRect& area,
                          const std::function<bool(QRgb)>& match) {
    int64_t count = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (match(image.pixel(x, y))) ++count;
    return count;
}

// Pixels of that colour in the area.
inline int32_t Count(const QImage& image, const QRect& area, QRgb colour) {
    return static_cast<int32_t>(
        CountWhere(image, area, [colour](QRgb p) { return SameColour(p, colour); }));
}
// The same for the columns left..right and rows top..bottom, both ends included.
inline int32_t Count(const QImage& image, int32_t left, int32_t top, int32_t right, int32_t bottom,
                     QRgb colour) {
    if (right < left || bottom < top) return 0;
    return Count(image, QRect(QPoint(left, top), QPoint(right, bottom)), colour);
}

// Pixels that are not white in the area, in the columns and rows given, or in the picture.
inline int32_t Ink(const QImage& image, const QRect& area) {
    return static_cast<int32_t>(
        CountWhere(image, area, [](QRgb p) { return !SameColour(p, White); }));
}
inline int32_t Ink(const QImage& image, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (right < left || bottom < top) return 0;
    return Ink(image, QRect(QPoint(left, top), QPoint(right, bottom)));
}
inline int64_t Ink(const QImage& image) {
    return CountWhere(image, image.rect(), [](QRgb p) { return !SameColour(p, White); });
}

inline bool AnyInk(const QImage& image, const QRect& area) {
    return Ink(image, area) > 0;
}
inline bool AnyInk(const QImage& image) {
    return Ink(image) > 0;
}

// The smallest rectangle holding every pixel that is not white (empty when none is).
inline QRect InkBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!SameColour(image.pixel(x, y), White)) bounds |= QRect(x, y, 1, 1);
    return bounds;
}

// The first row from top to bottom where column x has that colour; -1 when none has.
inline int32_t FirstRow(const QImage& image, int32_t x, int32_t top, int32_t bottom, QRgb colour) {
    for (int32_t y = top; y <= bottom; ++y)
        if (Is(image, x, y, colour)) return y;
    return -1;
}

// Pixels of two pictures of the same size whose colours differ in some channel by more than
// tolerance (so that anti-aliased edges may differ a little).
inline int64_t DifferingPixels(const QImage& a, const QImage& b, int tolerance = 64) {
    int64_t count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > tolerance ||
                std::abs(qGreen(p) - qGreen(q)) > tolerance ||
                std::abs(qBlue(p) - qBlue(q)) > tolerance)
                ++count;
        }
    return count;
}

// A white picture with a painter on it, as the diagram paints (no antialiasing). The
// questions end the painting first so that everything painted so far is counted, then
// begin again on the same picture.
struct TPicture {
    QImage Image;
    QPainter Canvas;

    TPicture(int32_t width, int32_t height) : Image(width, height, QImage::Format_RGB32) {
        Image.fill(Qt::white);
        Canvas.begin(&Image);
    }

    // Pixels of the area that are not white.
    int32_t Ink(const QRect& area) {
        Canvas.end();
        const int32_t count = ::Ink(Image, area);
        Canvas.begin(&Image);
        return count;
    }

    int32_t Pixels(const QRect& area, QRgb colour) {
        Canvas.end();
        const int32_t count = Count(Image, area, colour);
        Canvas.begin(&Image);
        return count;
    }
};
