// The diagram view's tools and its mouse and key state machine: hover, selection by click
// and rectangle, group drags with one undo snapshot, the tools' rubber bands, auto-scroll,
// the set-up dialogs on a double-click or Enter.
#include "app/diagram/MainView.h"

#include "app/Utilities.h"
#include "app/diagram/ToolCursors.h"
#include "app/dialogs/ObjectDialogs.h"
#include "app/widgets/DrawSurface.h"
#include "document/model/DataFile.h"
#include "document/model/DiagramEdits.h"
#include "document/model/ElementEdits.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <climits>

namespace {

// Scroll positions and points move by bounded steps, never past the 32-bit range.
int32_t AddClamped(int32_t value, int64_t delta) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(static_cast<int64_t>(value) + delta, INT32_MIN / 2, INT32_MAX / 2));
}

} // namespace

bool TFormMainView::CanSelect() const {
    return Document && Actions && Actions->EditingAllowed();
}

bool TFormMainView::CanEdit() const {
    return Document && Document->Simulation->AtStart && Actions && Actions->EditingAllowed() &&
           !Actions->RunLocksEditing();
}

int TFormMainView::ToolTag() const {
    return ActiveTool ? ActiveTool->property("tag").toInt() : dtNone;
}

void TFormMainView::DropTool() {
    if (ActiveTool) ActiveTool->setChecked(false);
    ActiveTool = nullptr;
    ToolSticky = false;
    ToolPressed = false;
    LinkSource = nullptr;
    ImageMain->setCursor(Qt::ArrowCursor);
}

bool TFormMainView::SelectTool(QToolButton* button, bool sticky) {
    if (!button) return false;
    const int tag = button->property("tag").toInt();
    if (!button->isChecked() || PageControlMain->currentWidget() != TabSheetModel) {
        button->setChecked(false);
        if (ActiveTool == button) DropTool();
        return false;
    }
    if (tag == dtClone || tag == dtFind) {
        button->setChecked(false);
        if (ActiveTool) DropTool();
        if (tag == dtClone)
            CloneCommand();
        else
            FindCommand();
        return true;
    }
    if (!CanEdit() || GestureHeld()) {
        button->setChecked(false);
        return false;
    }
    if (ActiveTool && ActiveTool != button) ActiveTool->setChecked(false);
    ActiveTool = button;
    ToolSticky = sticky;
    ToolPressed = false;
    ImageMain->setCursor(ToolCursor(tag));
    return true;
}

void TFormMainView::SetCursorFor(TDrawObject* object) {
    if (ActiveTool)
        ImageMain->setCursor(ToolCursor(ToolTag()));
    else
        ImageMain->setCursor(object ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

TDrawObject* TFormMainView::HitTest(QPoint p) {
    TDrawImage* image = Image();
    if (!image) return nullptr;
    TDrawObject* hit = image->ObjectAt(p.x(), p.y(), true);
    if (hit != HotObject) {
        HotObject = hit;
        RefreshView();
    }
    return hit;
}

TVariableInstance* TFormMainView::HotShape() const {
    return dynamic_cast<TVariableInstance*>(HotObject);
}

// ---------------------------------------------------------------------------------------------
// Selection

void TFormMainView::ClearSelection() {
    Selection.clear();
    TDrawImage* image = Image();
    if (!image) return;
    for (TDrawObject* object : image->Elements)
        object->Selected = false;
    for (TDrawObject* object : image->Links)
        object->Selected = false;
    for (TDrawObject* object : image->OutputControls)
        object->Selected = false;
    image->GroupSelection = false;
}

void TFormMainView::SelectOnly(TDrawObject* object) {
    ClearSelection();
    if (!object) return;
    object->Selected = true;
    Selection.push_back(object);
}

void TFormMainView::SelectionFromImage() {
    Selection.clear();
    TDrawImage* image = Image();
    if (!image) return;
    for (TDrawObject* object : image->Elements)
        if (object->Selected) Selection.push_back(object);
    for (TDrawObject* object : image->Links)
        if (object->Selected) Selection.push_back(object);
    for (TDrawObject* object : image->OutputControls)
        if (object->Selected) Selection.push_back(object);
    image->GroupSelection = Selection.size() > 1;
}

void TFormMainView::EndGesture() {
    TimerScroll->stop();
    // The destructor finishes the edit: the snapshot stays, the follow-ups run once.
    Drag.reset();
    DragStarted = false;
    DragArmed = false;
    MarqueeActive = false;
    DragObject = nullptr;
    DownPoint = {-1, -1};
}

void TFormMainView::ForgetObjects() {
    EndGesture();
    Selection.clear();
    HotObject = nullptr;
    LinkSource = nullptr;
    LastFound = nullptr;
    ToolPressed = false;
}

// ---------------------------------------------------------------------------------------------
// Events

bool TFormMainView::eventFilter(QObject* watched, QEvent* event) {
    if (watched != ImageMain) return TFormBaseChild::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        RunGuarded([&] { MouseDown(mouse->position().toPoint(), mouse->button()); }, this);
        return true;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        RunGuarded([&] { MouseMove(mouse->position().toPoint(), mouse->modifiers()); }, this);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        RunGuarded(
            [&] { MouseUp(mouse->position().toPoint(), mouse->button(), mouse->modifiers()); },
            this);
        return true;
    }
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        RunGuarded([&] { DoubleClick(mouse->position().toPoint(), mouse->button()); }, this);
        return true;
    }
    case QEvent::ContextMenu: {
        auto* menu = static_cast<QContextMenuEvent*>(event);
        RunGuarded([&] { PopupMenu(menu->pos()); }, this);
        return true;
    }
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat()) PendingKey = key->key();
        return false;
    }
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->isAutoRepeat() || key->key() != PendingKey) return false;
        PendingKey = 0;
        RunGuarded([&] { KeyUp(key->key()); }, this);
        return true;
    }
    default:
        return TFormBaseChild::eventFilter(watched, event);
    }
}

