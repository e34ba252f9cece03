// XMILE expressions written in our equation language. Our parser splits at the loosest
// operator outside brackets (comparisons leftmost, then + and - rightmost, then * and /
// rightmost) and reads a sign only at the start, so every operand that could be split
// differently is bracketed.
#include "core/support/Text.h"
#include "document/xmile/XmileEquations.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

std::string XmileNumberText(double value) {
    // Plain digits where they stay short, otherwise the exponent; both read back exactly.
    char text[400];
    auto fixed = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    if (fixed.ec == std::errc() && fixed.ptr - text <= 21) return std::string(text, fixed.ptr);
    auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

namespace {

std::string SignedNumberText(double value) {
    return value < 0 ? "-" + XmileNumberText(-value) : XmileNumberText(value);
}

bool GraphFail(std::string& error, TXmileFault& fault, TXmileFault kind, const std::string& what) {
    fault = kind;
    error = what;
    return false;
}

// The step of an even grid through every x value (increasing), or 0 when there is none
// within the size a graph may have.
double CommonStep(const std::vector<double>& x) {
    double smallest = HUGE_VAL;
    for (size_t k = 1; k < x.size(); ++k)
        smallest = std::min(smallest, x[k] - x[k - 1]);
    const double span = x.back() - x.front();
    for (int parts = 1; parts <= 1000; ++parts) {
        const double step = smallest / parts;
        if (span / step + 1 > static_cast<double>(XmileMaxGraphPoints)) break;
        bool fits = true;
        for (double value : x) {
            const double position = (value - x.front()) / step;
            if (std::fabs(position - std::round(position)) > 1e-6) {
                fits = false;
                break;
            }
        }
        if (fits) return step;
    }
    return 0;
}

} // namespace

bool XmileGraphCall(const TXmileGraph& graph, const std::string& input, std::string& text,
                    std::string& error, TXmileFault& fault) {
    using F = TXmileFault;
    if (!graph.Type.empty() && graph.Type != "continuous")
        return GraphFail(error, fault, F::Refused,
                         graph.Type == "discrete" ? "discrete graphical functions"
                         : graph.Type == "extrapolate"
                             ? "extrapolating graphical functions"
                             : "graphical functions of type " + graph.Type);
    const std::vector<double>& y = graph.Y;
    if (y.empty())
        return GraphFail(error, fault, F::Invalid, "the graphical function has no y values");
    std::vector<double> x = graph.X;
    if (!x.empty()) {
        if (x.size() != y.size())
            return GraphFail(error, fault, F::Invalid,
                             "the graphical function has " + std::to_string(x.size()) +
                                 " x values and " + std::to_string(y.size()) + " y values");
    } else {
        if (!graph.HasXScale)
            return GraphFail(error, fault, F::Invalid, "the graphical function has no x scale");
        for (size_t k = 0; k < y.size(); ++k)
            x.push_back(y.size() == 1
                            ? graph.XMin
                            : graph.XMin + (graph.XMax - graph.XMin) * static_cast<double>(k) /
                                               static_cast<double>(y.size() - 1));
    }
    for (size_t k = 1; k < x.size(); ++k)
        if (!(x[k] > x[k - 1]) || !std::isfinite(x[k] - x[k - 1]))
            return GraphFail(error, fault, F::Invalid,
                             "the graphical function's x values do not increase");
    const double first = x.front();
    double step = 1;
    bool even = true;
    if (x.size() > 1) {
        step = (x.back() - first) / static_cast<double>(x.size() - 1);
        for (size_t k = 1; k < x.size() && even; ++k) {
            const double expected = first + step * static_cast<double>(k);
            even = std::fabs(x[k] - expected) <= 1e-9 * std::max(1.0, std::fabs(expected));
        }
    }
    std::vector<double> values = y;
    if (!even && x.size() > XmileMaxGraphPoints)
        return GraphFail(error, fault, F::Refused,
                         "graphical functions with unevenly spaced x values");
    if (!even) {
        // The same broken line on a finer even grid: the points between the listed ones lie
        // on its straight pieces.
        step = CommonStep(x);
        if (!(step > 0))
            return GraphFail(error, fault, F::Refused,
                             "graphical functions with unevenly spaced x values");
        values.clear();
        const auto count = static_cast<size_t>(std::llround((x.back() - first) / step)) + 1;
        size_t piece = 0;
        for (size_t k = 0; k < count; ++k) {
            const double at = first + step * static_cast<double>(k);
            while (piece + 2 < x.size() && at > x[piece + 1])
                ++piece;
            const double position = (at - x[piece]) / (x[piece + 1] - x[piece]);
            if (std::fabs(at - x[piece + 1]) <= 1e-9 * std::max(1.0, std::fabs(at)))
                values.push_back(y[piece + 1]);
            else if (std::fabs(at - x[piece]) <= 1e-9 * std::max(1.0, std::fabs(at)))
                values.push_back(y[piece]);
            else
                values.push_back(y[piece] + (y[piece + 1] - y[piece]) * position);
        }
    }
    if (!(step > 0) || !std::isfinite(step))
        return GraphFail(error, fault, F::Invalid,
                         "the graphical function's x values do not increase");
    text = "GRAPH(" + input + ", " + SignedNumberText(first) + ", " + XmileNumberText(step);
    for (double value : values)
        text += ", " + SignedNumberText(value);
    text += ")";
    return true;
}

namespace {

enum TLevel { lvCompare = 1, lvSum = 2, lvProduct = 3, lvSign = 4, lvAtom = 5 };

using TPrinted = TEquationPiece;

TPrinted Atom(std::string text) {
    return {std::move(text), lvAtom};
}

std::string Bracketed(const TPrinted& p, bool bracket) {
    return bracket ? "(" + p.Text + ")" : p.Text;
}

} // namespace

TEquationPiece EquationOperation(const std::string& op, const TEquationPiece& left,
                                 const TEquationPiece& right) {
    const bool comparison = op != "+" && op != "-" && op != "*" && op != "/";
    const int tier = comparison ? lvCompare : (op == "+" || op == "-" ? lvSum : lvProduct);
    // A sign inside an expression would be taken for the operator before it.
    const bool leftBracket =
        left.Level == lvSign || (comparison ? left.Level == lvCompare : left.Level < tier);
    const bool rightBracket = right.Level == lvSign || right.Level <= tier;
    return {Bracketed(left, leftBracket) + " " + op + " " + Bracketed(right, rightBracket), tier};
}

namespace {

TPrinted Operation(const std::string& op, const TPrinted& left, const TPrinted& right) {
    return EquationOperation(op, left, right);
}

TPrinted Function(const std::string& name, const std::vector<TPrinted>& args) {
    std::string text = name + "(";
    for (size_t i = 0; i < args.size(); ++i) {
        if (i > 0) text += ", ";
        text += args[i].Text;
    }
    return Atom(text + ")");
}

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (name == n) return true;
    return false;
}

class TImporter {
public:
    TImporter(TXmileImportContext& context, std::string& error, TXmileFault& fault)
        : Context(context), Error(error), Fault(fault) {}

    bool Print(const TXmileNode& node, std::set<std::string>& used, TPrinted& out) {
        switch (node.Kind) {
        case TXmileNode::Number:
            out = Atom(XmileNumberText(node.Value));
            return true;
        case TXmileNode::Name:
            return PrintName(node, used, out);
        case TXmileNode::Unary:
            return PrintUnary(node, used, out);
        case TXmileNode::Binary:
            return PrintBinary(node, used, out);
        case TXmileNode::If: {
            std::vector<TPrinted> args;
            if (!PrintArgs(node, used, args)) return false;
            out = Function("IF", args);
            return true;
        }
        case TXmileNode::Call:
            return PrintCall(node, used, out);
        case TXmileNode::Ours: {
            std::vector<TPrinted> args;
            if (!PrintArgs(node, used, args)) return false;
            // Our built-ins without arguments are written without brackets.
            out = args.empty() ? Atom(node.Text) : Function(node.Text, args);
            return true;
        }
        }
        return Fail(TXmileFault::Invalid, "the equation cannot be read");
    }

private:
    bool Fail(TXmileFault fault, const std::string& message) {
        if (Fault == TXmileFault::None) {
            Fault = fault;
            Error = message;
        }
        return false;
    }

    bool PrintArgs(const TXmileNode& node, std::set<std::string>& used,
                   std::vector<TPrinted>& args) {
        for (const auto& arg : node.Args) {
            TPrinted p;
            if (!Print(*arg, used, p)) return false;
            args.push_back(std::move(p));
        }
        return true;
    }

    bool PrintName(const TXmileNode& node, std::set<std::string>& used, TPrinted& out) {
        const std::string identifier = Context.Identifier(node.Text);
        if (!identifier.empty()) {
            used.insert(Lower(identifier));
            out = Atom(identifier);
            return true;
        }
        std::string upper;
        for (char c : node.Text)
            upper += UpperAscii(c);
        if (upper == "TIME" || upper == "STARTTIME" || upper == "STOPTIME" || upper == "PI") {
            out = Atom(upper);
            return true;
        }
        if (upper == "DT") {
            out = Atom("TIMESTEP");
            return true;
        }
        return Fail(TXmileFault::Invalid, "the name \"" + node.Text + "\" names no element");
    }

    bool PrintUnary(const TXmileNode& node, std::set<std::string>& used, TPrinted& out) {
        TPrinted operand;
        if (!Print(*node.Args[0], used, operand)) return false;
        if (node.Text == "+") {
            out = operand;
        } else if (node.Text == "NOT") {
            out = Function("NOT", {operand});
        } else {
            const bool number = node.Args[0]->Kind == TXmileNode::Number;
            out = {"-" + Bracketed(operand, !number && operand.Level != lvAtom), lvSign};
        }
        return true;
    }

    bool PrintBinary(const TXmileNode& node, std::set<std::string>& used, TPrinted& out) {
        const std::string& op = node.Text;
        if (op == "AND" || op == "OR") {
            // a AND b AND c is one call.
            std::vector<const TXmileNode*> operands;
            CollectChain(node, op, operands);
            std::vector<TPrinted> args;
            for (const TXmileNode* operand : operands) {
                TPrinted p;
                if (!Print(*operand, used, p)) return false;
                args.push_back(std::move(p));
            }
            out = Function(op, args);
            return true;
        }
        TPrinted left, right;
        if (!Print(*node.Args[0], used, left) || !Print(*node.Args[1], used, right)) return false;
        if (op == "^") {
            out = Function("POWER", {left, right});
        } else if (op == "MOD") {
            // The remainder takes the sign of the divisor, as MODULO's does.
            out = Function("MODULO", {left, right});
        } else {
            out = Operation(op, left, right);
        }
        return true;
    }

    static void CollectChain(const TXmileNode& node, const std::string& op,
                             std::vector<const TXmileNode*>& operands) {
        // The chain grows to the left: walk down it without recursion.
        std::vector<const TXmileNode*> rights;
        const TXmileNode* n = &node;
        while (n->Kind == TXmileNode::Binary && n->Text == op) {
            rights.push_back(n->Args[1].get());
            n = n->Args[0].get();
        }
        operands.push_back(n);
        for (auto it = rights.rbegin(); it != rights.rend(); ++it)
            operands.push_back(*it);
    }

    bool Arity(const TXmileNode& node, size_t low, size_t high) {
        const size_t n = node.Args.size();
        if (n >= low && n <= high) return true;
        std::string expected = std::to_string(low);
        if (high != low) expected += high > 100 ? " or more" : " or " + std::to_string(high);
        return Fail(TXmileFault::Invalid, node.Text + " takes " + expected + " argument" +
                                              (high == 1 && low == 1 ? "" : "s") + ", not " +
                                              std::to_string(n));
    }

    bool PrintCall(const TXmileNode& node, std::set<std::string>& used, TPrinted& out) {
        const std::string& f = node.Text;
        if (IsOneOf(f, {"TIME", "STARTTIME", "STOPTIME", "PI", "DT"})) {
            if (!Arity(node, 0, 0)) return false;
            out = Atom(f == "DT" ? "TIMESTEP" : f);
            return true;
        }
        if (IsOneOf(f, {"SMTH1", "SMTH3", "DELAY1", "DELAY3", "SMTHN", "DELAYN"}))
            return PrintExpansion(node, used, out);
        if (IsOneOf(f, {"NORMAL",   "UNIFORM",    "RANDOM",  "POISSON", "LOGNORMAL", "EXPRND",
                        "BINOMIAL", "TRIANGULAR", "WEIBULL", "BETA",    "GAMMA",     "NEGBINOMIAL",
                        "PARETO",   "GAMMALN",    "FORCST",  "SIZE",    "SUM",       "MEAN",
                        "STDDEV",   "RANK",       "PROD"}))
            return Fail(TXmileFault::Refused, "the function " + f);
        if (f == "PREVIOUS" || f == "TREND") return PrintRecall(node, used, out);

        struct TSame {
            const char* Xmile;
            const char* Ours;
            size_t Low, High;
        };
        static const TSame same[] = {{"ABS", "ABS", 1, 1},
                                     {"EXP", "EXP", 1, 1},
                                     {"LN", "LN", 1, 1},
                                     {"SQRT", "SQRT", 1, 1},
                                     {"LOG10", "LOG", 1, 1},
                                     {"INT", "FLOOR", 1, 1},
                                     {"MIN", "MIN", 2, 1000},
                                     {"MAX", "MAX", 2, 1000},
                                     {"SAFEDIV", "DIV", 2, 3},
                                     {"DELAY", "DELAY", 2, 3},
                                     // Trigonometry, the remainder, and reading back the run.
                                     {"SIN", "SIN", 1, 1},
                                     {"COS", "COS", 1, 1},
                                     {"TAN", "TAN", 1, 1},
                                     {"ARCSIN", "ARCSIN", 1, 1},
                                     {"ARCCOS", "ARCCOS", 1, 1},
                                     {"ARCTAN", "ARCTAN", 1, 1},
                                     {"MODULO", "MODULO", 2, 2},
                                     {"INIT", "INIT", 1, 1},
                                     {"HISTORY", "HISTORY", 2, 2}};
        for (const TSame& s : same) {
            if (f != s.Xmile) continue;
            if ((f == "MIN" || f == "MAX") && node.Args.size() == 1)
                return Fail(TXmileFault::Refused, "arrays (" + f + " of one argument)");
            if (!Arity(node, s.Low, s.High)) return false;
            std::vector<TPrinted> args;
            if (!PrintArgs(node, used, args)) return false;
            out = Function(s.Ours, args);
            return true;
        }
        if (f == "STEP") {
            std::vector<TPrinted> a;
            if (!Arity(node, 2, 2) || !PrintArgs(node, used, a)) return false;
            out = Function("IF", {Operation(">=", Atom("TIME"), a[1]), a[0], Atom("0")});
            return true;
        }
        if (f == "RAMP") {
            std::vector<TPrinted> a;
            if (!Arity(node, 2, 3) || !PrintArgs(node, used, a)) return false;
            out = Function("RAMP", {a[0], a[1]});
            // Held from t1 on: the second ramp cancels the growth of the first.
            if (a.size() == 3) out = Operation("-", out, Function("RAMP", {a[0], a[2]}));
            return true;
        }
        if (f == "PULSE") return PrintPulse(node, used, out);

        if (f == "LOOKUP") {
            if (!Arity(node, 2, 2)) return false;
            const TXmileNode& table = *node.Args[0];
            const TXmileGraph* graph =
                table.Kind == TXmileNode::Name ? Context.NamedGraph(table.Text) : nullptr;
            if (!graph)
                return Fail(TXmileFault::Refused,
                            "LOOKUP of something other than a graphical function");
            return PrintGraph(*graph, *node.Args[1], used, out);
        }
        if (const TXmileGraph* graph = Context.NamedGraph(f)) {
            if (!Arity(node, 1, 1)) return false;
            return PrintGraph(*graph, *node.Args[0], used, out);
        }
        if (!Context.Identifier(f).empty())
            return Fail(TXmileFault::Invalid,
                        "the element " + f +
                            " is used as a function but has no graphical function");
        return Fail(TXmileFault::Refused, "the unknown function " + f);
    }

    bool PrintGraph(const TXmileGraph& graph, const TXmileNode& input, std::set<std::string>& used,
                    TPrinted& out) {
        TPrinted x;
        if (!Print(input, used, x)) return false;
        std::string text, error;
        TXmileFault fault = TXmileFault::None;
        if (!XmileGraphCall(graph, x.Text, text, error, fault)) return Fail(fault, error);
        out = Atom(text);
        return true;
    }

    bool PrintPulse(const TXmileNode& node, std::set<std::string>& used, TPrinted& out) {
        std::vector<TPrinted> a;
        if (!Arity(node, 2, 3) || !PrintArgs(node, used, a)) return false;
        // One pulse: our PULSE with a zero interval would fire at every step, so it gets an
        // interval that cannot come round again within the run, whatever the time settings
        // become. Being a PULSE it moves its whole amount under every integration method.
        const TPrinted once =
            Operation("+",
                      Operation("+", Operation("-", Atom("STOPTIME"), Atom("STARTTIME")),
                                Function("ABS", {Operation("-", a[1], Atom("STARTTIME"))})),
                      Atom("1"));
        const TPrinted single = Function("PULSE", {a[0], a[1], once});
        double interval = 0;
        if (a.size() == 2 || (IsXmileNumber(*node.Args[2], interval) && interval <= 0)) {
            out = single;
        } else if (IsXmileNumber(*node.Args[2], interval)) {
            out = Function("PULSE", a);
        } else {
            out = Function("IF", {Operation(">", a[2], Atom("0")), Function("PULSE", a), single});
        }
        return true;
    }

    // PREVIOUS needs its initial value; TREND's initial trend is 0 unless given.
    bool PrintRecall(const TXmileNode& node, std::set<std::string>& used, TPrinted& out) {
        const bool previous = node.Text == "PREVIOUS";
        if (previous && node.Args.size() == 1)
            return Fail(TXmileFault::Refused, "PREVIOUS without an initial value");
        std::vector<TPrinted> a;
        if (!Arity(node, 2, previous ? 2 : 3) || !PrintArgs(node, used, a)) return false;
        if (a.size() == 2 && !previous) a.push_back(Atom("0"));
        out = Function(node.Text, a);
        return true;
    }

    bool PrintExpansion(const TXmileNode& node, std::set<std::string>& used, TPrinted& out) {
        const bool any = node.Text == "SMTHN" || node.Text == "DELAYN";
        if (!Arity(node, any ? 3 : 2, any ? 4 : 3)) return false;
        int order = node.Text == "SMTH3" || node.Text == "DELAY3" ? 3 : 1;
        if (any) {
            // The order sets how many resources there are: a whole number, fixed for the run.
            const TXmileNode& n = *node.Args[2];
            if (n.Kind != TXmileNode::Number || !(n.Value >= 1) ||
                n.Value > XmileMaxExpansionOrder || n.Value != std::floor(n.Value))
                return Fail(TXmileFault::Refused,
                            node.Text + " with an order that is not a whole number from 1 to " +
                                std::to_string(XmileMaxExpansionOrder));
            order = static_cast<int>(n.Value);
        }
        std::vector<TEquationPiece> args;
        std::vector<std::set<std::string>> argsUse;
        for (const auto& arg : node.Args) {
            std::set<std::string> argUse;
            TPrinted p;
            if (!Print(*arg, argUse, p)) return false;
            args.push_back(p);
            argsUse.push_back(std::move(argUse));
        }
        std::string error;
        const std::string identifier = Context.Expand(node.Text, args, argsUse, order, error);
        if (identifier.empty()) return Fail(TXmileFault::Invalid, error);
        used.insert(Lower(identifier));
        out = Atom(identifier);
        return true;
    }

    TXmileImportContext& Context;
    std::string& Error;
    TXmileFault& Fault;
};

} // namespace

bool XmileToEquation(const TXmileNode& node, TXmileImportContext& context, std::string& text,
                     std::set<std::string>& used, std::string& error, TXmileFault& fault) {
    fault = TXmileFault::None;
    error.clear();
    TImporter importer(context, error, fault);
    TPrinted printed;
    if (!importer.Print(node, used, printed)) {
        if (fault == TXmileFault::None) fault = TXmileFault::Invalid;
        return false;
    }
    text = printed.Text;
    return true;
}
