#pragma once
// The diagram window: the Model page paints the document's drawing on a double-buffered
// surface with scroll bars; the Equations and Notes pages list and describe the model.
// Mouse and keyboard editing of the diagram builds on this surface.

#include "app/diagram/BaseChildWindow.h"
#include "document/diagram/DrawingObjects.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>

class TDrawSurfaceWidget;
class QToolButton;

class TFormMainView : public TFormBaseChild {
    Q_OBJECT
public:
    explicit TFormMainView(TActionTarget* actions, QWidget* parent = nullptr);

    void SetDocument(TDataFile* document) override;
    void EditCommand(int code) override;
    void RefreshView() override;
    void KeepRunForComparison() override;
    float SetZoom(float percent) override;
    void UpdateEditActions() override;
    // A diagram tool chosen on the main window; false when the view refuses it.
    bool SelectTool(QToolButton* button, bool sticky);

    // The document's drawing, bound to this window's surface; none without a document.
    TDrawImage* Image();

    QTabWidget* PageControlMain;
    QWidget* TabSheetModel;
    QWidget* TabSheetEquations;
    QWidget* TabSheetNotes;
    QWidget* PanelMain;
    TDrawSurfaceWidget* ImageMain;
    QScrollBar* ScrollBarVertical;
    QScrollBar* ScrollBarHorizontal;
    QTableWidget* GridEquations;
    QPlainTextEdit* RichEditNotes;

    bool Updating = true;
    bool ScrollBarDriven = false;
    TDrawRect LastExtent = EmptyRect;
    TDrawRect LastVisible = EmptyRect;
    int32_t LastHPos = 1;
    int32_t LastVPos = 1;
    int64_t RefreshCount = 0; // paints of the diagram since the window was made

signals:
    // The diagram was painted afresh.
    void Refreshed();

private:
    void SetScrollBars();
    void ScrollMoved(QScrollBar* bar, int32_t& last, int32_t& scroll, int value);
    void FillEquations();
};
