#pragma once
// Number texts for files and the screen. They never follow the user's locale:
// '.' is always the decimal separator and ',' the thousands separator.

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

// Every same-value and is-zero test of the program is absolute with this tolerance.
inline constexpr double FloatTolerance = 1e-10;

inline bool SameValue(double a, double b) {
    double d = a - b;
    return d <= FloatTolerance && d >= -FloatTolerance;
}
inline bool IsZero(double a) {
    return a <= FloatTolerance && a >= -FloatTolerance;
}

// A text that is not a number of the expected kind.
class EConvertError : public std::exception {
public:
    explicit EConvertError(std::string message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }

private:
    std::string Message;
};

// General float text with 15 significant digits: 0.1 -> "0.1", 1/3 -> "0.333333333333333",
// 0.000001 -> "1E-6", 2 -> "2", 1.5e20 -> "1.5E20". NaN and infinities give "NAN", "INF", "-INF".
std::string FloatToStr(double value);

// Reads a float written with '.' (optional blanks, sign, digits, point, exponent).
// A text that is not a number, or whose value lies beyond the double range, fails.
bool TryStrToFloat(std::string_view text, double& value);
// As TryStrToFloat; throws EConvertError "'text' is not a valid floating point value".
double StrToFloat(std::string_view text);

// As TryStrToFloat, but also reads back the "NAN", "INF" and "-INF" that FloatToStr writes for
// values that are not finite, so that a saved file with such a value loads again. Kept apart
// from TryStrToFloat so that entry fields never accept them.
bool TryStrToFloatOrSpecial(std::string_view text, double& value);
double StrToFloatOrSpecial(std::string_view text);

// Decimal integer text, '-' in front of negatives.
std::string IntToStr(int64_t value);

// Reads a signed 32-bit decimal integer (optional blanks and sign). Out of range fails.
bool TryStrToInt(std::string_view text, int32_t& value);
// As TryStrToInt; throws EConvertError "'text' is not a valid integer value".
int32_t StrToInt(std::string_view text);

// Formats with a display pattern: "0.##", "#0.#####", "0.000", "0.00", "0.00E+00", "#,##0",
// "#,##0.##", "#,##0.###", "0.###", "###0.#####", "#0.#######" and any pattern built from the
// same pieces ('0' required digit, '#' optional digit, ',' thousands grouping anywhere in the
// integer part, '.' decimal point, "E+00"/"E-00" exponent). Halves round away from zero.
std::string FormatFloat(std::string_view pattern, double value);
// A count with thousands grouping: 1,000,000.
template <class T> std::string CountText(T n) {
    return FormatFloat("#,##0", static_cast<double>(n));
}
