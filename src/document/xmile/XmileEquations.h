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
// would compute something else), a readable file whose model is not sound (a name that names
// nothing, an equation that does not parse), or input that cannot be read at all.
enum class TXmileFault { None, Refused, Invalid, Malformed };

// Limits on what one equation may hold, so that hostile input cannot exhaust the stack or
// the memory.
inline constexpr int XmileMaxNesting = 100;
// Long chains (a + b + c ...) nest too, without brackets.
inline constexpr int XmileMaxTreeHeight = 400;
inline constexpr size_t XmileMaxEquationLength = 65536;
// The highest order of SMTHN and DELAYN, and the most stages all expansions of one model hold.
inline constexpr int XmileMaxExpansionOrder = 100;
inline constexpr int XmileMaxExpandedStages = 100000;

// One node of an expression tree: XMILE's as parsed, or ours on the way to text.
struct TXmileNode {
    // Ours: a call of our own built-in named in Text, for importers of other formats whose
    // functions XMILE lacks; the XMILE reader never makes one.
    enum TKind { Number, Name, Unary, Binary, Call, If, Ours };
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
// The key of a name as a reference holds it (<inflow>, <outflow>, <from>, <to>, <of>): blanks
// and line breaks around it dropped, and double quotes with their escapes undone.
std::string XmileReferenceKey(std::string_view reference);

// An expression in our language with how loosely it binds (1 comparison, 2 sum, 3 product,
// 4 leading sign, 5 single item), so that pieces combine without changing their meaning.
struct TEquationPiece {
    std::string Text;
    int Level = 5;
};
TEquationPiece EquationOperation(const std::string& op, const TEquationPiece& left,
                                 const TEquationPiece& right);

// A graphical function as XMILE gives it: y values over evenly spaced x values from XMin to
// XMax, or over the listed X values.
struct TXmileGraph {
    std::string Type; // empty: continuous
    bool HasXScale = false;
    double XMin = 0, XMax = 0;
    std::vector<double> X; // listed x values, when given
    std::vector<double> Y;
};

// Most points a graphical function becomes: unevenly spaced x values are laid on one even
// grid that holds them all, which must stay within this.
inline constexpr size_t XmileMaxGraphPoints = 4000;
// Most points the uses of named graphical functions may copy into equations in one import.
inline constexpr size_t XmileMaxGraphPointsCopied = 2000000;

// The graphical function applied to input (our equation text) as a GRAPH call. Continuous
// functions only; x values that are not evenly spaced are put on the finest even grid through
// them all, with the y values in between interpolated, which is the same function. False with
// error (naming the construct, without the element) and fault set when that cannot be done.
bool XmileGraphCall(const TXmileGraph& graph, const std::string& input, std::string& text,
                    std::string& error, TXmileFault& fault);

// What the translation into our language needs from the model being built.
class TXmileImportContext {
public:
    virtual ~TXmileImportContext() = default;
    // Our identifier of the element with that XMILE name, or empty when there is none.
    virtual std::string Identifier(std::string_view xmileName) = 0;
    // Builds the resources and flows of SMTH1, SMTH3, DELAY1, DELAY3, SMTHN or DELAYN (order
    // stages; the N forms' third parameter is the order) with these parameter texts (in our
    // language) and the identifiers each uses; returns the identifier of the element that
    // carries the function's value, or empty with error set.
    virtual std::string Expand(const std::string& function, const std::vector<TEquationPiece>& args,
                               const std::vector<std::set<std::string>>& argsUse, int order,
                               std::string& error) = 0;
    // The graphical function that name(x) or LOOKUP(name, x) applies: a named one, or an
    // element's own; none when the name has none.
    virtual const TXmileGraph* NamedGraph(std::string_view name) = 0;
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
    // Whether the model integrates in Runge-Kutta stages, where our pulse trains stay at the
    // step's value and an XMILE expression of TIME would not.
    virtual bool RungeKutta() const { return false; }
};

// Our parsed equation -> XMILE text. unsupported receives the name of the first built-in
// without an XMILE counterpart (NPV, FV, PV, RANDOM, TODAY; PULSETRAIN under Runge-Kutta)
// and the result is then false.
bool EquationToXmile(const TEquationElement& root, TXmileExportContext& context, std::string& text,
                     std::string& unsupported);

// The name as an XMILE equation writes it: '_' for blanks, quoted when it needs to be.
std::string XmileEquationName(const std::string& name);
// Shortest text that reads back as exactly this number ('.' always).
std::string XmileNumberText(double value);
// Reads a number as XMILE writes it; false when it is not one or is out of range.
bool ReadXmileNumber(std::string_view text, double& value);
