// Notes, tables and graphs on the diagram: frames, handles, resizing, note text,
// column widths, kept runs and their records.
#include "document/diagram/DrawingObjects.h"

#include "core/support/NumberFormat.h"

#include "document/diagram/PaintHelpers.h"
#include "document/output/GraphDrawing.h"
#include "document/output/TableDrawing.h"

#include <QtGui/QFontMetrics>
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
    FrameRect = EmptyRect;
}

namespace {

// The eight handle points of a frame in view pixels: 1 top-left, 2 top, 3 top-right, 4 left,
// 5 right, 6 bottom-left, 7 bottom, 8 bottom-right.
std::array<TDrawPoint, 8> HandlePoints(const TDrawRect& r) {
    std::array<TDrawPoint, 8> points;
    size_t n = 0;
    for (int32_t j = 0; j < 3; ++j)
        for (int32_t i = 0; i < 3; ++i)
            if (i != 1 || j != 1)
                points[n++] = {r.Left + i * (r.Width() / 2), r.Top + j * (r.Height() / 2)};
    return points;
}

} // namespace

void TOutputControlInstance::Paint(const TDrawRect& visible, QPainter& canvas, double scale) {
    Bounds = Frame;
    BoundsValid = true;
    Drawn = false;
    if (!visible.Intersects(Bounds)) {
        // Off screen: an old hit area must not answer for it.
        HitRect = EmptyRect;
        return;
    }
    const QRgb colour = Selected ? SelectedColour : NormalColour;
    HitRect = ToView(Frame, visible, scale);
    FrameRect = HitRect;
    canvas.fillRect(HitRect.ToQRect(), Qt::white);
    canvas.setPen(DiagramPen(colour, 1));
    canvas.setBrush(Qt::NoBrush);
    if (!HitRect.IsEmpty())
        canvas.drawRect(GdiRect(HitRect.Left, HitRect.Top, HitRect.Right, HitRect.Bottom));
    Drawn = !HitRect.IsEmpty();
    if (!Drawn) return;

    canvas.save();
    PaintContent(visible, canvas, colour, scale);
    canvas.restore();

    TDrawImage* image = Image();
    if (Selected && !(image && image->GroupSelection)) {
        for (TDrawPoint h : HandlePoints(HitRect))
            canvas.fillRect(
                QRect(h.X - HandleSize, h.Y - HandleSize, 2 * HandleSize, 2 * HandleSize),
                Qt::black);
        HitRect = HitRect.Inflated(HandleSize, HandleSize);
    }
}

void TOutputControlInstance::DragTo(int32_t x, int32_t y, bool /*alternate*/) {
    TDrawImage* image = Image();
    if (!image) return;
    const double s = image->Scale;
    const TDrawPoint q = ToDrawing(x, y, image->VisibleArea, s);
    if (DragStarting) {
        DragPart = 0;
        const TDrawPoint grab = DragOffset;
        if (Drawn && !image->GroupSelection) {
            const int32_t t = s > 1 ? TruncToInt(4 * s) : 4;
            // The handles as painted, so that grabbing one does not make the edge jump.
            const auto handles = HandlePoints(FrameRect);
            for (size_t i = 0; i < handles.size(); ++i) {
                const TDrawPoint h = handles[i];
                if (TDrawRect{h.X - t, h.Y - t, h.X + t, h.Y + t}.Contains(grab)) {
                    DragPart = static_cast<int32_t>(i) + 1;
                    DragOffset = {TruncToInt((h.X - grab.X) / s), TruncToInt((h.Y - grab.Y) / s)};
                    break;
                }
            }
        }
        if (DragPart == 0)
            DragOffset = TDrawPoint{Frame.Left, Frame.Top} -
                         ToDrawing(grab.X, grab.Y, image->VisibleArea, s);
        DragStarting = false;
    }
    const TDrawPoint p = q + DragOffset;
    const int32_t part = DragPart;
    if (part == 0) {
        Frame = Frame.Moved(p.X - Frame.Left, p.Y - Frame.Top);
        Bounds = Frame;
    } else {
        if (part == 1 || part == 4 || part == 6) Frame.Left = std::min(p.X, Frame.Right - 30);
        if (part == 3 || part == 5 || part == 8) Frame.Right = std::max(p.X, Frame.Left + 30);
        if (part == 1 || part == 2 || part == 3) Frame.Top = std::min(p.Y, Frame.Bottom - 30);
        if (part == 6 || part == 7 || part == 8) Frame.Bottom = std::max(p.Y, Frame.Top + 30);
    }
    InvalidateBounds();
}

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

