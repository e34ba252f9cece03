#pragma once
// A .mdl text read into plain records before anything of the model is built: the equation
// entries as written, the sketch's objects and the settings that matter to a run.

#include "document/xmile/XmileEquations.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

struct TMdlEntry {
    std::string Left;     // what stands before the operator: a name, maybe with more
    std::string Operator; // "=", "==", ":=", ":", "<->", "(" (a lookup), or empty (none)
    std::string Right;    // the expression, or for a lookup its table from the '(' on
    std::string Units, Comment;
    int Line = 0; // where the entry starts, from 1
};

struct TMdlObject {
    int Type = 0; // 10 variable, 11 valve, 12 cloud or comment, 1 arrow
    int Id = 0;
    int View = 0;
    std::string Name;    // variables
    double X = 0, Y = 0; // centre
    double Width = 0, Height = 0;
    int Shape = 0, Bits = 0;
    int From = 0, To = 0;  // arrows
    bool HasPoint = false; // arrows: the point the arc passes through
    double PointX = 0, PointY = 0;
};

struct TMdlFile {
    std::vector<TMdlEntry> Entries;
    bool HasSketch = false;
    std::vector<TMdlObject> Objects;
    // The integration method the settings give (-1 when they do not): 0 Euler, 1 RK4 with
    // automatic steps, 2 difference equations, 3 RK2 fixed, 4 RK2 automatic, 5 RK4 fixed.
    int Method = -1;
};

// Limits on what one file may hold.
inline constexpr size_t MdlMaxEntries = 100000;
inline constexpr size_t MdlMaxObjects = 400000;
inline constexpr size_t MdlMaxTablePoints = 100000;

// Splits a .mdl text (any line ends, UTF-8 or Latin-1) into entries and objects.
bool ReadMdlFile(std::string_view text, TMdlFile& file, std::string& error, TXmileFault& fault);

// A table as a lookup gives it: x and y values in order.
struct TMdlTable {
    std::vector<double> X, Y;
};

// Parses a Vensim expression into a tree: names as written (quotes undone), calls named by
// their canonical key (upper case, one blank between words), operators "+ - * / ^ = <> < >
// <= >= AND OR" and unary "- + NOT". WITH LOOKUP's table becomes a call named "" whose
// arguments are the x and y values in turn. On failure the result is none.
std::unique_ptr<TXmileNode> ParseMdlExpression(std::string_view text, std::string& error,
                                               TXmileFault& fault);
// Parses a lookup's table "( [(xmin,ymin)-(xmax,ymax)], (x1,y1), ... )"; the range is only
// for display and is passed over.
bool ParseMdlTable(std::string_view text, TMdlTable& table, std::string& error, TXmileFault& fault);
// The canonical key of a function name: upper case, '_' and blanks as one blank.
std::string MdlFunctionKey(std::string_view name);

// What the sketch needs to know of the model, by name key: each element's name and kind
// ('s' stock, 'f' flow, 'a' auxiliary), a flow's stocks, a stock's net flow (when its rate is
// imported as one flow of its own), the names its value uses directly (a stock's: its initial
// value), all names its equation uses, and those its net flow uses.
struct TMdlSketchItem {
    std::string Name;
    char Kind = 'a';
    std::string Source, Sink; // name keys of the stocks a flow drains and fills
    std::string NetFlow;
    std::set<std::string> Uses, All, NetUses;
};
using TMdlSketchModel = std::map<std::string, TMdlSketchItem>;

struct TXmileShape;
// The views as shapes: each view below the one before it, variables at their places, flows
// at their valves with their pipes, second pictures as aliases, arrows between elements as
// connectors.
void MdlSketchShapes(const TMdlFile& file, const TMdlSketchModel& model,
                     std::vector<TXmileShape>& shapes);
