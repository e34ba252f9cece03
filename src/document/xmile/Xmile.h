#pragma once
// XMILE, the modelling tools' exchange format: import into a whole document with its diagram,
// and export of a document with one view.
//   XmileRead.cpp: the XML into plain records; XmileBuild.cpp, XmileDiagram.cpp: records into
//   a document; XmileWrite.cpp: a document into XMILE; XmileEquations.h: the equations.

#include "document/xmile/XmileEquations.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TDataFile;

// Files larger than this are not read: a model that size is not a model.
inline constexpr size_t XmileMaxFileSize = 64 * 1024 * 1024;

struct TXmileImport {
    std::unique_ptr<TDataFile> Document; // none when the import failed
    TXmileFault Fault = TXmileFault::None;
    std::string Error;                 // why it failed, naming the element and construct
    std::vector<std::string> Warnings; // what the user should know about a model imported
};

// Reads an XMILE document into a new, unsaved document whose name is the XMILE file's; on
// failure nothing of the model survives and CurrentSimulation is what it was.
TXmileImport ImportXmileText(std::string_view text, const std::string& fileName);
TXmileImport ImportXmileFile(const std::string& fileName);

// .xmile, .xml or .stmx, letter case ignored.
bool IsXmileFileName(const std::string& fileName);

struct TXmileExport {
    TXmileFault Fault = TXmileFault::None;
    std::string Error;
    std::string Text;                 // the XMILE document when it succeeded
    std::vector<std::string> LeftOut; // what dropUnsupported left out, one line each
};

// Writes the document as XMILE 1.0. What XMILE cannot hold (NPV, FV, PV, RANDOM, TODAY,
// PULSETRAIN under Runge-Kutta, sketched and derived data) refuses the export, or with
// dropUnsupported is left out: elements using such functions and every element depending on them,
// and the sketches.
TXmileExport ExportXmile(TDataFile& document, bool dropUnsupported);

// Writes text to fileName, replacing it only once the whole text is on disk. False with
// error set when it could not be written.
bool WriteXmileFile(const std::string& fileName, const std::string& text, std::string& error);
