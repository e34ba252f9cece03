// Our parsed equations written in XMILE. Functions XMILE lacks are spelled out with the
// ones it has so that the value stays the same; the few without any counterpart refuse.
#include "document/xmile/XmileEquations.h"

#include "core/equations/EquationObjects.h"
#include "core/model/SimulationObjects.h"
#include "core/support/NumberFormat.h"
#include "core/support/Text.h"

#include <cctype>

namespace {

// XMILE's precedence, loosest first. IF ... THEN ... ELSE reaches as far right as it can, so
// it is bracketed wherever it is an operand.
enum TXLevel {
    xlIf = 0,
    xlOr = 1,
    xlAnd = 2,
    xlEqual = 3,
    xlRelation = 4,
    xlSum = 5,
    xlProduct = 6,
    xlUnary = 7,
    xlPower = 8,
    xlAtom = 9
};

struct TXPrinted {
    std::string Text;
    int Level = xlAtom;
};

TXPrinted XAtom(std::string text) {
    return {std::move(text), xlAtom};
}

std::string XBracketed(const TXPrinted& p, bool bracket) {
    return bracket ? "(" + p.Text + ")" : p.Text;
}

TXPrinted XOperation(const std::string& op, int level, const TXPrinted& left,
                     const TXPrinted& right) {
    // Powers bracket every operand that is not a single item: tools group a^b^c differently.
    const bool leftBracket = level == xlPower ? left.Level <= xlPower : left.Level < level;
    const bool rightBracket = right.Level <= level;
    return {XBracketed(left, leftBracket) + " " + op + " " + XBracketed(right, rightBracket),
            level};
}

TXPrinted XNegate(const TXPrinted& operand) {
    return {"-" + XBracketed(operand, operand.Level <= xlUnary), xlUnary};
}

TXPrinted XFunction(const std::string& name, const std::vector<TXPrinted>& args) {
    std::string text = name + "(";
    for (size_t i = 0; i < args.size(); ++i) {
        if (i > 0) text += ", ";
        text += args[i].Text;
    }
    return XAtom(text + ")");
}

TXPrinted XIf(const TXPrinted& condition, const TXPrinted& then, const TXPrinted& otherwise) {
    return {"IF " + condition.Text + " THEN " + then.Text + " ELSE " + otherwise.Text, xlIf};
}

// Whole numbers toward zero, as our INT does: the branch taken matters only from 1 away
// from zero on, where both agree.
TXPrinted XTruncate(const TXPrinted& x) {
    const TXPrinted whole = XFunction("INT", {XFunction("ABS", {x})});
    return XIf(XOperation("<", xlRelation, x, XAtom("0")), XNegate(whole), whole);
}

class TExporter {
public:
    TExporter(TXmileExportContext& context, std::string& unsupported)
        : Context(context), Unsupported(unsupported) {}

    bool Print(const TEquationElement& element, TXPrinted& out) {
        if (element.ElementKind() == 0) {
            const double value = static_cast<const TEquationConstant&>(element).Value.Number;
            out = XAtom(XmileNumberText(value < 0 ? -value : value));
            if (value < 0) out = {"-" + out.Text, xlUnary};
            return true;
        }
        if (element.ElementKind() == 1) {
            const auto& reference = static_cast<const TEquationVariableReference&>(element);
            const TVariableObject* variable = reference.Variable.GetTarget();
            out = XAtom(variable ? XmileEquationName(variable->Name) : "0");
            return true;
        }
        return PrintFunction(static_cast<const TEquationFunction&>(element), out);
    }

private:
    bool Params(const TEquationFunction& f, std::vector<TXPrinted>& args) {
        for (int32_t i = 0; i < f.ParamCount(); ++i) {
            TXPrinted p;
            if (!Print(*f.Param(i), p)) return false;
            args.push_back(std::move(p));
        }
        return true;
    }

    bool Refuse(TFunctionIndex index) {
        Unsupported = FunctionList[index].Name;
        return false;
    }

