#pragma once
// The parts of an XMILE document that map onto our model, read into plain records before
// anything of the model is built.

#include "document/xmile/XmileEquations.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct TXmileVariable {
    std::string Tag; // stock, flow or aux
    std::string Name;
    std::string Equation;
    bool HasEquation = false;
    // The equation already parsed (by an importer of another format); Equation is then only
    // what the file said.
    std::shared_ptr<const TXmileNode> Tree;
    std::vector<std::string> Inflows, Outflows;
    std::string Units, Doc;
    bool HasGraph = false;
    TXmileGraph Graph;
    bool NonNegative = false;
};

struct TXmileNamedGraph {
    std::string Name;
    TXmileGraph Graph;
};

struct TXmileShape {
    std::string Tag;  // stock, flow, aux, alias or connector
    std::string Name; // stock, flow, aux; the element of an alias
    std::string Uid;
    bool HasPosition = false;
    double X = 0, Y = 0;
    std::vector<std::pair<double, double>> Points; // a flow's pipe, source end first
    std::string From, FromAlias, To, ToAlias;      // a connector's ends
    bool HasAngle = false;
    double Angle = 0;
};

struct TXmileRecords {
    // Where the model came from, as the notes of the document and of expansions name it.
    std::string Source = "XMILE";
    std::string Title, Vendor, Product;
    // What the reader noticed that the user should know.
    std::vector<std::string> Warnings;
    bool HasStart = false, HasStop = false, HasDt = false;
    double Start = 0, Stop = 0, Dt = 1;
    std::string Method, TimeUnits;
    std::vector<TXmileVariable> Variables;
    std::vector<TXmileNamedGraph> Graphs;
    std::vector<TXmileShape> Shapes;
};

// Limits on what one document may hold.
inline constexpr size_t XmileMaxNameLength = 1000;
inline constexpr size_t XmileMaxTextLength = 1024 * 1024;
inline constexpr size_t XmileMaxVariables = 100000;
inline constexpr size_t XmileMaxShapes = 400000;
inline constexpr size_t XmileMaxPoints = 100000;
inline constexpr double XmileMaxCoordinate = 10000000;

bool ReadXmileRecords(std::string_view text, TXmileRecords& records, std::string& error,
                      TXmileFault& fault);
