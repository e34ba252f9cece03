#pragma once
// Which items of the diagram's context menu are offered, for the object under the mouse.

#include <array>

class TDrawObject;

enum TPopupItem : int {
    piCopy,
    piCut,
    piPaste,
    piDelete,
    piDisconnect,
    piResetFlowLink,
    piGraph,
    piValue,
    piDerive,
    piSetSketchToDerived,
    piReverseFlow,
    piFind,
    piClone,
    piCopyImage,
    piCount
};

struct TMenuItemState {
    bool Enabled = false;
    bool Visible = true;
    bool Checked = false;
    friend bool operator==(const TMenuItemState&, const TMenuItemState&) = default;
};

struct TPopupContext {
    const TDrawObject* Hot = nullptr; // the object under the menu's point
    bool SelectionEmpty = true;
    bool AtStart = true; // no run has started: the model may be changed
    bool ClipboardHasStructure = false;
    bool ModelHasVariables = false;
    bool DrawingEmpty = true;
};

using TPopupStates = std::array<TMenuItemState, piCount>;

TPopupStates PopupMenuStates(const TPopupContext& context);
