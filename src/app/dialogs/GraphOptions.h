#pragma once
// "Graph Options": the model-wide colour of each series kind and whether element graphs draw
// its part before and after Now.

#include "core/model/SimulationObjects.h"

#include <QCheckBox>
#include <QDialog>
#include <QToolButton>

#include <array>
#include <cstdint>

class TDataFile;

// The rows top to bottom. A row's place is not its kind: the stored options are indexed by
// kind, so every reading and writing goes through this table.
inline constexpr std::array<uint8_t, 3> GraphOptionsRowKinds = {skSketched, skSimulated, skDerived};

class TFormGraphSettings : public QDialog {
    Q_OBJECT
public:
    explicit TFormGraphSettings(QWidget* parent = nullptr);

    void Fill(const TDataFile& document);
    // Whether the dialog shows anything other than the document holds.
    bool Differs(const TDataFile& document) const;
    // Writes the dialog's choices into the document's options.
    void Store(TDataFile& document) const;
    // Opens the colour picker for a row; both its swatches take the colour chosen.
    void PickColour(int row);

    void accept() override;

    // Per row: shown before Now, shown after Now, and the two swatches.
    std::array<QCheckBox*, 3> CheckBoxBefore{};
    std::array<QCheckBox*, 3> CheckBoxAfter{};
    std::array<QToolButton*, 3> SwatchBefore{};
    std::array<QToolButton*, 3> SwatchAfter{};
    std::array<int32_t, 3> Colours{}; // per row

private:
    void ShowColour(int row);
    const TDataFile* Shown = nullptr;
};

// Shows Graph Options for the document; true when OK stored a change (the document is then
// marked modified and its diagram needs repainting).
bool OpenGraphOptions(TDataFile& document, QWidget* parent = nullptr);
