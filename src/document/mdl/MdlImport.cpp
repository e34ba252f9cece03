// A .mdl file's entries and sketch into the records the XMILE builder makes a document of:
// the control values, stocks with their inflows and outflows, flows (what the sketch draws
// at a valve), auxiliaries, lookups as graphical functions, every equation translated into
// the builder's vocabulary with Vensim's meaning kept, and the views laid out one below
// the other. What has no exact counterpart is refused, naming the element and construct.
#include "document/mdl/Mdl.h"
#include "document/mdl/MdlRecords.h"

#include "core/support/Text.h"
#include "document/model/DataFile.h"
#include "document/xmile/XmileBuilder.h"
#include "document/xmile/XmileRecords.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

namespace {

using TNodePtr = std::unique_ptr<TXmileNode>;

// Most nodes one translated equation may have: a few functions repeat an argument.
constexpr size_t MaxTranslatedNodes = 200000;

std::string Quoted(const std::string& name) {
    return "\"" + name + "\"";
}

// A name as written, without its double quotes.
std::string Unquoted(const std::string& name) {
    const std::string trimmed = Trim(name);
    if (trimmed.size() < 2 || trimmed.front() != '"' || trimmed.back() != '"') return trimmed;
    std::string inner;
    for (size_t i = 1; i + 1 < trimmed.size(); ++i) {
        if (trimmed[i] == '\\' && i + 2 < trimmed.size()) ++i;
        inner += trimmed[i];
    }
    return inner;
}

// Units without Vensim's [min,max] range; a comment with its indentation taken out.
std::string UnitsText(const std::string& units) {
    return Trim(units.substr(0, units.find('[')));
}

std::string CommentText(const std::string& comment) {
    std::string text;
    size_t start = 0;
    while (start <= comment.size()) {
        size_t end = comment.find('\n', start);
        if (end == std::string::npos) end = comment.size();
        const std::string line = Trim(comment.substr(start, end - start));
        if (!line.empty()) text += (text.empty() ? "" : "\n") + line;
        start = end + 1;
    }
    return text;
}

// Blanks, tabs and line breaks as single blanks.
std::string OneLine(const std::string& text) {
    std::string line;
    bool blank = false;
    for (char c : text) {
        if (static_cast<unsigned char>(c) <= ' ') {
            blank = true;
            continue;
        }
        if (blank && !line.empty()) line += ' ';
        blank = false;
        line += c;
    }
    return line;
}

struct TElement {
    const TMdlEntry* Entry = nullptr;
    std::string Name, Key;
    TNodePtr Tree;
    bool Stock = false, Flow = false;
    size_t Record = SIZE_MAX; // its record, when it has one
};

class TMdlImporter {
public:
    TMdlImporter(const TMdlFile& file, TXmileRecords& records, std::string& error,
                 TXmileFault& fault)
        : File(file), Records(records), Error(error), Fault(fault) {}

    bool Run() {
        Records.Source = "Vensim .mdl";
        if (!Classify() || !Control() || !Method()) return false;
        FlowsFromSketch();
        if (!MakeRecords() || !ConnectStocks()) return false;
        Layout();
        return true;
    }

private:
    bool Fail(TXmileFault fault, const std::string& message) {
        if (Fault == TXmileFault::None) {
            Fault = fault;
            Error = message;
        }
        return false;
    }

    // -----------------------------------------------------------------------------------
    // Entries

    bool Classify() {
        for (const TMdlEntry& entry : File.Entries) {
            const std::string name = Unquoted(entry.Left);
            const std::string who = "Element " + Quoted(name) + ": ";
            if (name.empty()) return Fail(TXmileFault::Invalid, "an equation has no name");
            if (name.size() > XmileMaxNameLength)
                return Fail(TXmileFault::Invalid,
                            "the name " + Quoted(name.substr(0, 40)) + "... is too long");
            if (entry.Left.find('[') != std::string::npos && entry.Left.front() != '"')
                return Fail(TXmileFault::Refused, who + "subscripts");
            const std::string& op = entry.Operator;
            if (op == ":") return Fail(TXmileFault::Refused, who + "subscript ranges");
            if (op == "<->") return Fail(TXmileFault::Refused, who + "subscript equivalences");
            if (op == ":=") return Fail(TXmileFault::Refused, who + "data equations (:=)");
            if (op.empty()) return Fail(TXmileFault::Refused, who + "data variables (no equation)");
            if (op.front() == ':') return Fail(TXmileFault::Refused, who + "data (" + op + ")");
            const std::string key = XmileNameKey(name);
            if (Lookups.count(key) || ByKey.count(key))
                return Fail(TXmileFault::Invalid, "two equations are given for " + Quoted(name));
            std::string error;
            TXmileFault fault = TXmileFault::None;
            if (op == "(") {
                // A lookup read from outside: "name( GET XLS LOOKUPS(...) )".
                const std::string inner = Trim(std::string_view(entry.Right).substr(1));
                const std::string head = MdlFunctionKey(inner.substr(0, inner.find('(')));
                if (head.rfind("GET ", 0) == 0)
                    return Fail(TXmileFault::Refused, who + "external data (" + head + ")");
                TMdlTable table;
                if (!ParseMdlTable(entry.Right, table, error, fault))
                    return Fail(fault, who + error);
                Lookups[key] = name;
                LookupGraph[key] = Records.Graphs.size();
                Records.Graphs.push_back({name, GraphOf(table.X, table.Y)});
                continue;
            }
            TElement element;
            element.Entry = &entry;
            element.Name = name;
            element.Key = key;
            element.Tree = ParseMdlExpression(entry.Right, error, fault);
            if (!element.Tree)
                return Fail(fault,
                            who + (Trim(entry.Right).empty() ? "the equation is missing" : error));
            ByKey[key] = Elements.size();
            Elements.push_back(std::move(element));
        }
        return true;
    }

