#pragma once
// "Sensitivity Results": for the output chosen in a list, the band graph of the last
// analysis, filling in while its runs complete; Copy Grid of the band table, Export CSV,
// Copy Image and Print through the report.

#include "app/analysis/SensitivityRun.h"
#include "document/output/BandGraph.h"

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

// The band graph, painted by the painter of pictures and print.
class TBandGraphView : public QWidget {
    Q_OBJECT
public:
    explicit TBandGraphView(QWidget* parent = nullptr);
    TBandGraphData Data;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class TFormSensitivityResults : public QDialog {
    Q_OBJECT
public:
    explicit TFormSensitivityResults(QWidget* parent = nullptr);

    // The analysis shown (not owned); none empties the window.
    void SetSession(TSensitivitySession* session);
    TSensitivitySession* Session() const { return Shown; }
    // Computes the chosen output's bands again from the runs done.
    void Refresh();
    // While runs go on: a Refresh a little later, however many runs report meanwhile.
    void RequestRefresh();

    // The band table of the chosen output: Time and the ten statistics, tab-separated
    // lines ended by CR LF, numbers exact.
    QString GridText() const;
    void CopyGrid();
    // Every output's bands as the command line's BANDS.csv, to a file the user names.
    void ExportCsv();
    void CopyImage();
    // The chosen output's graph on a page of the report, through the printer dialog.
    void Print();

    QListWidget* ListBoxOutputs;
    TBandGraphView* Graph;
    QLabel* LabelStatus;
    QPushButton* ButtonCopyGrid;
    QPushButton* ButtonExportCsv;
    QPushButton* ButtonCopyImage;
    QPushButton* ButtonPrint;
    QPushButton* ButtonClose;

private:
    void ShowStatus();
    int Output() const;
    TSensitivitySession* Shown = nullptr;
    QTimer* RefreshTimer;
};
