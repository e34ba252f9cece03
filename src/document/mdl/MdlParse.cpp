// Vensim expressions into trees: a tokenizer that reads names with blanks in them, and a
// recursive descent over the operators, loosest first (:OR:, :AND:, comparisons, + -, * /,
// ^, then the signs and :NOT:), with the nesting bounded so that hostile text cannot exhaust
// the stack.
#include "document/mdl/MdlRecords.h"

#include "core/support/Text.h"
#include "document/xmile/XmileRecords.h"

#include <algorithm>
#include <cctype>

std::string MdlFunctionKey(std::string_view name) {
    std::string key;
    bool blank = false;
    for (char c : name) {
        if (c == ' ' || c == '_' || c == '\t' || c == '\n') {
            blank = true;
            continue;
        }
        if (blank && !key.empty()) key += ' ';
        blank = false;
        key += UpperAscii(c);
    }
    return key;
}

namespace {

enum TTokenKind { tkEnd, tkNumber, tkName, tkQuoted, tkString, tkKeyword, tkOperator };

struct TToken {
    TTokenKind Kind = tkEnd;
    std::string Text; // a name (quotes undone), keyword (":AND:" in upper case) or operator
    double Value = 0;
};

bool NameStart(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalpha(u) || c == '_' || u >= 0x80;
}

bool NamePart(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || u >= 0x80 ||
           std::string_view("_$'&%.").find(c) != std::string_view::npos;
}

class TParser {
public:
    TParser(std::string_view text, std::string& error, TXmileFault& fault)
        : Text(text), Error(error), Fault(fault) {}

    std::unique_ptr<TXmileNode> ParseWhole() {
        Next();
        auto node = Or();
        if (!node) return nullptr;
        if (Current.Kind != tkEnd) return Fail(TXmileFault::Invalid, "unexpected " + Shown());
        return node;
    }

    bool TableFromStart(TMdlTable& table) {
        Next();
        if (!IsOperator("(")) {
            Fail(TXmileFault::Invalid, "the lookup's table does not start with \"(\"");
            return false;
        }
        Next();
        if (!TableBody(table)) return false;
        if (Current.Kind != tkEnd) {
            Fail(TXmileFault::Invalid, "the lookup's table ends before " + Shown());
            return false;
        }
        return true;
    }

private:
    std::nullptr_t Fail(TXmileFault fault, const std::string& message) {
        if (Fault == TXmileFault::None) {
            Fault = fault;
            Error = message;
        }
        return nullptr;
    }

    std::string Shown() const {
        if (Current.Kind == tkEnd) return "end of the equation";
        return "\"" + Current.Text.substr(0, 40) + "\"";
    }

    void SkipBlanks() {
        while (Pos < Text.size() && static_cast<unsigned char>(Text[Pos]) <= ' ')
            ++Pos;
    }

