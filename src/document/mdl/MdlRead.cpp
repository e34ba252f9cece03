// A .mdl text into entries and sketch objects. The text is made UTF-8 with LF line ends
// first (older files are Latin-1, with Mac or Windows line ends); the equations run up to the
// first sketch marker, each `left = right ~ units ~ comment |`, with `{ }` comments and
// backslash continuations; the sketch is one block of object lines per view, and the
// settings after it give the integration method.
#include "document/mdl/MdlRecords.h"

#include "core/support/Text.h"
#include "document/xmile/XmileRecords.h"

#include <cctype>

#include <charconv>

namespace {

bool ValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        size_t more = 0;
        if (c < 0x80)
            more = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            more = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            more = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            more = 3;
        else
            return false;
        if (i + more >= text.size() && more > 0) return false;
        for (size_t k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += more + 1;
    }
    return true;
}

std::string Latin1ToUtf8(std::string_view text) {
    std::string utf8;
    utf8.reserve(text.size() + text.size() / 8);
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            utf8 += ch;
        } else {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return utf8;
}

// UTF-8 with LF line ends, whatever the file had.
std::string NormalText(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    const std::string decoded = ValidUtf8(text) ? std::string(text) : Latin1ToUtf8(text);
    std::string normal;
    normal.reserve(decoded.size());
    for (size_t i = 0; i < decoded.size(); ++i) {
        if (decoded[i] == '\r') {
            normal += '\n';
            if (i + 1 < decoded.size() && decoded[i + 1] == '\n') ++i;
        } else {
            normal += decoded[i];
        }
    }
    return normal;
}

bool StartsWith(std::string_view text, std::string_view head) {
    return text.substr(0, head.size()) == head;
}

// The lines of a text, without their line ends.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            if (start < text.size()) lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

class TEntryReader {
public:
    TEntryReader(std::string_view text, TMdlFile& file, std::string& error, TXmileFault& fault)
        : Text(text), File(file), Error(error), Fault(fault) {}

    bool Read() {
        while (true) {
            SkipBlanks();
            if (Pos >= Text.size()) return true;
            TMdlEntry entry;
            entry.Line = Line;
            std::string equation;
            // The equation, then units and comment, each up to its '~'; the entry ends at '|'.
            const char end = ReadEquation(equation);
            if (Failed) return false;
            std::string units, comment;
            if (end == '~') {
                const char unitsEnd = ReadPlain(units);
                if (unitsEnd == '~') {
                    if (ReadPlain(comment) == '~') {
                        std::string flags; // ":SUPPLEMENTARY" and the like
                        while (ReadPlain(flags) == '~') {
                        }
                    }
                }
            }
            if (Failed) return false;
            if (!Split(Trim(equation), entry)) return false;
            if (entry.Left.empty() && entry.Operator.empty()) continue; // a group or nothing
            entry.Units = units;
            entry.Comment = comment;
            if (File.Entries.size() >= MdlMaxEntries)
                return Fail(TXmileFault::Invalid, "the model has too many equations");
            File.Entries.push_back(std::move(entry));
        }
    }

private:
    bool Fail(TXmileFault fault, const std::string& message) {
        if (Fault == TXmileFault::None) {
            Fault = fault;
            Error = message;
        }
        Failed = true;
        return false;
    }

    void SkipBlanks() {
        while (Pos < Text.size() && static_cast<unsigned char>(Text[Pos]) <= ' ') {
            if (Text[Pos] == '\n') ++Line;
            ++Pos;
        }
    }

    bool Append(std::string& into, char c) {
        if (into.size() >= XmileMaxTextLength) {
            Fail(TXmileFault::Invalid,
                 "the equation on line " + std::to_string(Line) + " is too long");
            return false;
        }
        into += c;
        return true;
    }

