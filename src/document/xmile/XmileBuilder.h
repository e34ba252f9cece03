#pragma once
// Builds a document from the records of an XMILE document: elements, equations, the
// stocks and flows of smoothing and delay functions, and the diagram.

#include "document/xmile/Xmile.h"
#include "document/xmile/XmileRecords.h"

#include "core/model/SimulationObjects.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

class TVariableInstance;
class TFlowInstance;

class TXmileBuilder : public TXmileImportContext {
public:
    TXmileBuilder(const TXmileRecords& records, TXmileImport& result)
        : Records(records), Result(result) {}

    // Fills Result.Document, or Result.Fault and Result.Error.
    bool Build(const std::string& fileName);

    std::string Identifier(std::string_view xmileName) override;
    std::string Expand(const std::string& function, const std::vector<TEquationPiece>& args,
                       const std::vector<std::set<std::string>>& argsUse, int order,
                       std::string& error) override;
    const TXmileGraph* NamedGraph(std::string_view name) override;
    const TXmileGraph* FindNamedGraph(std::string_view name) const;

private:
    bool Fail(TXmileFault fault, const std::string& message);
    TVariableObject* AddElement(uint8_t kind);
    bool BuildTime();
    bool CreateElements();
    bool TranslateEquations();
    bool TranslateOne(const TXmileVariable& record, TVariableObject* element);
    bool ConnectFlows();
    void AddInformationLinks();
    bool Verify();
    // XmileDiagram.cpp
    bool BuildDiagram();
    void PlacePipes(TFlowInstance* valve, const std::vector<std::pair<double, double>>& points);
    TVariableInstance* MainShape(TVariableObject* element) const;
    // Whether a connector between these shapes is drawn: the head's equation must use the tail.
    bool LinkFor(TVariableInstance* from, TVariableInstance* to);
    // target's equation names source.
    static bool EquationUses(TVariableObject* source, TVariableObject* target);

    // A new element of an expansion, with a unique name made from base.
    TVariableObject* NewElement(uint8_t kind, const std::string& base, const std::string& equation,
                                const std::set<std::string>& uses, const std::string& notes);
    void AddFlowDependency(TVariableObject* resource, TVariableObject* flow, uint8_t direction);
    bool NameTaken(const std::string& name) const;
    void Register(TVariableObject* element, const std::string& key);

    const TXmileRecords& Records;
    TXmileImport& Result;
    TSimulationObject* Model = nullptr;
    std::map<std::string, TVariableObject*> ByKey;        // XMILE name key
    std::map<std::string, TVariableObject*> ByIdentifier; // our identifier, lower case
    std::map<TVariableObject*, std::set<std::string>> Uses;
    // Elements whose equations name themselves: only PREVIOUS may read that, which the
    // compiling of the equations decides.
    std::set<TVariableObject*> NameThemselves;
    std::map<TVariableObject*, TVariableObject*> FlowSource, FlowSink; // flow -> resource
    std::map<TVariableObject*, TVariableInstance*> Shapes;             // main shapes
    TVariableObject* Translating = nullptr;
    std::map<std::string, int> Expansions;  // per name they are given, how many so far
    std::map<TVariableObject*, int> Groups; // the elements of one expansion share a number
    int GroupCount = 0;
    int ExpandedStages = 0;
    size_t GraphPointsCopied = 0;
    bool GraphCopiesTooMany = false;
};

// Lower-case copy (ASCII letters only, as identifiers compare).
std::string XmileLower(std::string_view text);

// Reads a whole file's text into records; false with error and fault set when it cannot.
using TRecordsReader = std::function<bool(std::string_view text, TXmileRecords& records,
                                          std::string& error, TXmileFault& fault)>;
// A whole import through read and the builder: a new, unsaved document, or none with the
// error ("Not imported: ...") and nothing of the half-built model left behind.
TXmileImport ImportRecords(std::string_view text, const std::string& fileName,
                           const TRecordsReader& read);
// The file's bytes through import, refusing files that cannot be read or are too large.
TXmileImport ImportFile(const std::string& fileName,
                        TXmileImport (*import)(std::string_view, const std::string&));
