#pragma once
// A model with a graph control whose entries show its elements, and a white picture to
// paint the graph's parts into.

#include "document/diagram/DrawingObjects.h"
#include "document/output/GraphCanvas.h"
#include "document/output/GraphDrawing.h"

#include <QtGui/QImage>
#include <QtGui/QPainter>

#include <initializer_list>
#include <memory>
#include <string>

struct TGraphLayoutFixture {
    TSimulationObject Model;
    TGraphInstance Graph;

    // An element whose Simulated series holds values at times 0, 1, 2, ...
    TVariableObject* Element(const std::string& name, std::initializer_list<double> values = {}) {
        TVariableObject* element = Model.NewElement(ekVariable);
        element->Name = name;
        double time = 0;
        for (double value : values)
            element->Simulated.AddPoint(time++, value);
        return element;
    }

    TVariableDataLink* Entry(TVariableObject* element, uint8_t kind = skSimulated, int32_t run = -1,
                             bool visible = true, int32_t colour = 0x0000FF) {
        auto entry = std::make_unique<TVariableDataLink>();
        entry->Variable.SetTarget(element);
        entry->SeriesKind = kind;
        entry->Run = run;
        entry->Visible = visible;
        entry->Colour = colour;
        TVariableDataLink* added = entry.get();
        Graph.Series.AddItem(std::move(entry));
        return added;
    }
};

// A white picture with a painter on it, as the diagram paints (no antialiasing).
struct TPicture {
    QImage Image;
    QPainter Canvas;

    TPicture(int32_t width, int32_t height) : Image(width, height, QImage::Format_RGB32) {
        Image.fill(Qt::white);
        Canvas.begin(&Image);
    }

    // Pixels of the area (x, y, width, height) that are not white.
    int32_t Ink(const QRect& area) {
        Canvas.end();
        int32_t count = 0;
        const QRect inside = area.intersected(Image.rect());
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                if (Image.pixel(x, y) != qRgb(255, 255, 255)) ++count;
        Canvas.begin(&Image);
        return count;
    }

    int32_t Pixels(const QRect& area, QRgb colour) {
        Canvas.end();
        int32_t count = 0;
        const QRect inside = area.intersected(Image.rect());
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                if ((Image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) ++count;
        Canvas.begin(&Image);
        return count;
    }
};