void TFormMainView::MouseDown(QPoint p, Qt::MouseButton button) {
    LastMouse = p;
    MarqueeActive = false;
    // Gestures belong to the left button; the right one only opens the context menu.
    if (button != Qt::LeftButton || !CanSelect()) return;
    SuppressNextMouseUp = false;
    TDrawObject* hot = HitTest(p);
    // A run command pops the tool buttons up: the tool goes with its button.
    if (ActiveTool && !ActiveTool->isChecked()) DropTool();
    if (ActiveTool) {
        if (!CanEdit()) return;
        const int tag = ToolTag();
        if (tag == dtLink) {
            // The element under the pointer, whatever link ends on it.
            if (TVariableInstance* shape = Image()->ElementAt(p.x(), p.y())) {
                LinkSource = shape;
                ToolStart = p;
                ToolPressed = true;
            } else {
                Actions->ShowStatus(Q(LinkRefusal(nullptr, nullptr)));
                DropTool();
            }
        } else {
            ToolStart = p;
            ToolPressed = true;
        }
        return;
    }
    Drag.reset();
    DragStarted = false;
    DragArmed = true;
    DragObject = hot;
    DownPoint = p;
    ImageMain->setCursor(hot ? Qt::SizeAllCursor : Qt::ArrowCursor);
}

void TFormMainView::MouseMove(QPoint p, Qt::KeyboardModifiers shift) {
    LastMouse = p;
    TimerScroll->stop();
    TDrawImage* image = Image();
    if (!image) return;
    if (!ImageMain->hasFocus()) ImageMain->setFocus();
    if (!DragObject || !DragArmed || !CanEdit()) {
        TDrawObject* hot = HitTest(p);
        const int tag = ToolTag();
        if (ActiveTool && ToolPressed && tag == dtLink) {
            image->DrawRubberLine(ToolStart.x(), ToolStart.y(), p.x(), p.y());
            ImageMain->setCursor(Qt::CrossCursor);
        } else if (ActiveTool && ToolPressed &&
                   (tag == dtTable || tag == dtNote || tag == dtGraph)) {
            image->DrawRubberRect(ToolStart.x(), ToolStart.y(), ErrorColour, Qt::SolidLine, p.x(),
                                  p.y());
            ImageMain->setCursor(Qt::CrossCursor);
        } else if (!ActiveTool && DragArmed &&
                   ((p.x() != DownPoint.x() && p.y() != DownPoint.y()) || MarqueeActive)) {
            MarqueeActive = true;
            image->DrawRubberRect(DownPoint.x(), DownPoint.y(), SelectedColour, Qt::DashLine, p.x(),
                                  p.y());
            ImageMain->setCursor(Qt::CrossCursor);
            AutoScrollCheck(p, shift);
        } else {
            SetCursorFor(hot);
        }
    } else {
        if (!DragStarted) {
            if (!shift.testFlag(Qt::ShiftModifier) && !DragObject->Selected) {
                ClearSelection();
            }
            image->GroupSelection = Selection.size() > 1;
            std::vector<TDrawObject*> others;
            for (TDrawObject* object : Selection)
                if (object != DragObject) others.push_back(object);
            Drag = std::make_unique<TDiagramDrag>(*Document, *DragObject, others,
                                                  TDrawPoint{DownPoint.x(), DownPoint.y()});
            DragStarted = true;
        }
        image->GroupSelection =
            std::max<size_t>(static_cast<size_t>(Drag->Count()), Selection.size()) > 1;
        Drag->MoveTo(p.x(), p.y(), shift.testFlag(Qt::ControlModifier), [&] {
            AutoScrollCheck(p, shift);
            RefreshView();
        });
        ImageMain->setCursor(Qt::SizeAllCursor);
    }
    UpdateEditActions();
}

