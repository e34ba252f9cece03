#pragma once
// The diagram's editing commands as document operations: each takes its one undo snapshot,
// changes the model and the drawing, marks the document modified and runs the follow-ups it
// needs (DocumentEdits.h). The diagram view, its context menu and the Edit menu call these;
// none of them repeats those steps. Points are view pixels, as the drawing's own operations
// take them.

#include "document/diagram/DrawingObjects.h"
#include "document/model/DocumentEdits.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TDataFile;

// The tools' tags (the main window's tool buttons carry them).
enum TDiagramTool : int32_t {
    dtNone = 0,
    dtConstant = 1,
    dtVariable = 2,
    dtFlow = 3,
    dtLink = 4,
    dtClone = 5,
    dtTable = 6,
    dtNote = 8,
    dtResource = 11,
    dtGraph = 13,
    dtFind = 14,
};

// A new element of the tool's kind (Constant, Variable, Resource or Flow tag) with its shape
// at the point; a Resource or Flow also runs the check, attaches pipe ends and derives.
TVariableInstance* PlaceElement(TDataFile& document, int32_t tool, int32_t x, int32_t y);
// Why the link rules refuse a link from one shape to another, briefly, for the status bar;
// empty when they allow it. from and to may be none (the press or release missed a shape).
std::string LinkRefusal(const TVariableInstance* from, const TVariableInstance* to);
// A link between two shapes, or none when the rules refuse it (no shape, the same element,
// a clone as target, a second link between the two): then nothing changes at all.
TLinkInstance* PlaceLink(TDataFile& document, TDrawPoint start, TVariableInstance* from,
                         TVariableInstance* to, TDrawPoint end);
TOutputControlInstance* PlaceOutputControl(TDataFile& document, TOutputControlClass kind,
                                           TDrawPoint start, TDrawPoint end);
// A clone shape of variable at the point.
TVariableInstance* PlaceClone(TDataFile& document, TVariableObject& variable, int32_t x, int32_t y);

// Removes the objects (links first, last to first, then the others, last to first; what an
// earlier removal took with it is skipped). False when there was nothing to remove.
bool DeleteObjects(TDataFile& document, const std::vector<TDrawObject*>& objects);
// The selected objects to the structure buffer; cutting also removes them.
void CopySelected(TDataFile& document);
bool CutSelected(TDataFile& document);
// The structure buffer into the drawing, selected. False when the buffer is empty.
bool PasteStructureBuffer(TDataFile& document);
// Back to the last snapshot, checked again. False when there was none.
bool UndoLastEdit(TDataFile& document);

bool ReverseFlow(TDataFile& document, TFlowInstance& flow);
bool ToggleShowGraph(TDataFile& document, TVariableInstance& shape);
bool ToggleShowValue(TDataFile& document, TVariableInstance& shape);

// What Derive on a flow needs to know before it changes anything.
struct TFlowDeriveSources {
    TVariableObject* Source = nullptr; // the resource the inflow pipe comes from
    TVariableObject* Target = nullptr; // the resource the outflow pipe goes to
};
TFlowDeriveSources FlowDeriveSources(const TFlowInstance& flow);

// Derive as a toggle: a resource's or flow's derived series is computed when empty and cleared
// otherwise. fromSource (flows only, when both pipes are attached): derive from the inflow's
// resource. A flow with neither pipe attached, or any other element, changes nothing.
// Returns whether the element's derived series is now not empty.
bool ToggleDerived(TDataFile& document, TVariableInstance& shape, bool fromSource);
// The sketched series becomes a copy of the derived one (when that is not empty).
bool SetSketchToDerived(TDataFile& document, TVariableObject& variable);

// Dragging a group: the snapshot at the first move, pipe ends attaching as they pass over a
// resource, the check and derived data once at the end.
class TDiagramDrag {
public:
    // grabbed: the object under the press; others: the rest of the selection (links are
    // skipped: they follow their shapes). down: the press point.
    TDiagramDrag(TDataFile& document, TDrawObject& grabbed, const std::vector<TDrawObject*>& others,
                 TDrawPoint down);
    // One mouse move; Ctrl (moving a label alone) applies only when one object is dragged.
    // repaint, when given, paints the moved objects before pipe ends look for resources.
    void MoveTo(int32_t x, int32_t y, bool ctrl, const std::function<void()>& repaint = {});
    // The check and derived data, once; nothing when the mouse never moved.
    void Finish();
    int32_t Count() const { return static_cast<int32_t>(Objects.size()); }

private:
    TDocumentEdit Edit;
    std::vector<TDrawObject*> Objects; // the grabbed one first
    TDrawPoint Down;
    bool Started = false;
};