    static TXmileGraph GraphOf(const std::vector<double>& x, const std::vector<double>& y) {
        TXmileGraph graph;
        graph.X = x;
        graph.Y = y;
        return graph;
    }

    bool IsControl(const std::string& key) const {
        return key == "initial time" || key == "final time" || key == "time step" ||
               key == "saveper";
    }

    // A value that the file fixes: numbers, and names of such values, combined by arithmetic.
    bool ConstantValue(const TXmileNode& node, double& value, int depth = 0) {
        if (depth > 200) return false;
        switch (node.Kind) {
        case TXmileNode::Number:
            value = node.Value;
            return true;
        case TXmileNode::Name: {
            auto it = ByKey.find(XmileNameKey(node.Text));
            if (it == ByKey.end()) return false;
            // Each element once: a name used many times, or in a loop, costs no more.
            auto [known, fresh] = Constants.try_emplace(it->second, std::nullopt);
            if (fresh) {
                double v = 0;
                if (ConstantValue(*Elements[it->second].Tree, v, depth + 1))
                    Constants[it->second] = v;
            }
            known = Constants.find(it->second);
            if (!known->second) return false;
            value = *known->second;
            return true;
        }
        case TXmileNode::Unary: {
            if (node.Text == "NOT" || !ConstantValue(*node.Args[0], value, depth + 1)) return false;
            if (node.Text == "-") value = -value;
            return true;
        }
        case TXmileNode::Binary: {
            double a = 0, b = 0;
            if (!ConstantValue(*node.Args[0], a, depth + 1) ||
                !ConstantValue(*node.Args[1], b, depth + 1))
                return false;
            const std::string& op = node.Text;
            if (op == "+")
                value = a + b;
            else if (op == "-")
                value = a - b;
            else if (op == "*")
                value = a * b;
            else if (op == "/" && b != 0)
                value = a / b;
            else
                return false;
            return std::isfinite(value);
        }
        default:
            return false;
        }
    }

    bool ControlValue(const char* key, const char* shown, double& value, bool& present) {
        auto it = ByKey.find(key);
        present = it != ByKey.end();
        if (!present) return true;
        if (!ConstantValue(*Elements[it->second].Tree, value))
            return Fail(TXmileFault::Refused,
                        std::string(shown) + " that is not a constant (" +
                            OneLine(Elements[it->second].Entry->Right).substr(0, 80) + ")");
        return true;
    }

    bool Control() {
        bool hasStart = false, hasStop = false, hasDt = false, hasSave = false;
        double save = 0;
        if (!ControlValue("initial time", "an INITIAL TIME", Records.Start, hasStart) ||
            !ControlValue("final time", "a FINAL TIME", Records.Stop, hasStop) ||
            !ControlValue("time step", "a TIME STEP", Records.Dt, hasDt) ||
            !ControlValue("saveper", "a SAVEPER", save, hasSave))
            return false;
        if (!hasStart || !hasStop)
            return Fail(TXmileFault::Invalid, std::string("the model gives no ") +
                                                  (hasStart ? "FINAL" : "INITIAL") + " TIME");
        if (!hasDt) return Fail(TXmileFault::Invalid, "the model gives no TIME STEP");
        Records.HasStart = Records.HasStop = Records.HasDt = true;
        TimeStep = Records.Dt;
        SavePeriod = hasSave ? save : Records.Dt;
        for (const char* key : {"time step", "final time", "initial time"}) {
            const std::string units = UnitsText(Elements[ByKey[key]].Entry->Units);
            if (!units.empty()) {
                Records.TimeUnits = units;
                break;
            }
        }
        if (hasSave && std::fabs(save - Records.Dt) > 1e-10 * std::max(1.0, std::fabs(save)))
            Records.Warnings.push_back(
                "SAVEPER is " + XmileNumberText(save) + " and TIME STEP " +
                XmileNumberText(Records.Dt) +
                ": Quorvane keeps the results of every time step, more than the original "
                "tool saved.");
        return true;
    }

    bool Method() {
        switch (File.Method) {
        case -1:
        case 0:
            Records.Method = "Euler";
            return true;
        case 3:
            // Vensim's second order goes through the middle of the step (the midpoint method);
            // ours averages the rates at the step's start and end (Heun's): they differ on any
            // model that is not linear.
            return Fail(TXmileFault::Refused, "the integration method RK2 (Vensim's midpoint "
                                              "method, where Quorvane's RK2 is Heun's)");
        case 5:
            Records.Method = "RK4";
            RungeKutta = true;
            return true;
        case 1:
            return Fail(TXmileFault::Refused, "the integration method RK4 Auto (steps of "
                                              "varying size)");
        case 4:
            return Fail(TXmileFault::Refused, "the integration method RK2 Auto (steps of "
                                              "varying size)");
        case 2:
            return Fail(TXmileFault::Refused, "the integration method Difference");
        default:
            return Fail(TXmileFault::Refused,
                        "the integration method numbered " + std::to_string(File.Method));
        }
    }