std::vector<std::string> WrapNoteLine(const std::string& line, int32_t limit) {
    limit = std::max(limit, 1);
    // Words keep the blank, hyphen or tab that ends them.
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        word += c;
        if (c == ' ' || c == '-' || c == '\t') {
            words.push_back(word);
            word.clear();
        }
    }
    if (!word.empty()) words.push_back(word);

    std::vector<std::string> pieces;
    std::string piece;
    for (const std::string& w : words) {
        if (!piece.empty() && piece.size() + w.size() > static_cast<size_t>(limit)) {
            pieces.push_back(piece);
            piece.clear();
        }
        piece += w;
    }
    pieces.push_back(piece); // an empty line still takes a row
    return pieces;
}

void TNoteInstance::PaintContent(const TDrawRect& /*visible*/, QPainter& canvas, QRgb colour,
                                 double scale) {
    if (!Drawn) return;
    const TDrawRect r = HitRect.Inflated(-HandleSize, -HandleSize);
    const int32_t points = TruncToInt(8 * scale);
    if (points < 1 || r.IsEmpty()) return;
    const QFont font = DiagramFont(points);
    const QFontMetrics metrics(font, canvas.device());
    canvas.setFont(font);
    canvas.setPen(QColor(colour));
    canvas.setBrush(Qt::white);
    const int32_t h = metrics.height(); // of "TEST": one line of the font
    int32_t k = 0;
    for (const std::string& line : Lines) {
        const QString text = QString::fromStdString(line);
        const double w = metrics.horizontalAdvance(text);
        const double perCharacter = (w + 10) / (static_cast<double>(text.size()) + 1);
        const int32_t limit = TruncToInt(r.Width() / perCharacter);
        for (const std::string& piece : WrapNoteLine(line, limit)) {
            const int32_t top = r.Top + k * h;
            if (top >= r.Bottom) return;
            canvas.save();
            canvas.setClipRect(QRect(r.Left, top, r.Width(), std::min(h, r.Bottom - top)));
            canvas.drawText(QPoint(r.Left, top + metrics.ascent()), QString::fromStdString(piece));
            canvas.restore();
            ++k;
        }
    }
}

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
    // Rows are Interval steps apart: a damaged value must not stall the table.
    Interval = std::max(file.ReadInteger(), 1);
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
    // Each entry is a column: its width goes with it and the others keep theirs.
    for (int32_t i = Series.Count() - 1; i >= 0; --i) {
        if (Series[i]->Var() != variable) continue;
        Series.Delete(i);
        DeleteColumn(i);
    }
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

void TTableInstance::PaintContent(const TDrawRect& /*visible*/, QPainter& canvas, QRgb colour,
                                  double scale) {
    PaintTableControl(*this, canvas, colour, scale);
}

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
    // An automatic bound is written as the flag alone, so a bound after the flag is a number.
    if (file.ReadInteger() != 1) YMin = file.ReadFiniteFloat();
    if (file.ReadInteger() != 1) YMax = file.ReadFiniteFloat();
}

void TGraphInstance::PaintContent(const TDrawRect& /*visible*/, QPainter& canvas, QRgb colour,
                                  double scale) {
    PaintGraphControl(*this, canvas, colour, scale);
}