void TFormMainView::AutoScrollCheck(QPoint p, Qt::KeyboardModifiers shift) {
    TDrawImage* image = Image();
    if (!image) return;
    const int64_t w = ImageMain->width(), h = ImageMain->height();
    const int64_t x = p.x(), y = p.y();
    bool scrolled = false;
    auto step = [&](int64_t position, int64_t size, int32_t& scroll, int& down) {
        int64_t c = 0;
        if (position > size - 1)
            c = std::max<int64_t>(1, (position - (size - 1)) / 5);
        else if (position <= 0)
            c = -std::max<int64_t>(1, (1 - position) / 5);
        if (c == 0) return;
        scroll = AddClamped(scroll, c);
        down = AddClamped(down, -c);
        scrolled = true;
    };
    step(x, w, image->ScrollX, DownPoint.rx());
    step(y, h, image->ScrollY, DownPoint.ry());
    if (scrolled && !TimerScroll->isActive()) {
        ScrollMouse = p;
        ScrollShift = shift;
        TimerScroll->start();
    }
}

void TFormMainView::TimerScrollTimer() {
    MouseMove(ScrollMouse, ScrollShift);
}

void TFormMainView::MouseUp(QPoint p, Qt::MouseButton button, Qt::KeyboardModifiers shift) {
    LastMouse = p;
    if (button != Qt::LeftButton) return;
    TimerScroll->stop();
    if (SuppressNextMouseUp) {
        // The release of a double-click whose dialog has run.
        SuppressNextMouseUp = false;
        EndGesture();
        UpdateEditActions();
        return;
    }
    TDrawImage* image = Image();
    if (image && CanSelect()) {
        if (!ActiveTool) {
            const bool dragged = DragStarted;
            Drag.reset(); // the drag's edit ends here, once
            const bool add = shift.testFlag(Qt::ShiftModifier);
            if (MarqueeActive) {
                ClearSelection();
                image->SelectInRect(DownPoint.x(), DownPoint.y(), add, p.x(), p.y());
                SelectionFromImage();
                RefreshView();
            } else if (DragArmed && (HotObject || (dragged && DragObject))) {
                TDrawObject* object = dragged && DragObject ? DragObject : HotObject;
                const auto it = std::find(Selection.begin(), Selection.end(), object);
                if (add) {
                    if (it == Selection.end()) {
                        object->Selected = true;
                        Selection.push_back(object);
                    } else if (object->Selected) {
                        object->Selected = false;
                        Selection.erase(it);
                    } else {
                        object->Selected = true;
                    }
                } else if (!object->Selected || it == Selection.end()) {
                    SelectOnly(object);
                }
                image->GroupSelection = Selection.size() > 1;
                ToolSticky = false;
                RefreshView();
            } else if (DragArmed && !add) {
                ClearSelection();
                RefreshView();
            }
        } else if (ToolPressed && CanEdit()) {
            const int tag = ToolTag();
            HitTest(p); // the hover follows the release
            if (tag == dtLink) {
                // Released over an element, the link ends there, whatever link lies on top.
                TVariableInstance* target = image->ElementAt(p.x(), p.y());
                const std::string refused = LinkRefusal(LinkSource, target);
                if (refused.empty())
                    PlaceLink(*Document, {ToolStart.x(), ToolStart.y()}, LinkSource, target,
                              {p.x(), p.y()});
                else
                    Actions->ShowStatus(Q(refused));
            } else if (tag == dtTable || tag == dtNote || tag == dtGraph) {
                const TOutputControlClass kind = tag == dtTable  ? occTable
                                                 : tag == dtNote ? occNote
                                                                 : occGraph;
                PlaceOutputControl(*Document, kind, {ToolStart.x(), ToolStart.y()}, {p.x(), p.y()});
            } else {
                PlaceElement(*Document, tag, p.x(), p.y());
            }
            ToolPressed = false;
            LinkSource = nullptr;
            if (!ToolSticky) DropTool();
            RefreshView();
            SetCursorFor(HitTest(p));
        }
    }
    EndGesture();
    UpdateEditActions();
}

