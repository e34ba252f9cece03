// Links and flow pipes: anchors, the Bezier curve with its arrow head and handles,
// dragging, and the pipe operations.
#include "diagram/DrawingObjects.h"

#include <QtGui/QPainter>

void TLinkInstance::Save(TFileObject& file) {
    TIOListObject::Save(file);
    file.WriteInteger(Kind);
    FromElement.Save(file);
    ToElement.Save(file);
    for (TDrawPoint p : {StartOffset, EndOffset, StartControl, EndControl}) {
        file.WriteInteger(p.X);
        file.WriteInteger(p.Y);
    }
}

void TLinkInstance::Load(TFileObject& file) {
    ClearDrawState();
    TDrawImage* image = Image();
    if (!image) throw EFileException("A link can only be read into a diagram");
    int32_t kind = file.ReadInteger();
    // An unknown kind is kept so that Validate can report it; it paints as a link.
    Kind = static_cast<uint8_t>(kind >= 0 && kind <= 255 ? kind : 255);
    FromElement.Load(image->Elements, file);
    ToElement.Load(image->Elements, file);
    for (TDrawPoint* p : {&StartOffset, &EndOffset, &StartControl, &EndControl}) {
        p->X = file.ReadInteger();
        p->Y = file.ReadInteger();
    }
    ControlBox = EmptyRect;
}

TDrawPoint TLinkInstance::StartPoint() const {
    return StartOffset;
}
TDrawPoint TLinkInstance::EndPoint() const {
    return EndOffset;
}
int32_t TLinkInstance::FlowDirection() const {
    return 1;
}
void TLinkInstance::SetDefaultPipeGeometry(bool) {}
void TLinkInstance::ReversePipe(TVariableObject*) {}
void TLinkInstance::DragTo(int32_t, int32_t, bool) {}
void TLinkInstance::Paint(const TDrawRect&, QPainter&, double) {}
