// Reading XMILE equations into a tree: a small tokenizer and a recursive descent over
// XMILE's precedence, with the nesting bounded so that hostile text cannot exhaust the stack.
#include "core/support/Text.h"
#include "document/xmile/XmileEquations.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

std::unique_ptr<TXmileNode> TXmileNode::Clone() const {
    auto copy = std::make_unique<TXmileNode>();
    copy->Kind = Kind;
    copy->Text = Text;
    copy->Value = Value;
    copy->Height = Height;
    for (const auto& arg : Args)
        copy->Args.push_back(arg->Clone());
    return copy;
}

bool IsXmileNumber(const TXmileNode& node, double& value) {
    if (node.Kind == TXmileNode::Number) {
        value = node.Value;
        return true;
    }
    if (node.Kind == TXmileNode::Unary && (node.Text == "-" || node.Text == "+") &&
        node.Args.size() == 1 && node.Args[0]->Kind == TXmileNode::Number) {
        value = node.Text == "-" ? -node.Args[0]->Value : node.Args[0]->Value;
        return true;
    }
    return false;
}

std::string XmileNameKey(std::string_view name) {
    std::string key;
    bool blank = false;
    for (size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        // A label's line break is written as a real one or as the two characters "\n".
        const bool escapedBreak = c == '\\' && i + 1 < name.size() && name[i + 1] == 'n';
        if (c == ' ' || c == '_' || c == '\t' || c == '\r' || c == '\n' || escapedBreak) {
            if (escapedBreak) ++i;
            blank = true;
            continue;
        }
        if (blank && !key.empty()) key += ' ';
        blank = false;
        key += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return key;
}

std::string XmileReferenceKey(std::string_view reference) {
    auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!reference.empty() && blank(reference.front()))
        reference.remove_prefix(1);
    while (!reference.empty() && blank(reference.back()))
        reference.remove_suffix(1);
    if (reference.size() < 2 || reference.front() != '"' || reference.back() != '"')
        return XmileNameKey(reference);
    std::string name;
    for (size_t i = 1; i + 1 < reference.size(); ++i) {
        char c = reference[i];
        if (c == '\\' && i + 2 < reference.size()) {
            c = reference[++i];
            if (c == 'n') c = ' ';
        }
        name += c;
    }
    return XmileNameKey(name);
}

bool ReadXmileNumber(std::string_view text, double& value) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() ||
        !(std::isdigit(static_cast<unsigned char>(text.front())) || text.front() == '.'))
        return false;
    double v = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), v);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(v))
        return false;
    value = negative ? -v : v;
    return true;
}

namespace {

enum class TToken { End, Number, Name, Quoted, Operator, LeftBracket, RightBracket, Comma };

class TXmileParser {
public:
    TXmileParser(std::string_view text, std::string& error, TXmileFault& fault)
        : Text(text), Error(error), Fault(fault) {}

    std::unique_ptr<TXmileNode> ParseWhole() {
        Next();
        if (Failed()) return nullptr;
        if (Kind == TToken::End) return Fail(TXmileFault::Invalid, "the equation is empty");
        auto node = Expression();
        if (!node) return nullptr;
        if (Kind != TToken::End) return Unexpected();
        return node;
    }

private:
    bool Failed() const { return Fault != TXmileFault::None; }

    std::nullptr_t Fail(TXmileFault fault, const std::string& message) {
        if (!Failed()) {
            Fault = fault;
            Error = message;
        }
        return nullptr;
    }

    std::nullptr_t Unexpected() {
        if (Kind == TToken::End) return Fail(TXmileFault::Invalid, "the equation ends too soon");
        return Fail(TXmileFault::Invalid, "unexpected \"" + Token + "\" in the equation");
    }

    bool IsWord(const char* word) const {
        if (Kind != TToken::Name || Token.size() != std::char_traits<char>::length(word))
            return false;
        for (size_t i = 0; i < Token.size(); ++i)
            if (UpperAscii(Token[i]) != word[i]) return false;
        return true;
    }
    bool IsOperator(const char* op) const { return Kind == TToken::Operator && Token == op; }

