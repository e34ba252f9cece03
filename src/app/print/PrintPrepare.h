#pragma once
// "Preparing Report": the progress window while the pages of a print are made. It is
// application-modal, so nothing can change or close the model while the pages are made.

#include <QDialog>

class QProgressBar;
class QPushButton;

class TFormPrintPrepare : public QDialog {
    Q_OBJECT
public:
    explicit TFormPrintPrepare(QWidget* parent = nullptr);

    // Shows the window with the bar at 0 of maximum and clears CancelRequested.
    void Start(int maximum);
    void Step();
    // Hides the window without counting as a cancel.
    void Finish();

    bool CancelRequested = false;
    QProgressBar* ProgressBar;
    QPushButton* ButtonCancel;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
};
