#include "core/support/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace {

// A finite double as 15 significant decimal digits: d0.d1d2...d14 x 10^Exponent.
// Everything shown to the user starts from this, so display rounding works on the
// decimal value the user would read rather than on the binary one (1.005 is 1.005 here).
struct TDecimal {
    bool Negative = false;
    std::string Digits; // always 15 digits; all zero for zero
    int Exponent = 0;

    bool IsZero() const { return Digits.find_first_not_of('0') == std::string::npos; }
    // The digit standing for 10^power, '0' outside the kept digits.
    char DigitAt(int power) const {
        int index = Exponent - power;
        return index >= 0 && index < static_cast<int>(Digits.size()) ? Digits[index] : '0';
    }
};

constexpr int SignificantDigits = 15;

TDecimal Decompose(double value) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                std::chars_format::scientific, SignificantDigits - 1);
    std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
    TDecimal decimal;
    if (!text.empty() && text.front() == '-') {
        decimal.Negative = true;
        text.remove_prefix(1);
    }
    size_t e = text.find('e');
    for (char c : text.substr(0, e))
        if (c != '.') decimal.Digits += c;
    std::string_view exponent = text.substr(e + 1);
    bool negativeExponent = !exponent.empty() && exponent.front() == '-';
    int magnitude = 0;
    for (char c : exponent)
        if (c >= '0' && c <= '9') magnitude = magnitude * 10 + (c - '0');
    decimal.Exponent = negativeExponent ? -magnitude : magnitude;
    if (decimal.IsZero()) {
        decimal.Negative = false; // no "-0" anywhere
        decimal.Exponent = 0;
    }
    return decimal;
}

// Keeps the first `keep` digits, rounding half away from zero on the decimal digits.
void RoundDigits(TDecimal& decimal, int keep) {
    const int count = static_cast<int>(decimal.Digits.size());
    if (keep >= count) return;
    if (keep < 0) {
        decimal.Digits.assign(count, '0');
        decimal.Exponent = 0;
        return;
    }
    bool roundUp = decimal.Digits[keep] >= '5';
    for (int i = keep; i < count; ++i)
        decimal.Digits[i] = '0';
    if (!roundUp) {
        if (decimal.IsZero()) decimal.Exponent = 0;
        return;
    }
    int i = keep - 1;
    while (i >= 0 && decimal.Digits[i] == '9') {
        decimal.Digits[i] = '0';
        --i;
    }
    if (i >= 0) {
        ++decimal.Digits[i];
    } else {
        // Carried past the first digit: 9.99 -> 10.0
        decimal.Digits.assign(count, '0');
        decimal.Digits[0] = '1';
        ++decimal.Exponent;
    }
}

