#pragma once
// A number field: a line edit over our own number texts, never the locale's. It keeps the
// exact value it was given until the user edits the text, so a value shown rounded is not
// rewritten by a dialog that merely displays it.

#include <QLineEdit>

#include <cstdint>
#include <optional>

class TNumberEdit : public QLineEdit {
    Q_OBJECT
public:
    // decimals < 0 shows every significant digit; integer fields read whole numbers only.
    explicit TNumberEdit(QWidget* parent = nullptr, int decimals = 0, bool integer = false);

    void SetValue(double value);
    // The value given by SetValue while the text is untouched, else the text read as a
    // number; none when the text is not one (or, for an integer field, not a whole one).
    std::optional<double> Value() const;
    bool Edited() const { return UserEdited; }

    int Decimals = 0;
    bool Integer = false;

private:
    double Exact = 0;
    bool UserEdited = false;
};