    static bool NameStart(unsigned char c) {
        return std::isalpha(c) || c == '_' || c == '$' || c >= 0x80;
    }
    static bool NamePart(unsigned char c) { return NameStart(c) || std::isdigit(c); }

    // Reads the next token into Kind and Token.
    void Next() {
        for (;;) {
            while (Pos < Text.size() && std::isspace(static_cast<unsigned char>(Text[Pos])))
                ++Pos;
            if (Pos < Text.size() && Text[Pos] == '{') {
                const size_t close = Text.find('}', Pos);
                if (close == std::string_view::npos) {
                    Kind = TToken::End;
                    Fail(TXmileFault::Invalid, "a comment in the equation has no closing }");
                    return;
                }
                Pos = close + 1;
                continue;
            }
            break;
        }
        Token.clear();
        if (Pos >= Text.size()) {
            Kind = TToken::End;
            return;
        }
        const unsigned char c = static_cast<unsigned char>(Text[Pos]);
        if (std::isdigit(c) || (c == '.' && Pos + 1 < Text.size() &&
                                std::isdigit(static_cast<unsigned char>(Text[Pos + 1])))) {
            const size_t start = Pos;
            while (Pos < Text.size() &&
                   (std::isdigit(static_cast<unsigned char>(Text[Pos])) || Text[Pos] == '.'))
                ++Pos;
            if (Pos < Text.size() && (Text[Pos] == 'e' || Text[Pos] == 'E')) {
                size_t p = Pos + 1;
                if (p < Text.size() && (Text[p] == '+' || Text[p] == '-')) ++p;
                if (p < Text.size() && std::isdigit(static_cast<unsigned char>(Text[p]))) {
                    Pos = p;
                    while (Pos < Text.size() && std::isdigit(static_cast<unsigned char>(Text[Pos])))
                        ++Pos;
                }
            }
            Token = std::string(Text.substr(start, Pos - start));
            Kind = TToken::Number;
            if (!ReadXmileNumber(Token, Number))
                Fail(TXmileFault::Invalid, "the number " + Token + " is not valid or out of range");
            return;
        }
        if (NameStart(c)) {
            const size_t start = Pos;
            while (Pos < Text.size() && NamePart(static_cast<unsigned char>(Text[Pos])))
                ++Pos;
            Token = std::string(Text.substr(start, Pos - start));
            Kind = TToken::Name;
            if (Pos < Text.size() && Text[Pos] == '.')
                Fail(TXmileFault::Refused, "module references (" + Token + ".)");
            return;
        }
        if (c == '"') {
            ++Pos;
            while (Pos < Text.size() && Text[Pos] != '"') {
                if (Text[Pos] == '\\' && Pos + 1 < Text.size()) {
                    const char e = Text[Pos + 1];
                    Token += e == 'n' ? ' ' : e;
                    Pos += 2;
                    continue;
                }
                Token += Text[Pos++];
            }
            if (Pos >= Text.size()) {
                Kind = TToken::End;
                Fail(TXmileFault::Invalid, "a quoted name in the equation has no closing quote");
                return;
            }
            ++Pos;
            Kind = TToken::Quoted;
            if (Pos < Text.size() && Text[Pos] == '.')
                Fail(TXmileFault::Refused, "module references (\"" + Token + "\".)");
            return;
        }
        ++Pos;
        Token = std::string(1, static_cast<char>(c));
        switch (c) {
        case '(':
            Kind = TToken::LeftBracket;
            return;
        case ')':
            Kind = TToken::RightBracket;
            return;
        case ',':
            Kind = TToken::Comma;
            return;
        case '^':
        case '*':
        case '/':
        case '+':
        case '-':
        case '=':
            Kind = TToken::Operator;
            return;
        case '<':
        case '>':
            Kind = TToken::Operator;
            if (Pos < Text.size() && (Text[Pos] == '=' || (c == '<' && Text[Pos] == '>')))
                Token += Text[Pos++];
            return;
        case '[':
        case ']':
            Kind = TToken::End;
            Fail(TXmileFault::Refused, "arrays");
            return;
        default:
            Kind = TToken::End;
            Fail(TXmileFault::Invalid, "unexpected character \"" + Token + "\" in the equation");
            return;
        }
    }