    // A variable drawn at a valve is a flow. A file without valves (no sketch, or one that
    // draws none) names its flows by its rates: the names a rate adds and takes away, when it
    // is nothing else.
    void FlowsFromSketch() {
        bool valves = false;
        for (const TMdlObject& object : File.Objects) {
            valves = valves || object.Type == 11;
            if (object.Type == 10 && (object.Shape & 32))
                FlowKeys.insert(XmileNameKey(Unquoted(object.Name)));
        }
        if (valves) return;
        for (const TElement& element : Elements) {
            const TXmileNode& tree = *element.Tree;
            if (!IsInteg(tree)) continue;
            std::vector<std::string> names;
            if (!NameTerms(*tree.Args[0], names)) continue;
            for (const std::string& key : names)
                FlowKeys.insert(key);
        }
    }

    static bool IsInteg(const TXmileNode& tree) {
        return tree.Kind == TXmileNode::Call && MdlFunctionKey(tree.Text) == "INTEG" &&
               tree.Args.size() == 2;
    }

    bool NameTerms(const TXmileNode& node, std::vector<std::string>& names) const {
        if (node.Kind == TXmileNode::Name) {
            auto it = ByKey.find(XmileNameKey(node.Text));
            if (it == ByKey.end() || IsControl(it->first) || IsInteg(*Elements[it->second].Tree))
                return false;
            names.push_back(it->first);
            return true;
        }
        if (node.Kind == TXmileNode::Unary && (node.Text == "-" || node.Text == "+"))
            return NameTerms(*node.Args[0], names);
        if (node.Kind == TXmileNode::Binary && (node.Text == "+" || node.Text == "-"))
            return NameTerms(*node.Args[0], names) && NameTerms(*node.Args[1], names);
        return false;
    }

    // -----------------------------------------------------------------------------------
    // Equations in the builder's vocabulary

    static TNodePtr Node(TXmileNode::TKind kind, std::string text,
                         std::vector<TNodePtr> args = {}) {
        auto node = std::make_unique<TXmileNode>();
        node->Kind = kind;
        node->Text = std::move(text);
        for (auto& arg : args) {
            node->Height = std::max(node->Height, 1 + arg->Height);
            node->Args.push_back(std::move(arg));
        }
        return node;
    }
    static TNodePtr Number(double value) {
        auto node = Node(TXmileNode::Number, "");
        node->Value = value;
        return node;
    }
    static TNodePtr Call(const std::string& name, std::vector<TNodePtr> args = {}) {
        return Node(TXmileNode::Call, name, std::move(args));
    }
    static TNodePtr Binary(const std::string& op, TNodePtr a, TNodePtr b) {
        std::vector<TNodePtr> args;
        args.push_back(std::move(a));
        args.push_back(std::move(b));
        return Node(TXmileNode::Binary, op, std::move(args));
    }
    static TNodePtr If(TNodePtr condition, TNodePtr then, TNodePtr otherwise) {
        std::vector<TNodePtr> args;
        args.push_back(std::move(condition));
        args.push_back(std::move(then));
        args.push_back(std::move(otherwise));
        return Node(TXmileNode::If, "", std::move(args));
    }
    static TNodePtr TimePlus() {
        // Vensim compares its test inputs' times half a step ahead, clear of rounding.
        return Binary("+", Call("TIME"), Binary("/", Call("DT"), Number(2)));
    }

    bool Arity(const std::string& f, size_t n, size_t low, size_t high) {
        if (n >= low && n <= high) return true;
        return Fail(TXmileFault::Invalid,
                    f + " takes " + std::to_string(low) +
                        (high != low ? " or " + std::to_string(high) : std::string()) +
                        " argument" + (low == 1 && high == 1 ? "" : "s") + ", not " +
                        std::to_string(n));
    }

    bool Translate(const TXmileNode& node, TNodePtr& out) {
        if (++NodeCount > MaxTranslatedNodes)
            return Fail(TXmileFault::Refused, "an equation that grows too large in translation");
        switch (node.Kind) {
        case TXmileNode::Number:
            out = Number(node.Value);
            return true;
        case TXmileNode::Name:
            return TranslateName(node, out);
        case TXmileNode::Unary:
        case TXmileNode::Binary: {
            std::vector<TNodePtr> args;
            if (!TranslateArgs(node, args)) return false;
            out = Node(node.Kind, node.Text, std::move(args));
            return true;
        }
        case TXmileNode::Call:
            return TranslateCall(node, out);
        default:
            return Fail(TXmileFault::Invalid, "the equation cannot be read");
        }
    }

    bool TranslateArgs(const TXmileNode& node, std::vector<TNodePtr>& args) {
        for (const auto& arg : node.Args) {
            TNodePtr translated;
            if (!Translate(*arg, translated)) return false;
            args.push_back(std::move(translated));
        }
        return true;
    }

    bool TranslateName(const TXmileNode& node, TNodePtr& out) {
        const std::string key = XmileNameKey(node.Text);
        if (key == "time") {
            out = Call("TIME");
        } else if (key == "time step") {
            out = Call("DT");
        } else if (key == "initial time") {
            out = Call("STARTTIME");
        } else if (key == "final time") {
            out = Call("STOPTIME");
        } else if (key == "saveper") {
            out = Number(SavePeriod);
        } else if (Lookups.count(key)) {
            return Fail(TXmileFault::Invalid,
                        "the lookup " + Quoted(node.Text) + " is used without an input");
        } else {
            out = Node(TXmileNode::Name, node.Text);
        }
        return true;
    }

    bool RefuseUnderRungeKutta(const std::string& f) {
        // These change only at whole steps in Vensim; the stages of a Runge-Kutta step would
        // see them change in between.
        if (!RungeKutta) return true;
        return Fail(TXmileFault::Refused, f + " under Runge-Kutta integration");
    }

