#pragma once
// A message box whose buttons carry captions the caller gives.

#include <QDialog>
#include <QStringList>

#include <vector>

struct TChoiceLayout {
    int ButtonWidth;
    int Margin;
    int ClientWidth;
};
// Buttons as wide as the widest caption plus room, spread evenly with margins that shrink
// as buttons are added.
TChoiceLayout ChoiceLayout(const std::vector<int>& captionWidths);

class TFormMultiButtonDlg : public QDialog {
    Q_OBJECT
public:
    TFormMultiButtonDlg(const QString& message, int iconKind, const QStringList& captions,
                        int defaultButton, int cancelButton, QWidget* parent = nullptr);
};
