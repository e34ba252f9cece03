// The text tests of the equation parser: trimming, brackets, signs, numbers, operators and
// parameter lists. All work on views and in one pass, so long equations stay linear.
#include "core/equations/ParserInternal.h"
#include "core/support/NumberFormat.h"

#include <algorithm>

namespace {

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}
bool IsDigitChar(char c) {
    return c >= '0' && c <= '9';
}
bool IsSign(char c) {
    return c == '+' || c == '-';
}

// What may stand before a number: its start, a blank, a bracket, a comma or an operator.
bool IsNumberDelimiter(char c) {
    if (IsBlankOrControl(c)) return true;
    switch (c) {
    case '(':
    case '+':
    case '-':
    case '*':
    case '/':
    case '<':
    case '>':
    case '=':
    case ',':
        return true;
    default:
        return false;
    }
}

// Layout of a number text: [sign] mantissa [e [sign] digits].
struct TNumberShape {
    bool Valid = false;
    size_t MantissaDigits = 0; // digits only
    size_t ExponentAt = std::string_view::npos;
    size_t ExponentDigits = 0;
};

TNumberShape ScanNumber(std::string_view t) {
    TNumberShape shape;
    const size_t n = t.size();
    size_t i = 0;
    if (i < n && IsSign(t[i])) ++i;
    size_t mantissa = 0;
    while (i < n && IsDigitChar(t[i]))
        ++i, ++mantissa, ++shape.MantissaDigits;
    if (i < n && t[i] == '.') ++i, ++mantissa;
    while (i < n && IsDigitChar(t[i]))
        ++i, ++mantissa, ++shape.MantissaDigits;
    if (mantissa == 0) return shape;
    if (i < n && (t[i] == 'e' || t[i] == 'E')) {
        shape.ExponentAt = i++;
        if (i < n && IsSign(t[i])) ++i;
        while (i < n && IsDigitChar(t[i]))
            ++i, ++shape.ExponentDigits;
    }
    shape.Valid = i == n;
    return shape;
}

} // namespace

std::string_view TrimEquationText(std::string_view s) {
    while (!s.empty() && IsBlankOrControl(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlankOrControl(s.back()))
        s.remove_suffix(1);
    return s;
}

bool EndsWithExponentMarker(std::string_view text) {
    if (text.empty() || (text.back() != 'e' && text.back() != 'E')) return false;
    size_t start = text.size() - 1;
    size_t digits = 0;
    size_t points = 0;
    while (start > 0 && (IsDigitChar(text[start - 1]) || text[start - 1] == '.')) {
        --start;
        if (text[start] == '.')
            ++points;
        else
            ++digits;
    }
    if (digits == 0 || points > 1) return false;
    return start == 0 || IsNumberDelimiter(text[start - 1]);
}

bool IsExponentSign(std::string_view s, size_t i) {
    return i < s.size() && IsSign(s[i]) && i + 1 < s.size() && IsDigitChar(s[i + 1]) &&
           EndsWithExponentMarker(s.substr(0, i));
}

bool IsWholeBracketed(std::string_view s) {
    long depth = 0;
    for (char c : s) {
        if (c == '(')
            ++depth;
        else if (c == ')')
            --depth;
        else if (depth <= 0)
            return false;
    }
    return true;
}

bool BracketsBalance(std::string_view s) {
    long depth = 0;
    for (char c : s) {
        if (c == '(')
            ++depth;
        else if (c == ')' && --depth < 0)
            return false;
    }
    return depth == 0;
}

std::string NormalizeSigns(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 8);
    const size_t n = s.size();
    size_t pos = 0;
    for (;;) {
        const size_t k = s.find_first_of("+-", pos);
        if (k == std::string_view::npos) {
            out.append(s.substr(pos));
            return out;
        }
        const size_t headStart = out.size();
        out.append(s.substr(pos, k - pos));
        // "1e-5" keeps its exponent sign.
        if (k + 1 < n && IsDigitChar(s[k + 1]) && EndsWithExponentMarker(out)) {
            out += s[k];
            pos = k + 1;
            continue;
        }
        while (out.size() > headStart && out.back() == ' ')
            out.pop_back();
        const bool headEmpty = out.size() == headStart;
        bool negative = false;
        size_t j = k;
        while (j < n && (s[j] == ' ' || IsSign(s[j]))) {
            if (s[j] == '-') negative = !negative;
            ++j;
        }
        if (negative || !headEmpty) {
            // "1e - 5" and "1e--5" stay a subtraction and an addition: a blank keeps the
            // collapsed sign from reading as an exponent.
            if (j < n && IsDigitChar(s[j]) && EndsWithExponentMarker(out)) out += ' ';
            out += negative ? '-' : '+';
        }
        pos = j;
    }
}

