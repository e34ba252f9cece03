#include "core/model/ObservedData.h"

#include "core/model/ElementRules.h"
#include "core/model/SimulationObjects.h"
#include "core/support/NumberFormat.h"
#include "core/support/Text.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

std::string LineText(size_t line) {
    return "Line " + IntToStr(static_cast<int64_t>(line));
}

// The fields of one line split at separator, quotes removed ("" inside quotes is one quote)
// and blanks trimmed. False with error when a quote is left open or followed by text.
bool SplitFields(std::string_view line, char separator, size_t lineNumber,
                 std::vector<std::string>& fields, std::string& error) {
    fields.clear();
    size_t at = 0;
    while (true) {
        std::string field;
        while (at < line.size() && line[at] != separator && line[at] == ' ')
            ++at;
        if (at < line.size() && line[at] == '"') {
            ++at;
            bool closed = false;
            while (at < line.size()) {
                if (line[at] == '"') {
                    if (at + 1 < line.size() && line[at + 1] == '"') {
                        field += '"';
                        at += 2;
                        continue;
                    }
                    ++at;
                    closed = true;
                    break;
                }
                field += line[at++];
            }
            if (!closed) {
                error = LineText(lineNumber) + ": a quoted field is not closed";
                return false;
            }
            while (at < line.size() && line[at] != separator &&
                   static_cast<unsigned char>(line[at]) <= ' ')
                ++at;
            if (at < line.size() && line[at] != separator) {
                error = LineText(lineNumber) + ": a quoted field is followed by more text";
                return false;
            }
            fields.push_back(Trim(field));
        } else {
            const size_t end = std::min(line.find(separator, at), line.size());
            fields.push_back(Trim(line.substr(at, end - at)));
            at = end;
        }
        if (at >= line.size()) return true;
        ++at; // the separator
    }
}

// The next line of text from at (CR LF, LF or CR ends it); false at the end of the text.
bool NextLine(std::string_view text, size_t& at, std::string_view& line) {
    if (at >= text.size()) return false;
    size_t end = at;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r')
        ++end;
    line = text.substr(at, end - at);
    at = end;
    if (at < text.size() && text[at] == '\r') ++at;
    if (at < text.size() && text[at] == '\n') ++at;
    return true;
}

bool AllBlank(const std::vector<std::string>& fields) {
    return std::all_of(fields.begin(), fields.end(),
                       [](const std::string& field) { return field.empty(); });
}

// Words that strtod would read as a value that is not finite.
bool LooksNotFinite(std::string_view text) {
    std::string word = Lower(std::string(text));
    if (!word.empty() && (word[0] == '+' || word[0] == '-')) word.erase(0, 1);
    return word == "nan" || word == "inf" || word == "infinity";
}

// The separator that follows the header's first field, which must be Time.
bool DetectSeparator(std::string_view header, size_t lineNumber, char& separator,
                     std::string& error) {
    const std::string mustStart =
        LineText(lineNumber) + ": the header must start with Time, then the element names";
    size_t at = 0;
    while (at < header.size() && header[at] == ' ')
        ++at;
    std::string first;
    if (at < header.size() && header[at] == '"') {
        const size_t close = header.find('"', at + 1);
        if (close == std::string_view::npos) {
            error = LineText(lineNumber) + ": a quoted field is not closed";
            return false;
        }
        first = header.substr(at + 1, close - at - 1);
        at = close + 1;
    } else {
        const size_t end = header.find_first_of(",;\t", at);
        first = header.substr(at, end == std::string_view::npos ? header.size() - at : end - at);
        at = end == std::string_view::npos ? header.size() : end;
    }
    if (Lower(Trim(first)) != "time") {
        error = mustStart;
        return false;
    }
    while (at < header.size() && header[at] == ' ')
        ++at;
    if (at >= header.size()) {
        error = LineText(lineNumber) + ": the header names no element after Time";
        return false;
    }
    separator = header[at];
    if (separator != ',' && separator != ';' && separator != '\t') {
        error = mustStart;
        return false;
    }
    return true;
}

std::string ValueProblem(const std::string& cell, const std::string& column, char separator,
                         size_t lineNumber) {
    std::string text =
        LineText(lineNumber) + ": \"" + cell + "\" in column " + column + " is not a number";
    std::string dotted = cell;
    std::replace(dotted.begin(), dotted.end(), ',', '.');
    double ignored = 0;
    if (separator != ',' && dotted != cell && TryStrToFloat(dotted, ignored))
        text += " (decimals need '.')";
    else if (LooksNotFinite(cell))
        text += " (leave the cell empty for a missing point)";
    return text;
}

} // namespace

