#include "core/analysis/VariedSource.h"

#include "core/support/CsvText.h"
#include "core/support/NumberFormat.h"
#include "core/support/Text.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

struct TSourceName {
    const char* Name;
    TSourceKind Kind;
    const char* Takes; // what the numbers are, for messages
};

const TSourceName SourceNames[] = {
    {"uniform", vsUniform, "2 numbers (min, max)"},
    {"normal", vsNormal, "2 numbers (mean, sd) or 4 (mean, sd, min, max)"},
    {"triangular", vsTriangular, "3 numbers (min, mode, max)"},
    {"list", vsList, "at least one number"},
    {"steps", vsSteps, "3 numbers (start, stop, count)"},
};

const TSourceName& NameOf(TSourceKind kind) {
    for (const TSourceName& name : SourceNames)
        if (name.Kind == kind) return name;
    return SourceNames[0];
}

bool CountFits(TSourceKind kind, size_t count) {
    switch (kind) {
    case vsUniform:
        return count == 2;
    case vsNormal:
        return count == 2 || count == 4;
    case vsTriangular:
    case vsSteps:
        return count == 3;
    case vsList:
        return count >= 1 && count <= MaxSourceLevels;
    }
    return false;
}

// The probabilities of a truncated normal's ends in the tail where they are small, so that
// they keep their precision: flipped tells that the range was mirrored about the mean.
struct TTruncation {
    double Low, High; // standardised, after mirroring
    double PLow, PHigh;
    bool Flipped;
};

TTruncation Truncation(const std::vector<double>& v) {
    const double mean = v[0], sd = v[1];
    double a = (v[2] - mean) / sd, b = (v[3] - mean) / sd;
    const bool flipped = a > 0;
    if (flipped) {
        const double low = -b;
        b = -a;
        a = low;
    }
    return {a, b, NormalCdf(a), NormalCdf(b), flipped};
}

bool Finite(const std::vector<double>& values) {
    return std::all_of(values.begin(), values.end(), [](double x) { return std::isfinite(x); });
}

} // namespace

double NormalCdf(double x) {
    return 0.5 * std::erfc(-x / std::numbers::sqrt2);
}

double NormalQuantile(double p) {
    if (!(p > 0)) return -std::numeric_limits<double>::infinity();
    if (!(p < 1)) return std::numeric_limits<double>::infinity();
    // A rational first guess in three regions, then one Halley step on the exact
    // distribution function, which brings it to full double precision.
    static constexpr double A[] = {-3.969683028665376e+01, 2.209460984245205e+02,
                                   -2.759285104469687e+02, 1.383577518672690e+02,
                                   -3.066479806614716e+01, 2.506628277459239e+00};
    static constexpr double B[] = {-5.447609879822406e+01, 1.615858368580409e+02,
                                   -1.556989798598866e+02, 6.680131188771972e+01,
                                   -1.328068155288572e+01};
    static constexpr double C[] = {-7.784894002430293e-03, -3.223964580411365e-01,
                                   -2.400758277161838e+00, -2.549732539343734e+00,
                                   4.374664141464968e+00,  2.938163982698783e+00};
    static constexpr double D[] = {7.784695709041462e-03, 3.224671290700398e-01,
                                   2.445134137142996e+00, 3.754408661907416e+00};
    constexpr double Low = 0.02425;
    double x;
    if (p < Low || p > 1 - Low) {
        const double q = std::sqrt(-2 * std::log(p < Low ? p : 1 - p));
        x = (((((C[0] * q + C[1]) * q + C[2]) * q + C[3]) * q + C[4]) * q + C[5]) /
            ((((D[0] * q + D[1]) * q + D[2]) * q + D[3]) * q + 1);
        if (p > 1 - Low) x = -x;
    } else {
        const double q = p - 0.5, r = q * q;
        x = (((((A[0] * r + A[1]) * r + A[2]) * r + A[3]) * r + A[4]) * r + A[5]) * q /
            (((((B[0] * r + B[1]) * r + B[2]) * r + B[3]) * r + B[4]) * r + 1);
    }
    const double e = NormalCdf(x) - p;
    const double u = e * std::sqrt(2 * std::numbers::pi) * std::exp(x * x / 2);
    if (std::isfinite(u)) x -= u / (1 + x * u / 2);
    return x;
}

std::string VariedSourceProblem(const TVariedSource& source) {
    const std::vector<double>& v = source.Values;
    const TSourceName& name = NameOf(source.Kind);
    if (!CountFits(source.Kind, v.size())) return std::string(name.Name) + " takes " + name.Takes;
    if (!Finite(v)) return std::string(name.Name) + " takes finite numbers only";
    switch (source.Kind) {
    case vsUniform:
        if (!(v[0] < v[1])) return "uniform needs min below max";
        break;
    case vsNormal:
        if (!(v[1] > 0)) return "normal needs a standard deviation above 0";
        if (v.size() == 4) {
            if (!(v[2] < v[3])) return "normal needs min below max";
            const TTruncation t = Truncation(v);
            if (!(t.PHigh - t.PLow > 0) || !std::isfinite(t.Low) || !std::isfinite(t.High))
                return "normal: min to max lies too far in the tail to draw from";
        }
        break;
    case vsTriangular:
        if (!(v[0] <= v[1] && v[1] <= v[2] && v[0] < v[2]))
            return "triangular needs min <= mode <= max and min below max";
        break;
    case vsList:
        break;
    case vsSteps:
        if (!(v[2] >= 2 && v[2] <= static_cast<double>(MaxSourceLevels) &&
              v[2] == std::floor(v[2])))
            return "steps needs a whole count from 2 to " + CountText(MaxSourceLevels);
        if (!std::isfinite(v[1] - v[0])) return "steps needs a start and stop nearer each other";
        break;
    }
    return std::string();
}

