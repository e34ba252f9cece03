#include "core/model/ElementRules.h"

#include "core/equations/EquationObjects.h"
#include "core/model/SimulationObjects.h"
#include "core/support/NumberFormat.h"
#include "core/support/Text.h"

#include <algorithm>
#include <cmath>

namespace {

bool IsWordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

// A word GRAPH starts at i, standing on its own.
bool GraphWordAt(std::string_view text, size_t i) {
    constexpr std::string_view Word = "GRAPH";
    if (i + Word.size() > text.size() || !SameIgnoringCase(text.substr(i, Word.size()), Word))
        return false;
    if (i > 0 && IsWordChar(text[i - 1])) return false;
    return i + Word.size() == text.size() || !IsWordChar(text[i + Word.size()]);
}

// The start of the word GRAPH that the bracket at i belongs to, if any.
std::optional<size_t> GraphBeforeBracket(std::string_view text, size_t i) {
    size_t end = i;
    while (end > 0 && text[end - 1] == ' ')
        --end;
    if (end < 5 || !GraphWordAt(text, end - 5)) return std::nullopt;
    return end - 5;
}

// Where the call that starts at start ends: after the bracket that closes its first one,
// or at the end of the text.
size_t CallEnd(std::string_view text, size_t start) {
    const size_t open = text.find('(', start);
    if (open == std::string_view::npos) return text.size();
    int64_t depth = 0;
    for (size_t i = open; i < text.size(); ++i) {
        if (text[i] == '(') ++depth;
        if (text[i] == ')' && --depth == 0) return i + 1;
    }
    return text.size();
}

} // namespace

