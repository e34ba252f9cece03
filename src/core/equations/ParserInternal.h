#pragma once
// Pieces of the equation parser shared by its source files and its tests.

#include "core/equations/EquationObjects.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class TDependency;

// Trees deeper than this are refused: evaluating, checking and freeing a tree all recurse
// through it, and so does the parser.
inline constexpr int MaxNestingLevel = 1000;

inline constexpr const char* NestedTooDeeplyText = "Equation is nested too deeply";
inline constexpr const char* UnmatchedBracketsText = "Unmatched brackets in expression";
inline constexpr const char* NumberOutOfRangeText = "Number out of range - ";
inline constexpr const char* GraphNotConstantText =
    "XY data for GRAPH function must consist of constant values";
inline constexpr const char* GraphIncrementText = "XY GRAPH data must have a positive increment";
inline constexpr const char* GraphXOutOfRangeText = "XY GRAPH data X values are out of range";

// The information links of the element being parsed, gathered by BeginEquationParse.
extern thread_local std::vector<TDependency*> EquationInputs;

void AddEquationError(const std::string& message);
// Row of FunctionList with that name (ASCII case ignored), or -1.
int LookupFunction(std::string_view name);

// True when no character stands outside brackets (e.g. "(a)(b)"; "" counts).
bool IsWholeBracketed(std::string_view s);
// Each run of signs and blanks made one sign ("a - -b" is "a+b"; a leading "+" goes);
// exponent signs are kept.
std::string NormalizeSigns(std::string_view s);
// Commas at bracket depth 0, round or square.
int CountParameters(std::string_view args);
// SplitFirstParameterView into strings.
void SplitFirstParameter(std::string_view args, std::string& first, std::string& rest);

// Blanks and control characters at either end removed.
std::string_view TrimEquationText(std::string_view s);

// True when text ends with the 'e' of a number such as "1e", "2.5E" or ".5e" that stands on
// its own (at the start or after a blank, bracket, comma or operator).
bool EndsWithExponentMarker(std::string_view text);
// True when the '+' or '-' at s[i] is the sign of a number's exponent, as in "1e-5".
bool IsExponentSign(std::string_view s, size_t i);

// The comparison that splits s: the leftmost at bracket depth 0, the longer symbol winning
// at equal positions. False when there is none.
bool FindComparison(std::string_view s, size_t& position, size_t& length, TFunctionIndex& index);
// Positions, in ascending order, of every '+' and '-' (signs) and of every '*' and '/'
// (products) at bracket depth 0, counted from the right end of s. Exponent signs are not
// operators.
void CollectOperators(std::string_view s, std::vector<size_t>& signs,
                      std::vector<size_t>& products);
// True when every "(" has its ")" and no ")" comes before its "(".
bool BracketsBalance(std::string_view s);

enum class TNumberRead { Ok, NotConvertible, OutOfRange };
// Converts a text that passed IsNumberText. An exponent marker without digits is ignored
// ("1e" is 1); a text without any digit does not convert; a value beyond the double range is
// OutOfRange. Underflow reads as 0.
TNumberRead ReadNumberText(std::string_view text, double& value);

// SplitFirstParameter on views.
void SplitFirstParameterView(std::string_view args, std::string_view& first,
                             std::string_view& rest);

// Appends a message unless the current parse has been given up as too deep.
void ReportEquationError(const std::string& message);

// Builds GRAPH's lookup table from its constant parameters and reports what is wrong with them.
void BuildGraphTable(TEquationFunction& graph);

// Test hook: when set, every chain of '+'/'-' or '*'/'/' is split at its last operator only and
// its left part parsed again, exactly as the plain recursive reading does. The parser normally
// walks such chains in one pass; tests compare both.
extern thread_local constinit bool ParserSplitsChainsLiterally;
