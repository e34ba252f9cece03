#pragma once
// The model builder with a diagram: every element added also gets a shape, links are drawn,
// notes placed. Works on a document (TDataFile) or on a bare model with its drawing.

#include "support/ModelBuilder.h"

#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"

#include <memory>
#include <string>

class TDiagramBuilder : public TModelBuilder {
public:
    TDiagramBuilder(TSimulationObject& model, TDrawImage& image)
        : TModelBuilder(model), Image(image) {}
    explicit TDiagramBuilder(TDataFile& document)
        : TDiagramBuilder(*document.Simulation, document.Image()) {}

    // An element with its shape at drawing point (x, y), made by hand so that nothing but
    // the shape itself is added to the diagram.
    TVariableObject* Element(uint8_t kind, const std::string& name, const std::string& equation,
                             int32_t x = 100, int32_t y = 100) {
        TVariableObject& element = TModelBuilder::Add(kind, name, equation);
        auto shape = std::make_unique<TVariableInstance>();
        shape->Position = {x, y};
        shape->Variable.SetTarget(&element);
        shape->Owner = &Image;
        Image.Elements.AddItem(std::move(shape));
        return &element;
    }

    // An element placed as the drawing tools place it (view pixels at 100 % without
    // scrolling); a flow gets its valve and pipe.
    TVariableInstance* Place(uint8_t kind, const std::string& name, int32_t x, int32_t y) {
        TVariableObject* element = &TModelBuilder::Add(kind, name);
        if (kind == ekFlow) return Image.AddFlow(x, y, element);
        return Image.AddElement(x, y, false, element);
    }

    TVariableInstance* ShapeOf(const TVariableObject* element) const {
        for (TVariableInstance* shape : Image.Elements)
            if (shape->Var() == element && !shape->IsClone) return shape;
        return nullptr;
    }

    // An information link in the model and drawn between the two shapes.
    TLinkInstance* DrawnLink(TVariableObject* from, TVariableObject* to) {
        Link(*from, *to);
        auto link = std::make_unique<TLinkInstance>();
        link->FromElement.SetTarget(ShapeOf(from));
        link->ToElement.SetTarget(ShapeOf(to));
        link->Owner = &Image;
        TLinkInstance* added = link.get();
        Image.Links.AddItem(std::move(link));
        return added;
    }

    TNoteInstance* Note(const std::string& text, TDrawRect frame) {
        auto note = std::make_unique<TNoteInstance>();
        note->Frame = frame;
        note->SetText(text);
        note->Owner = &Image;
        TNoteInstance* added = note.get();
        Image.OutputControls.AddItem(std::move(note));
        return added;
    }

    TDrawImage& Image;
};

// Loads a model text through the document loader; none when it does not load, with the
// reason in message.
inline std::unique_ptr<TDataFile> LoadText(const std::string& text,
                                           std::string* message = nullptr) {
    std::string why;
    auto document = TDataFile::LoadModelText(text, "", why);
    if (message) *message = why;
    return document;
}