    // The equation part: quoted names kept whole, comments and continuations as blanks.
    // Returns the character that ended it ('~', '|' or 0 at the end of the text).
    char ReadEquation(std::string& into) {
        while (Pos < Text.size()) {
            const char c = Text[Pos++];
            if (c == '\n') ++Line;
            if (c == '~' || c == '|') return c;
            if (c == '"') {
                if (!Append(into, c)) return 0;
                while (Pos < Text.size() && Text[Pos] != '"') {
                    if (Text[Pos] == '\\' && Pos + 1 < Text.size()) {
                        if (!Append(into, Text[Pos++])) return 0;
                    }
                    if (Text[Pos] == '\n') ++Line;
                    if (!Append(into, Text[Pos++])) return 0;
                }
                if (Pos < Text.size()) ++Pos;
                if (!Append(into, '"')) return 0;
                continue;
            }
            if (c == '{') {
                // Comments do not nest; an unclosed one runs to the end.
                while (Pos < Text.size() && Text[Pos] != '}') {
                    if (Text[Pos] == '\n') ++Line;
                    ++Pos;
                }
                if (Pos < Text.size()) ++Pos;
                if (!Append(into, ' ')) return 0;
                continue;
            }
            if (c == '\\') {
                size_t k = Pos;
                while (k < Text.size() && (Text[k] == ' ' || Text[k] == '\t'))
                    ++k;
                if (k < Text.size() && Text[k] == '\n') {
                    Pos = k + 1;
                    ++Line;
                    if (!Append(into, ' ')) return 0;
                    continue;
                }
            }
            if (!Append(into, c)) return 0;
        }
        return 0;
    }

    // Units or comment: plain text up to '~' or '|'.
    char ReadPlain(std::string& into) {
        into.clear();
        while (Pos < Text.size()) {
            const char c = Text[Pos++];
            if (c == '\n') ++Line;
            if (c == '~' || c == '|') return c;
            if (!Append(into, c)) return 0;
        }
        return 0;
    }

    // Splits "left op right" at the first operator outside quotes and brackets.
    bool Split(const std::string& equation, TMdlEntry& entry) {
        if (equation.empty() || equation[0] == '*') return true; // a group's heading
        if (StartsWith(equation, ":MACRO:")) return Fail(TXmileFault::Refused, "macros (:MACRO:)");
        if (StartsWith(equation, ":END OF MACRO:")) return true;
        int depth = 0;
        bool quoted = false;
        for (size_t i = 0; i < equation.size(); ++i) {
            const char c = equation[i];
            if (quoted) {
                if (c == '\\' && i + 1 < equation.size())
                    ++i;
                else if (c == '"')
                    quoted = false;
                continue;
            }
            if (c == '"') {
                quoted = true;
                continue;
            }
            if (c == '(' && depth == 0) {
                entry.Left = Trim(equation.substr(0, i));
                entry.Operator = "(";
                entry.Right = equation.substr(i);
                return true;
            }
            if (c == '(' || c == '[') ++depth;
            if ((c == ')' || c == ']') && depth > 0) --depth;
            if (depth > 0) continue;
            std::string op;
            if (equation.compare(i, 3, "<->") == 0)
                op = "<->";
            else if (equation.compare(i, 2, ":=") == 0)
                op = ":=";
            else if (equation.compare(i, 2, "==") == 0)
                op = "==";
            else if (c == '=')
                op = "=";
            else if (c == ':') {
                // ":INTERPOLATE:" and other keywords of data, or a subscript range.
                size_t k = i + 1;
                while (
                    k < equation.size() &&
                    (std::isalpha(static_cast<unsigned char>(equation[k])) || equation[k] == ' '))
                    ++k;
                op = k < equation.size() && equation[k] == ':' && k > i + 1
                         ? equation.substr(i, k - i + 1)
                         : ":";
            }
            if (op.empty()) continue;
            entry.Left = Trim(equation.substr(0, i));
            entry.Operator = op;
            entry.Right = Trim(equation.substr(i + op.size()));
            return true;
        }
        entry.Left = Trim(equation); // no equation: data from outside
        return true;
    }

    std::string_view Text;
    TMdlFile& File;
    std::string& Error;
    TXmileFault& Fault;
    size_t Pos = 0;
    int Line = 1;
    bool Failed = false;
};

// Splits an object line at its commas; a field in double quotes may hold commas.
std::vector<std::string> Fields(std::string_view line, size_t count) {
    std::vector<std::string> fields;
    size_t i = 0;
    while (i <= line.size() && fields.size() < count) {
        std::string field;
        if (i < line.size() && line[i] == '"') {
            field += '"';
            ++i;
            while (i < line.size() && line[i] != '"') {
                if (line[i] == '\\' && i + 1 < line.size()) field += line[i++];
                field += line[i++];
            }
            field += '"';
            if (i < line.size()) ++i;
            while (i < line.size() && line[i] != ',')
                ++i;
        } else {
            const size_t end = line.find(',', i);
            field = std::string(
                line.substr(i, end == std::string_view::npos ? line.size() - i : end - i));
            i = end == std::string_view::npos ? line.size() : end;
        }
        fields.push_back(field);
        if (i >= line.size()) break;
        ++i; // the comma
    }
    return fields;
}