    bool PrintFunction(const TEquationFunction& f, TXPrinted& out) {
        const TFunctionIndex index = f.FunctionIndex;
        switch (index) {
        case sgvNPV:
        case sgvFV:
        case sgvPV:
        case sgvRANDOM:
        case sgvTODAY:
            return Refuse(index);
        case sgvGRAPH:
            out = XAtom(Context.GraphAuxiliary(f));
            return true;
        default:
            break;
        }
        std::vector<TXPrinted> a;
        if (!Params(f, a)) return false;
        // A malformed tree never reaches here (the parser refuses it); stay safe all the same.
        auto arg = [&a](size_t i) { return i < a.size() ? a[i] : XAtom("0"); };
        switch (index) {
        case sgvPI:
            out = XAtom("PI");
            break;
        case sgvTRUE:
            out = XAtom("1");
            break;
        case sgvFALSE:
            out = XAtom("0");
            break;
        case sgvTIME:
            out = XAtom("TIME");
            break;
        case sgvSTARTTIME:
            out = XAtom("STARTTIME");
            break;
        case sgvSTOPTIME:
            out = XAtom("STOPTIME");
            break;
        case sgvTIMESTEP:
            out = XAtom("DT");
            break;
        case sgvPlus:
            out = a.size() >= 2 ? XOperation("+", xlSum, a[0], a[1]) : arg(0);
            break;
        case sgvMinus:
            out = a.size() >= 2 ? XOperation("-", xlSum, a[0], a[1]) : XNegate(arg(0));
            break;
        case sgvMultiply:
            out = a.size() >= 2 ? XOperation("*", xlProduct, a[0], a[1]) : arg(0);
            break;
        case sgvDivide:
            out = a.size() >= 2 ? XOperation("/", xlProduct, a[0], a[1]) : arg(0);
            break;
        case sgvEqual:
            out = XOperation("=", xlEqual, arg(0), arg(1));
            break;
        case sgvNotEqual:
            out = XOperation("<>", xlEqual, arg(0), arg(1));
            break;
        case sgvLessThan:
            out = XOperation("<", xlRelation, arg(0), arg(1));
            break;
        case sgvLessEqual:
            out = XOperation("<=", xlRelation, arg(0), arg(1));
            break;
        case sgvGreaterThan:
            out = XOperation(">", xlRelation, arg(0), arg(1));
            break;
        case sgvGreaterEqual:
            out = XOperation(">=", xlRelation, arg(0), arg(1));
            break;
        case sgvAND:
        case sgvOR: {
            const bool isAnd = index == sgvAND;
            out = arg(0);
            for (size_t i = 1; i < a.size(); ++i)
                out = XOperation(isAnd ? "AND" : "OR", isAnd ? xlAnd : xlOr, out, a[i]);
            break;
        }
        case sgvNOT:
            out = {"NOT " + XBracketed(arg(0), arg(0).Level < xlUnary), xlUnary};
            break;
        case sgvIF:
            out = XIf(arg(0), arg(1), arg(2));
            break;
        case sgvDELAY:
            out = XFunction("DELAY", a);
            break;
        case sgvRAMP:
            out = XFunction("RAMP", a);
            break;
        case sgvPULSE:
            out = Pulse(f, a);
            break;
        case sgvLN:
        case sgvEXP:
        case sgvSQRT:
        case sgvABS:
            out = XFunction(FunctionList[index].Name, a);
            break;
        case sgvLOG:
            out = XFunction("LOG10", a);
            break;
        case sgvMIN:
        case sgvMAX: {
            // XMILE's MIN and MAX take two values: nest them.
            const char* name = index == sgvMIN ? "MIN" : "MAX";
            out = a.empty() ? XAtom("0") : a.back();
            for (size_t i = a.size() - (a.empty() ? 0 : 1); i-- > 0;)
                out = XFunction(name, {a[i], out});
            break;
        }
        case sgvINT:
            out = XTruncate(arg(0));
            break;
        case sgvFRAC:
            out = XOperation("-", xlSum, arg(0), XTruncate(arg(0)));
            break;
        case sgvSIGN:
            out = XIf(XOperation(">", xlRelation, arg(0), XAtom("0")), XAtom("1"),
                      XIf(XOperation("<", xlRelation, arg(0), XAtom("0")), XNegate(XAtom("1")),
                          XAtom("0")));
            break;
        case sgvROUND: {
            const TXPrinted half = XFunction(
                "INT", {XOperation("+", xlSum, XFunction("ABS", {arg(0)}), XAtom("0.5"))});
            out = XIf(XOperation("<", xlRelation, arg(0), XAtom("0")), XNegate(half), half);
            break;
        }
        case sgvCEIL:
            out = XNegate(XFunction("INT", {XNegate(arg(0))}));
            break;
        case sgvFLOOR:
            out = XFunction("INT", a);
            break;
        case sgvPOWER:
            out = XOperation("^", xlPower, arg(0), arg(1));
            break;
        case sgvDIV:
            out = XFunction("SAFEDIV", a);
            break;
        case sgvSIN:
        case sgvCOS:
        case sgvTAN:
        case sgvARCSIN:
        case sgvARCCOS:
        case sgvARCTAN:
        case sgvINIT:
        case sgvPREVIOUS:
        case sgvHISTORY:
        case sgvTREND:
            out = XFunction(FunctionList[index].Name, a);
            break;
        case sgvMODULO:
            out = XOperation("MOD", xlProduct, arg(0), arg(1));
            break;
        case sgvPULSETRAIN:
            if (Context.RungeKutta()) {
                Unsupported = "PULSETRAIN under Runge-Kutta integration";
                return false;
            }
            out = PulseTrain(f, a);
            break;
        default:
            return Refuse(index);
        }
        return true;
    }

