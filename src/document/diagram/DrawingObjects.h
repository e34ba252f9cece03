#pragma once
// The diagram: element shapes, links and flow pipes, notes, tables and graphs, and
// the drawing that holds them, paints them with a QPainter, hit-tests, selects,
// removes, copies and pastes them. One painting path serves the view, images,
// printing and the command line.

#include "core/model/DataSeries.h"
#include "core/model/SimulationObjects.h"
#include "core/model/VariableLink.h"
#include "core/persistence/FileItems.h"

#include <QtGui/QColor>
#include <QtGui/QImage>

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

class QPainter;
class QRect;
class TDrawImage;
class TLinkInstance;

// ---------------------------------------------------------------------------------------------
// Drawing units: signed 32-bit, one unit is a pixel at 100 %. Conversions truncate toward zero.

struct TDrawPoint {
    int32_t X = 0;
    int32_t Y = 0;
    friend TDrawPoint operator+(TDrawPoint a, TDrawPoint b) { return {a.X + b.X, a.Y + b.Y}; }
    friend TDrawPoint operator-(TDrawPoint a, TDrawPoint b) { return {a.X - b.X, a.Y - b.Y}; }
    friend TDrawPoint operator-(TDrawPoint a) { return {-a.X, -a.Y}; }
    friend bool operator==(TDrawPoint a, TDrawPoint b) = default;
};

// Left and top inside, right and bottom outside; empty when right <= left or bottom <= top.
struct TDrawRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(TDrawPoint p) const {
        return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom;
    }
    // The two rectangles share at least one point (empty ones never meet anything).
    bool Intersects(const TDrawRect& other) const;
    TDrawRect Intersected(const TDrawRect& other) const;
    // The union with an empty rectangle is the other rectangle.
    TDrawRect United(const TDrawRect& other) const;
    TDrawRect Moved(int32_t dx, int32_t dy) const {
        return {Left + dx, Top + dy, Right + dx, Bottom + dy};
    }
    TDrawRect Inflated(int32_t dx, int32_t dy) const {
        return {Left - dx, Top - dy, Right + dx, Bottom + dy};
    }
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    QRect ToQRect() const; // same pixels as a QRect (x, y, width, height)
    friend bool operator==(const TDrawRect& a, const TDrawRect& b) = default;
};

inline constexpr TDrawRect EmptyRect{-1, -1, -1, -1};

// Drawing to view: Trunc((x - V.Left) * s). View to drawing: Trunc(x / s + V.Left).
TDrawPoint ToView(TDrawPoint p, const TDrawRect& visible, double scale);
TDrawRect ToView(const TDrawRect& r, const TDrawRect& visible, double scale);
TDrawPoint ToDrawing(int32_t x, int32_t y, const TDrawRect& visible, double scale);
// Truncation toward zero that also survives values outside the 32-bit range.
int32_t TruncToInt(double value);

inline constexpr QRgb NormalColour = qRgb(0, 0, 0);
inline constexpr QRgb HighlightColour = qRgb(255, 255, 0);
inline constexpr QRgb SelectedColour = qRgb(0, 128, 0);
inline constexpr QRgb CloneColour = qRgb(128, 128, 128);
inline constexpr QRgb ErrorColour = qRgb(255, 0, 0);
inline constexpr int32_t HandleSize = 3;   // half width of a handle, view pixels
inline constexpr int32_t ArrowLength = 10; // at scale 1
inline constexpr int32_t ArrowAngle = 60;  // full opening angle, degrees

// True only while ObjectAt runs: links then paint black and 8 pixels wide onto the
// hit bitmap and keep no bounds.
extern bool HitTestMode;

// Colours in files are 32-bit integers with red in the low byte.
QColor ColourFromInt(int32_t colour);
int32_t ColourToInt(const QColor& colour);

// The model-wide graph options: colour per series kind and, per kind, shown before Now
// (index kind * 2) and after Now (kind * 2 + 1).
struct TGraphOptions {
    std::array<QRgb, 3> Colours{qRgb(255, 0, 0), qRgb(128, 128, 128), qRgb(0, 128, 0)};
    std::array<bool, 6> Show{true, true, true, true, true, true};
};