    void Next() {
        SkipBlanks();
        Current = TToken();
        BadNumber = false;
        if (Pos >= Text.size()) return;
        const char c = Text[Pos];
        if (std::isdigit(static_cast<unsigned char>(c)) ||
            (c == '.' && Pos + 1 < Text.size() &&
             std::isdigit(static_cast<unsigned char>(Text[Pos + 1])))) {
            size_t end = Pos;
            while (end < Text.size() &&
                   (std::isdigit(static_cast<unsigned char>(Text[end])) || Text[end] == '.'))
                ++end;
            if (end < Text.size() && (Text[end] == 'e' || Text[end] == 'E')) {
                size_t k = end + 1;
                if (k < Text.size() && (Text[k] == '+' || Text[k] == '-')) ++k;
                if (k < Text.size() && std::isdigit(static_cast<unsigned char>(Text[k]))) {
                    end = k;
                    while (end < Text.size() && std::isdigit(static_cast<unsigned char>(Text[end])))
                        ++end;
                }
            }
            Current.Kind = tkNumber;
            Current.Text = std::string(Text.substr(Pos, end - Pos));
            Pos = end;
            if (!ReadXmileNumber(Current.Text, Current.Value)) BadNumber = true;
            return;
        }
        if (c == '\'') {
            // A text argument, as of the functions that read outside data.
            const size_t close = Text.find('\'', Pos + 1);
            const size_t end = close == std::string_view::npos ? Text.size() : close + 1;
            Current.Kind = tkString;
            Current.Text = std::string(Text.substr(Pos, end - Pos));
            Pos = end;
            return;
        }
        if (c == '"') {
            size_t k = Pos + 1;
            std::string name;
            while (k < Text.size() && Text[k] != '"') {
                if (Text[k] == '\\' && k + 1 < Text.size()) ++k;
                name += Text[k++];
            }
            Pos = k < Text.size() ? k + 1 : k;
            Current.Kind = tkQuoted;
            Current.Text = name;
            return;
        }
        if (NameStart(c)) {
            // Words of one name are separated by blanks; the name ends where no word follows.
            size_t end = Pos;
            while (true) {
                while (end < Text.size() && NamePart(Text[end]))
                    ++end;
                size_t k = end;
                while (k < Text.size() && static_cast<unsigned char>(Text[k]) <= ' ')
                    ++k;
                if (k > end && k < Text.size() && NamePart(Text[k])) {
                    end = k;
                    continue;
                }
                break;
            }
            Current.Kind = tkName;
            Current.Text = std::string(Text.substr(Pos, end - Pos));
            Pos = end;
            return;
        }
        if (c == ':') {
            const size_t close = Text.find(':', Pos + 1);
            if (close != std::string_view::npos && close - Pos <= 40) {
                Current.Kind = tkKeyword;
                Current.Text = MdlFunctionKey(Text.substr(Pos, close - Pos + 1));
                Pos = close + 1;
                return;
            }
        }
        for (const char* op : {"<>", "<=", ">="}) {
            if (Text.compare(Pos, 2, op) == 0) {
                Current.Kind = tkOperator;
                Current.Text = op;
                Pos += 2;
                return;
            }
        }
        Current.Kind = tkOperator;
        Current.Text = std::string(1, c);
        ++Pos;
    }

    bool IsOperator(const char* op) const {
        return Current.Kind == tkOperator && Current.Text == op;
    }

    std::unique_ptr<TXmileNode> Make(TXmileNode::TKind kind, std::string text,
                                     std::vector<std::unique_ptr<TXmileNode>> args) {
        auto node = std::make_unique<TXmileNode>();
        node->Kind = kind;
        node->Text = std::move(text);
        for (auto& arg : args) {
            node->Height = std::max(node->Height, 1 + arg->Height);
            node->Args.push_back(std::move(arg));
        }
        if (node->Height > XmileMaxTreeHeight)
            return Fail(TXmileFault::Invalid, "the equation nests too deeply");
        return node;
    }

    std::unique_ptr<TXmileNode> Binary(const std::string& op, std::unique_ptr<TXmileNode> left,
                                       std::unique_ptr<TXmileNode> right) {
        std::vector<std::unique_ptr<TXmileNode>> args;
        args.push_back(std::move(left));
        args.push_back(std::move(right));
        return Make(TXmileNode::Binary, op, std::move(args));
    }

    std::unique_ptr<TXmileNode> Unary(const std::string& op, std::unique_ptr<TXmileNode> operand) {
        std::vector<std::unique_ptr<TXmileNode>> args;
        args.push_back(std::move(operand));
        return Make(TXmileNode::Unary, op, std::move(args));
    }

    // Each level that recurses counts toward the nesting bound.
    struct TDepth {
        explicit TDepth(int& depth) : Depth(depth) { ++Depth; }
        ~TDepth() { --Depth; }
        int& Depth;
    };