bool ReadObservedCsv(std::string_view text, TObservedData& data, std::string& error) {
    data = TObservedData();
    error.clear();
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

    size_t at = 0;
    size_t lineNumber = 0;
    std::string_view line;
    // Blank lines before the header are passed over.
    bool haveHeader = false;
    while (NextLine(text, at, line)) {
        ++lineNumber;
        if (!IsBlank(line)) {
            haveHeader = true;
            break;
        }
    }
    if (!haveHeader) {
        error = "The file is empty: a header row with Time and the element names is needed";
        return false;
    }
    if (!DetectSeparator(line, lineNumber, data.Separator, error)) return false;
    std::vector<std::string> fields;
    if (!SplitFields(line, data.Separator, lineNumber, fields, error)) return false;
    for (size_t i = 1; i < fields.size(); ++i) {
        if (fields[i].empty()) {
            error = LineText(lineNumber) + ": column " + IntToStr(static_cast<int64_t>(i + 1)) +
                    " of the header has no name";
            return false;
        }
        data.Columns.push_back(TObservedColumn{fields[i], {}});
    }
    const size_t columns = data.Columns.size();

    struct TRowTime {
        double Time;
        size_t Line;
    };
    std::vector<TRowTime> times;
    size_t values = 0;
    while (NextLine(text, at, line)) {
        ++lineNumber;
        if (IsBlank(line)) continue;
        if (!SplitFields(line, data.Separator, lineNumber, fields, error)) return false;
        if (AllBlank(fields)) continue;
        for (size_t i = columns + 1; i < fields.size(); ++i) {
            if (!fields[i].empty()) {
                error = LineText(lineNumber) + " has more cells than the header names";
                return false;
            }
        }
        if (fields[0].empty()) {
            error = LineText(lineNumber) + " has no time";
            return false;
        }
        double time = 0;
        if (!TryStrToFloat(fields[0], time)) {
            error = LineText(lineNumber) + ": the time \"" + fields[0] + "\" is " +
                    (LooksNotFinite(fields[0]) ? "not a finite number" : "not a number");
            return false;
        }
        times.push_back(TRowTime{time, lineNumber});
        for (size_t i = 0; i < columns && i + 1 < fields.size(); ++i) {
            const std::string& cell = fields[i + 1];
            if (cell.empty()) continue;
            double value = 0;
            if (!TryStrToFloat(cell, value)) {
                error = ValueProblem(cell, data.Columns[i].Name, data.Separator, lineNumber);
                return false;
            }
            if (++values > MaxObservedValues) {
                error = "The file holds more than " + FormatFloat("#,##0", MaxObservedValues) +
                        " values";
                return false;
            }
            data.Columns[i].Points.push_back(TDataPoint{time, value});
        }
    }

    // Two rows at the same time would make two points where a series holds one.
    std::stable_sort(times.begin(), times.end(),
                     [](const TRowTime& a, const TRowTime& b) { return a.Time < b.Time; });
    for (size_t i = 1; i < times.size(); ++i) {
        if (SameValue(times[i - 1].Time, times[i].Time)) {
            const auto& [later, earlier] = times[i].Line > times[i - 1].Line
                                               ? std::pair(times[i], times[i - 1])
                                               : std::pair(times[i - 1], times[i]);
            error = LineText(later.Line) + " repeats the time " + FloatToStr(later.Time) +
                    " of line " + IntToStr(static_cast<int64_t>(earlier.Line));
            return false;
        }
    }
    for (TObservedColumn& column : data.Columns)
        std::stable_sort(column.Points.begin(), column.Points.end(),
                         [](const TDataPoint& a, const TDataPoint& b) { return a.Time < b.Time; });
    return true;
}

bool MatchObservedData(const TSimulationObject& model, const TObservedData& data,
                       TObservedImport& import, std::string& error) {
    import = TObservedImport();
    std::vector<std::string> problems;
    for (size_t i = 0; i < data.Columns.size(); ++i) {
        const TObservedColumn& column = data.Columns[i];
        std::string identifier = column.Name;
        std::replace(identifier.begin(), identifier.end(), ' ', '_');
        TVariableObject* element = model.FindByIdentifier(identifier);
        const std::string where = "Column " + IntToStr(static_cast<int64_t>(i + 2));
        if (!element) {
            problems.push_back(where + ": no element of the model is named \"" + column.Name +
                               "\"");
        } else {
            const auto earlier = std::find(import.Elements.begin(), import.Elements.end(), element);
            if (earlier != import.Elements.end())
                problems.push_back(where + " names the element \"" + element->Name +
                                   "\" again, as column " +
                                   IntToStr(earlier - import.Elements.begin() + 2) + " does");
        }
        import.Elements.push_back(element);
        for (const TDataPoint& point : column.Points) {
            if (!std::isfinite(point.Time - model.StartTime)) {
                problems.push_back("The time " + FloatToStr(point.Time) +
                                   " is too far from the start time " +
                                   FloatToStr(model.StartTime));
                break;
            }
        }
    }
    if (problems.empty()) return true;
    error.clear();
    for (const std::string& problem : problems)
        error += (error.empty() ? "" : "\n") + problem;
    import.Elements.clear();
    return false;
}

void ApplyObservedData(TSimulationObject& model, const TObservedData& data,
                       const TObservedImport& import) {
    const double span = model.StopTime - model.StartTime;
    for (size_t i = 0; i < data.Columns.size() && i < import.Elements.size(); ++i) {
        TDataSeries& sketch = import.Elements[i]->Sketched;
        sketch.Clear();
        sketch.Points.reserve(data.Columns[i].Points.size());
        for (const TDataPoint& point : data.Columns[i].Points)
            sketch.AddPoint(point.Time - model.StartTime, point.Value);
        sketch.Interval = SketchIntervalFor(sketch.Points, span, sketch.Interval);
    }
}

double SketchIntervalFor(const std::vector<TDataPoint>& offsets, double span, double current) {
    std::vector<double> inRun;
    for (const TDataPoint& point : offsets)
        if (point.Time >= -FloatTolerance && point.Time <= span + FloatTolerance)
            inRun.push_back(point.Time);
    auto fits = [&](double interval) {
        const TSketchGrid grid = MakeSketchGrid(0, span, interval);
        if (!grid.Usable || grid.Capped) return false;
        return std::all_of(inRun.begin(), inRun.end(),
                           [&](double offset) { return grid.RowOf(offset) >= 0; });
    };
    if (inRun.empty() || fits(current)) return current;
    double gap = inRun.front() > FloatTolerance ? inRun.front() : span;
    for (size_t i = 1; i < inRun.size(); ++i)
        if (inRun[i] - inRun[i - 1] > FloatTolerance) gap = std::min(gap, inRun[i] - inRun[i - 1]);
    for (int divisor = 1; divisor <= 10; ++divisor)
        if (fits(gap / divisor)) return gap / divisor;
    return current;
}
