#pragma once
// Equations in XMILE's infix language and in ours. A translation is exact or refused: a
// construct without an exact equivalent stops it with a message naming the construct.

#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

class TEquationElement;

// Why an import or export stopped: a construct we cannot represent (the model is sound but
// would compute something else), or input that is not a sound model at all.
enum class TXmileFault { None, Refused, Malformed };

// Limits on what one equation may hold, so that hostile input cannot exhaust the stack or
// the memory.
inline constexpr int XmileMaxNesting = 100;
// Long chains (a + b + c ...) nest too, without brackets.
inline constexpr int XmileMaxTreeHeight = 400;
inline constexpr size_t XmileMaxEquationLength = 65536;

// One node of an expression tree: XMILE's as parsed, or ours on the way to text.
struct TXmileNode {
    enum TKind { Number, Name, Unary, Binary, Call, If };
    TKind Kind = Number;
    std::string Text; // the name (unquoted), operator or function name (upper case)
    double Value = 0; // Number
    int Height = 1;   // levels of the tree below and including this node
    std::vector<std::unique_ptr<TXmileNode>> Args;

    std::unique_ptr<TXmileNode> Clone() const;
};

// Parses an XMILE equation. On failure the result is none, fault says which kind and error
// names the construct ("arrays", "the function SIN") or the fault of the text.
std::unique_ptr<TXmileNode> ParseXmileEquation(std::string_view text, std::string& error,
                                               TXmileFault& fault);

// A plain number (optionally negated): what makes an auxiliary a Constant.
bool IsXmileNumber(const TXmileNode& node, double& value);

// Names compare by this key: case folded, blanks, '_' and line breaks alike, runs of them one.
std::string XmileNameKey(std::string_view name);

// An expression in our language with how loosely it binds (1 comparison, 2 sum, 3 product,
// 4 leading sign, 5 single item), so that pieces combine without changing their meaning.
struct TEquationPiece {
    std::string Text;
    int Level = 5;
};
TEquationPiece EquationOperation(const std::string& op, const TEquationPiece& left,
                                 const TEquationPiece& right);

// What the translation into our language needs from the model being built.
class TXmileImportContext {
public:
    virtual ~TXmileImportContext() = default;
    // Our identifier of the element with that XMILE name, or empty when there is none.
    virtual std::string Identifier(std::string_view xmileName) = 0;
    // Builds the resources and flows of SMTH1, SMTH3, DELAY1 or DELAY3 with these parameter
    // texts (in our language) and the identifiers each uses; returns the identifier of the
    // element that carries the function's value, or empty with error set.
    virtual std::string Expand(const std::string& function, const std::vector<TEquationPiece>& args,
                               const std::vector<std::set<std::string>>& argsUse,
                               std::string& error) = 0;
};

// XMILE expression -> our equation text. used receives the identifiers the text names
// (lower case). False with error and fault set when it cannot be done exactly.
bool XmileToEquation(const TXmileNode& node, TXmileImportContext& context, std::string& text,
                     std::set<std::string>& used, std::string& error, TXmileFault& fault);

// What the translation into XMILE needs from the model being written.
class TXmileExportContext {
public:
    virtual ~TXmileExportContext() = default;
    // A GRAPH call inside a larger equation becomes an auxiliary of its own: returns the
    // XMILE name to use in its place.
    virtual std::string GraphAuxiliary(const TEquationElement& graph) = 0;
};

// Our parsed equation -> XMILE text. unsupported receives the name of the first built-in
// without an XMILE counterpart (NPV, FV, PV, RANDOM, TODAY) and the result is then false.
bool EquationToXmile(const TEquationElement& root, TXmileExportContext& context, std::string& text,
                     std::string& unsupported);

// The name as an XMILE equation writes it: '_' for blanks, quoted when it needs to be.
std::string XmileEquationName(const std::string& name);
// Shortest text that reads back as exactly this number ('.' always).
std::string XmileNumberText(double value);
// Reads a number as XMILE writes it; false when it is not one or is out of range.
bool ReadXmileNumber(std::string_view text, double& value);
