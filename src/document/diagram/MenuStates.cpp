#include "document/diagram/MenuStates.h"

#include "document/diagram/DrawingObjects.h"

TPopupStates PopupMenuStates(const TPopupContext& c) {
    TPopupStates s{};
    s[piDelete] = {false, true, false};
    for (int item : {piDisconnect, piResetFlowLink, piReverseFlow})
        s[item] = {false, false, false};
    for (int item : {piGraph, piValue, piDerive, piSetSketchToDerived})
        s[item] = {false, false, false};
    s[piCopy].Enabled = !c.SelectionEmpty && c.AtStart;
    s[piCut].Enabled = !c.SelectionEmpty && c.AtStart;
    s[piPaste].Enabled = c.ClipboardHasStructure && c.AtStart;
    s[piFind].Enabled = c.ModelHasVariables;
    s[piClone].Enabled = c.ModelHasVariables && c.AtStart;
    s[piCopyImage].Enabled = !c.DrawingEmpty;
    if (!c.AtStart || !c.Hot) return s;

    if (auto* shape = dynamic_cast<const TVariableInstance*>(c.Hot)) {
        const TVariableObject* variable = shape->Var();
        const uint8_t kind = variable ? variable->Kind : uint8_t{ekConstant};
        const bool derived = variable && !variable->Derived.IsEmpty();
        s[piGraph] = {kind == ekConstant || kind == ekVariable, true, shape->ShowGraph};
        s[piValue] = {true, true, shape->ShowValue};
        s[piDerive] = {kind == ekResource || kind == ekFlow, true, derived};
        s[piSetSketchToDerived] = {derived, true, false};
        if (dynamic_cast<const TFlowInstance*>(shape)) s[piReverseFlow] = {true, true, false};
        s[piDelete].Enabled = true;
    } else if (auto* link = dynamic_cast<const TLinkInstance*>(c.Hot)) {
        if (!link->IsPipe()) {
            s[piDelete].Enabled = true;
        } else {
            s[piDelete].Visible = false;
            if (link->From() && link->To())
                s[piDisconnect] = {true, true, false};
            else
                s[piResetFlowLink] = {true, true, false};
        }
    } else {
        s[piDelete].Enabled = true;
    }
    return s;
}