// ---------------------------------------------------------------------------------------------

class TDrawObject : public TIOListObject {
public:
    // x, y in view pixels. alternate: Ctrl held and this is the only object dragged.
    virtual void DragTo(int32_t x, int32_t y, bool alternate) = 0;
    // visible: the drawing rectangle shown; scale: view pixels per drawing unit.
    virtual void Paint(const TDrawRect& visible, QPainter& canvas, double scale) = 0;

    // The drawing that holds this object (its Owner), or none.
    TDrawImage* Image() const;
    void InvalidateBounds() { BoundsValid = false; }
    // Remembers the grab point (view pixels); the next DragTo is the first of a drag.
    void BeginDrag(int32_t x, int32_t y) {
        DragOffset = {x, y};
        DragStarting = true;
    }

    TDrawPoint DragOffset;
    bool DragStarting = false;
    int32_t DragPart = 0;
    bool Drawn = false;
    TDrawRect HitRect = EmptyRect; // view pixels
    bool BoundsValid = false;
    TDrawRect Bounds = EmptyRect; // drawing units
    bool Selected = false;
    bool Highlighted = false;

protected:
    // What every Load clears before it reads.
    void ClearDrawState();
};

// ---------------------------------------------------------------------------------------------
// Element shapes

enum TShapeDragPart : int32_t { sdpWhole = 0, sdpNameLabel = 1, sdpValueLabel = 2 };

class TVariableInstance : public TDrawObject {
public:
    void Save(TFileObject& file) override;
    void Load(TFileObject& file) override;
    void DragTo(int32_t x, int32_t y, bool alternate) override;
    void Paint(const TDrawRect& visible, QPainter& canvas, double scale) override;

    // The element shown, or none when the reference is unset.
    TVariableObject* Var() const { return Variable.GetTarget(); }
    // Label offsets and ShowGraph as the tools place a shape of the variable's kind.
    void SetDefaultLayout();

    TDrawPoint Position; // the shape's centre, drawing units
    bool IsClone = false;
    TVariableLink Variable;
    bool ShowGraph = true;
    bool ShowValue = true;
    TDrawPoint ShapeOffset;
    TDrawPoint ValueLabelOffset;
    TDrawPoint NameLabelOffset;
    TDrawRect ValueLabelRect = EmptyRect; // view pixels, as last drawn
    TDrawRect NameLabelRect = EmptyRect;
};

using TVariableInstanceList = TIOTypedList<TVariableInstance>;
using TVariableInstanceLink = TIOTypedLink<TVariableInstance>;
using TLinkInstanceLink = TIOTypedLink<TLinkInstance>;

class TFlowInstance : public TVariableInstance {
public:
    void Save(TFileObject& file) override;
    void Load(TFileObject& file) override;

    TLinkInstance* Inflow() const { return InflowPipe.GetTarget(); }
    TLinkInstance* Outflow() const { return OutflowPipe.GetTarget(); }
    // Makes the flow run the other way: pipes, dependency directions, Direction and the
    // variable's derive-from-source choice.
    void Reverse();

    int32_t Direction = 1; // 1: positive x; -1 after a reversal
    TLinkInstanceLink InflowPipe;
    TLinkInstanceLink OutflowPipe;
};

// ---------------------------------------------------------------------------------------------
// Links and flow pipes

enum TLinkKind : uint8_t { lkInformation = 0, lkFlow = 1 };
enum TLinkDragPart : int32_t {
    ldpNone = 0,
    ldpStart = 1,
    ldpStartControl = 2,
    ldpEndControl = 3,
    ldpEnd = 4
};

class TLinkInstance : public TDrawObject {
public:
    void Save(TFileObject& file) override;
    void Load(TFileObject& file) override;
    void DragTo(int32_t x, int32_t y, bool alternate) override;
    void Paint(const TDrawRect& visible, QPainter& canvas, double scale) override;

