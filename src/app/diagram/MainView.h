#pragma once
// The diagram window: the Model page paints the document's drawing on a double-buffered
// surface with scroll bars and edits it with the mouse, the keys and the context menu; the
// Equations and Notes pages list and describe the model. Index of the parts:
//   MainView.cpp: pages, refresh, scroll bars, zoom, the Equations and Notes pages
//   MainViewMouse.cpp: tools, the mouse and key state machine, auto-scroll, dialogs
//   MainViewCommands.cpp: the Edit commands, Find, Clone, Copy Image; PopupMenuMain.cpp

#include "app/diagram/BaseChildWindow.h"
#include "document/diagram/DrawingObjects.h"
#include "document/diagram/MenuStates.h"

#include <QPlainTextEdit>
#include <QPoint>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>

#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QMenu;
class QTimer;
class QToolButton;
class TDiagramDrag;
class TDrawSurfaceWidget;

class TFormMainView : public TFormBaseChild {
    Q_OBJECT
public:
    explicit TFormMainView(TActionTarget* actions, QWidget* parent = nullptr);
    ~TFormMainView() override;

    void SetDocument(TDataFile* document) override;
    void EditCommand(int code) override;
    void RefreshView() override;
    void KeepRunForComparison() override;
    float SetZoom(float percent) override;
    void UpdateEditActions() override;
    // A diagram tool chosen on the main window; false when the view refuses it (the button
    // pops up). Clone and Find run at once.
    bool SelectTool(QToolButton* button, bool sticky);
    // Back to plain selection: no tool, its button up, the arrow cursor.
    void DropTool();

    // The document's drawing, bound to this window's surface; none without a document.
    TDrawImage* Image();

    // The context menu at a point of the surface: the click it implies, then the item states;
    // PopupMenu shows it there.
    void PreparePopupMenu(QPoint point);
    void PopupMenu(QPoint point);
    // Its commands, also reached by the Edit menu and the tools.
    void DeleteSelection();
    void DisconnectPipe();
    void ToggleGraph();
    void ToggleValue();
    void DeriveCommand();
    void SetSketchToDerivedCommand();
    void ReverseFlowCommand();
    void FindCommand();
    void CloneCommand();
    void CopyImage();
    // One tick of auto-scroll: the last mouse move again.
    void TimerScrollTimer();
    void CopyEquationGrid();

    QTabWidget* PageControlMain;
    QWidget* TabSheetModel;
    QWidget* TabSheetEquations;
    QWidget* TabSheetNotes;
    QWidget* PanelMain;
    TDrawSurfaceWidget* ImageMain;
    QScrollBar* ScrollBarVertical;
    QScrollBar* ScrollBarHorizontal;
    QTableWidget* GridEquations;
    QComboBox* ComboBoxEquationSortOrder;
    QMenu* PopupMenuEquationGrid;
    QPlainTextEdit* RichEditNotes;
    QTimer* TimerScroll;
    QMenu* PopupMenuMain;
    QAction* PopupActions[piCount] = {};

    bool Updating = true;
    bool ScrollBarDriven = false;
    TDrawRect LastExtent = EmptyRect;
    TDrawRect LastVisible = EmptyRect;
    int32_t LastHPos = 1;
    int32_t LastVPos = 1;
    int64_t RefreshCount = 0; // paints of the diagram since the window was made

    // View state. Object references point into the drawing; anything that frees or replaces
    // objects clears them all (ForgetObjects).
    std::vector<TDrawObject*> Selection;
    TDrawObject* HotObject = nullptr;
    QToolButton* ActiveTool = nullptr;
    bool ToolSticky = false;
    bool ToolPressed = false;
    QPoint ToolStart;
    TVariableInstance* LinkSource = nullptr;
    bool DragArmed = false;
    bool DragStarted = false;
    TDrawObject* DragObject = nullptr;
    QPoint DownPoint{-1, -1};
    bool MarqueeActive = false;
    // Set by a double-click: its own release is swallowed, and nothing after it.
    bool SuppressNextMouseUp = false;
    int PendingKey = 0;
    QPoint LastMouse{-1, -1};
    TVariableInstance* LastFound = nullptr;
    QPoint ScrollMouse;
    Qt::KeyboardModifiers ScrollShift;

signals:
    // The diagram was painted afresh.
    void Refreshed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetScrollBars();
    void ScrollMoved(QScrollBar* bar, int32_t& last, int32_t& scroll, int value);
    void FillEquations();
    void BuildPopupMenu();

    // The mouse and key state machine (view pixels).
    void MouseDown(QPoint p, Qt::MouseButton button);
    void MouseMove(QPoint p, Qt::KeyboardModifiers shift);
    void MouseUp(QPoint p, Qt::MouseButton button, Qt::KeyboardModifiers shift);
    void DoubleClick(QPoint p, Qt::MouseButton button);
    void KeyUp(int key);
    void AutoScrollCheck(QPoint p, Qt::KeyboardModifiers shift);
    void OpenObjectDialog(TDrawObject* object);
    void EndGesture();
    TDrawObject* HitTest(QPoint p);

    // Whether the view takes clicks, selection and double-clicks (no run, or a paused one).
    bool CanSelect() const;
    // Whether the model may be changed: tools, drags, the edit commands.
    bool CanEdit() const;
    // A mouse button is held for a drag, a rectangle or a tool.
    bool GestureHeld() const { return DragArmed || ToolPressed || MarqueeActive; }
    int ToolTag() const;
    void SetCursorFor(TDrawObject* object);

    // Selection, kept in the objects' Selected flags and in Selection.
    void ClearSelection();
    void SelectOnly(TDrawObject* object);
    void SelectionFromImage();
    void ForgetObjects();
    TVariableInstance* HotShape() const;
    // The element of the shape under the mouse, else of the first selected shape.
    TVariableObject* PreselectedVariable() const;

    std::unique_ptr<TDiagramDrag> Drag;
};