bool Integer(const std::string& text, int& value) {
    const std::string t = Trim(text);
    const char* first = t.data();
    const char* last = t.data() + t.size();
    if (first != last && *first == '+') ++first;
    auto result = std::from_chars(first, last, value);
    return result.ec == std::errc() && result.ptr == last;
}

bool Coordinate(const std::string& text, double& value) {
    return ReadXmileNumber(Trim(text), value) && value >= -XmileMaxCoordinate &&
           value <= XmileMaxCoordinate;
}

// The first point of an arrow's "np|(x,y)|..." tail.
void ArrowPoint(std::string_view line, TMdlObject& object) {
    const size_t open = line.find("|(");
    if (open == std::string_view::npos) return;
    const size_t close = line.find(')', open);
    if (close == std::string_view::npos) return;
    const std::string_view inside = line.substr(open + 2, close - open - 2);
    const size_t comma = inside.find(',');
    if (comma == std::string_view::npos) return;
    double x = 0, y = 0;
    if (Coordinate(std::string(inside.substr(0, comma)), x) &&
        Coordinate(std::string(inside.substr(comma + 1)), y)) {
        object.HasPoint = true;
        object.PointX = x;
        object.PointY = y;
    }
}

bool ReadSketch(std::string_view text, TMdlFile& file, std::string& error, TXmileFault& fault) {
    int view = 0;
    bool settings = false;
    for (std::string_view line : Lines(text)) {
        if (StartsWith(line, "\\\\\\---///")) {
            ++view;
            settings = false;
            continue;
        }
        if (StartsWith(line, "///---\\\\\\")) {
            settings = true;
            continue;
        }
        if (settings) {
            if (StartsWith(line, "15:")) {
                const std::vector<std::string> fields = Fields(line.substr(3), 6);
                int method = 0;
                if (fields.size() >= 4 && Integer(fields[3], method)) file.Method = method;
            }
            continue;
        }
        // Object lines start with their type; anything else (the version, the view's name,
        // its font, a comment's text on the line after the comment) is passed over, and so
        // is an object line too short for its type.
        if (line.empty() || !std::isdigit(static_cast<unsigned char>(line[0]))) continue;
        const std::vector<std::string> fields = Fields(line, 12);
        TMdlObject object;
        if (fields.size() < 4 || !Integer(fields[0], object.Type) || !Integer(fields[1], object.Id))
            continue;
        object.View = view;
        if (object.Type == 1) {
            if (fields.size() < 8 || !Integer(fields[2], object.From) ||
                !Integer(fields[3], object.To) || !Integer(fields[4], object.Shape))
                continue;
            Integer(fields[7], object.Bits); // the thickness: pipes are thick
            ArrowPoint(line, object);
        } else if (object.Type == 10 || object.Type == 11 || object.Type == 12) {
            if (fields.size() < 9) continue;
            object.Name = fields[2];
            if (object.Name.size() > XmileMaxNameLength) {
                fault = TXmileFault::Invalid;
                error = "a name in the sketch is too long";
                return false;
            }
            if (!Coordinate(fields[3], object.X) || !Coordinate(fields[4], object.Y)) continue;
            Coordinate(fields[5], object.Width);
            Coordinate(fields[6], object.Height);
            Integer(fields[7], object.Shape);
            Integer(fields[8], object.Bits);
        } else {
            continue;
        }
        if (file.Objects.size() >= MdlMaxObjects) {
            fault = TXmileFault::Invalid;
            error = "the sketch holds too many objects";
            return false;
        }
        file.Objects.push_back(std::move(object));
    }
    return true;
}

} // namespace

bool ReadMdlFile(std::string_view text, TMdlFile& file, std::string& error, TXmileFault& fault) {
    const std::string normal = NormalText(text);
    // The equations end where the first view's marker line starts.
    size_t sketch = std::string::npos;
    for (size_t start = 0; start < normal.size();) {
        if (normal.compare(start, 9, "\\\\\\---///") == 0) {
            sketch = start;
            break;
        }
        const size_t end = normal.find('\n', start);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    const std::string_view all(normal);
    TEntryReader entries(all.substr(0, sketch), file, error, fault);
    if (!entries.Read()) return false;
    if (sketch == std::string::npos) return true;
    file.HasSketch = true;
    return ReadSketch(all.substr(sketch), file, error, fault);
}
