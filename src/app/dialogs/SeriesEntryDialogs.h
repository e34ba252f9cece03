#pragma once
// The small dialogs of the graph and table set-up: one series entry of a graph or a table,
// a graph's value axis, and a table's row interval.

#include "document/output/SeriesLists.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QIcon>
#include <QLineEdit>

#include <vector>

class TNumberEdit;
class TVariableDataLink;

// A small square of the colour, for lists of colours.
QIcon ColourSwatch(int32_t colour);

// "Edit Graph Data Series" and, without colour, history and display, "Edit Table Data Series".
class TFormSeriesItemEdit : public QDialog {
    Q_OBJECT
public:
    explicit TFormSeriesItemEdit(bool graph, QWidget* parent = nullptr);

    void Fill(const TVariableDataLink& entry);
    // What the fields say now; unchanged fields give the entry's own values.
    TSeriesEntryChoice Choice() const;

    QLineEdit* EditElement;
    QComboBox* ComboBoxData;
    QComboBox* ComboBoxColour = nullptr;
    QComboBox* ComboBoxHistory = nullptr;
    QComboBox* ComboBoxDisplay = nullptr;

private:
    std::vector<uint8_t> Kinds; // the Data list's kinds in list order
    bool History = false;       // the entry's own, for the table's editor
    bool Visible = true;
    bool IsGraph;
};

class TFormGraphItemEdit : public TFormSeriesItemEdit {
    Q_OBJECT
public:
    explicit TFormGraphItemEdit(QWidget* parent = nullptr);
};

class TFormTableItemEdit : public TFormSeriesItemEdit {
    Q_OBJECT
public:
    explicit TFormTableItemEdit(QWidget* parent = nullptr);
};

// "Set Y Axis": a fixed or automatic lower and upper bound. Automatic is stored as +inf for
// the lower and -inf for the upper bound.
class TformGraphYAxis : public QDialog {
    Q_OBJECT
public:
    explicit TformGraphYAxis(QWidget* parent = nullptr);

    void Fill(double yMin, double yMax);
    // Valid once the dialog was accepted.
    double YMin() const;
    double YMax() const;

    void accept() override;

    QCheckBox* CheckBoxMinAuto;
    QCheckBox* CheckBoxMaxAuto;
    TNumberEdit* EditMin;
    TNumberEdit* EditMax;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows the refusal and gives the field edited last the focus; true when the bounds do.
    bool CheckBounds();
    TNumberEdit* LastEdited = nullptr;
    bool EditedSinceCheck = false;
};

// "Table Settings": the rows' interval in time steps, a whole number from 1 to 100.
class TFormTableSettings : public QDialog {
    Q_OBJECT
public:
    explicit TFormTableSettings(QWidget* parent = nullptr);

    void Fill(int32_t interval);
    int32_t Interval() const;

    QLineEdit* EditInterval;
};
