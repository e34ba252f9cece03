// The diagram view's commands: the Edit menu on each page, delete, Find, Clone and Copy
// Image. Every change goes through the document's edit operations (DiagramEdits.h).
#include "app/diagram/MainView.h"

#include "app/Utilities.h"
#include "app/dialogs/VariableSelect.h"
#include "app/widgets/DrawSurface.h"
#include "document/model/DataFile.h"
#include "document/model/DiagramEdits.h"
#include "document/output/RenderImage.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>

#include <algorithm>
#include <climits>

void TFormMainView::EditCommand(int code) {
    if (!Document) return;
    // A command while a button is held would pull objects from under the gesture.
    if (GestureHeld()) return;
    QWidget* page = PageControlMain->currentWidget();
    if (page == TabSheetNotes) {
        switch (code) {
        case acUndo:
            RichEditNotes->undo();
            break;
        case acCut:
            RichEditNotes->cut();
            break;
        case acCopy:
            RichEditNotes->copy();
            break;
        case acPaste:
            RichEditNotes->paste();
            break;
        case acDelete:
            RichEditNotes->textCursor().removeSelectedText();
            break;
        case acSelectAll:
            RichEditNotes->selectAll();
            break;
        default:
            break;
        }
        UpdateEditActions();
        return;
    }
    if (page == TabSheetEquations) {
        if (code == acCopy) CopyEquationGrid();
        UpdateEditActions();
        return;
    }
    TDrawImage& image = *Image();
    switch (code) {
    case acUndo:
        if (CanEdit() && Document->CanUndo()) {
            ForgetObjects();
            UndoLastEdit(*Document);
            RefreshView();
            if (Actions) Actions->ModelRestored();
        }
        break;
    case acCut:
        if (CanEdit() && !Selection.empty()) {
            CutSelected(*Document);
            ForgetObjects();
            image.GroupSelection = false;
            RefreshView();
        }
        break;
    case acCopy:
        if (!Selection.empty()) CopySelected(*Document);
        break;
    case acPaste:
        if (CanEdit() && ClipboardHasStructure) {
            ForgetObjects();
            PasteStructureBuffer(*Document);
            SelectionFromImage();
            Image()->GroupSelection = !Selection.empty();
            RefreshView();
        }
        break;
    case acDelete:
        DeleteSelection();
        break;
    case acSelectAll:
        if (CanSelect()) {
            for (TDrawObject* object : image.Elements)
                object->Selected = true;
            for (TDrawObject* object : image.Links)
                object->Selected = true;
            for (TDrawObject* object : image.OutputControls)
                object->Selected = true;
            SelectionFromImage();
            RefreshView();
        }
        break;
    default:
        break;
    }
    UpdateEditActions();
}

void TFormMainView::DeleteSelection() {
    if (!Document || !CanEdit() || GestureHeld()) return;
    std::vector<TDrawObject*> objects = Selection;
    if (objects.empty() && HotObject) objects.push_back(HotObject);
    if (objects.empty()) return;
    if (HotObject) HotObject->Highlighted = false;
    DeleteObjects(*Document, objects);
    ForgetObjects();
    // Nothing stays selected, not even what could not be removed (a pipe's other end).
    ClearSelection();
    // The hover state comes back for what is now under the mouse.
    if (LastMouse.x() >= 0) MouseMove(LastMouse, Qt::NoModifier);
    RefreshView();
    UpdateEditActions();
}

void TFormMainView::DisconnectPipe() {
    // Disconnect and Reset Flow Link act on the pipe under the mouse alone.
    auto* pipe = dynamic_cast<TLinkInstance*>(HotObject);
    if (!Document || !CanEdit() || GestureHeld() || !pipe || !pipe->IsPipe()) return;
    Selection = {pipe};
    DeleteSelection();
}

TVariableObject* TFormMainView::PreselectedVariable() const {
    if (const TVariableInstance* shape = HotShape()) return shape->Var();
    for (TDrawObject* object : Selection)
        if (auto* shape = dynamic_cast<TVariableInstance*>(object)) return shape->Var();
    return nullptr;
}

void TFormMainView::FindCommand() {
    TDrawImage* image = Image();
    if (!image || Document->Simulation->Variables.Count() == 0 || GestureHeld()) return;
    TVariableObject* variable = SelectVariable(*Document->Simulation, PreselectedVariable(), this);
    if (!variable) return;
    int32_t start = 0;
    const int32_t last = image->Elements.IndexOf(LastFound);
    if (last >= 0 && LastFound->Var() == variable) start = last + 1;
    TVariableInstance* found = nullptr;
    for (int32_t pass = 0; pass < 2 && !found; ++pass) {
        for (int32_t i = pass == 0 ? start : 0; i < image->Elements.Count(); ++i) {
            if (image->Elements[i]->Var() == variable) {
                found = image->Elements[i];
                break;
            }
        }
    }
    if (!found) return;
    LastFound = found;
    SelectOnly(found);
    image->EnsureVisible(found);
    RefreshView();
    UpdateEditActions();
}

void TFormMainView::CloneCommand() {
    if (!Document || !CanEdit() || GestureHeld() || Document->Simulation->Variables.Count() == 0)
        return;
    const QPoint at = HotShape() ? LastMouse + QPoint(60, 60) : QPoint(60, 60);
    TVariableObject* variable = SelectVariable(*Document->Simulation, PreselectedVariable(), this);
    if (!variable) return;
    TVariableInstance* clone = PlaceClone(*Document, *variable, at.x(), at.y());
    SelectOnly(clone);
    RefreshView();
    UpdateEditActions();
}

void TFormMainView::CopyImage() {
    TDrawImage* image = Image();
    if (!image) return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    struct TRestoreCursor {
        ~TRestoreCursor() { QGuiApplication::restoreOverrideCursor(); }
    } restore;
    const bool selectedOnly = image->GroupSelection;
    const TDrawRect area = PictureArea(*image, selectedOnly);
    // Nothing drawn, nothing copied.
    if (area.IsEmpty()) return;
    // The SVG keeps the true size; only the raster picture is scaled down.
    auto side = [](int32_t low, int32_t high) {
        return static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(high) - low, 1, INT_MAX));
    };
    QBuffer svg;
    svg.open(QIODevice::WriteOnly);
    const TPictureResult written =
        WritePicture(*image, pfSvg, side(area.Left, area.Right), side(area.Top, area.Bottom), area,
                     selectedOnly, Q(Document->Title), svg);
    const QImage raster = RenderRaster(*image, area, selectedOnly);
    auto* data = new QMimeData;
    if (written == prPainted) data->setData("image/svg+xml", svg.data());
    if (!raster.isNull()) data->setImageData(raster);
    QGuiApplication::clipboard()->setMimeData(data);
    RefreshView();
}
