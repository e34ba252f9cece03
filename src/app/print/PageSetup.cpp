#include "app/print/PageSetup.h"

#include "app/Utilities.h"
#include "app/widgets/NumberEdit.h"
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"
#include "document/model/DocumentEdits.h"
#include "document/output/PrintLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

TNumberEdit* WholeNumber(const char* name, const QString& accessible, int maxLength) {
    auto* edit = new TNumberEdit(nullptr, 0, true);
    edit->setObjectName(name);
    edit->setAccessibleName(accessible);
    edit->setMaxLength(maxLength);
    edit->setMaximumWidth(60);
    return edit;
}

// The page counts a field may hold.
constexpr int MaxPagesAcross = 100;

} // namespace

TFormPageSetup::TFormPageSetup(QWidget* parent) : QDialog(parent) {
    setObjectName("FormPageSetup");
    setWindowTitle("Page Setup");

    auto* orientation = new QGroupBox("Orientation");
    RadioButtonPortrait = new QRadioButton("Por&trait");
    RadioButtonPortrait->setObjectName("RadioButtonPortrait");
    RadioButtonLandscape = new QRadioButton("&Landscape");
    RadioButtonLandscape->setObjectName("RadioButtonLandscape");
    auto* orientationRow = new QHBoxLayout(orientation);
    orientationRow->addWidget(RadioButtonPortrait);
    orientationRow->addWidget(RadioButtonLandscape);
    orientationRow->addStretch();

    auto* scaling = new QGroupBox("Scaling");
    RadioButtonAdjust = new QRadioButton("&Adjust To:");
    RadioButtonAdjust->setObjectName("RadioButtonAdjust");
    EditScale = WholeNumber("EditScale", "Adjust To percent", 5);
    RadioButtonFit = new QRadioButton("&Fit to:");
    RadioButtonFit->setObjectName("RadioButtonFit");
    EditPagesWide = WholeNumber("EditPagesWide", "page(s) wide", 3);
    EditPagesTall = WholeNumber("EditPagesTall", "pages tall", 3);
    ComboBoxPaperSize = new QComboBox;
    ComboBoxPaperSize->setObjectName("ComboBoxPaperSize");
    for (const char* name : PaperNames)
        ComboBoxPaperSize->addItem(name);
    auto* paperLabel = new QLabel("Paper si&ze:");
    paperLabel->setBuddy(ComboBoxPaperSize);
    auto* grid = new QGridLayout(scaling);
    grid->addWidget(RadioButtonAdjust, 0, 0);
    grid->addWidget(EditScale, 0, 1);
    grid->addWidget(new QLabel("%"), 0, 2);
    grid->addWidget(RadioButtonFit, 1, 0);
    grid->addWidget(EditPagesWide, 1, 1);
    grid->addWidget(new QLabel("page(s) wide by"), 1, 2);
    grid->addWidget(EditPagesTall, 1, 3);
    grid->addWidget(new QLabel("tall"), 1, 4);
    grid->addWidget(paperLabel, 2, 0);
    grid->addWidget(ComboBoxPaperSize, 2, 1, 1, 4);
    grid->setColumnStretch(5, 1);

    CheckBoxShowPageBreaks = new QCheckBox("&Show page breaks on drawing");
    CheckBoxShowPageBreaks->setObjectName("CheckBoxShowPageBreaks");

    ButtonOK = new QPushButton("OK");
    ButtonOK->setObjectName("ButtonOK");
    ButtonOK->setDefault(true);
    ButtonCancel = new QPushButton("Cancel");
    ButtonCancel->setObjectName("ButtonCancel");
    ButtonPrint = new QPushButton("Print...");
    ButtonPrint->setObjectName("ButtonPrint");
    ButtonPreview = new QPushButton("Print Previe&w");
    ButtonPreview->setObjectName("ButtonPreview");
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {ButtonOK, ButtonCancel, ButtonPrint, ButtonPreview})
        buttons->addWidget(button);
    buttons->addStretch();

    auto* left = new QVBoxLayout;
    left->addWidget(orientation);
    left->addWidget(scaling);
    left->addWidget(CheckBoxShowPageBreaks);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    // Typing in a field chooses its way of scaling.
    connect(EditScale, &QLineEdit::textEdited, this,
            [this] { RadioButtonAdjust->setChecked(true); });
    for (TNumberEdit* edit : {EditPagesWide, EditPagesTall})
        connect(edit, &QLineEdit::textEdited, this, [this] { RadioButtonFit->setChecked(true); });
    connect(ButtonOK, &QPushButton::clicked, this, [this] { CloseWith(Accepted); });
    connect(ButtonPrint, &QPushButton::clicked, this, [this] { CloseWith(mrPrint); });
    connect(ButtonPreview, &QPushButton::clicked, this, [this] { CloseWith(mrPreview); });
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormPageSetup::Fill(TDataFile& document) {
    Target = &document;
    const TDrawImage& image = document.Image();
    const QSignalBlocker blockers[] = {QSignalBlocker(EditScale), QSignalBlocker(EditPagesWide),
                                       QSignalBlocker(EditPagesTall)};
    (image.Orientation == 0 ? RadioButtonPortrait : RadioButtonLandscape)->setChecked(true);
    // A scale a file cannot have meant shows as 100 %; a fitted scale below 1 % as 1.
    EditScale->SetValue(
        std::max<double>(MinPrintPercent, std::trunc(UsablePrintScale(image.PrintScale))));
    EditPagesWide->SetValue(std::clamp(image.PagesWide, 0, MaxPagesAcross));
    EditPagesTall->SetValue(std::clamp(image.PagesTall, 0, MaxPagesAcross));
    ComboBoxPaperSize->setCurrentIndex(PaperIndex(image.PaperSize));
    (image.FitToPages ? RadioButtonFit : RadioButtonAdjust)->setChecked(true);
    CheckBoxShowPageBreaks->setChecked(image.ShowPageBreaks);
}

