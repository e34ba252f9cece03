// The equation parser: splits the text at the loosest operator outside brackets and parses
// both sides again, so the order of the operator searches gives the precedence.
#include "core/equations/ParserInternal.h"
#include "core/model/SimulationObjects.h"
#include "core/support/Text.h"

#include <memory>

thread_local std::vector<TDependency*> EquationInputs;
thread_local std::string EquationErrors;
thread_local constinit bool ParserSplitsChainsLiterally = false;

namespace {

using TElementPtr = std::unique_ptr<TEquationElement>;

// Errors seen since the program started, so that a part of the parse can tell whether its
// sides reported anything. A parse given up as too deep adds nothing more.
thread_local constinit size_t ErrorCount = 0;
thread_local constinit bool ParseAborted = false;
// The element whose equation is being parsed, for the one place it may name itself: the input
// of PREVIOUS, which reads the value it had a step before. Set by BeginEquationParse for one
// parse only, so a detached parse never resolves a stale element.
thread_local TVariableObject* ParsedElement = nullptr;
thread_local bool SelfAllowed = false;

bool HasBlankEdge(std::string_view s) {
    return !s.empty() && (static_cast<unsigned char>(s.front()) <= ' ' ||
                          static_cast<unsigned char>(s.back()) <= ' ');
}

void Abort() {
    if (ParseAborted) return;
    AddEquationError(NestedTooDeeplyText);
    ParseAborted = true;
}

enum class TSplit { CannotBeFirst, NotFollowed, Unary, Binary };

// s is trimmed; the operator of the given tier sits at position p.
TSplit ClassifySplit(std::string_view s, size_t p, size_t length, int tier) {
    if (tier != 2 && p == 0) return TSplit::CannotBeFirst;
    if (p + length >= s.size()) return TSplit::NotFollowed;
    if (p == 0) return TSplit::Unary;
    return TSplit::Binary;
}

void ReportSplit(TSplit split, std::string_view op) {
    if (split == TSplit::CannotBeFirst)
        ReportEquationError("Operator: \"" + std::string(op) +
                            "\" cannot be first in expression (needs preceding expression)");
    else if (split == TSplit::NotFollowed)
        ReportEquationError("Operator: \"" + std::string(op) +
                            "\" is not followed by an expression");
}

TFunctionIndex SignIndex(char c) {
    switch (c) {
    case '+':
        return sgvPlus;
    case '-':
        return sgvMinus;
    case '*':
        return sgvMultiply;
    default:
        return sgvDivide;
    }
}

void AddParameter(TEquationFunction& function, TElementPtr element) {
    if (element) function.Parameters.AddItem(element.release());
}

// An operator whose operand vanished without a message of its own (an empty bracket pair)
// must not reach evaluation with too few operands. One operand is still a sign for + and -,
// and "()*3" multiplies by nothing.
void CheckOperands(const TEquationFunction& node, size_t errorsBefore) {
    const int32_t count = node.Parameters.Count();
    if (count >= 2 || ErrorCount != errorsBefore) return;
    const TFunctionIndex index = node.FunctionIndex;
    const bool oneIsEnough = index == sgvPlus || index == sgvMinus || index == sgvMultiply;
    if (count == 0 || !oneIsEnough)
        ReportEquationError(std::string("Empty parameter(s) in - ") + FunctionList[index].Name);
}

TElementPtr ParseAt(std::string_view text, int level);

TElementPtr MakeConstant(std::string text) {
    double value = 0;
    if (ReadNumberText(text, value) == TNumberRead::OutOfRange) {
        ReportEquationError(NumberOutOfRangeText + text);
        return nullptr;
    }
    auto constant = std::make_unique<TEquationConstant>();
    constant->Value.Kind = evkNumber;
    constant->Value.Number = value;
    constant->Text = std::move(text);
    return constant;
}

// A sign at the start: a negative number, or a function of one operand.
TElementPtr ParseUnary(std::string_view s, int level) {
    const std::string_view rest = s.substr(1);
    if (IsNumberText(rest)) return MakeConstant(s[0] + std::string(TrimEquationText(rest)));
    const size_t errorsBefore = ErrorCount;
    auto node = std::make_unique<TEquationFunction>(SignIndex(s[0]));
    AddParameter(*node, ParseAt(rest, level + 1));
    CheckOperands(*node, errorsBefore);
    return node;
}

TElementPtr ParseSplit(std::string_view s, size_t p, size_t length, int tier, TFunctionIndex index,
                       int level) {
    const TSplit split = ClassifySplit(s, p, length, tier);
    if (split == TSplit::Unary) return ParseUnary(s, level);
    if (split != TSplit::Binary) {
        ReportSplit(split, s.substr(p, length));
        return nullptr;
    }
    const size_t errorsBefore = ErrorCount;
    auto node = std::make_unique<TEquationFunction>(index);
    AddParameter(*node, ParseAt(s.substr(0, p), level + 1));
    AddParameter(*node, ParseAt(s.substr(p + length), level + 1));
    CheckOperands(*node, errorsBefore);
    return node;
}

// A chain such as a-b+c-d or a*b/c with operators at positions p. Splitting at the last
// operator and parsing the left part again would rescan that part once per operator; the
// left parts of a chain are exactly the text up to each earlier operator, so the chain is
// walked once instead, building the same left-leaning tree with the same messages.
TElementPtr ParseChain(std::string_view s, const std::vector<size_t>& p, int tier, int level) {
    const size_t top = p.size() - 1;
    const bool plain = !ParserSplitsChainsLiterally && !HasBlankEdge(s) && BracketsBalance(s);
    if (!plain || ClassifySplit(s, p[top], 1, tier) != TSplit::Binary)
        return ParseSplit(s, p[top], 1, tier, SignIndex(s[p[top]]), level);

    const size_t errorsBefore = ErrorCount;
    // Descend through the left parts until one is not a plain split of the chain.
    TElementPtr current;
    size_t m = top;
    for (;;) {
        if (m == 0) {
            current = ParseAt(s.substr(0, p[0]), level + static_cast<int>(top) + 1);
            break;
        }
        const int leftLevel = level + static_cast<int>(top - m) + 1;
        if (leftLevel > MaxNestingLevel) {
            Abort();
            break;
        }
        const std::string_view left = TrimEquationText(s.substr(0, p[m]));
        const TSplit split = ClassifySplit(left, p[m - 1], 1, tier);
        if (split == TSplit::Unary) {
            current = ParseAt(left, leftLevel);
            break;
        }
        if (split != TSplit::Binary) {
            ReportSplit(split, s.substr(p[m - 1], 1));
            break;
        }
        --m;
    }
    for (size_t j = m; j <= top; ++j) {
        auto node = std::make_unique<TEquationFunction>(SignIndex(s[p[j]]));
        AddParameter(*node, std::move(current));
        const size_t end = j < top ? p[j + 1] : s.size();
        AddParameter(*node, ParseAt(s.substr(p[j] + 1, end - p[j] - 1),
                                    level + static_cast<int>(top - j) + 1));
        CheckOperands(*node, errorsBefore);
        current = std::move(node);
    }
    return current;
}

bool SameIdentifierText(std::string_view elementName, std::string_view name) {
    if (elementName.size() != name.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const char e = elementName[i] == ' ' ? '_' : elementName[i];
        if (LowerAscii(e) != LowerAscii(name[i])) return false;
    }
    return true;
}

bool ArityAccepts(int index, int count) {
    switch (index) {
    case sgvPI:
    case sgvTRUE:
    case sgvFALSE:
    case sgvTIME:
    case sgvSTARTTIME:
    case sgvSTOPTIME:
    case sgvTIMESTEP:
    case sgvTODAY:
        return count == 0;
    case sgvRANDOM:
        return count <= 1;
    case sgvRAMP:
    case sgvPOWER:
    case sgvPREVIOUS:
    case sgvHISTORY:
    case sgvMODULO:
        return count == 2;
    case sgvDELAY:
    case sgvDIV:
        return count == 2 || count == 3;
    case sgvPULSE:
    case sgvIF:
    case sgvTREND:
        return count == 3;
    case sgvPULSETRAIN:
        return count == 4;
    case sgvAND:
    case sgvOR:
    case sgvMIN:
    case sgvMAX:
    case sgvNPV:
    case sgvFV:
    case sgvPV:
        return count >= 2;
    case sgvGRAPH:
        return count >= 4;
    default:
        return count == 1;
    }
}

// A linked element's identifier, or a built-in with its bracketed parameters.
TElementPtr ParseName(std::string_view s, int level) {
    std::string_view name = s;
    std::string_view args;
    bool bracketed = false;
    const size_t open = s.find('(');
    if (open != std::string_view::npos) {
        name = TrimEquationText(s.substr(0, open));
        // The last character is taken as the closing bracket, whatever it is.
        const size_t end = s.size() - 1;
        if (open + 1 < end) args = TrimEquationText(s.substr(open + 1, end - open - 1));
        bracketed = true;
    }
    for (TDependency* input : EquationInputs) {
        TVariableObject* variable = input ? input->Source.GetTarget() : nullptr;
        if (!variable || !SameIdentifierText(variable->Name, name)) continue;
        input->Used = true;
        if (bracketed) {
            ReportEquationError("Incorrectly specified variable - " + std::string(name) +
                                ", followed by bracketed expression");
            return nullptr;
        }
        auto reference = std::make_unique<TEquationVariableReference>();
        reference->Variable.SetTarget(variable);
        return reference;
    }
    if (SelfAllowed && ParsedElement && SameIdentifierText(ParsedElement->Name, name)) {
        if (bracketed) {
            ReportEquationError("Incorrectly specified variable - " + std::string(name) +
                                ", followed by bracketed expression");
            return nullptr;
        }
        auto reference = std::make_unique<TEquationVariableReference>();
        reference->Variable.SetTarget(ParsedElement);
        return reference;
    }
    const int index = LookupFunction(name);
    if (index < 0) {
        ReportEquationError(
            (bracketed ? "Unknown function identifier - " : "Unknown identifier - ") +
            std::string(name));
        return nullptr;
    }
    const std::string functionName = FunctionList[index].Name;
    if (index >= sgvDivide && index <= sgvLessThan) {
        ReportEquationError("Invalid function identifier - " + functionName);
        return nullptr;
    }
    const int count = bracketed ? CountParameters(args) + 1 : 0;
    if (!ArityAccepts(index, count))
        ReportEquationError("Incorrectly specified parameters - " + functionName);
    auto node = std::make_unique<TEquationFunction>(static_cast<TFunctionIndex>(index));
    std::string_view rest = args;
    const bool selfAllowed = SelfAllowed;
    for (int i = 0; i < count; ++i) {
        std::string_view parameter = rest;
        if (i < count - 1) SplitFirstParameterView(rest, parameter, rest);
        SelfAllowed = selfAllowed || (index == sgvPREVIOUS && i == 0);
        AddParameter(*node, ParseAt(parameter, level + 1));
    }
    SelfAllowed = selfAllowed;
    if (node->Parameters.Count() != count)
        ReportEquationError("Empty parameter(s) in - " + functionName);
    if (index == sgvGRAPH) BuildGraphTable(*node);
    return node;
}

TElementPtr ParseAt(std::string_view text, int level) {
    if (ParseAborted) return nullptr;
    if (level > MaxNestingLevel) {
        Abort();
        return nullptr;
    }
    std::string_view s = TrimEquationText(text);
    if (s.empty()) return nullptr;
    while (IsWholeBracketed(s)) {
        if (++level > MaxNestingLevel) {
            Abort();
            return nullptr;
        }
        s = TrimEquationText(s.substr(1, s.size() >= 2 ? s.size() - 2 : 0));
        if (s.empty()) return nullptr;
    }
    const std::string normalized = NormalizeSigns(s);
    s = normalized;

    size_t position = 0;
    size_t length = 0;
    TFunctionIndex index = sgvEqual;
    if (FindComparison(s, position, length, index))
        return ParseSplit(s, position, length, 1, index, level);
    std::vector<size_t> signs;
    std::vector<size_t> products;
    CollectOperators(s, signs, products);
    if (!signs.empty()) return ParseChain(s, signs, 2, level);
    if (!products.empty()) return ParseChain(s, products, 3, level);
    if (IsNumberText(s)) return MakeConstant(std::string(s));
    return ParseName(s, level);
}

} // namespace

void ReportEquationError(const std::string& message) {
    if (!ParseAborted) AddEquationError(message);
}

void AddEquationError(const std::string& message) {
    ++ErrorCount;
    if (!EquationErrors.empty()) EquationErrors += "\r\n";
    EquationErrors += message;
}

void BeginEquationParse(TVariableObject& variable) {
    EquationInputs.clear();
    for (TDependency* dependency : variable.Dependencies) {
        if (dependency->Direction != 0 || dependency->IsFlow) continue;
        dependency->Used = false;
        EquationInputs.push_back(dependency);
    }
    EquationErrors.clear();
    ParsedElement = &variable;
}

std::unique_ptr<TEquationElement> ParseEquation(std::string_view text) {
    ParseAborted = false;
    SelfAllowed = false;
    std::unique_ptr<TEquationElement> tree;
    // Unmatched brackets would otherwise lose text silently: "(a" reads as nothing at all.
    if (!BracketsBalance(text))
        AddEquationError(UnmatchedBracketsText);
    else
        tree = ParseAt(text, 0);
    ParsedElement = nullptr;
    return tree;
}
