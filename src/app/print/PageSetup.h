#pragma once
// "Page Setup": orientation, scale or fit to pages, paper size and page-break display of
// the printed diagram. Closing with "Print..." or "Print Preview" stores the settings as OK
// does and asks for a print or a preview.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;
class TDataFile;
class TDrawImage;
class TNumberEdit;

class TFormPageSetup : public QDialog {
    Q_OBJECT
public:
    // Results beside Accepted and Rejected.
    enum { mrPrint = 100, mrPreview = 101 };

    explicit TFormPageSetup(QWidget* parent = nullptr);

    // Shows the page set-up of the document's drawing.
    void Fill(TDataFile& document);
    // Checks the entries and stores them; false (after a message) when one is refused.
    // The document is marked modified, with one undo step, only when a setting changed.
    bool Apply();

    QRadioButton* RadioButtonPortrait;
    QRadioButton* RadioButtonLandscape;
    QRadioButton* RadioButtonAdjust;
    TNumberEdit* EditScale;
    QRadioButton* RadioButtonFit;
    TNumberEdit* EditPagesWide;
    TNumberEdit* EditPagesTall;
    QComboBox* ComboBoxPaperSize;
    QCheckBox* CheckBoxShowPageBreaks;
    QPushButton* ButtonOK;
    QPushButton* ButtonCancel;
    QPushButton* ButtonPrint;
    QPushButton* ButtonPreview;

private:
    void CloseWith(int result);
    TDataFile* Target = nullptr;
};