    bool TranslateCall(const TXmileNode& node, TNodePtr& out) {
        const std::string f = MdlFunctionKey(node.Text);
        const size_t n = node.Args.size();
        if (f.empty())
            return Fail(TXmileFault::Invalid, "a lookup table stands where a value should");
        if (auto lookup = Lookups.find(XmileNameKey(node.Text)); lookup != Lookups.end()) {
            if (!Arity(node.Text, n, 1, 1)) return false;
            TNodePtr input;
            if (!Translate(*node.Args[0], input)) return false;
            const TXmileGraph& graph = Records.Graphs[LookupGraph[lookup->first]].Graph;
            if (!OnGrid(graph)) return Piecewise(graph, std::move(input), out);
            std::vector<TNodePtr> args;
            args.push_back(Node(TXmileNode::Name, lookup->second));
            args.push_back(std::move(input));
            out = Call("LOOKUP", std::move(args));
            return true;
        }
        struct TSame {
            const char* Vensim;
            const char* Xmile;
            size_t Low, High;
        };
        static const TSame same[] = {
            {"ABS", "ABS", 1, 1},        {"EXP", "EXP", 1, 1},       {"LN", "LN", 1, 1},
            {"SQRT", "SQRT", 1, 1},      {"SIN", "SIN", 1, 1},       {"COS", "COS", 1, 1},
            {"TAN", "TAN", 1, 1},        {"ARCSIN", "ARCSIN", 1, 1}, {"ARCCOS", "ARCCOS", 1, 1},
            {"ARCTAN", "ARCTAN", 1, 1},  {"MIN", "MIN", 2, 2},       {"MAX", "MAX", 2, 2},
            {"MODULO", "MODULO", 2, 2},  {"INITIAL", "INIT", 1, 1},  {"DELAY1", "DELAY1", 2, 2},
            {"DELAY1I", "DELAY1", 3, 3}, {"DELAY3", "DELAY3", 2, 2}, {"DELAY3I", "DELAY3", 3, 3},
            {"SMOOTH", "SMTH1", 2, 2},   {"SMOOTHI", "SMTH1", 3, 3}, {"SMOOTH3", "SMTH3", 2, 2},
            {"SMOOTH3I", "SMTH3", 3, 3}};
        for (const TSame& s : same) {
            if (f != s.Vensim) continue;
            std::vector<TNodePtr> args;
            if (!Arity(f, n, s.Low, s.High) || !TranslateArgs(node, args)) return false;
            out = Call(s.Xmile, std::move(args));
            return true;
        }
        std::vector<TNodePtr> a;
        auto args = [&](size_t low, size_t high) {
            return Arity(f, n, low, high) && TranslateArgs(node, a);
        };
        if (f == "DELAY N" || f == "SMOOTH N") {
            // (input, time, initial, order): a chain of order stages, each taking its share of
            // the time. The order is fixed for the run, as Vensim requires.
            double order = 0;
            if (!args(4, 4)) return false;
            if (!ConstantValue(*node.Args[3], order) || !(order >= 1) ||
                order > XmileMaxExpansionOrder || order != std::floor(order))
                return Fail(TXmileFault::Refused,
                            f + " with an order that is not a whole number from 1 to " +
                                std::to_string(XmileMaxExpansionOrder));
            std::vector<TNodePtr> call;
            call.push_back(std::move(a[0]));
            call.push_back(std::move(a[1]));
            call.push_back(Number(order));
            call.push_back(std::move(a[2]));
            out = Call(f == "DELAY N" ? "DELAYN" : "SMTHN", std::move(call));
            return true;
        }
        if (f == "IF THEN ELSE") {
            if (!args(3, 3)) return false;
            out = If(std::move(a[0]), std::move(a[1]), std::move(a[2]));
            return true;
        }
        if (f == "POWER") {
            if (!args(2, 2)) return false;
            out = Binary("^", std::move(a[0]), std::move(a[1]));
            return true;
        }
        if (f == "LOG") {
            // The logarithm to the base given.
            if (!args(2, 2)) return false;
            Rewritten = true;
            std::vector<TNodePtr> x, b;
            x.push_back(std::move(a[0]));
            b.push_back(std::move(a[1]));
            out = Binary("/", Call("LN", std::move(x)), Call("LN", std::move(b)));
            return true;
        }
        if (f == "INTEGER") {
            // Toward zero, which our INT does (XMILE's INT is the floor).
            if (!args(1, 1)) return false;
            out = Node(TXmileNode::Ours, "INT", std::move(a));
            return true;
        }
        if (f == "XIDZ" || f == "ZIDZ") {
            // Vensim takes a divisor below 1e-6 in size for zero.
            if (!args(f == "XIDZ" ? 3 : 2, f == "XIDZ" ? 3 : 2)) return false;
            Rewritten = true;
            TNodePtr otherwise = f == "XIDZ" ? std::move(a[2]) : Number(0);
            std::vector<TNodePtr> divisor;
            divisor.push_back(a[1]->Clone());
            out = If(Binary("<", Call("ABS", std::move(divisor)), Number(1e-6)),
                     std::move(otherwise), Binary("/", std::move(a[0]), std::move(a[1])));
            return true;
        }
        if (f == "STEP" && RungeKutta) return HeldInput(node, out);
        if (f == "STEP") {
            if (!args(2, 2)) return false;
            Rewritten = true;
            out = If(Binary(">", TimePlus(), std::move(a[1])), std::move(a[0]), Number(0));
            return true;
        }
        if (f == "PULSE" && RungeKutta) return HeldInput(node, out);
        if (f == "PULSE") {
            if (!args(2, 2)) return false;
            Rewritten = true;
            // A width of 0 is one time step.
            double width = 0;
            TNodePtr w = IsXmileNumber(*a[1], width)
                             ? (width == 0 ? Call("DT") : std::move(a[1]))
                             : If(Binary("=", a[1]->Clone(), Number(0)), Call("DT"), a[1]->Clone());
            TNodePtr start = a[0]->Clone();
            out = If(Binary("AND", Binary(">", TimePlus(), std::move(a[0])),
                            Binary("<", TimePlus(), Binary("+", std::move(start), std::move(w)))),
                     Number(1), Number(0));
            return true;
        }
        if (f == "PULSE TRAIN") return PulseTrain(node, out);
        if (f == "RAMP") {
            // As Vensim defines it, whichever of start and end comes first.
            if (!RefuseUnderRungeKutta(f) || !args(2, 3)) return false;
            Rewritten = true;
            TNodePtr rising = Binary("*", a[0]->Clone(), Binary("-", Call("TIME"), a[1]->Clone()));
            if (a.size() == 3) {
                TNodePtr held =
                    Binary("*", std::move(a[0]), Binary("-", a[2]->Clone(), a[1]->Clone()));
                rising = If(Binary("<", Call("TIME"), std::move(a[2])), std::move(rising),
                            std::move(held));
            }
            out = If(Binary(">", Call("TIME"), std::move(a[1])), std::move(rising), Number(0));
            return true;
        }
        if (f == "DELAY FIXED") {
            if (!RefuseUnderRungeKutta(f) || !args(3, 3)) return false;
            double delay = 0;
            if (!ConstantValue(*node.Args[1], delay))
                return Fail(TXmileFault::Refused, "DELAY FIXED with a delay time that is "
                                                  "not a constant");
            const double steps = delay / TimeStep;
            if (delay > TimeStep && std::fabs(steps - std::round(steps)) > 1e-6)
                return Fail(TXmileFault::Refused, "DELAY FIXED with a delay time that is not "
                                                  "a whole number of time steps");
            Rewritten = true;
            out = Call("DELAY", std::move(a));
            return true;
        }
        if (f == "RANDOM UNIFORM") {
            if (!args(3, 3)) return false;
            Rewritten = true;
            Random = true;
            TNodePtr low = a[0]->Clone();
            out = Binary("+", std::move(a[0]),
                         Binary("*", Binary("-", std::move(a[1]), std::move(low)),
                                Node(TXmileNode::Ours, "RANDOM")));
            return true;
        }
        if (f == "INTEG") return Fail(TXmileFault::Refused, "INTEG inside an expression");
        if (f == "WITH LOOKUP")
            return Fail(TXmileFault::Refused, "WITH LOOKUP inside an expression");
        if (f == "A FUNCTION OF")
            return Fail(TXmileFault::Refused, "incomplete equations (A FUNCTION OF)");
        if (f.rfind("GET ", 0) == 0) return Fail(TXmileFault::Refused, "external data (" + f + ")");
        if (f.rfind("LOOKUP ", 0) == 0) return Fail(TXmileFault::Refused, "the function " + f);
        if (ByKey.count(XmileNameKey(node.Text)))
            return Fail(TXmileFault::Invalid,
                        "the element " + Quoted(node.Text) + " is used as a function");
        return Fail(TXmileFault::Refused, "the function " + f);
    }