void TFormMainView::DoubleClick(QPoint p, Qt::MouseButton button) {
    LastMouse = p;
    if (button != Qt::LeftButton || !CanSelect() || ActiveTool) return;
    EndGesture();
    // The element under the pointer comes before a link or pipe that crosses it.
    TDrawObject* hot = HitTest(p);
    TVariableInstance* element = Image() ? Image()->ElementAt(p.x(), p.y()) : nullptr;
    OpenObjectDialog(element ? element : hot);
    SuppressNextMouseUp = true;
    UpdateEditActions();
}

void TFormMainView::OpenObjectDialog(TDrawObject* object) {
    if (!object || !Document) return;
    TDataFile& document = *Document;
    if (auto* shape = dynamic_cast<TVariableInstance*>(object)) {
        if (!shape->Var()) return;
        std::string identifier = shape->Var()->Identifier();
        TDialogResult result;
        do {
            result = OpenElementSetUp(document, *shape, this);
            if (result == TDialogResult::Cancelled) {
                // A graph scale changed in the dialog stays even so, and shows.
                RefreshView();
                break;
            }
            // The dialog may have renamed the element: its equations follow.
            if (TVariableObject* variable = shape->Var()) {
                const std::string renamed = variable->Identifier();
                RenameElementEverywhere(document, identifier, renamed);
                identifier = renamed;
            }
            RunFollowUps(document, efCheck | efDerive);
            RefreshView();
        } while (result == TDialogResult::Applied);
    } else if (auto* note = dynamic_cast<TNoteInstance*>(object)) {
        TDialogResult result;
        do {
            result = OpenNoteSetUp(document, *note, this);
            if (result != TDialogResult::Cancelled) RefreshView();
        } while (result == TDialogResult::Applied);
    } else if (auto* table = dynamic_cast<TTableInstance*>(object)) {
        for (;;) {
            if (table->Series.Count() > 0) {
                OpenResultsTable(document, *table, this);
                RefreshView();
                break;
            }
            const TDialogResult result = OpenTableSetUp(document, *table, this);
            if (result == TDialogResult::Cancelled) break;
            RefreshView();
            if (result == TDialogResult::Accepted) break;
        }
    } else if (auto* graph = dynamic_cast<TGraphInstance*>(object)) {
        TDialogResult result;
        do {
            result = OpenGraphSetUp(document, *graph, this);
            if (result != TDialogResult::Cancelled) RefreshView();
        } while (result == TDialogResult::Applied);
    }
}

void TFormMainView::KeyUp(int key) {
    TDrawImage* image = Image();
    if (!image || PageControlMain->currentWidget() != TabSheetModel) return;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (!HotObject || !CanSelect() || GestureHeld()) return;
        // As a double-click: the element under the pointer before a link crossing it.
        TDrawObject* target = image->ElementAt(LastMouse.x(), LastMouse.y());
        if (!target) target = HotObject;
        SelectOnly(target);
        RefreshView();
        OpenObjectDialog(target);
        UpdateEditActions();
    } else if (key == Qt::Key_Escape) {
        if (GestureHeld()) return;
        ClearSelection();
        RefreshView();
        UpdateEditActions();
    } else if (key == Qt::Key_Home) {
        image->ScrollX = TruncToInt(image->Extent.Left * static_cast<double>(image->Scale));
        image->ScrollY = TruncToInt(image->Extent.Top * static_cast<double>(image->Scale));
        RefreshView();
    }
}
