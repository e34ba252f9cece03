// Element shapes: the box with its graph, the value and name labels, dragging, and the
// flow shape with its two pipes.
#include "diagram/DrawingObjects.h"

#include <QtGui/QPainter>

namespace {

void SavePoint(TFileObject& file, TDrawPoint p) {
    file.WriteInteger(p.X);
    file.WriteInteger(p.Y);
}

TDrawPoint LoadPoint(TFileObject& file) {
    TDrawPoint p;
    p.X = file.ReadInteger();
    p.Y = file.ReadInteger();
    return p;
}

} // namespace

void TVariableInstance::Save(TFileObject& file) {
    TIOListObject::Save(file);
    SavePoint(file, Position);
    file.WriteBoolean(IsClone);
    Variable.Save(file);
    file.WriteBoolean(ShowGraph);
    file.WriteBoolean(ShowValue);
    SavePoint(file, ShapeOffset);
    SavePoint(file, ValueLabelOffset);
    SavePoint(file, NameLabelOffset);
}

void TVariableInstance::Load(TFileObject& file) {
    ClearDrawState();
    TDrawImage* image = Image();
    TVariableList* variables = image ? image->ModelVariables() : nullptr;
    if (!variables) throw EFileException("A diagram shape can only be read into a model");
    Position = LoadPoint(file);
    IsClone = file.ReadBoolean();
    Variable.Load(*variables, file);
    ShowGraph = file.ReadBoolean();
    ShowValue = file.ReadBoolean();
    ShapeOffset = LoadPoint(file);
    ValueLabelOffset = LoadPoint(file);
    NameLabelOffset = LoadPoint(file);
    ValueLabelRect = EmptyRect;
    NameLabelRect = EmptyRect;
}

void TVariableInstance::SetDefaultLayout() {}
void TVariableInstance::DragTo(int32_t, int32_t, bool) {}
void TVariableInstance::Paint(const TDrawRect&, QPainter&, double) {}

void TFlowInstance::Save(TFileObject& file) {
    TVariableInstance::Save(file);
    file.WriteInteger(Direction);
    InflowPipe.Save(file);
    OutflowPipe.Save(file);
}

void TFlowInstance::Load(TFileObject& file) {
    TVariableInstance::Load(file);
    TDrawImage* image = Image();
    if (file.FileVersionLess("1.0.2", 3))
        Direction = 1;
    else
        Direction = file.ReadInteger() < 0 ? -1 : 1; // only the sign has a meaning
    InflowPipe.Load(image->Links, file);
    OutflowPipe.Load(image->Links, file);
}

void TFlowInstance::Reverse() {}