    // Whether a GRAPH table holds the lookup: x values on an even grid of bounded size.
    bool OnGrid(const TXmileGraph& graph) {
        std::string text, error;
        TXmileFault fault = TXmileFault::None;
        return XmileGraphCall(graph, "x", text, error, fault) ||
               error.find("unevenly spaced") == std::string::npos;
    }

    static TNodePtr Signed(double value) {
        if (value >= 0) return Number(value);
        std::vector<TNodePtr> args;
        args.push_back(Number(-value));
        return Node(TXmileNode::Unary, "-", std::move(args));
    }

    // A lookup whose x values lie on no even grid: the same straight lines between its
    // points, as the first y plus, for each segment, its slope times the part of it that the
    // input has passed. Beyond the ends the end values hold, as they do in the lookup.
    bool Piecewise(const TXmileGraph& graph, TNodePtr input, TNodePtr& out) {
        const std::vector<double>& x = graph.X;
        const std::vector<double>& y = graph.Y;
        for (size_t k = 1; k < x.size(); ++k)
            if (!(x[k] > x[k - 1]))
                return Fail(TXmileFault::Invalid, "the lookup's x values do not increase");
        Rewritten = true;
        // The input is read once per segment: anything but a name or number goes through an
        // auxiliary of its own.
        if (input->Kind != TXmileNode::Name && input->Kind != TXmileNode::Number) {
            std::string name = Translating + " lookup input";
            for (int k = 2; NameTaken(name); ++k)
                name = Translating + " lookup input " + std::to_string(k);
            if (!DryRun) {
                NewNames.insert(XmileNameKey(name));
                TXmileVariable helper;
                helper.Tag = "aux";
                helper.Name = name;
                helper.HasEquation = true;
                helper.Tree = std::move(input);
                helper.Doc = "The input of a lookup in the equation of " + Translating +
                             ", whose x values lie on no even grid.";
                Records.Variables.push_back(std::move(helper));
            }
            input = Node(TXmileNode::Name, name);
        }
        std::vector<TNodePtr> terms;
        for (size_t k = 0; k + 1 < x.size(); ++k) {
            const double slope = (y[k + 1] - y[k]) / (x[k + 1] - x[k]);
            if (slope == 0) continue;
            if (!std::isfinite(slope))
                return Fail(TXmileFault::Refused, "a lookup too steep to compute");
            std::vector<TNodePtr> low, high;
            low.push_back(input->Clone());
            low.push_back(Signed(x[k]));
            high.push_back(Call("MAX", std::move(low)));
            high.push_back(Signed(x[k + 1]));
            terms.push_back(Binary("*", Signed(slope),
                                   Binary("-", Call("MIN", std::move(high)), Signed(x[k]))));
        }
        // Summed in pairs, so that long tables stay shallow.
        while (terms.size() > 1) {
            std::vector<TNodePtr> pairs;
            for (size_t k = 0; k + 1 < terms.size(); k += 2)
                pairs.push_back(Binary("+", std::move(terms[k]), std::move(terms[k + 1])));
            if (terms.size() % 2) pairs.push_back(std::move(terms.back()));
            terms = std::move(pairs);
        }
        out = terms.empty() ? Signed(y[0]) : Binary("+", Signed(y[0]), std::move(terms[0]));
        return true;
    }