bool TFormPageSetup::Apply() {
    if (!Target) return false;
    TDrawImage& image = Target->Image();
    const bool fit = !RadioButtonAdjust->isChecked();
    const std::optional<double> percent = EditScale->Value();
    const bool percentUsable =
        percent && *percent >= MinPrintPercent && *percent <= MaxPrintPercent;
    if (!fit && !percentUsable) {
        ShowError(percent && *percent > MaxPrintPercent
                      ? QString("The scale must not be more than %1").arg(MaxPrintPercent)
                      : QString("The scale must be greater than 0"),
                  this);
        EditScale->setFocus();
        return false;
    }
    int32_t pages[2] = {};
    TNumberEdit* pageEdits[2] = {EditPagesWide, EditPagesTall};
    for (int i = 0; i < 2; ++i) {
        const std::optional<double> value = pageEdits[i]->Value();
        if (!value || *value < 0 || *value > MaxPagesAcross) {
            ShowError(QString("The number of pages must be from 0 to %1").arg(MaxPagesAcross),
                      this);
            pageEdits[i]->setFocus();
            return false;
        }
        pages[i] = static_cast<int32_t>(*value);
    }
    // An untouched percentage keeps the exact scale stored (one a file cannot have meant
    // becomes 100); with "Fit to:" an unusable typed one is not stored.
    const float scale = percentUsable && EditScale->Edited() ? static_cast<float>(*percent)
                                                             : UsablePrintScale(image.PrintScale);
    const uint8_t orientation = RadioButtonPortrait->isChecked() ? 0 : 1;
    const auto paper = static_cast<uint8_t>(std::max(0, ComboBoxPaperSize->currentIndex()));
    const bool breaks = CheckBoxShowPageBreaks->isChecked();
    EditDocument(*Target, efNone, [&] {
        const bool changed = image.Orientation != orientation || image.PrintScale != scale ||
                             image.PagesWide != pages[0] || image.PagesTall != pages[1] ||
                             image.PaperSize != paper || image.FitToPages != fit ||
                             image.ShowPageBreaks != breaks;
        if (!changed) return false;
        image.Orientation = orientation;
        image.PrintScale = scale;
        image.PagesWide = pages[0];
        image.PagesTall = pages[1];
        image.PaperSize = paper;
        image.FitToPages = fit;
        image.ShowPageBreaks = breaks;
        image.PageWidth = 0;
        image.PageHeight = 0;
        return true;
    });
    return true;
}

void TFormPageSetup::CloseWith(int result) {
    RunGuarded(
        [this, result] {
            if (Apply()) done(result);
        },
        this);
}
