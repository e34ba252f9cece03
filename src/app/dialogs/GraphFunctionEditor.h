#pragma once
// "Set Graph Function": the table of a GRAPH call as a grid of Y values at equally spaced X
// values and as a graph to draw on with the mouse.

#include "core/model/DataSeries.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QStatusBar;
class TDataGrid;
class TLookupTableModel;
class TNumberEdit;
class TSketchPlot;

class TFormXYGraph : public QDialog {
    Q_OBJECT
public:
    explicit TFormXYGraph(QWidget* parent = nullptr);
    ~TFormXYGraph() override;

    // Edits table (points numbered 0, 1, 2, ...; Origin the X start, Interval the X
    // increment) modally; true on OK, with table changed.
    bool Edit(TDataSeries& table);

    // The table being edited and the copy for Reset.
    TDataSeries Table;
    TDataSeries ShownTable;
    double Lower = 0;
    double Upper = 1;

    // What leaving each field does; OK runs them all first. False when the field was
    // refused and put back.
    bool ApplyCount();
    bool ApplyXStart();
    bool ApplyXIncrement();
    bool ApplyScale(bool leaving);
    void ClearData();
    void ResetData();
    void TryAccept();
    // A mouse stroke at fractions of the plot (0..1 from the left and the bottom).
    void SketchAt(double x, double y, bool first);
    void Refresh();

    TNumberEdit* EditCount;
    TNumberEdit* EditXStart;
    TNumberEdit* EditXIncrement;
    TNumberEdit* EditUpperY;
    TNumberEdit* EditLowerY;
    TDataGrid* GridData;
    TSketchPlot* ImageGraph;
    QPushButton* ButtonClear;
    QPushButton* ButtonReset;
    QPushButton* ButtonOK;
    QPushButton* ButtonCancel;
    QStatusBar* StatusBar;

private:
    void Fill();
    void SetScaleFields();
    TLookupTableModel* Model;
    int32_t PreviousIndex = -1;
    double PreviousValue = 0;
};