bool IsNumberText(std::string_view t) {
    t = TrimEquationText(t);
    // A text that begins with "e" is a name ("e", "e5"), not a number.
    if (t.empty() || t.front() == 'e' || t.front() == 'E') return false;
    return ScanNumber(t).Valid;
}

TNumberRead ReadNumberText(std::string_view text, double& value) {
    value = 0;
    std::string_view t = TrimEquationText(text);
    if (t.empty() || t.front() == 'e' || t.front() == 'E') return TNumberRead::NotConvertible;
    const TNumberShape shape = ScanNumber(t);
    if (!shape.Valid || shape.MantissaDigits == 0) return TNumberRead::NotConvertible;
    if (shape.ExponentAt != std::string_view::npos && shape.ExponentDigits == 0)
        t = t.substr(0, shape.ExponentAt);
    // The shape is a valid decimal, so the only failure left is a value beyond the range.
    if (!TryStrToFloat(t, value)) {
        value = 0;
        return TNumberRead::OutOfRange;
    }
    return TNumberRead::Ok;
}

int CountParameters(std::string_view args) {
    long depth = 0;
    int commas = 0;
    for (char c : args) {
        if (c == '(' || c == '[')
            ++depth;
        else if (c == ')' || c == ']')
            --depth;
        else if (c == ',' && depth == 0)
            ++commas;
    }
    return commas;
}

void SplitFirstParameterView(std::string_view args, std::string_view& first,
                             std::string_view& rest) {
    long depth = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const char c = args[i];
        if (c == '(' || c == '[')
            ++depth;
        else if (c == ')' || c == ']')
            --depth;
        else if (c == ',' && depth == 0) {
            first = TrimEquationText(args.substr(0, i));
            rest = TrimEquationText(args.substr(i + 1));
            return;
        }
    }
    first = TrimEquationText(args);
    rest = {};
}

void SplitFirstParameter(std::string_view args, std::string& first, std::string& rest) {
    std::string_view f;
    std::string_view r;
    SplitFirstParameterView(args, f, r);
    first.assign(f);
    rest.assign(r);
}

bool FindComparison(std::string_view s, size_t& position, size_t& length, TFunctionIndex& index) {
    struct TCandidate {
        std::string_view Text;
        TFunctionIndex Index;
    };
    static constexpr TCandidate Candidates[] = {{"<>", sgvNotEqual},   {">=", sgvGreaterEqual},
                                                {"<=", sgvLessEqual},  {"=", sgvEqual},
                                                {">", sgvGreaterThan}, {"<", sgvLessThan}};
    // Each candidate's first match, the smallest position winning and the earlier candidate
    // at equal positions, is the first position where any candidate matches, taking the
    // first candidate in list order that matches there.
    long depth = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '(')
            ++depth;
        else if (c == ')')
            --depth;
        else if (depth == 0 && (c == '<' || c == '>' || c == '=')) {
            for (const TCandidate& candidate : Candidates)
                if (s.compare(i, candidate.Text.size(), candidate.Text) == 0) {
                    position = i;
                    length = candidate.Text.size();
                    index = candidate.Index;
                    return true;
                }
        }
    }
    return false;
}

void CollectOperators(std::string_view s, std::vector<size_t>& signs,
                      std::vector<size_t>& products) {
    signs.clear();
    products.clear();
    long depth = 0;
    for (size_t i = s.size(); i-- > 0;) {
        const char c = s[i];
        if (c == ')')
            ++depth;
        else if (c == '(')
            --depth;
        else if (depth != 0)
            continue;
        else if (IsSign(c) && !IsExponentSign(s, i))
            signs.push_back(i);
        else if (c == '*' || c == '/')
            products.push_back(i);
    }
    std::reverse(signs.begin(), signs.end());
    std::reverse(products.begin(), products.end());
}