    // STEP, PULSE and PULSE TRAIN under Runge-Kutta: Vensim holds them at each step's value,
    // and our PULSETRAIN is evaluated as at the step's start in the stages between, so they
    // are written with it, from fixed arguments. Vensim's window start - DT/2 < TIME <
    // start + width - DT/2 is open at both ends; PULSETRAIN's [first, first + width) is taken a
    // hair inside it, so that an end exactly on a step stays out as Vensim's strict comparison
    // leaves it.
    bool HeldInput(const TXmileNode& node, TNodePtr& out) {
        const std::string f = MdlFunctionKey(node.Text);
        const size_t n = f == "PULSE TRAIN" ? 4 : 2;
        if (!Arity(f, node.Args.size(), n, n)) return false;
        double v[4] = {0, 0, 0, 0};
        for (size_t k = 0; k < n; ++k)
            if (!ConstantValue(*node.Args[k], v[k]))
                return Fail(TXmileFault::Refused,
                            f + " with arguments that change, under Runge-Kutta integration");
        const double hair = TimeStep * 1e-6;
        const double shift = -TimeStep / 2 + hair;
        Rewritten = true;
        std::vector<TNodePtr> args;
        auto call = [&](double first, double width, double interval, double last) {
            for (double x : {first, width, interval, last})
                args.push_back(Signed(x));
            return Node(TXmileNode::Ours, "PULSETRAIN", std::move(args));
        };
        if (f == "STEP") {
            out = Binary("*", Signed(v[0]), call(v[1] + shift, 1e300, 0, v[1] + shift));
        } else if (f == "PULSE") {
            const double width = v[1] == 0 ? TimeStep : v[1];
            out = call(v[0] + shift, width - 2 * hair, 0, v[0] + shift);
        } else {
            if (PulseUnderWayAtEnd(v[0], v[1], v[2], v[3]))
                return Fail(TXmileFault::Refused,
                            "PULSE TRAIN with a pulse under way at its end time");
            const std::string odd = LaterPulseOnAStep(v[0], std::max(v[1], TimeStep), v[2], v[3]);
            if (!odd.empty()) return Fail(TXmileFault::Refused, "PULSE TRAIN with " + odd);
            out = call(v[0] + shift, std::max(v[1], TimeStep) - 2 * hair, v[2], v[3] + shift);
        }
        return true;
    }

    // Vensim takes the train's later pulses as on from the step where they start exactly
    // (a remainder of 0), the first one only after it: a later pulse starting exactly half a
    // step before a step would tell the two apart. Overlapping pulses are on throughout.
    std::string LaterPulseOnAStep(double start, double width, double between, double end) const {
        if (between <= width) return {};
        const double last = std::min(end, Records.Stop);
        for (long k = 1; start + k * between <= last + TimeStep * 1e-6; ++k) {
            if (k > 1000000) return "more than a million pulses, under Runge-Kutta integration";
            const double steps = (start + k * between - TimeStep / 2 - Records.Start) / TimeStep;
            if (std::fabs(steps - std::round(steps)) < 1e-6)
                return "a pulse starting half a time step before a step, under Runge-Kutta "
                       "integration";
        }
        return {};
    }

    // Whether a pulse of the train is on at its end time before the run ends, where Vensim's
    // handling is not written down.
    bool PulseUnderWayAtEnd(double start, double width, double between, double end) const {
        const double w = std::max(width, TimeStep);
        const double plus = end + TimeStep / 2;
        const bool on =
            plus > start && (between <= w || std::fmod(plus - start, between) < w - 1e-10);
        return on && end < Records.Stop + TimeStep / 2;
    }

    bool PulseTrain(const TXmileNode& node, TNodePtr& out) {
        const std::string f = "PULSE TRAIN";
        if (RungeKutta) return HeldInput(node, out);
        std::vector<TNodePtr> a;
        if (!Arity(f, node.Args.size(), 4, 4) || !TranslateArgs(node, a)) return false;
        // Whether a pulse still on at the end time is cut there is not written down: refuse
        // what would tell.
        double start = 0, width = 0, between = 0, end = 0;
        if (ConstantValue(*node.Args[0], start) && ConstantValue(*node.Args[1], width) &&
            ConstantValue(*node.Args[2], between) && ConstantValue(*node.Args[3], end) &&
            PulseUnderWayAtEnd(start, width, between, end))
            return Fail(TXmileFault::Refused, "PULSE TRAIN with a pulse under way at its end time");
        Rewritten = true;
        std::vector<TNodePtr> width2, part;
        width2.push_back(std::move(a[1]));
        width2.push_back(Call("DT"));
        TNodePtr w = Call("MAX", std::move(width2));
        part.push_back(Binary("-", TimePlus(), a[0]->Clone()));
        part.push_back(std::move(a[2]));
        TNodePtr in = Binary("<", Call("MODULO", std::move(part)), std::move(w));
        out = If(Binary("AND",
                        Binary("AND", Binary(">", TimePlus(), std::move(a[0])),
                               Binary("<=", Call("TIME"), std::move(a[3]))),
                        std::move(in)),
                 Number(1), Number(0));
        return true;
    }

