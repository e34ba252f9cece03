// The diagram's context menu: the click it implies, its item states and the commands only
// it offers (Graph, Value, Derive, Set Sketch to Derived, Reverse Flow).
#include "app/diagram/MainView.h"

#include "app/Utilities.h"
#include "app/widgets/DrawSurface.h"
#include "document/model/DataFile.h"
#include "document/model/DiagramEdits.h"

#include <QMenu>

namespace {

const char* const WhichResourceQuestion =
    "Which resource do you wish the derived value for this flow to be based on ?";
const char* const OverwriteSketchQuestion =
    "Are you sure you want to overwrite the sketch data with derived data ?";

} // namespace

void TFormMainView::BuildPopupMenu() {
    PopupMenuMain = new QMenu(this);
    PopupMenuMain->setObjectName("PopupMenuMain");
    struct TItem {
        int Item;
        const char* Caption;
        const char* Name;
        void (TFormMainView::*Command)();
    };
    const TItem items[] = {
        {piCopy, "Copy", "MenuCopy", nullptr},
        {piCut, "Cut", "MenuCut", nullptr},
        {piPaste, "Paste", "MenuPaste", nullptr},
        {piDelete, "Delete", "MenuDelete", &TFormMainView::DeleteSelection},
        {piDisconnect, "Disconnect", "MenuDisconnect", &TFormMainView::DisconnectPipe},
        {piResetFlowLink, "Reset Flow Link", "MenuResetFlowLink", &TFormMainView::DisconnectPipe},
        {-1, nullptr, nullptr, nullptr},
        {piGraph, "Graph", "MenuGraph", &TFormMainView::ToggleGraph},
        {piValue, "Value", "MenuValue", &TFormMainView::ToggleValue},
        {piDerive, "Derive", "MenuDerive", &TFormMainView::DeriveCommand},
        {piSetSketchToDerived, "Set Sketch to Derived", "MenuSetSketchToDerived",
         &TFormMainView::SetSketchToDerivedCommand},
        {piReverseFlow, "Reverse Flow", "MenuReverseFlow", &TFormMainView::ReverseFlowCommand},
        {-1, nullptr, nullptr, nullptr},
        {piFind, "Find", "MenuFind", &TFormMainView::FindCommand},
        {piClone, "Clone", "MenuClone", &TFormMainView::CloneCommand},
        {-1, nullptr, nullptr, nullptr},
        {piCopyImage, "Copy Image", "MenuCopyImage", &TFormMainView::CopyImage},
    };
    for (const TItem& item : items) {
        if (item.Item < 0) {
            PopupMenuMain->addSeparator();
            continue;
        }
        QAction* action = PopupMenuMain->addAction(item.Caption);
        action->setObjectName(item.Name);
        action->setCheckable(item.Item == piGraph || item.Item == piValue || item.Item == piDerive);
        PopupActions[item.Item] = action;
        const int code = item.Item == piCopy ? acCopy : item.Item == piCut ? acCut : acPaste;
        auto command = item.Command;
        connect(action, &QAction::triggered, this, [this, command, code] {
            RunGuarded(
                [&] {
                    if (command)
                        (this->*command)();
                    else
                        EditCommand(code);
                },
                this);
        });
    }
}

void TFormMainView::PreparePopupMenu(QPoint point) {
    // The menu's commands act on the object under it, selected as by a click.
    DropTool();
    if (CanEdit() && !GestureHeld()) {
        MouseUp(point, Qt::LeftButton, Qt::NoModifier);
        MouseMove(point, Qt::NoModifier);
        MouseDown(point, Qt::LeftButton);
        MouseUp(point, Qt::LeftButton, Qt::NoModifier);
    }
    TPopupContext context;
    context.Hot = HotObject;
    context.SelectionEmpty = Selection.empty();
    context.AtStart = CanEdit();
    context.ClipboardHasStructure = ClipboardHasStructure;
    context.ModelHasVariables = Document && Document->Simulation->Variables.Count() > 0;
    context.DrawingEmpty = !Document || Document->Image().IsEmpty();
    const TPopupStates states = PopupMenuStates(context);
    for (int item = 0; item < piCount; ++item) {
        QAction* action = PopupActions[item];
        action->setEnabled(states[item].Enabled);
        action->setVisible(states[item].Visible);
        if (action->isCheckable()) action->setChecked(states[item].Checked);
    }
}

void TFormMainView::PopupMenu(QPoint point) {
    if (!Document || PageControlMain->currentWidget() != TabSheetModel) return;
    PreparePopupMenu(point);
    PopupMenuMain->popup(ImageMain->mapToGlobal(point));
}

void TFormMainView::ToggleGraph() {
    TVariableInstance* shape = HotShape();
    if (!shape || !CanEdit() || GestureHeld()) return;
    ToggleShowGraph(*Document, *shape);
    PopupActions[piGraph]->setChecked(shape->ShowGraph);
    RefreshView();
    UpdateEditActions();
}

void TFormMainView::ToggleValue() {
    TVariableInstance* shape = HotShape();
    if (!shape || !CanEdit() || GestureHeld()) return;
    ToggleShowValue(*Document, *shape);
    PopupActions[piValue]->setChecked(shape->ShowValue);
    RefreshView();
    UpdateEditActions();
}

void TFormMainView::DeriveCommand() {
    TVariableInstance* shape = HotShape();
    if (!shape || !shape->Var() || !CanEdit() || GestureHeld()) return;
    TVariableObject& variable = *shape->Var();
    bool fromSource = false;
    if (auto* flow = dynamic_cast<TFlowInstance*>(shape);
        flow && variable.Kind == ekFlow && variable.Derived.IsEmpty()) {
        const TFlowDeriveSources sources = FlowDeriveSources(*flow);
        if (sources.Source && sources.Target) {
            // Escape and the close box leave everything as it was.
            const int answer =
                ShowChoiceDialog(WhichResourceQuestion, 3,
                                 {Q(sources.Source->Name), Q(sources.Target->Name)}, 1, 0, this);
            if (answer == ChoiceCancelled) return;
            fromSource = answer == 10;
        }
    }
    const bool derived = ToggleDerived(*Document, *shape, fromSource);
    PopupActions[piDerive]->setChecked(derived);
    PopupActions[piSetSketchToDerived]->setEnabled(derived);
    RefreshView();
    UpdateEditActions();
}

void TFormMainView::SetSketchToDerivedCommand() {
    TVariableInstance* shape = HotShape();
    if (!shape || !shape->Var() || !CanEdit() || GestureHeld()) return;
    TVariableObject& variable = *shape->Var();
    if ((variable.Kind != ekResource && variable.Kind != ekFlow) || variable.Derived.IsEmpty())
        return;
    if (!variable.Sketched.IsEmpty() &&
        ShowMessage(TMessageKind::Confirmation, OverwriteSketchQuestion, mbYes | mbNo, this) !=
            mbYes)
        return;
    SetSketchToDerived(*Document, variable);
    RefreshView();
    UpdateEditActions();
}

void TFormMainView::ReverseFlowCommand() {
    auto* flow = dynamic_cast<TFlowInstance*>(HotObject);
    if (!flow || !CanEdit() || GestureHeld()) return;
    ReverseFlow(*Document, *flow);
    RefreshView();
    UpdateEditActions();
}