    std::unique_ptr<TXmileNode> Or() {
        TDepth guard(Depth);
        if (Depth > XmileMaxNesting)
            return Fail(TXmileFault::Invalid, "the equation nests too deeply");
        auto left = And();
        while (left && Current.Kind == tkKeyword && Current.Text == ":OR:") {
            Next();
            auto right = And();
            if (!right) return nullptr;
            left = Binary("OR", std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<TXmileNode> And() {
        auto left = Compare();
        while (left && Current.Kind == tkKeyword && Current.Text == ":AND:") {
            Next();
            auto right = Compare();
            if (!right) return nullptr;
            left = Binary("AND", std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<TXmileNode> Compare() {
        auto left = Sum();
        if (!left) return nullptr;
        for (const char* op : {"=", "<>", "<", ">", "<=", ">="}) {
            if (!IsOperator(op)) continue;
            Next();
            auto right = Sum();
            if (!right) return nullptr;
            left = Binary(op, std::move(left), std::move(right));
            for (const char* again : {"=", "<>", "<", ">", "<=", ">="})
                if (IsOperator(again))
                    return Fail(TXmileFault::Refused, "a chain of comparisons without brackets");
            break;
        }
        return left;
    }

    std::unique_ptr<TXmileNode> Sum() {
        auto left = Product();
        while (left && (IsOperator("+") || IsOperator("-"))) {
            const std::string op = Current.Text;
            Next();
            auto right = Product();
            if (!right) return nullptr;
            left = Binary(op, std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<TXmileNode> Product() {
        auto left = Power();
        while (left && (IsOperator("*") || IsOperator("/"))) {
            const std::string op = Current.Text;
            Next();
            auto right = Power();
            if (!right) return nullptr;
            left = Binary(op, std::move(left), std::move(right));
        }
        return left;
    }

    // Signs and :NOT: bind tighter than any binary operator, ^ included: -2^2 is 4.
    std::unique_ptr<TXmileNode> Power() {
        auto base = Sign();
        if (!base || !IsOperator("^")) return base;
        Next();
        auto exponent = Sign();
        if (!exponent) return nullptr;
        // Which way a^b^c groups is not written down; brackets say it.
        if (IsOperator("^")) return Fail(TXmileFault::Refused, "a chain of ^ without brackets");
        return Binary("^", std::move(base), std::move(exponent));
    }

    std::unique_ptr<TXmileNode> Sign() {
        const bool negate = IsOperator("-"), plus = IsOperator("+");
        const bool logical = Current.Kind == tkKeyword && Current.Text == ":NOT:";
        if (negate || plus || logical) {
            TDepth guard(Depth);
            if (Depth > XmileMaxNesting)
                return Fail(TXmileFault::Invalid, "the equation nests too deeply");
            Next();
            auto operand = Sign();
            if (!operand) return nullptr;
            return Unary(logical ? "NOT" : negate ? "-" : "+", std::move(operand));
        }
        return Primary();
    }

    std::unique_ptr<TXmileNode> Primary() {
        TDepth guard(Depth);
        if (Depth > XmileMaxNesting)
            return Fail(TXmileFault::Invalid, "the equation nests too deeply");
        if (Current.Kind == tkNumber) {
            if (BadNumber)
                return Fail(TXmileFault::Invalid, "the number " + Shown() + " is out of range");
            auto node = std::make_unique<TXmileNode>();
            node->Kind = TXmileNode::Number;
            node->Value = Current.Value;
            Next();
            return node;
        }
        if (Current.Kind == tkKeyword) {
            if (Current.Text == ":NA:") return Fail(TXmileFault::Refused, "the missing value :NA:");
            return Fail(TXmileFault::Refused, "the keyword " + Current.Text);
        }
        if (Current.Kind == tkString) {
            // Only the data functions take texts, and they are refused by name.
            auto node = Make(TXmileNode::Name, Current.Text, {});
            Next();
            return node;
        }
        if (Current.Kind == tkName || Current.Kind == tkQuoted) {
            const std::string name = Current.Kind == tkName ? Trim(Current.Text) : Current.Text;
            Next();
            if (IsOperator("["))
                return Fail(TXmileFault::Refused, "subscripts (" + name + "[...])");
            if (!IsOperator("(")) return Make(TXmileNode::Name, name, {});
            return Call(name);
        }
        if (IsOperator("(")) {
            Next();
            auto inner = Or();
            if (!inner) return nullptr;
            if (!IsOperator(")")) return Fail(TXmileFault::Invalid, "a \")\" is missing");
            Next();
            return inner;
        }
        if (IsOperator("[") || IsOperator("!")) return Fail(TXmileFault::Refused, "subscripts");
        return Fail(TXmileFault::Invalid, "unexpected " + Shown());
    }

    std::unique_ptr<TXmileNode> Call(const std::string& name) {
        Next(); // the '('
        std::vector<std::unique_ptr<TXmileNode>> args;
        const bool withLookup = MdlFunctionKey(name) == "WITH LOOKUP";
        if (IsOperator(")")) {
            Next();
            return Make(TXmileNode::Call, name, std::move(args));
        }
        while (true) {
            if (withLookup && args.size() == 1) {
                TMdlTable table;
                if (!IsOperator("(")) return Fail(TXmileFault::Invalid, "WITH LOOKUP has no table");
                Next();
                if (!TableBody(table)) return nullptr;
                args.push_back(TableNode(table));
            } else {
                auto arg = Or();
                if (!arg) return nullptr;
                args.push_back(std::move(arg));
            }
            if (args.size() > 10000)
                return Fail(TXmileFault::Invalid, "a call has too many arguments");
            if (IsOperator(",")) {
                Next();
                continue;
            }
            if (IsOperator(")")) {
                Next();
                break;
            }
            return Fail(TXmileFault::Invalid, "a \")\" is missing after the arguments of " + name);
        }
        return Make(TXmileNode::Call, name, std::move(args));
    }

    static std::unique_ptr<TXmileNode> TableNode(const TMdlTable& table) {
        auto node = std::make_unique<TXmileNode>();
        node->Kind = TXmileNode::Call;
        for (size_t i = 0; i < table.X.size(); ++i)
            for (double v : {table.X[i], table.Y[i]}) {
                auto number = std::make_unique<TXmileNode>();
                number->Kind = TXmileNode::Number;
                number->Value = v;
                node->Args.push_back(std::move(number));
            }
        node->Height = 2;
        return node;
    }

    bool SignedNumber(double& value) {
        bool negative = false;
        while (IsOperator("-") || IsOperator("+")) {
            if (Current.Text == "-") negative = !negative;
            Next();
        }
        if (Current.Kind != tkNumber || BadNumber) {
            Fail(TXmileFault::Invalid, "the lookup's table holds " + Shown() + ", not a number");
            return false;
        }
        value = negative ? -Current.Value : Current.Value;
        Next();
        return true;
    }

    // After the table's opening '(': an optional [range], then (x,y) pairs, then ')'.
    bool TableBody(TMdlTable& table) {
        if (IsOperator("[")) {
            int depth = 0;
            do {
                if (IsOperator("[")) ++depth;
                if (IsOperator("]")) --depth;
                Next();
            } while (depth > 0 && Current.Kind != tkEnd);
            if (depth > 0) {
                Fail(TXmileFault::Invalid, "the lookup's range has no \"]\"");
                return false;
            }
            if (IsOperator(",")) Next();
        }
        while (IsOperator("(")) {
            Next();
            double x = 0, y = 0;
            if (!SignedNumber(x)) return false;
            if (!IsOperator(",")) {
                Fail(TXmileFault::Invalid, "a point of the lookup's table is not (x,y)");
                return false;
            }
            Next();
            if (!SignedNumber(y)) return false;
            if (!IsOperator(")")) {
                Fail(TXmileFault::Refused, "lookups given as lists of x and y values");
                return false;
            }
            Next();
            if (table.X.size() >= MdlMaxTablePoints) {
                Fail(TXmileFault::Invalid, "the lookup's table holds too many points");
                return false;
            }
            table.X.push_back(x);
            table.Y.push_back(y);
            if (IsOperator(",")) Next();
        }
        if (!IsOperator(")")) {
            Fail(TXmileFault::Invalid, "the lookup's table ends with " + Shown());
            return false;
        }
        Next();
        if (table.X.empty()) {
            Fail(TXmileFault::Invalid, "the lookup's table has no points");
            return false;
        }
        return true;
    }

    std::string_view Text;
    std::string& Error;
    TXmileFault& Fault;
    size_t Pos = 0;
    TToken Current;
    bool BadNumber = false;
    int Depth = 0;
};

} // namespace

std::unique_ptr<TXmileNode> ParseMdlExpression(std::string_view text, std::string& error,
                                               TXmileFault& fault) {
    if (text.size() > XmileMaxTextLength) {
        fault = TXmileFault::Invalid;
        error = "the equation is too long";
        return nullptr;
    }
    TParser parser(text, error, fault);
    return parser.ParseWhole();
}

bool ParseMdlTable(std::string_view text, TMdlTable& table, std::string& error,
                   TXmileFault& fault) {
    TParser parser(text, error, fault);
    // The text starts with the table's '('.
    return parser.TableFromStart(table);
}