    // Our PULSE fires at every step when the interval is zero and treats a negative interval
    // as its size; XMILE's fires once then.
    TXPrinted Pulse(const TEquationFunction& f, const std::vector<TXPrinted>& a) {
        if (a.size() < 3) return XAtom("0");
        const TXPrinted everyStep = XOperation("/", xlProduct, a[0], XAtom("DT"));
        const TEquationElement* interval = f.Param(2);
        if (interval && interval->ElementKind() == 0) {
            const double value = static_cast<const TEquationConstant*>(interval)->Value.Number;
            if (IsZero(value)) return everyStep;
            return XFunction("PULSE",
                             {a[0], a[1], XAtom(XmileNumberText(value < 0 ? -value : value))});
        }
        return XIf(XOperation("=", xlEqual, a[2], XAtom("0")), everyStep,
                   XFunction("PULSE", {a[0], a[1], XFunction("ABS", {a[2]})}));
    }

    // XMILE has no pulse train: the latest pulse begun by now, and no later than the last one,
    // decides, with the arithmetic our PULSETRAIN does so that the values stay the same.
    TXPrinted PulseTrain(const TEquationFunction& f, const std::vector<TXPrinted>& a) {
        if (a.size() < 4) return XAtom("0");
        const TXPrinted& first = a[0];
        const TXPrinted& width = a[1];
        const TXPrinted& interval = a[2];
        const TXPrinted& last = a[3];
        const TXPrinted tolerance = XAtom(XmileNumberText(FloatTolerance));
        auto pulsesBefore = [&](const TXPrinted& time) {
            const TXPrinted since =
                XOperation("+", xlSum, XOperation("-", xlSum, time, first), tolerance);
            return XFunction("INT", {XOperation("/", xlProduct, since, interval)});
        };
        const TXPrinted latest =
            XFunction("MIN", {pulsesBefore(XAtom("TIME")), pulsesBefore(last)});
        TXPrinted count = latest;
        const TEquationElement* given = f.Param(2);
        if (given && given->ElementKind() == 0) {
            if (!(static_cast<const TEquationConstant*>(given)->Value.Number > FloatTolerance))
                count = XAtom("0");
        } else {
            count = XIf(XOperation(">", xlRelation, interval, XAtom("0")), latest, XAtom("0"));
        }
        const TXPrinted start =
            XOperation("+", xlSum, first, XOperation("*", xlProduct, count, interval));
        const TXPrinted on = XOperation(
            "AND", xlAnd,
            XOperation("AND", xlAnd,
                       XOperation("AND", xlAnd, XOperation(">=", xlRelation, XAtom("TIME"), first),
                                  XOperation("<=", xlRelation, first, last)),
                       XOperation(">=", xlRelation, XAtom("TIME"), start)),
            XOperation("<", xlRelation, XAtom("TIME"), XOperation("+", xlSum, start, width)));
        return XIf(on, XAtom("1"), XAtom("0"));
    }

    TXmileExportContext& Context;
    std::string& Unsupported;
};

bool IsKeyword(const std::string& upper) {
    for (const char* word : {"IF", "THEN", "ELSE", "AND", "OR", "NOT", "MOD", "TIME", "DT",
                             "STARTTIME", "STOPTIME", "PI"})
        if (upper == word) return true;
    return false;
}

} // namespace

std::string XmileEquationName(const std::string& name) {
    std::string word, upper;
    bool plain = !name.empty() && !std::isdigit(static_cast<unsigned char>(name[0]));
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        const char w = c == ' ' ? '_' : c;
        word += w;
        upper += UpperAscii(w);
        if (!(std::isalnum(u) || w == '_' || u >= 0x80)) plain = false;
    }
    if (plain && !IsKeyword(upper)) return word;
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

bool EquationToXmile(const TEquationElement& root, TXmileExportContext& context, std::string& text,
                     std::string& unsupported) {
    unsupported.clear();
    TExporter exporter(context, unsupported);
    TXPrinted printed;
    if (!exporter.Print(root, printed)) return false;
    text = printed.Text;
    return true;
}