    TVariableInstance* From() const { return FromElement.GetTarget(); }
    TVariableInstance* To() const { return ToElement.GetTarget(); }
    bool IsPipe() const { return Kind == lkFlow; }
    // Absolute points in drawing units by the anchor rules.
    TDrawPoint StartPoint() const;
    TDrawPoint EndPoint() const;
    TDrawPoint FirstControlPoint() const { return StartPoint() + StartControl; }
    TDrawPoint SecondControlPoint() const { return EndPoint() + EndControl; }
    // The flow at either end decides; 1 when there is none.
    int32_t FlowDirection() const;
    // The default geometry of a free inflow (from-end free) or outflow (to-end free) pipe.
    void SetDefaultPipeGeometry(bool inflow);
    // Exchanges ends, offsets and controls, then toggles the flow dependencies of the
    // resource at the new to-end (or else the new from-end) on flowVariable.
    void ReversePipe(TVariableObject* flowVariable);

    uint8_t Kind = lkInformation;
    TVariableInstanceLink FromElement;
    TVariableInstanceLink ToElement;
    TDrawPoint StartOffset;
    TDrawPoint EndOffset;
    TDrawPoint StartControl{0, 20};
    TDrawPoint EndControl{0, 20};
    std::array<TDrawPoint, 4> ViewPoints{}; // view pixels as last painted
    TDrawRect ControlBox = EmptyRect;       // drawing units
};

// ---------------------------------------------------------------------------------------------
// Output controls: notes, tables and graphs

// Class tags of the drawing's output-control list.
enum TOutputControlClass : int32_t { occGraph = 1, occTable = 2, occNote = 3 };

class TOutputControlInstance : public TDrawObject {
public:
    void Save(TFileObject& file) override;
    void Load(TFileObject& file) override;
    void DragTo(int32_t x, int32_t y, bool alternate) override;
    void Paint(const TDrawRect& visible, QPainter& canvas, double scale) override;
    virtual void PaintContent(const TDrawRect& visible, QPainter& canvas, QRgb colour,
                              double scale) = 0;
    virtual TOutputControlClass ClassTag() const = 0;

    TDrawRect Frame;                 // drawing units
    TDrawRect FrameRect = EmptyRect; // the frame in view pixels as last painted, handles aside
};

class TNoteInstance : public TOutputControlInstance {
public:
    void Save(TFileObject& file) override;
    void Load(TFileObject& file) override;
    void PaintContent(const TDrawRect& visible, QPainter& canvas, QRgb colour,
                      double scale) override;
    TOutputControlClass ClassTag() const override { return occNote; }

    // Every line followed by CR LF.
    std::string Text() const;
    // Splits at CR LF, LF or CR.
    void SetText(const std::string& text);

    std::vector<std::string> Lines;
};

// Breaks a line after blanks, hyphens and tabs so that no piece exceeds limit characters;
// a word longer than the limit stays whole.
std::vector<std::string> WrapNoteLine(const std::string& line, int32_t limit);

// One series shown by a table or a graph.
class TVariableDataLink : public TIOListObject {
public:
    void Save(TFileObject& file) override;
    void Load(TFileObject& file) override;

    TVariableObject* Var() const { return Variable.GetTarget(); }
    // The element's series of SeriesKind when Live, else OwnSeries; none without element.
    const TDataSeries* DataSeries() const;

    TDataSeries OwnSeries;
    TVariableLink Variable;
    uint8_t SeriesKind = skSimulated;
    bool Live = true;
    int32_t Run = -1;
    int32_t Colour = 0; // red in the low byte
    bool Visible = true;
};

using TVariableDataLinkList = TIOTypedList<TVariableDataLink>;

// The colour of a kept run, by run number modulo 10.
int32_t ComparisonColour(int32_t run);

class TTableGraphOutputInstance : public TOutputControlInstance {
public:
    void Save(TFileObject& file) override;
    void Load(TFileObject& file) override;
    // Deletes, last first, every entry that shows variable.
    virtual void RemoveVariable(TVariableObject* variable);

    TVariableDataLinkList Series;
};

class TTableInstance : public TTableGraphOutputInstance {
public:
    void Save(TFileObject& file) override;
    void Load(TFileObject& file) override;
    void PaintContent(const TDrawRect& visible, QPainter& canvas, QRgb colour,
                      double scale) override;
    TOutputControlClass ClassTag() const override { return occTable; }
    void RemoveVariable(TVariableObject* variable) override;

