// Notes, tables and graphs on the diagram: frames, handles, resizing, note text,
// column widths, kept runs and their records.
#include "diagram/DrawingObjects.h"

#include "support/NumberFormat.h"

#include <QtGui/QPainter>

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------------------------------------
// TOutputControlInstance

void TOutputControlInstance::Save(TFileObject& file) {
    TIOListObject::Save(file);
    file.WriteInteger(Frame.Top);
    file.WriteInteger(Frame.Left);
    file.WriteInteger(Frame.Bottom);
    file.WriteInteger(Frame.Right);
}

void TOutputControlInstance::Load(TFileObject& file) {
    ClearDrawState();
    Frame.Top = file.ReadInteger();
    Frame.Left = file.ReadInteger();
    Frame.Bottom = file.ReadInteger();
    Frame.Right = file.ReadInteger();
}

void TOutputControlInstance::DragTo(int32_t, int32_t, bool) {}
void TOutputControlInstance::Paint(const TDrawRect&, QPainter&, double) {}

// ---------------------------------------------------------------------------------------------
// TNoteInstance

std::string TNoteInstance::Text() const {
    std::string text;
    for (const std::string& line : Lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void TNoteInstance::SetText(const std::string& text) {
    Lines.clear();
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            Lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) Lines.push_back(line);
}

void TNoteInstance::Save(TFileObject& file) {
    TOutputControlInstance::Save(file);
    file.WriteString(Text());
}

void TNoteInstance::Load(TFileObject& file) {
    TOutputControlInstance::Load(file);
    SetText(file.ReadString());
}

void TNoteInstance::PaintContent(const TDrawRect&, QPainter&, QRgb, double) {}

// ---------------------------------------------------------------------------------------------
// TVariableDataLink

const TDataSeries* TVariableDataLink::DataSeries() const {
    if (!Live) return &OwnSeries;
    TVariableObject* variable = Var();
    if (!variable) return nullptr;
    switch (SeriesKind) {
    case skSketched:
        return &variable->Sketched;
    case skDerived:
        return &variable->Derived;
    default:
        return &variable->Simulated;
    }
}

void TVariableDataLink::Save(TFileObject& file) {
    TIOListObject::Save(file);
    Variable.Save(file);
    file.WriteInteger(SeriesKind);
    file.WriteBoolean(Live);
    file.WriteInteger(Run);
    file.WriteInteger(Colour);
    file.WriteBoolean(Visible);
    if (!Live) OwnSeries.Save(file);
}

void TVariableDataLink::Load(TFileObject& file) {
    auto* control = dynamic_cast<TDrawObject*>(Owner);
    TDrawImage* image = control ? control->Image() : nullptr;
    TVariableList* variables = image ? image->ModelVariables() : nullptr;
    if (!variables)
        throw EFileException("A series of a table or graph can only be read into a model");
    Variable.Load(*variables, file);
    int32_t kind = file.ReadInteger();
    if (kind < skSketched || kind > skSimulated)
        throw EConvertError("'" + IntToStr(kind) + "' is not a valid series kind");
    SeriesKind = static_cast<uint8_t>(kind);
    Live = file.ReadBoolean();
    Run = file.ReadInteger();
    Colour = file.ReadInteger();
    Visible = file.ReadBoolean();
    OwnSeries.Clear();
    if (!Live) OwnSeries.Load(file);
}

int32_t ComparisonColour(int32_t run) {
    static constexpr QRgb colours[10] = {qRgb(255, 0, 0),   qRgb(0, 128, 0),     qRgb(0, 0, 255),
                                         qRgb(128, 0, 128), qRgb(128, 128, 128), qRgb(255, 0, 255),
                                         qRgb(0, 255, 255), qRgb(255, 255, 0),   qRgb(0, 255, 0),
                                         qRgb(128, 0, 0)};
    int32_t i = run % 10;
    if (i < 0) i += 10;
    return ColourToInt(QColor(colours[i]));
}

// ---------------------------------------------------------------------------------------------
// TTableGraphOutputInstance

void TTableGraphOutputInstance::Save(TFileObject& file) {
    TOutputControlInstance::Save(file);
    Series.Save(file);
}

void TTableGraphOutputInstance::Load(TFileObject& file) {
    TOutputControlInstance::Load(file);
    Series.TIOObjectList::LoadItems(file, [this]() -> std::unique_ptr<TIOListObject> {
        auto entry = std::make_unique<TVariableDataLink>();
        entry->Owner = this; // binds against the drawing's model
        return entry;
    });
}

void TTableGraphOutputInstance::RemoveVariable(TVariableObject* variable) {
    for (int32_t i = Series.Count() - 1; i >= 0; --i)
        if (Series[i]->Var() == variable) Series.Delete(i);
}

// ---------------------------------------------------------------------------------------------
// TTableInstance

void TTableInstance::Save(TFileObject& file) {
    TTableGraphOutputInstance::Save(file);
    file.WriteInteger(Interval);
    file.WriteInteger(ColumnCount());
    for (int32_t width : ColumnWidths)
        file.WriteInteger(width);
}

void TTableInstance::Load(TFileObject& file) {
    TTableGraphOutputInstance::Load(file);
    Interval = file.ReadInteger();
    ColumnWidths.clear();
    if (file.FileVersionLess("1.0.4.69", 4)) {
        ColumnWidths.assign(static_cast<size_t>(Series.Count()), 60);
        return;
    }
    int32_t count = file.ReadInteger();
    if (count > 0)
        ColumnWidths.reserve(
            std::min<size_t>(static_cast<size_t>(count), file.RemainingTokenCapacity()));
    for (int32_t i = 0; i < count; ++i)
        ColumnWidths.push_back(file.ReadInteger());
}

void TTableInstance::RemoveVariable(TVariableObject* variable) {
    TTableGraphOutputInstance::RemoveVariable(variable);
}

void TTableInstance::DeleteColumn(int32_t i) {
    if (i < 0 || i >= ColumnCount()) return;
    ColumnWidths.erase(ColumnWidths.begin() + i);
}

void TTableInstance::SwapColumns(int32_t i, int32_t j) {
    if (i < 0 || i >= ColumnCount() || j < 0 || j >= ColumnCount()) return;
    std::swap(ColumnWidths[static_cast<size_t>(i)], ColumnWidths[static_cast<size_t>(j)]);
}

void TTableInstance::SetColumnWidth(int32_t i, int32_t width) {
    if (i < 0 || i >= ColumnCount() || width < 0) return;
    ColumnWidths[static_cast<size_t>(i)] = width;
}

int32_t TTableInstance::ColumnWidth(int32_t i) const {
    if (i < 0 || i >= ColumnCount()) return 0;
    return ColumnWidths[static_cast<size_t>(i)];
}

void TTableInstance::PaintContent(const TDrawRect&, QPainter&, QRgb, double) {}

// ---------------------------------------------------------------------------------------------
// TGraphInstance

void TGraphInstance::Save(TFileObject& file) {
    TTableGraphOutputInstance::Save(file);
    file.WriteBoolean(ShowLegend);
    for (double bound : {YMin, YMax}) {
        if (std::isinf(bound)) {
            file.WriteInteger(1);
        } else {
            file.WriteInteger(0);
            file.WriteFloat(bound);
        }
    }
}

void TGraphInstance::Load(TFileObject& file) {
    TTableGraphOutputInstance::Load(file);
    ShowLegend = file.FileVersionLess("1.0.4.70", 4) ? true : file.ReadBoolean();
    YMin = std::numeric_limits<double>::infinity();
    YMax = -std::numeric_limits<double>::infinity();
    if (file.FileVersionLess("1.0.8.120", 4)) return;
    if (file.ReadInteger() != 1) YMin = file.ReadFloat();
    if (file.ReadInteger() != 1) YMax = file.ReadFloat();
}

void TGraphInstance::PaintContent(const TDrawRect&, QPainter&, QRgb, double) {}