    bool TranslateEquation(TElement& element, const TXmileNode& node, TNodePtr& out) {
        NodeCount = 0;
        Translating = element.Name;
        if (!Translate(node, out)) {
            Error = "Element " + Quoted(element.Name) + ": " + Error;
            return false;
        }
        if (out->Height > XmileMaxTreeHeight)
            return Fail(TXmileFault::Refused,
                        "Element " + Quoted(element.Name) + ": an equation that nests too deeply");
        return true;
    }

    // -----------------------------------------------------------------------------------
    // Records

    bool MakeRecords() {
        for (TElement& element : Elements) {
            if (IsControl(element.Key)) continue;
            const std::string who = "Element " + Quoted(element.Name) + ": ";
            TXmileVariable record;
            record.Name = element.Name;
            record.Units = UnitsText(element.Entry->Units);
            record.Doc = CommentText(element.Entry->Comment);
            record.HasEquation = true;
            record.Equation = element.Entry->Right;
            const TXmileNode* value = element.Tree.get();
            const std::string top =
                value->Kind == TXmileNode::Call ? MdlFunctionKey(value->Text) : std::string();
            Rewritten = false;
            if (top == "INTEG") {
                if (value->Args.size() != 2)
                    return Fail(TXmileFault::Invalid, who + "INTEG takes 2 arguments, not " +
                                                          std::to_string(value->Args.size()));
                element.Stock = true;
                record.Tag = "stock";
                value = value->Args[1].get();
            } else {
                element.Flow = FlowKeys.count(element.Key) > 0;
                record.Tag = element.Flow ? "flow" : "aux";
            }
            if (top == "WITH LOOKUP") {
                if (value->Args.size() != 2 || value->Args[1]->Kind != TXmileNode::Call ||
                    !value->Args[1]->Text.empty())
                    return Fail(TXmileFault::Invalid,
                                who + "WITH LOOKUP takes an input and a table");
                record.HasGraph = true;
                for (size_t i = 0; i + 1 < value->Args[1]->Args.size(); i += 2) {
                    record.Graph.X.push_back(value->Args[1]->Args[i]->Value);
                    record.Graph.Y.push_back(value->Args[1]->Args[i + 1]->Value);
                }
                value = value->Args[0].get();
            }
            TNodePtr tree;
            if (!TranslateEquation(element, *value, tree)) return false;
            if (record.HasGraph && !OnGrid(record.Graph)) {
                record.HasGraph = false;
                TNodePtr input = std::move(tree);
                if (!Piecewise(record.Graph, std::move(input), tree)) {
                    Error = who + Error;
                    return false;
                }
            }
            if (element.Stock) {
                // The rate is checked now, so that its faults are named with its stock.
                TNodePtr rate;
                DryRun = true;
                const bool ok = TranslateEquation(element, *element.Tree->Args[0], rate);
                DryRun = false;
                if (!ok) return false;
            }
            if (Rewritten)
                record.Doc += std::string(record.Doc.empty() ? "" : "\n") +
                              "In the .mdl file: " + OneLine(element.Entry->Right);
            record.Tree = std::move(tree);
            element.Record = Records.Variables.size();
            Records.Variables.push_back(std::move(record));
        }
        if (Random)
            Records.Warnings.push_back("RANDOM UNIFORM draws from Quorvane's generator: its "
                                       "numbers differ from the original tool's.");
        return true;
    }

    // The flows a rate adds and takes away, when it is nothing but a sum and difference of
    // flow names.
    bool Terms(const TXmileNode& node, int sign, std::vector<std::pair<size_t, int>>& terms) {
        if (node.Kind == TXmileNode::Name) {
            auto it = ByKey.find(XmileNameKey(node.Text));
            if (it == ByKey.end() || !Elements[it->second].Flow) return false;
            for (const auto& term : terms)
                if (term.first == it->second) return false;
            terms.emplace_back(it->second, sign);
            return true;
        }
        if (node.Kind == TXmileNode::Unary && (node.Text == "-" || node.Text == "+"))
            return Terms(*node.Args[0], node.Text == "-" ? -sign : sign, terms);
        if (node.Kind == TXmileNode::Binary && (node.Text == "+" || node.Text == "-"))
            return Terms(*node.Args[0], sign, terms) &&
                   Terms(*node.Args[1], node.Text == "-" ? -sign : sign, terms);
        return false;
    }

    bool NameTaken(const std::string& name) const {
        const std::string key = XmileNameKey(name);
        return ByKey.count(key) || Lookups.count(key) || NewNames.count(key);
    }