std::string IntText(long long value) {
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

const char* NonFiniteText(double value) {
    if (std::isnan(value)) return "NAN";
    return value > 0 ? "INF" : "-INF";
}

// Blanks around a number: the C locale's white space. Unlike IsBlank of Text.h, other control
// characters do not count.
bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsWhiteSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsWhiteSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Checks the whole grammar ourselves: from_chars alone would accept "inf", "nan" and
// hexadecimal-looking texts, and stops silently at the first character it cannot use.
bool TryParseFloat(std::string_view text, double& value) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    size_t pos = 0;
    const size_t n = text.size();
    size_t mantissaDigits = 0;
    bool seenNonZero = false;
    long long integerDigits = 0;
    while (pos < n && IsDigit(text[pos])) {
        if (!seenNonZero && text[pos] != '0') seenNonZero = true;
        if (seenNonZero) ++integerDigits;
        ++pos;
        ++mantissaDigits;
    }
    long long fractionLeadingZeros = 0;
    if (pos < n && text[pos] == '.') {
        ++pos;
        while (pos < n && IsDigit(text[pos])) {
            if (!seenNonZero) {
                if (text[pos] != '0')
                    seenNonZero = true;
                else
                    ++fractionLeadingZeros;
            }
            ++pos;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) return false;
    // Decimal position of the first non-zero digit, to tell overflow from underflow.
    const long long leadingPower =
        integerDigits > 0 ? integerDigits - 1 : -(fractionLeadingZeros + 1);
    long long exponent = 0;
    if (pos < n && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        bool negativeExponent = false;
        if (pos < n && (text[pos] == '+' || text[pos] == '-')) {
            negativeExponent = text[pos] == '-';
            ++pos;
        }
        size_t exponentDigits = 0;
        while (pos < n && IsDigit(text[pos])) {
            if (exponent < 1000000000) exponent = exponent * 10 + (text[pos] - '0');
            ++pos;
            ++exponentDigits;
        }
        if (exponentDigits == 0) return false;
        if (negativeExponent) exponent = -exponent;
    }
    if (pos != n) return false;

    double parsed = 0;
    auto result = std::from_chars(text.data(), text.data() + n, parsed, std::chars_format::general);
    if (result.ptr != text.data() + n) return false;
    if (result.ec == std::errc::result_out_of_range) {
        // Too small for a double reads as zero; too large is not a value we can hold.
        if (!seenNonZero || leadingPower + exponent < 0)
            parsed = 0;
        else
            return false;
    } else if (result.ec != std::errc()) {
        return false;
    }
    if (std::isinf(parsed)) return false;
    value = negative ? -parsed : parsed;
    return true;
}

// Pieces of a display pattern such as "#,##0.00" or "0.00E+00".
struct TPattern {
    std::string Prefix;
    std::string Suffix;
    int IntegerPlaces = 0; // '0' and '#' before the point
    int MinInteger = 0;    // places from the first '0' before the point
    int MaxDecimals = 0;   // '0' and '#' after the point
    int MinDecimals = 0;   // up to the last '0' after the point
    bool Thousands = false;
    bool Scientific = false;
    bool ExponentSignAlways = false;
    int ExponentDigits = 0;
    bool HasPlaceholder = false;
};

TPattern ParsePattern(std::string_view pattern) {
    TPattern p;
    bool started = false;
    bool pointSeen = false;
    bool zeroSeen = false;
    auto literal = [&](std::string_view text) {
        if (started)
            p.Suffix += text;
        else
            p.Prefix += text;
    };
    for (size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c == '"' || c == '\'') {
            size_t close = pattern.find(c, i + 1);
            if (close == std::string_view::npos) close = pattern.size();
            literal(pattern.substr(i + 1, close - i - 1));
            i = close;
        } else if (p.Scientific) {
            p.Suffix += c;
        } else if (c == '0' || c == '#') {
            started = true;
            p.HasPlaceholder = true;
            if (!pointSeen) {
                ++p.IntegerPlaces;
                if (c == '0') zeroSeen = true;
                if (zeroSeen) ++p.MinInteger;
            } else {
                ++p.MaxDecimals;
                if (c == '0') p.MinDecimals = p.MaxDecimals;
            }
        } else if (c == ',') {
            if (!pointSeen) p.Thousands = true;
            started = true;
        } else if (c == '.') {
            pointSeen = true;
            started = true;
        } else if ((c == 'E' || c == 'e') && started && i + 2 < pattern.size() &&
                   (pattern[i + 1] == '+' || pattern[i + 1] == '-') && pattern[i + 2] == '0') {
            p.Scientific = true;
            p.ExponentSignAlways = pattern[i + 1] == '+';
            i += 2;
            while (i < pattern.size() && pattern[i] == '0') {
                ++p.ExponentDigits;
                ++i;
            }
            --i;
        } else {
            literal(std::string_view(&pattern[i], 1));
        }
    }
    return p;
}

std::string GroupThousands(const std::string& digits) {
    std::string grouped;
    const size_t n = digits.size();
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

void TrimFraction(std::string& fraction, int minDecimals) {
    while (static_cast<int>(fraction.size()) > minDecimals && fraction.back() == '0')
        fraction.pop_back();
}

std::string FormatFixed(const TPattern& p, double value) {
    TDecimal d = Decompose(value);
    if (d.Exponent >= SignificantDigits) return FloatToStr(value);
    RoundDigits(d, d.Exponent + p.MaxDecimals + 1);
    if (d.Exponent >= SignificantDigits) return FloatToStr(value);
    const bool zero = d.IsZero();

    std::string integer;
    if (!zero)
        for (int power = d.Exponent; power >= 0; --power)
            integer += d.DigitAt(power);
    if (static_cast<int>(integer.size()) < p.MinInteger)
        integer.insert(0, p.MinInteger - integer.size(), '0');
    if (p.Thousands) integer = GroupThousands(integer);

    std::string fraction;
    if (!zero)
        for (int power = -1; power >= -p.MaxDecimals && power >= d.Exponent - SignificantDigits;
             --power)
            fraction += d.DigitAt(power);
    if (static_cast<int>(fraction.size()) < p.MinDecimals)
        fraction.append(p.MinDecimals - fraction.size(), '0');
    TrimFraction(fraction, p.MinDecimals);
    if (integer.empty() && fraction.empty()) integer = "0";

    std::string out = d.Negative && !zero ? "-" : "";
    out += p.Prefix;
    out += integer;
    if (!fraction.empty()) out += '.' + fraction;
    out += p.Suffix;
    return out;
}

std::string FormatScientific(const TPattern& p, double value) {
    TDecimal d = Decompose(value);
    const bool zero = d.IsZero();
    const int integerPlaces = p.IntegerPlaces > 0 ? p.IntegerPlaces : 1;
    if (!zero) RoundDigits(d, integerPlaces + p.MaxDecimals);
    const int exponent = zero ? 0 : d.Exponent - (integerPlaces - 1);

    std::string integer;
    if (zero)
        integer.assign(p.MinInteger > 0 ? p.MinInteger : 1, '0');
    else
        for (int i = 0; i < integerPlaces; ++i)
            integer += i < SignificantDigits ? d.Digits[i] : '0';
    std::string fraction;
    for (int i = 0; i < p.MaxDecimals && integerPlaces + i < SignificantDigits; ++i)
        fraction += d.Digits[integerPlaces + i];
    if (static_cast<int>(fraction.size()) < p.MinDecimals)
        fraction.append(p.MinDecimals - fraction.size(), '0');
    TrimFraction(fraction, p.MinDecimals);

    std::string exponentDigits = IntText(exponent < 0 ? -exponent : exponent);
    if (static_cast<int>(exponentDigits.size()) < p.ExponentDigits)
        exponentDigits.insert(0, p.ExponentDigits - exponentDigits.size(), '0');

    std::string out = d.Negative && !zero ? "-" : "";
    out += p.Prefix;
    out += integer;
    if (!fraction.empty()) out += '.' + fraction;
    out += 'E';
    if (exponent < 0)
        out += '-';
    else if (p.ExponentSignAlways)
        out += '+';
    out += exponentDigits;
    out += p.Suffix;
    return out;
}

} // namespace

