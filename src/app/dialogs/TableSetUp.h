#pragma once
// "Data Table Set-Up": a table's series and its row interval. Every change applies to the
// table at once, its column widths kept in step with the entries.

#include "app/dialogs/SeriesSetUp.h"

class TTableInstance;

class TFormTableSetUp : public TSeriesSetUp {
    Q_OBJECT
public:
    TFormTableSetUp(TDataFile& document, TTableInstance& table, QWidget* parent = nullptr);

    void Add();
    void EditSettings();

    TTableInstance& Table;
    QPushButton* ButtonAdd;
    QPushButton* ButtonEdit;
    QPushButton* ButtonDelete;
    QPushButton* ButtonTableSettings;
    QPushButton* ButtonUp;
    QPushButton* ButtonDown;

protected:
    QStringList RowTexts(int32_t row) const override;
    std::unique_ptr<TFormSeriesItemEdit> MakeItemEditor() override;
    void DeleteEntry(int32_t row) override;
    void MoveEntry(int32_t row, int32_t delta) override;
};