bool ParseVariedSource(std::string_view text, TVariedSource& source, std::string& problem) {
    const std::string trimmed = Trim(text);
    std::string_view t = trimmed;
    size_t word = 0;
    while (word < t.size() &&
           ((t[word] >= 'a' && t[word] <= 'z') || (t[word] >= 'A' && t[word] <= 'Z')))
        ++word;
    const std::string name = Lower(std::string(t.substr(0, word)));
    const TSourceName* found = nullptr;
    for (const TSourceName& candidate : SourceNames)
        if (name == candidate.Name) found = &candidate;
    if (!found) {
        problem = (word == 0 ? std::string("no source") : "unknown source '" + name + "'") +
                  ": use uniform, normal, triangular, list or steps";
        return false;
    }
    std::string_view rest = t.substr(word);
    while (!rest.empty() && static_cast<unsigned char>(rest.front()) <= ' ')
        rest.remove_prefix(1);
    if (rest.empty() || rest.front() != '(') {
        problem = "'(' expected after " + name;
        return false;
    }
    if (rest.back() != ')') {
        problem = name + " must end with ')'";
        return false;
    }
    rest = rest.substr(1, rest.size() - 2);
    TVariedSource read;
    read.Kind = found->Kind;
    read.Values.clear();
    if (!IsBlank(rest)) {
        size_t start = 0;
        while (true) {
            const size_t comma = rest.find(',', start);
            const std::string item = Trim(
                rest.substr(start, comma == std::string_view::npos ? rest.npos : comma - start));
            double value = 0;
            if (!TryStrToFloat(item, value) || !std::isfinite(value)) {
                problem = item.empty() ? name + " has an empty number"
                                       : "'" + item.substr(0, 40) + "' is not a number";
                return false;
            }
            if (read.Values.size() >= MaxSourceLevels) {
                problem = name + " takes at most " + CountText(MaxSourceLevels) + " numbers";
                return false;
            }
            read.Values.push_back(value);
            if (comma == std::string_view::npos) break;
            start = comma + 1;
        }
    }
    problem = VariedSourceProblem(read);
    if (!problem.empty()) return false;
    source = std::move(read);
    return true;
}

std::string VariedSourceText(const TVariedSource& source) {
    std::string text = NameOf(source.Kind).Name;
    text += '(';
    for (size_t i = 0; i < source.Values.size(); ++i) {
        if (i > 0) text += ", ";
        text += ShortestFloatText(source.Values[i]);
    }
    text += ')';
    return text;
}

size_t SourceLevelCount(const TVariedSource& source) {
    if (!VariedSourceProblem(source).empty()) return 0;
    if (source.Kind == vsList) return source.Values.size();
    if (source.Kind == vsSteps) return static_cast<size_t>(source.Values[2]);
    return 0;
}

double SourceLevel(const TVariedSource& source, size_t i) {
    const std::vector<double>& v = source.Values;
    if (source.Kind == vsList) return v[std::min(i, v.size() - 1)];
    const auto count = static_cast<size_t>(v[2]);
    if (i + 1 >= count) return v[1];
    // Multiplied before dividing, so that steps(0, 1, 11) gives 0.3 and not 0.30000000000000004.
    return v[0] + (v[1] - v[0]) * static_cast<double>(i) / static_cast<double>(count - 1);
}

double SourceQuantile(const TVariedSource& source, double u) {
    const std::vector<double>& v = source.Values;
    switch (source.Kind) {
    case vsUniform:
        return std::clamp(v[0] + (v[1] - v[0]) * u, v[0], v[1]);
    case vsNormal: {
        if (v.size() == 2) return v[0] + v[1] * NormalQuantile(u);
        const TTruncation t = Truncation(v);
        // Mirrored, the range's upper end is the point of probability 1 - u.
        const double share = t.Flipped ? 1 - u : u;
        double x = NormalQuantile(t.PLow + share * (t.PHigh - t.PLow));
        x = std::clamp(x, t.Low, t.High);
        if (t.Flipped) x = -x;
        return std::clamp(v[0] + v[1] * x, v[2], v[3]);
    }
    case vsTriangular: {
        const double low = v[0], mode = v[1], high = v[2], width = high - low;
        const double x = u * width < mode - low ? low + std::sqrt(u * width * (mode - low))
                                                : high - std::sqrt((1 - u) * width * (high - mode));
        return std::clamp(x, low, high);
    }
    case vsList:
    case vsSteps: {
        const size_t count = SourceLevelCount(source);
        if (count == 0) return 0;
        const auto level = static_cast<size_t>(u * static_cast<double>(count));
        return SourceLevel(source, std::min(level, count - 1));
    }
    }
    return 0;
}