    int32_t ColumnCount() const { return static_cast<int32_t>(ColumnWidths.size()); }
    void AddColumn() { ColumnWidths.push_back(60); }
    void DeleteColumn(int32_t i);
    void SwapColumns(int32_t i, int32_t j);
    void SetColumnWidth(int32_t i, int32_t width);
    int32_t ColumnWidth(int32_t i) const;

    int32_t Interval = 1; // time steps between rows
    std::vector<int32_t> ColumnWidths;
};

class TGraphInstance : public TTableGraphOutputInstance {
public:
    void Save(TFileObject& file) override;
    void Load(TFileObject& file) override;
    void PaintContent(const TDrawRect& visible, QPainter& canvas, QRgb colour,
                      double scale) override;
    TOutputControlClass ClassTag() const override { return occGraph; }

    bool ShowLegend = true;
    double YMin = std::numeric_limits<double>::infinity();  // +inf: from the data
    double YMax = -std::numeric_limits<double>::infinity(); // -inf: from the data
};

// ---------------------------------------------------------------------------------------------
// The drawing surface of the view: a double buffer that the drawing paints into.

class TDrawSurface {
public:
    virtual ~TDrawSurface() = default;
    // A painter on the back buffer (font, pen, brush as left by the last paint).
    virtual QPainter& Canvas() = 0;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    // Shows the painted buffer and starts a fresh one filled with white.
    virtual void Flip() = 0;
};

// ---------------------------------------------------------------------------------------------
// The drawing

class TDrawImage : public TIOObject {
public:
    TDrawImage();
    ~TDrawImage() override;

    // The record. Shapes, links and output controls bind as pending references of
    // GlobalLinkManager: the caller runs GlobalLinkManager.ResolveAll() after the whole
    // file (the document does so at its end). Variables bind against Model's list.
    void Save(TFileObject& file) override;
    void Load(TFileObject& file) override;

    // Paints the whole diagram (page breaks, output controls, elements, links) onto a
    // canvas of width x height view pixels, updating Scale, VisibleArea and Extent.
    void PaintAll(QPainter& canvas, int32_t width, int32_t height);
    // The same onto Surface (nothing without one).
    void PaintAll();
    // PaintAll, flip the surface and clear the hit bitmap.
    void Refresh();

    // Hit test at view pixels; with mark, updates every object's Highlighted.
    TDrawObject* ObjectAt(int32_t x, int32_t y, bool mark);
    // View pixels: the element shape under the point, whatever link or pipe crosses it
    // (selected shapes first, as ObjectAt takes them). What a double-click, Enter or a
    // link's end means is the element.
    TVariableInstance* ElementAt(int32_t x, int32_t y) const;
    // Drawing units: the first non-clone resource shape whose Bounds hold the point.
    TVariableInstance* ResourceAt(int32_t x, int32_t y) const;
    void SelectInRect(int32_t x1, int32_t y1, bool add, int32_t x2, int32_t y2);
    // Drawing units; only selected objects while GroupSelection. Counts the objects as last
    // painted: see MeasureContent.
    TDrawRect GetContentRect() const;
    // Brings every object's Bounds up to date without a view (as the command line needs
    // before RenderTo) and returns GetContentRect().
    TDrawRect MeasureContent();
    // Zoom about the centre of the view (below 13 becomes 13); returns the zoom set.
    float SetZoom(float percent);
    void EnsureVisible(const TVariableInstance* element);

    // A filled arrow head at the end of the line (view pixels), tip 4 pixels beyond it.
    static void DrawArrowHead(int32_t fx, int32_t fy, QPainter& canvas, double scale, int32_t tx,
                              int32_t ty);
    // Feedback while dragging out a link or a rectangle; needs Surface.
    void DrawRubberLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void DrawRubberRect(int32_t x1, int32_t y1, QRgb colour, Qt::PenStyle style, int32_t x2,
                        int32_t y2);