    bool ConnectStocks() {
        std::map<size_t, size_t> fills, drains; // flow -> stock
        int netFlows = 0;
        std::vector<TXmileVariable> added;
        for (size_t s = 0; s < Elements.size(); ++s) {
            TElement& stock = Elements[s];
            if (!stock.Stock) continue;
            std::vector<std::pair<size_t, int>> terms;
            bool plain = Terms(*stock.Tree->Args[0], 1, terms);
            for (const auto& [flow, sign] : terms)
                if ((sign > 0 ? fills : drains).count(flow)) plain = false;
            if (plain) {
                for (const auto& [flow, sign] : terms) {
                    (sign > 0 ? fills : drains)[flow] = s;
                    TXmileVariable& record = Records.Variables[stock.Record];
                    (sign > 0 ? record.Inflows : record.Outflows).push_back(Elements[flow].Name);
                }
                continue;
            }
            // Any other rate is one flow of its own.
            ++netFlows;
            std::string name = stock.Name + " net flow";
            for (int k = 2; NameTaken(name); ++k)
                name = stock.Name + " net flow " + std::to_string(k);
            NewNames.insert(XmileNameKey(name));
            TXmileVariable flow;
            flow.Tag = "flow";
            flow.Name = name;
            flow.HasEquation = true;
            Rewritten = false;
            TNodePtr rate;
            if (!TranslateEquation(stock, *stock.Tree->Args[0], rate)) return false;
            flow.Tree = std::move(rate);
            flow.Doc = "The rate of " + stock.Name + ", which the .mdl file gives as " +
                       OneLine(stock.Entry->Right) +
                       ", is not a sum and difference of flows: it is imported as this one "
                       "flow.";
            Records.Variables[stock.Record].Inflows.push_back(name);
            NetFlowOf[s] = name;
            added.push_back(std::move(flow));
        }
        for (auto& flow : added)
            Records.Variables.push_back(std::move(flow));
        if (netFlows > 0)
            Records.Warnings.push_back(
                std::to_string(netFlows) +
                (netFlows == 1 ? " stock's rate is" : " stocks' rates are") +
                " not a sum and difference of flows; each is imported as one flow named after "
                "its stock (see the flow's notes).");
        return true;
    }

    // -----------------------------------------------------------------------------------
    // The sketch

    // The names an equation uses; without those that only feed a smooth or delay.
    static void NamesUsed(const TXmileNode& node, std::set<std::string>& keys,
                          bool direct = false) {
        if (node.Kind == TXmileNode::Name) keys.insert(XmileNameKey(node.Text));
        if (direct && node.Kind == TXmileNode::Call &&
            (node.Text == "SMTH1" || node.Text == "SMTH3" || node.Text == "DELAY1" ||
             node.Text == "DELAY3" || node.Text == "SMTHN" || node.Text == "DELAYN"))
            return;
        for (const auto& arg : node.Args)
            NamesUsed(*arg, keys, direct);
    }

    void Layout() {
        TMdlSketchModel model;
        std::map<std::string, std::string> sources, sinks; // flow key -> stock key
        for (const TElement& element : Elements) {
            if (!element.Stock) continue;
            const TXmileVariable& record = Records.Variables[element.Record];
            for (const std::string& flow : record.Inflows)
                sinks[XmileNameKey(flow)] = element.Key;
            for (const std::string& flow : record.Outflows)
                sources[XmileNameKey(flow)] = element.Key;
        }
        for (size_t e = 0; e < Elements.size(); ++e) {
            const TElement& element = Elements[e];
            if (element.Record == SIZE_MAX) continue;
            TMdlSketchItem& item = model[element.Key];
            item.Name = element.Name;
            item.Kind = element.Stock ? 's' : element.Flow ? 'f' : 'a';
            item.Source = sources[element.Key];
            item.Sink = sinks[element.Key];
            NamesUsed(*Records.Variables[element.Record].Tree, item.Uses, true);
            NamesUsed(*element.Tree, item.All);
            if (element.Stock) {
                if (auto it = NetFlowOf.find(e); it != NetFlowOf.end()) {
                    item.NetFlow = it->second;
                    NamesUsed(*element.Tree->Args[0], item.NetUses);
                }
            }
        }
        MdlSketchShapes(File, model, Records.Shapes);
    }

    const TMdlFile& File;
    TXmileRecords& Records;
    std::string& Error;
    TXmileFault& Fault;
    std::vector<TElement> Elements;
    std::map<std::string, size_t> ByKey;        // name key -> element
    std::map<std::string, std::string> Lookups; // name key -> name
    std::set<std::string> FlowKeys, NewNames;
    std::map<size_t, std::string> NetFlowOf;           // stock -> its one flow
    std::map<size_t, std::optional<double>> Constants; // element -> its fixed value, if any
    std::map<std::string, size_t> LookupGraph;         // lookup name key -> its graph
    std::string Translating;                           // the element being translated
    bool DryRun = false;                               // translating only to check
    double TimeStep = 1, SavePeriod = 1;
    bool RungeKutta = false;
    bool Rewritten = false, Random = false;
    size_t NodeCount = 0;
};

} // namespace

bool IsMdlFileName(const std::string& fileName) {
    return Lower(std::filesystem::path(fileName).extension().string()) == ".mdl";
}

bool IsImportFileName(const std::string& fileName) {
    return IsXmileFileName(fileName) || IsMdlFileName(fileName);
}

TXmileImport ImportMdlText(std::string_view text, const std::string& fileName) {
    return ImportRecords(
        text, fileName,
        [](std::string_view t, TXmileRecords& records, std::string& error, TXmileFault& fault) {
            TMdlFile file;
            if (!ReadMdlFile(t, file, error, fault)) return false;
            TMdlImporter importer(file, records, error, fault);
            return importer.Run();
        });
}

TXmileImport ImportMdlFile(const std::string& fileName) {
    return ImportFile(fileName, ImportMdlText);
}

TXmileImport ImportModelFile(const std::string& fileName) {
    return IsMdlFileName(fileName) ? ImportMdlFile(fileName) : ImportXmileFile(fileName);
}
