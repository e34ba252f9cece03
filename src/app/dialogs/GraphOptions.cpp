#include "app/dialogs/GraphOptions.h"

#include "app/Utilities.h"
#include "app/dialogs/SeriesEntryDialogs.h"
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const char* const RowLabels[3] = {"Estimated/Actual", "Simulated", "Derived"};
const char* const RowNames[3] = {"Sketched", "Simulated", "Derived"};
} // namespace

TFormGraphSettings::TFormGraphSettings(QWidget* parent) : QDialog(parent) {
    setObjectName("FormGraphSettings");
    setWindowTitle("Graph Options");
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    layout->addLayout(grid);
    auto* now = new QLabel("Now");
    now->setAlignment(Qt::AlignCenter);
    grid->addWidget(now, 0, 3);
    auto* line = new QFrame;
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    grid->addWidget(line, 1, 3, 3, 1, Qt::AlignHCenter);
    for (int row = 0; row < 3; ++row) {
        const QString label = RowLabels[row];
        const QString name = RowNames[row];
        grid->addWidget(new QLabel(label), row + 1, 0);
        const auto makeCheck = [&](const QString& side) {
            auto* check = new QCheckBox;
            check->setObjectName("CheckBox" + name + side);
            check->setAccessibleName("Show " + label + " " + side.toLower() + " Now");
            return check;
        };
        const auto makeSwatch = [&](const QString& side) {
            auto* swatch = new QToolButton;
            swatch->setObjectName("Swatch" + name + side);
            swatch->setAccessibleName(label + " colour");
            swatch->setToolTip(label + " colour");
            swatch->setIconSize(QSize(32, 14));
            connect(swatch, &QToolButton::clicked, this,
                    [this, row] { RunGuarded([this, row] { PickColour(row); }, this); });
            return swatch;
        };
        CheckBoxBefore[static_cast<size_t>(row)] = makeCheck("Before");
        SwatchBefore[static_cast<size_t>(row)] = makeSwatch("Before");
        CheckBoxAfter[static_cast<size_t>(row)] = makeCheck("After");
        SwatchAfter[static_cast<size_t>(row)] = makeSwatch("After");
        grid->addWidget(CheckBoxBefore[static_cast<size_t>(row)], row + 1, 1);
        grid->addWidget(SwatchBefore[static_cast<size_t>(row)], row + 1, 2);
        grid->addWidget(CheckBoxAfter[static_cast<size_t>(row)], row + 1, 4);
        grid->addWidget(SwatchAfter[static_cast<size_t>(row)], row + 1, 5);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ButtonOK");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("ButtonCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void TFormGraphSettings::Fill(const TDataFile& document) {
    Shown = &document;
    for (size_t row = 0; row < 3; ++row) {
        const uint8_t kind = GraphOptionsRowKinds[row];
        CheckBoxBefore[row]->setChecked(document.SeriesShow[kind * 2]);
        CheckBoxAfter[row]->setChecked(document.SeriesShow[kind * 2 + 1]);
        Colours[row] = document.SeriesColours[kind];
        ShowColour(static_cast<int>(row));
    }
}

bool TFormGraphSettings::Differs(const TDataFile& document) const {
    for (size_t row = 0; row < 3; ++row) {
        const uint8_t kind = GraphOptionsRowKinds[row];
        if (Colours[row] != document.SeriesColours[kind] ||
            CheckBoxBefore[row]->isChecked() != document.SeriesShow[kind * 2] ||
            CheckBoxAfter[row]->isChecked() != document.SeriesShow[kind * 2 + 1])
            return true;
    }
    return false;
}

void TFormGraphSettings::Store(TDataFile& document) const {
    for (size_t row = 0; row < 3; ++row) {
        const uint8_t kind = GraphOptionsRowKinds[row];
        document.SeriesColours[kind] = Colours[row];
        document.SeriesShow[kind * 2] = CheckBoxBefore[row]->isChecked();
        document.SeriesShow[kind * 2 + 1] = CheckBoxAfter[row]->isChecked();
    }
}

void TFormGraphSettings::ShowColour(int row) {
    const QIcon swatch = ColourSwatch(Colours[static_cast<size_t>(row)]);
    SwatchBefore[static_cast<size_t>(row)]->setIcon(swatch);
    SwatchAfter[static_cast<size_t>(row)]->setIcon(swatch);
}

void TFormGraphSettings::PickColour(int row) {
    QColorDialog picker(ColourFromInt(Colours[static_cast<size_t>(row)]), this);
    picker.setObjectName("ColourPicker");
    picker.setWindowTitle(QString(RowLabels[row]) + " colour");
    if (Hooks().Exec(picker) != QDialog::Accepted) return;
    Colours[static_cast<size_t>(row)] = ColourToInt(picker.currentColor());
    ShowColour(row);
}

void TFormGraphSettings::accept() {
    // OK without a change closes as Cancel does, so nothing is marked modified.
    if (Shown && !Differs(*Shown))
        reject();
    else
        QDialog::accept();
}

bool OpenGraphOptions(TDataFile& document, QWidget* parent) {
    TFormGraphSettings dialog(parent);
    dialog.Fill(document);
    if (Hooks().Exec(dialog) != QDialog::Accepted || !dialog.Differs(document)) return false;
    // The options belong to the document, not to the model that undo restores, so they take
    // no snapshot; they are saved with the file, so the document is modified.
    dialog.Store(document);
    document.ApplyGraphOptions();
    document.MarkModified();
    return true;
}
