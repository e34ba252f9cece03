#pragma once
// A model with its drawing for the diagram tests, painted into an image like the view.

#include "support/DiagramBuilder.h"
#include "support/PixelKit.h"

#include "document/diagram/DrawingObjects.h"

#include <QtGui/QImage>
#include <QtGui/QPainter>

#include <string>

struct TDiagramFixture {
    TSimulationObject Model;
    TDrawImage Image;
    TDiagramBuilder Build{Model, Image};

    TDiagramFixture() { Image.Model = &Model; }

    TVariableObject* Variable(uint8_t kind, const std::string& name,
                              const std::string& equation = "") {
        return &Build.Add(kind, name, equation);
    }

    // A shape at drawing point (x, y), as the tools place it at 100 % without scrolling.
    TVariableInstance* Place(uint8_t kind, const std::string& name, int32_t x, int32_t y) {
        return Build.Place(kind, name, x, y);
    }

    // Paints the whole drawing as the view does and returns the picture.
    QImage Paint(int32_t width = 800, int32_t height = 600) {
        QImage picture(width, height, QImage::Format_ARGB32);
        picture.fill(Qt::white);
        QPainter canvas(&picture);
        Image.PaintAll(canvas, width, height);
        return picture;
    }

    void SetZoom(float zoom) {
        Image.Zoom = zoom;
        Paint();
    }
};

inline bool HasDependency(TVariableObject* element, TVariableObject* source, bool isFlow) {
    for (TDependency* dependency : element->Dependencies)
        if (dependency->Source.GetTarget() == source && dependency->IsFlow == isFlow) return true;
    return false;
}

inline const TDependency* FlowDependency(TVariableObject* resource, TVariableObject* flow) {
    for (TDependency* dependency : resource->Dependencies)
        if (dependency->IsFlow && dependency->Source.GetTarget() == flow) return dependency;
    return nullptr;
}
