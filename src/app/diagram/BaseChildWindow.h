#pragma once
// What every child window of the main window offers: its document, the edit commands,
// refreshing, keeping a finished run for comparison and zooming.

#include <QWidget>

class TDataFile;

// Codes of SetActionState: the edit and print commands; 6 is the zoom controls.
enum TActionCode : int {
    acUndo = 0,
    acCut = 1,
    acCopy = 2,
    acPaste = 3,
    acDelete = 4,
    acSelectAll = 5,
    acZoom = 6,
    acPrint = 7,
    acPrintPreview = 8,
    acPrintSetup = 9
};

// The main window as a child window sees it.
class TActionTarget {
public:
    virtual ~TActionTarget() = default;
    virtual void SetActionState(int code, bool enabled, bool visible) = 0;
    // Whether the diagram may be edited now (no run, or the run is paused).
    virtual bool EditingAllowed() const = 0;
    // A run has locked the model until Stop/Reset (even when paused).
    virtual bool RunLocksEditing() const { return false; }
    // A short word for the status bar: why a gesture did nothing.
    virtual void ShowStatus(const QString& /*text*/) {}
    // Undo put back an earlier model: whatever shows the model follows it.
    virtual void ModelRestored() {}
};

class TFormBaseChild : public QWidget {
    Q_OBJECT
public:
    explicit TFormBaseChild(TActionTarget* actions, QWidget* parent = nullptr);

    virtual void SetDocument(TDataFile* document) { Document = document; }
    virtual void EditCommand(int /*code*/) {}
    virtual void RefreshView() = 0;
    virtual void KeepRunForComparison() = 0;
    // The zoom the window took; 0 when it has none.
    virtual float SetZoom(float /*percent*/) { return 0; }
    // Sets the main window's edit and print commands from the window's state.
    virtual void UpdateEditActions();

    TDataFile* Document = nullptr; // not owned
    TActionTarget* Actions;        // not owned

protected:
    void showEvent(QShowEvent* event) override;
};