    // Creation (view pixels). AddLink returns none when the rules refuse the link.
    TVariableInstance* AddElement(int32_t x, int32_t y, bool isClone, TVariableObject* variable);
    TFlowInstance* AddFlow(int32_t x, int32_t y, TVariableObject* variable);
    TLinkInstance* AddLink(int32_t x1, int32_t y1, TVariableInstance* from, TVariableInstance* to,
                           int32_t x2, int32_t y2);
    TOutputControlInstance* AddOutputControl(int32_t x1, int32_t y1, TOutputControlClass kind,
                                             int32_t x2, int32_t y2);
    // Attaches free pipe ends that lie on a resource, adding the flow dependencies.
    void AttachFlowEnds();

    // Deletion with its consequences on Model (dependencies, variables, table columns).
    void RemoveObject(TDrawObject* object);
    void RemoveLink(TLinkInstance* link);

    // Deep copy through the shared token file. target.Model must already hold the copy of
    // this drawing's model (made first with TSimulationObject::CopyFrom): the copy's shapes
    // bind to its variables by index. Resolves all pending references.
    void CopyInto(TDrawImage& target, bool keepAll);
    void CutInto(TDrawImage& target);
    // Adds a fresh copy of sourceModel's elements and sourceDrawing's objects to Model and
    // this drawing: names trimmed and made unique, equations rewritten, objects placed at the
    // visible area and selected.
    void PasteFrom(TSimulationObject& sourceModel, TDrawImage& sourceDrawing);

    // Paints rect (drawing units) scaled to fit width x height onto canvas (SVG, PNG, PDF,
    // printing), optionally only the selected objects; the drawing's state is kept.
    void RenderTo(QPainter& canvas, int32_t width, int32_t height, bool selectedOnly,
                  const TDrawRect& rect);

    bool IsEmpty() const;
    // Keeps the current data of every live graph entry with Run 0 as a new run entry.
    void KeepRunForComparison();

    // Reports damage that a loaded drawing must not have (references left unset, pipes
    // missing, links without ends). True when the drawing is sound.
    bool Validate(std::string& why) const;

    // The variable list references bind against while loading: Model's, or else
    // CurrentSimulation's; none without either.
    TVariableList* ModelVariables() const;

    float Zoom = 100;
    float Scale = 1.0f;
    QImage HitBitmap; // 20 x 20, one bit per pixel
    int32_t ScrollX = 0;
    int32_t ScrollY = 0;
    TVariableInstanceList Elements;
    TIOTypedList<TLinkInstance> Links;
    TIOTypedList<TOutputControlInstance> OutputControls;
    uint8_t PaperSize = 0;
    int32_t PageWidth = 0;
    int32_t PageHeight = 0;
    uint8_t Orientation = 1; // 0 portrait, 1 landscape
    bool FitToPages = false;
    int32_t PagesTall = 1;
    int32_t PagesWide = 1;
    float PrintScale = 100;
    bool ShowPageBreaks = false;
    std::string ExtraText1;
    std::string ExtraText2;
    bool ExtraFlag = false;
    std::string ExtraText3;
    std::string ExtraText4;
    TDrawSurface* Surface = nullptr; // not owned; set by the view
    TDrawRect Extent{0, 0, 100, 100};
    TDrawRect VisibleArea{0, 0, 0, 0};
    bool GroupSelection = false;

    // The model whose variables the shapes show; set by the owner (the document, an undo
    // snapshot, the structure buffer). Not owned, not saved.
    TSimulationObject* Model = nullptr;
    // How element graphs show each series kind. The owning document sets them from its own
    // options; an undo snapshot or the structure buffer keeps the defaults. Not saved.
    TGraphOptions GraphOptions;
    // View size in pixels as of the last paint (SetZoom uses it without a surface).
    int32_t ViewWidth = 0;
    int32_t ViewHeight = 0;

private:
    void ClearHitBitmap();
    void RemoveElement(TVariableInstance* shape);
    // Removes the shape with its links; with a variable, also the variable and what shows it.
    void RemoveShape(TVariableInstance* shape, TVariableObject* variable = nullptr);
    void DetachPipe(TLinkInstance* pipe);
    void LoadElements(TFileObject& file);
    void LoadLinks(TFileObject& file);
    void LoadOutputControls(TFileObject& file);
    bool RemovingFlow = false;
};

// A new output control of the class with that file tag, or none for an unknown tag.
std::unique_ptr<TOutputControlInstance> NewOutputControl(int32_t classTag);
