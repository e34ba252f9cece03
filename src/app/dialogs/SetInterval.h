#pragma once
// "Graph Time Interval": the spacing of a sketched series' points, checked against the run
// length before it replaces the sketch.

#include <QDialog>

class TNumberEdit;
class QPushButton;

class TFormSetInterval : public QDialog {
    Q_OBJECT
public:
    explicit TFormSetInterval(QWidget* parent = nullptr);

    // The interval shown and the largest allowed (999999999 when the caller has none).
    void Set(double interval, double span = 999999999);
    // The interval typed, once the dialog closed with OK.
    double Interval() const { return Chosen; }
    // The OK button's checks; closes the dialog when they pass.
    void TryAccept();

    TNumberEdit* EditInterval;
    QPushButton* ButtonOK;
    QPushButton* ButtonCancel;

private:
    void Restore();
    double Shown = 1;
    double Span = 999999999;
    double Chosen = 1;
};
