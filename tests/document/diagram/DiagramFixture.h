#pragma once
// A model with its drawing for the diagram tests, painted into an image like the view.

#include "document/diagram/DrawingObjects.h"

#include <QtGui/QImage>
#include <QtGui/QPainter>

#include <string>

struct TDiagramFixture {
    TSimulationObject Model;
    TDrawImage Image;

    TDiagramFixture() { Image.Model = &Model; }

    TVariableObject* Variable(uint8_t kind, const std::string& name,
                              const std::string& equation = "") {
        TVariableObject* v = Model.NewElement(kind);
        v->Name = name;
        v->Equation = equation;
        return v;
    }

    // A shape at drawing point (x, y), as the tools place it at 100 % without scrolling.
    TVariableInstance* Place(uint8_t kind, const std::string& name, int32_t x, int32_t y) {
        TVariableObject* v = Variable(kind, name);
        if (kind == ekFlow) return Image.AddFlow(x, y, v);
        return Image.AddElement(x, y, false, v);
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

    // Whether any pixel of the rectangle (view pixels) is not white.
    static bool AnyInk(const QImage& picture, const QRect& area) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (picture.pixel(x, y) != qRgb(255, 255, 255)) return true;
        return false;
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