    std::unique_ptr<TXmileNode> Binary(const std::string& op, std::unique_ptr<TXmileNode> left,
                                       std::unique_ptr<TXmileNode> right) {
        auto node = std::make_unique<TXmileNode>();
        node->Kind = TXmileNode::Binary;
        node->Text = op;
        node->Height = 1 + std::max(left->Height, right->Height);
        node->Args.push_back(std::move(left));
        node->Args.push_back(std::move(right));
        if (node->Height > XmileMaxTreeHeight)
            return Fail(TXmileFault::Invalid, "the equation is nested too deeply");
        return node;
    }

    // Each level of nesting passes through here, so the depth is bounded in one place.
    std::unique_ptr<TXmileNode> Expression() {
        if (++Depth > XmileMaxNesting) {
            --Depth;
            return Fail(TXmileFault::Invalid, "the equation is nested too deeply");
        }
        auto node = Or();
        --Depth;
        return node;
    }

    std::unique_ptr<TXmileNode> Or() {
        auto left = And();
        while (left && IsWord("OR")) {
            Next();
            auto right = And();
            if (!right) return nullptr;
            left = Binary("OR", std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<TXmileNode> And() {
        auto left = Equality();
        while (left && IsWord("AND")) {
            Next();
            auto right = Equality();
            if (!right) return nullptr;
            left = Binary("AND", std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<TXmileNode> Equality() {
        auto left = Relation();
        while (left && (IsOperator("=") || IsOperator("<>"))) {
            const std::string op = Token;
            Next();
            auto right = Relation();
            if (!right) return nullptr;
            left = Binary(op, std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<TXmileNode> Relation() {
        auto left = Sum();
        while (left &&
               (IsOperator("<") || IsOperator("<=") || IsOperator(">") || IsOperator(">="))) {
            const std::string op = Token;
            Next();
            auto right = Sum();
            if (!right) return nullptr;
            left = Binary(op, std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<TXmileNode> Sum() {
        auto left = Product();
        while (left && (IsOperator("+") || IsOperator("-"))) {
            const std::string op = Token;
            Next();
            auto right = Product();
            if (!right) return nullptr;
            left = Binary(op, std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<TXmileNode> Product() {
        auto left = Unary();
        while (left && (IsOperator("*") || IsOperator("/") || IsWord("MOD"))) {
            const std::string op = Kind == TToken::Name ? "MOD" : Token;
            Next();
            auto right = Unary();
            if (!right) return nullptr;
            left = Binary(op, std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<TXmileNode> Unary() {
        if (IsOperator("-") || IsOperator("+") || IsWord("NOT")) {
            if (++Depth > XmileMaxNesting) {
                --Depth;
                return Fail(TXmileFault::Invalid, "the equation is nested too deeply");
            }
            auto node = std::make_unique<TXmileNode>();
            node->Kind = TXmileNode::Unary;
            node->Text = Kind == TToken::Name ? "NOT" : Token;
            Next();
            auto operand = Unary();
            --Depth;
            if (!operand) return nullptr;
            node->Height = 1 + operand->Height;
            node->Args.push_back(std::move(operand));
            return node;
        }
        return Power();
    }

    std::unique_ptr<TXmileNode> Power() {
        auto base = Primary();
        if (!base || !IsOperator("^")) return base;
        Next();
        // The exponent may carry a sign of its own: 2^-1.
        auto exponent = Exponent();
        if (!exponent) return nullptr;
        // Tools disagree on how a^b^c groups; only brackets make it certain.
        if (IsOperator("^")) return Fail(TXmileFault::Refused, "a chain of ^ without brackets");
        return Binary("^", std::move(base), std::move(exponent));
    }

    // A sign or NOT and then a single item: a further ^ belongs to no one for certain.
    std::unique_ptr<TXmileNode> Exponent() {
        if (!(IsOperator("-") || IsOperator("+") || IsWord("NOT"))) return Primary();
        if (++Depth > XmileMaxNesting) {
            --Depth;
            return Fail(TXmileFault::Invalid, "the equation is nested too deeply");
        }
        auto node = std::make_unique<TXmileNode>();
        node->Kind = TXmileNode::Unary;
        node->Text = Kind == TToken::Name ? "NOT" : Token;
        Next();
        auto operand = Exponent();
        --Depth;
        if (!operand) return nullptr;
        node->Height = 1 + operand->Height;
        node->Args.push_back(std::move(operand));
        return node;
    }

    std::unique_ptr<TXmileNode> Primary() {
        if (Failed()) return nullptr;
        auto node = std::make_unique<TXmileNode>();
        switch (Kind) {
        case TToken::Number:
            node->Kind = TXmileNode::Number;
            node->Value = Number;
            Next();
            return node;
        case TToken::Quoted:
            node->Kind = TXmileNode::Name;
            node->Text = Token;
            Next();
            return node;
        case TToken::LeftBracket: {
            Next();
            auto inner = Expression();
            if (!inner) return nullptr;
            if (Kind != TToken::RightBracket) return Unexpected();
            Next();
            return inner;
        }
        case TToken::Name:
            break;
        default:
            return Unexpected();
        }
        if (IsWord("IF")) return Conditional();
        if (IsWord("THEN") || IsWord("ELSE") || IsWord("AND") || IsWord("OR") || IsWord("MOD"))
            return Unexpected();
        const std::string name = Token;
        Next();
        if (Kind != TToken::LeftBracket) {
            node->Kind = TXmileNode::Name;
            node->Text = name;
            return node;
        }
        node->Kind = TXmileNode::Call;
        for (char c : name)
            node->Text += UpperAscii(c);
        Next();
        if (Kind == TToken::RightBracket) {
            Next();
            return node;
        }
        for (;;) {
            auto arg = Expression();
            if (!arg) return nullptr;
            node->Height = std::max(node->Height, 1 + arg->Height);
            node->Args.push_back(std::move(arg));
            if (Kind == TToken::Comma) {
                Next();
                continue;
            }
            if (Kind != TToken::RightBracket) return Unexpected();
            Next();
            return node;
        }
    }

    std::unique_ptr<TXmileNode> Conditional() {
        auto node = std::make_unique<TXmileNode>();
        node->Kind = TXmileNode::If;
        Next();
        auto condition = Expression();
        if (!condition) return nullptr;
        if (!IsWord("THEN")) return Unexpected();
        Next();
        auto then = Expression();
        if (!then) return nullptr;
        if (!IsWord("ELSE")) return Unexpected();
        Next();
        auto otherwise = Expression();
        if (!otherwise) return nullptr;
        node->Height = 1 + std::max({condition->Height, then->Height, otherwise->Height});
        node->Args.push_back(std::move(condition));
        node->Args.push_back(std::move(then));
        node->Args.push_back(std::move(otherwise));
        return node;
    }

    std::string_view Text;
    std::string& Error;
    TXmileFault& Fault;
    size_t Pos = 0;
    TToken Kind = TToken::End;
    std::string Token;
    double Number = 0;
    int Depth = 0;
};

} // namespace

std::unique_ptr<TXmileNode> ParseXmileEquation(std::string_view text, std::string& error,
                                               TXmileFault& fault) {
    fault = TXmileFault::None;
    error.clear();
    if (text.size() > XmileMaxEquationLength) {
        fault = TXmileFault::Invalid;
        error = "the equation is too long";
        return nullptr;
    }
    TXmileParser parser(text, error, fault);
    auto node = parser.ParseWhole();
    if (fault != TXmileFault::None) return nullptr;
    return node;
}
