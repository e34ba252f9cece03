#pragma once
// The error log: the messages of the last model check in a small tool window of the main
// window, shown when a check finds something and the user wants to see it.

#include <QCheckBox>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>

#include <string>
#include <vector>

class TFormModelErrors : public QDialog {
    Q_OBJECT
public:
    explicit TFormModelErrors(QWidget* parent = nullptr);

    // After every model check.
    void ShowErrors(const std::vector<std::string>& messages);
    // When a new model is started.
    void ClearErrors();
    // "Show Error Log": the caller runs the check again afterwards.
    void RequestShow() { ShowRequested = true; }
    void SetPopupOnNewError(bool on);

    bool PopupOnNewError = true;
    bool ShowRequested = false;
    // Whether the log has been given its first place.
    bool Placed = false;
    // Its distance from the main window's edges when first placed.
    static constexpr int Margin = 24;

    QPlainTextEdit* MemoErrors;
    QCheckBox* PopupChk;
    QPushButton* ButtonHide;

signals:
    // The window was shown or hidden, whichever way.
    void VisibilityChanged(bool visible);
    void PopupChanged(bool on);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override; // Escape hides like "Hide"

private:
    void PlaceFirstTime();
    void HideByUser();
    bool HidingForEmpty = false;
};