std::string FloatToStr(double value) {
    if (!std::isfinite(value)) return NonFiniteText(value);
    // Every save writes millions of these: lay the text out in a local buffer from one
    // to_chars call ("d.dddddddddddddde+XX") instead of going through TDecimal.
    char sci[48];
    auto res = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific,
                             SignificantDigits - 1);
    const char* p = sci;
    const bool negative = *p == '-';
    if (negative) ++p;
    char digits[SignificantDigits];
    int count = 0;
    for (; p < res.ptr && *p != 'e'; ++p)
        if (*p != '.') digits[count++] = *p;
    int exponent = 0;
    bool negativeExponent = false;
    for (++p; p < res.ptr; ++p) {
        if (*p == '-')
            negativeExponent = true;
        else if (*p >= '0' && *p <= '9')
            exponent = exponent * 10 + (*p - '0');
    }
    if (negativeExponent) exponent = -exponent;
    int used = count;
    while (used > 0 && digits[used - 1] == '0')
        --used;
    if (used == 0) return "0"; // also -0

    char out[64];
    int n = 0;
    if (negative) out[n++] = '-';
    if (exponent < -5 || exponent >= SignificantDigits) {
        out[n++] = digits[0];
        if (used > 1) {
            out[n++] = '.';
            for (int i = 1; i < used; ++i)
                out[n++] = digits[i];
        }
        out[n++] = 'E';
        auto e = std::to_chars(out + n, out + sizeof out, exponent);
        n = static_cast<int>(e.ptr - out);
    } else if (exponent < 0) {
        out[n++] = '0';
        out[n++] = '.';
        for (int i = 0; i < -exponent - 1; ++i)
            out[n++] = '0';
        for (int i = 0; i < used; ++i)
            out[n++] = digits[i];
    } else {
        for (int i = 0; i <= exponent; ++i)
            out[n++] = i < count ? digits[i] : '0';
        if (used > exponent + 1) {
            out[n++] = '.';
            for (int i = exponent + 1; i < used; ++i)
                out[n++] = digits[i];
        }
    }
    return std::string(out, static_cast<size_t>(n));
}

std::string IntToStr(int64_t value) {
    return IntText(value);
}

bool TryStrToFloat(std::string_view text, double& value) {
    return TryParseFloat(text, value);
}

double StrToFloat(std::string_view text) {
    double value = 0;
    if (!TryStrToFloat(text, value))
        throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
    return value;
}

bool TryStrToFloatOrSpecial(std::string_view text, double& value) {
    std::string_view trimmed = TrimBlanks(text);
    std::string upper;
    for (char c : trimmed)
        upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    if (upper == "NAN") {
        value = std::numeric_limits<double>::quiet_NaN();
        return true;
    }
    if (upper == "INF" || upper == "+INF" || upper == "-INF") {
        value = upper == "-INF" ? -std::numeric_limits<double>::infinity()
                                : std::numeric_limits<double>::infinity();
        return true;
    }
    return TryParseFloat(trimmed, value);
}

double StrToFloatOrSpecial(std::string_view text) {
    double value = 0;
    if (!TryStrToFloatOrSpecial(text, value))
        throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
    return value;
}

bool TryStrToInt(std::string_view text, int32_t& value) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    for (char c : text)
        if (!IsDigit(c)) return false;
    // Read as 64 bits from the digits alone so that -2147483648 fits and nothing wraps.
    int64_t magnitude = 0;
    for (char c : text) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > int64_t{1} << 31) return false;
    }
    int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<int32_t>::max()) return false;
    value = static_cast<int32_t>(signedValue);
    return true;
}

int32_t StrToInt(std::string_view text) {
    int32_t value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return value;
}

std::string FormatFloat(std::string_view pattern, double value) {
    if (!std::isfinite(value)) return NonFiniteText(value);
    TPattern p = ParsePattern(pattern);
    if (!p.HasPlaceholder) return FloatToStr(value);
    return p.Scientific ? FormatScientific(p, value) : FormatFixed(p, value);
}