std::string ValidateElementName(const TSimulationObject& model, const TVariableObject* element,
                                const std::string& name) {
    const std::string trimmed = Trim(name);
    if (trimmed.empty()) return "You must enter a name for the variable";
    std::string id = trimmed;
    std::replace(id.begin(), id.end(), ' ', '_');
    const char first = id.front();
    if (!((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z')))
        return "You have typed in an invalid name, this must start with a letter";
    // '<' and '>' are comparisons to the parser just as '=' is: a name holding them could
    // never be used in an equation.
    for (char c : std::string_view("^*+-/=()[]{}:;.,<>"))
        if (id.find(c) != std::string::npos)
            return std::string("You have typed in an invalid name, the variable name cannot "
                               "contain '") +
                   c + "'";
    for (const TVariableObject* other : model.Variables)
        if (other != element && SameIdentifier(other->Identifier(), id))
            return "You cannot use this name - another variable already has a similar name";
    for (const TFunctionListItem& function : FunctionList)
        if (SameIgnoringCase(function.Name, id))
            return "You cannot use this name - this is similar to an existing function name";
    return {};
}

std::optional<TTextSpan> FindGraphCallAtCursor(std::string_view text, size_t selectionStart,
                                               size_t selectionEnd) {
    size_t middle = std::min((selectionStart + selectionEnd) / 2, text.size());
    // A cursor just before the name is on it too.
    if (middle < text.size() && GraphWordAt(text, middle))
        return TTextSpan{middle, CallEnd(text, middle)};
    int64_t count = 0;
    bool passedBracket = false;
    for (size_t i = middle; i-- > 0;) {
        const char c = text[i];
        if (c == ')') {
            ++count;
            passedBracket = true;
        } else if (c == '(') {
            --count;
            passedBracket = true;
            if (const std::optional<size_t> start = GraphBeforeBracket(text, i)) {
                if (count < 0) return TTextSpan{*start, CallEnd(text, *start)};
                return std::nullopt;
            }
        } else if ((!passedBracket || count < 0) && GraphWordAt(text, i)) {
            return TTextSpan{i, CallEnd(text, i)};
        }
    }
    return std::nullopt;
}

TInsertion InsertAtCursor(std::string_view text, size_t selectionStart, size_t selectionEnd,
                          std::string_view insert, size_t cursorInInsert) {
    selectionEnd = std::min(selectionEnd, text.size());
    selectionStart = std::min(selectionStart, selectionEnd);
    TInsertion result;
    result.Text = Trim(text.substr(0, selectionStart));
    result.Text += ' ';
    result.Cursor = result.Text.size() + std::min(cursorInInsert, insert.size());
    result.Text += insert;
    result.Text += Trim(text.substr(selectionEnd));
    return result;
}

TInsertion FunctionInsertion(int index) {
    if (index < 0 || index >= FunctionCount) return {};
    const std::string name = FunctionList[index].Name;
    const bool takesParameters =
        (index >= 13 && index <= 23) || (index >= 25 && index <= 39) || index >= sgvSIN;
    if (!takesParameters) return {name + " ", name.size() + 1};
    return {name + "( )", name.size() + 2};
}

TInsertion ElementInsertion(const std::string& name) {
    std::string id = name;
    std::replace(id.begin(), id.end(), ' ', '_');
    return {id + " ", id.size() + 1};
}

std::string GridValueText(double value) {
    if (value >= 1000000) return FormatFloat("#,##0", value);
    if (value >= 1000) return FormatFloat("#,##0.##", value);
    return FormatFloat("#,##0.###", value);
}

TSketchGrid MakeSketchGrid(double startTime, double stopTime, double interval, int32_t maxRows) {
    TSketchGrid grid;
    grid.Interval = interval;
    grid.Span = stopTime - startTime;
    if (!std::isfinite(interval) || interval < FloatTolerance || !std::isfinite(grid.Span) ||
        grid.Span < 0 || maxRows < 1)
        return grid;
    grid.Usable = true;
    // A hair of slack, so that 24 / 0.1 counts 240 steps and not 239.
    double steps = std::floor(grid.Span / interval + 1e-9);
    if (steps * interval > grid.Span + FloatTolerance) steps -= 1;
    const bool stopRow = !SameValue(steps * interval, grid.Span);
    const double wanted = steps + 1 + (stopRow ? 1 : 0);
    if (wanted > maxRows) {
        grid.Capped = true;
        grid.Rows = maxRows;
        return grid;
    }
    grid.Rows = static_cast<int32_t>(wanted);
    grid.StopRow = stopRow;
    return grid;
}

double TSketchGrid::Offset(int32_t row) const {
    if (StopRow && row == Rows - 1) return Span;
    return row * Interval;
}

int32_t TSketchGrid::RowOf(double offset) const {
    if (!Usable || Rows == 0) return -1;
    if (StopRow && SameValue(offset, Span)) return Rows - 1;
    const double k = std::round(offset / Interval);
    const int32_t onInterval = StopRow ? Rows - 1 : Rows;
    if (!(k >= 0 && k < onInterval)) return -1;
    const auto row = static_cast<int32_t>(k);
    return SameValue(row * Interval, offset) ? row : -1;
}

int32_t TSketchGrid::RowAt(double fraction) const {
    if (!Usable || Rows == 0) return -1;
    if (!(fraction < 1)) return Rows - 1;
    if (!(fraction > 0)) return 0;
    const double k = std::round(Span * fraction / Interval);
    if (!(k < Rows - 1)) return Rows - 1;
    // Past the stop time the stop row is the nearest.
    if (StopRow && k * Interval > Span) return Rows - 1;
    return static_cast<int32_t>(k);
}

void SketchStroke(TDataSeries& sketch, const TSketchGrid& grid, int32_t from, double fromValue,
                  int32_t row, double value) {
    if (row < 0 || row >= grid.Rows) return;
    if (from < 0 || from >= grid.Rows || from == row) {
        sketch.AddPoint(grid.Offset(row), value);
        return;
    }
    const double fromTime = grid.Offset(from);
    const double span = grid.Offset(row) - fromTime;
    const int32_t step = row > from ? 1 : -1;
    for (int32_t r = from + step;; r += step) {
        sketch.AddPoint(grid.Offset(r),
                        fromValue + (grid.Offset(r) - fromTime) * (value - fromValue) / span);
        if (r == row) break;
    }
}

TLookupScale LookupEditorScale(const std::vector<TDataPoint>& points) {
    // Whole-number fields hold what a 32-bit integer holds; keep well inside that.
    constexpr double Limit = 1e9;
    bool any = false;
    double min = 0, max = 0;
    for (const TDataPoint& point : points) {
        if (!std::isfinite(point.Value)) continue;
        const double v = std::clamp(point.Value, -Limit, Limit);
        min = any ? std::min(min, v) : v;
        max = any ? std::max(max, v) : v;
        any = true;
    }
    if (!any) return {0, 1};
    double lower = std::trunc(min);
    double upper = std::trunc(max) + 1;
    const double range = upper - lower;
    const int digits = static_cast<int>(std::trunc(std::log10(range)));
    double multiple = 10;
    for (double m : {1.0, 2.0, 5.0})
        if (std::pow(10.0, digits) * m >= range) {
            multiple = m;
            break;
        }
    const double step = std::pow(10.0, digits - 1) * multiple;
    const double lowerSteps = lower / step;
    if (!SameValue(lowerSteps, std::round(lowerSteps))) {
        const bool negative = lower < 0;
        lower = std::trunc(lowerSteps) * step;
        if (negative) lower -= step;
    }
    const double upperSteps = (upper - lower) / step;
    if (!SameValue(upperSteps, std::round(upperSteps)))
        upper = lower + std::ceil(upperSteps - FloatTolerance) * step;
    return {lower, upper};
}
