#pragma once
// "Comparative Graph Set-Up": a graph's series, its legend switch, its value axis and the
// kept runs of its elements. Every change applies to the graph at once.

#include "app/dialogs/SeriesSetUp.h"

#include <QCheckBox>

class TGraphInstance;

class TFormGraphEdit : public TSeriesSetUp {
    Q_OBJECT
public:
    TFormGraphEdit(TDataFile& document, TGraphInstance& graph, QWidget* parent = nullptr);

    void Add();
    void ClearSelectedHistories();
    void SetYAxis();

    TGraphInstance& Graph;
    QPushButton* ButtonAdd;
    QPushButton* ButtonEdit;
    QPushButton* ButtonDelete;
    QPushButton* ButtonClearHistories;
    QPushButton* ButtonUp;
    QPushButton* ButtonDown;
    QPushButton* ButtonYAxis;
    QCheckBox* CheckBoxLegend;

protected:
    QStringList RowTexts(int32_t row) const override;
    std::unique_ptr<TFormSeriesItemEdit> MakeItemEditor() override;
    void DeleteEntry(int32_t row) override;
    void MoveEntry(int32_t row, int32_t delta) override;
};
