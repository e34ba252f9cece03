#include "app/widgets/NumberEdit.h"

#include "app/Utilities.h"
#include "core/support/NumberFormat.h"

#include <QRegularExpressionValidator>

TNumberEdit::TNumberEdit(QWidget* parent, int decimals, bool integer)
    : QLineEdit(parent), Decimals(decimals), Integer(integer) {
    // Only characters that can be part of a number; the reading is ours, not a validator's.
    setValidator(new QRegularExpressionValidator(
        QRegularExpression(integer ? "[-+]?[0-9]*" : "[-+]?[0-9]*\\.?[0-9]*([eE][-+]?[0-9]*)?"),
        this));
    connect(this, &QLineEdit::textEdited, this, [this] { UserEdited = true; });
}

void TNumberEdit::SetValue(double value) {
    Exact = value;
    UserEdited = false;
    std::string text;
    if (Integer)
        text = FormatFloat("0", value);
    else if (Decimals < 0)
        text = FloatToStr(value);
    else
        text = FormatFloat(
            Decimals == 0 ? "0" : "0." + std::string(static_cast<size_t>(Decimals), '0'), value);
    setText(Q(text));
}

std::optional<double> TNumberEdit::Value() const {
    if (!UserEdited) return Exact;
    if (Integer) {
        int32_t whole = 0;
        if (!TryStrToInt(S(text()), whole)) return std::nullopt;
        return whole;
    }
    double value = 0;
    if (!TryStrToFloat(S(text()), value)) return std::nullopt;
    return value;
}
