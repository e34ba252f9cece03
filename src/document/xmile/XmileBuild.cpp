// XMILE records into a document: elements with their equations translated, the resources
// and flows that smoothing and delay functions stand for, flows joined to their stocks and
// an information link for every name an equation uses. The import is whole or nothing.
#include "document/xmile/XmileBuilder.h"

#include "core/equations/EquationObjects.h"
#include "core/support/DateTime.h"
#include "core/support/NumberFormat.h"
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"

#include <QtCore/QFile>

#include <cmath>
#include <filesystem>

std::string XmileLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

namespace {

// The name our element carries: blanks for '_' and line breaks, and blanks for what our
// equations would read as an operator. changed tells whether anything beyond blanks moved.
std::string DisplayName(std::string_view name, bool& changed) {
    changed = false;
    std::string result;
    bool blank = false;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const bool escapedBreak = c == '\\' && i + 1 < name.size() && name[i + 1] == 'n';
        const bool forbidden = std::string_view("+-*/<>=(),\"").find(c) != std::string_view::npos;
        if (forbidden) changed = true;
        if (c == ' ' || c == '_' || static_cast<unsigned char>(c) < 0x20 || escapedBreak ||
            forbidden) {
            if (escapedBreak) ++i;
            blank = true;
            continue;
        }
        if (blank && !result.empty()) result += ' ';
        blank = false;
        result += c;
    }
    return result;
}

std::string Identifier(const std::string& name) {
    std::string id = name;
    for (char& c : id)
        if (c == ' ') c = '_';
    return id;
}

// Our notes break lines with CR LF, as a model file reads them back; XML gives LF (or a
// lone CR written as a character reference).
std::string NotesText(const std::string& text) {
    std::string notes;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || (c == '\n' && (i == 0 || text[i - 1] != '\r'))) {
            notes += "\r\n";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            continue;
        }
        notes += c;
    }
    return notes;
}

// Units, a time unit or a title on one line: line breaks and other control characters
// become blanks.
std::string OneLineText(const std::string& text) {
    std::string line;
    for (char c : text)
        line += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    const size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return line.substr(first, line.find_last_not_of(' ') - first + 1);
}

std::string Quoted(const std::string& name) {
    return "\"" + name + "\"";
}

} // namespace

TVariableObject* TXmileBuilder::AddElement(uint8_t kind) {
    // Named by the caller at once: the automatic names of NewElement, each checked against
    // every element, would make a large import quadratic.
    auto element = std::make_unique<TVariableObject>();
    element->Kind = kind;
    element->Owner = Model;
    TVariableObject* added = element.get();
    Model->Variables.AddItem(std::move(element));
    return added;
}

bool TXmileBuilder::Fail(TXmileFault fault, const std::string& message) {
    if (Result.Fault == TXmileFault::None) {
        Result.Fault = fault;
        Result.Error = message;
    }
    return false;
}

std::string TXmileBuilder::Identifier(std::string_view xmileName) {
    const std::string key = XmileNameKey(xmileName);
    auto it = ByKey.find(key);
    if (it != ByKey.end()) return it->second->Identifier();
    // SELF names the element whose equation it is in (as in PREVIOUS(SELF, 0)).
    if (key == "self" && Translating) return Translating->Identifier();
    return std::string();
}

const TXmileGraph* TXmileBuilder::NamedGraph(std::string_view name) {
    const TXmileGraph* graph = FindNamedGraph(name);
    if (graph) {
        // Every use copies the table: a file must not make the copies outgrow any model.
        const size_t points = graph->X.empty() ? graph->Y.size() : XmileMaxGraphPoints;
        GraphPointsCopied += std::max<size_t>(points, 1);
        if (GraphPointsCopied > XmileMaxGraphPointsCopied) GraphCopiesTooMany = true;
    }
    return graph;
}

const TXmileGraph* TXmileBuilder::FindNamedGraph(std::string_view name) const {
    const std::string key = XmileNameKey(name);
    for (const TXmileNamedGraph& graph : Records.Graphs)
        if (XmileNameKey(graph.Name) == key) return &graph.Graph;
    // An element's own graphical function may be applied to another input too.
    auto it = ByKey.find(key);
    if (it == ByKey.end()) return nullptr;
    for (const TXmileVariable& record : Records.Variables) {
        if (!record.HasGraph) continue;
        auto owner = ByKey.find(XmileNameKey(record.Name));
        if (owner != ByKey.end() && owner->second == it->second) return &record.Graph;
    }
    return nullptr;
}

bool TXmileBuilder::NameTaken(const std::string& name) const {
    return ByKey.count(XmileNameKey(name)) || ByIdentifier.count(XmileLower(::Identifier(name)));
}

void TXmileBuilder::Register(TVariableObject* element, const std::string& key) {
    ByKey[key] = element;
    ByIdentifier[XmileLower(element->Identifier())] = element;
}

bool TXmileBuilder::Build(const std::string& fileName) {
    Result.Document = std::make_unique<TDataFile>();
    TDataFile& document = *Result.Document;
    Model = document.Simulation.get();
    namespace fs = std::filesystem;
    const fs::path path(fileName);
    document.Title =
        OneLineText(Records.Title).empty() ? path.stem().string() : OneLineText(Records.Title);
    document.Notes = "Imported from " + Records.Source;
    const std::string vendor = OneLineText(Records.Vendor), product = OneLineText(Records.Product);
    if (!vendor.empty() || !product.empty())
        document.Notes +=
            " (" + product + (product.empty() || vendor.empty() ? "" : ", ") + vendor + ")";
    document.Notes += ".";
    Result.Warnings.insert(Result.Warnings.end(), Records.Warnings.begin(), Records.Warnings.end());
    // Unsaved: Save asks for a model file name and never writes over the imported file.
    document.FileName =
        fileName.empty() ? std::string() : fs::path(path).replace_extension(".qvf").string();
    document.HasFile = false;
    document.IsModified = true;

    if (!BuildTime() || !CreateElements() || !TranslateEquations() || !ConnectFlows()) return false;
    AddInformationLinks();
    if (!BuildDiagram() || !Verify()) return false;
    return true;
}

bool TXmileBuilder::BuildTime() {
    if (!Records.HasStart || !Records.HasStop)
        return Fail(TXmileFault::Invalid, "<sim_specs> gives no start or no stop time");
    const double start = Records.Start, stop = Records.Stop, dt = Records.Dt;
    if (!(stop > start))
        return Fail(TXmileFault::Invalid, "the stop time is not after the start time");
    if (!(dt > 0) || !std::isfinite(dt))
        return Fail(TXmileFault::Invalid, "the time step is not a positive number");
    Model->StartTime = start;
    Model->StopTime = stop;
    Model->TimeStep = dt;
    Model->ViewStart = start;
    Model->ViewStop = stop;
    Model->Now = start;
    Model->CurrentTime = start;
    if (!OneLineText(Records.TimeUnits).empty()) Model->TimeUnit = OneLineText(Records.TimeUnits);
    const std::string method = XmileLower(OneLineText(Records.Method));
    if (method.empty() || method == "euler")
        Model->Method = imEuler;
    else if (method == "rk2")
        Model->Method = imRK2;
    else if (method == "rk4")
        Model->Method = imRK4;
    else
        return Fail(TXmileFault::Refused,
                    "the integration method " + Quoted(OneLineText(Records.Method)));
    return true;
}

bool TXmileBuilder::CreateElements() {
    std::map<std::string, std::string> identifierOwner;
    std::vector<TVariableObject*> renamed;
    for (const TXmileVariable& record : Records.Variables) {
        bool changed = false;
        const std::string name = DisplayName(record.Name, changed);
        const std::string key = XmileNameKey(record.Name);
        if (name.empty())
            return Fail(TXmileFault::Invalid, "the name " + Quoted(record.Name) + " is empty");
        if (ByKey.count(key))
            return Fail(TXmileFault::Invalid, "two elements are named " + Quoted(record.Name));
        const std::string lower = XmileLower(::Identifier(name));
        if (ByIdentifier.count(lower))
            return Fail(TXmileFault::Invalid, "the names " + Quoted(identifierOwner[lower]) +
                                                  " and " + Quoted(record.Name) + " clash as " +
                                                  ::Identifier(name));
        if (IsNumberText(name))
            return Fail(TXmileFault::Invalid,
                        "the name " + Quoted(record.Name) + " reads as a number in equations");
        if (changed)
            Result.Warnings.push_back("Element " + Quoted(record.Name) + " is named " +
                                      Quoted(name) + ": Quorvane names hold no operators.");
        identifierOwner[lower] = record.Name;

        uint8_t kind = ekVariable;
        if (record.Tag == "stock") kind = ekResource;
        if (record.Tag == "flow") kind = ekFlow;
        TVariableObject* element = AddElement(kind);
        element->Name = name;
        element->Units = OneLineText(record.Units);
        element->Notes = NotesText(record.Doc);
        element->NonNegative = record.NonNegative && (kind == ekResource || kind == ekFlow);
        Register(element, key);
        if (changed) renamed.push_back(element);
    }
    // References may also spell a changed name as it now reads.
    for (TVariableObject* element : renamed)
        ByKey.emplace(XmileNameKey(element->Name), element);
    return true;
}

bool TXmileBuilder::TranslateEquations() {
    size_t i = 0;
    // Expansions add elements behind these while the loop runs.
    std::vector<TVariableObject*> elements;
    for (TVariableObject* element : Model->Variables)
        elements.push_back(element);
    for (const TXmileVariable& record : Records.Variables) {
        if (!TranslateOne(record, elements[i++])) return false;
        if (GraphCopiesTooMany)
            return Fail(TXmileFault::Invalid, "the graphical functions are applied too often");
    }
    return true;
}

bool TXmileBuilder::TranslateOne(const TXmileVariable& record, TVariableObject* element) {
    const std::string who = "Element " + Quoted(record.Name) + ": ";
    if (!record.Tree &&
        (!record.HasEquation || record.Equation.find_first_not_of(" \t\r\n") == std::string::npos))
        return Fail(TXmileFault::Invalid, who + "the equation is missing");
    std::string error;
    TXmileFault fault = TXmileFault::None;
    std::unique_ptr<TXmileNode> parsed;
    if (!record.Tree) {
        parsed = ParseXmileEquation(record.Equation, error, fault);
        if (!parsed) return Fail(fault, who + error);
    }
    const TXmileNode* tree = record.Tree ? record.Tree.get() : parsed.get();

    Translating = element;
    std::string text;
    std::set<std::string>& uses = Uses[element];
    const bool ok = XmileToEquation(*tree, *this, text, uses, error, fault);
    Translating = nullptr;
    if (!ok) return Fail(fault, who + error);
    if (uses.erase(XmileLower(element->Identifier()))) NameThemselves.insert(element);

    double constant = 0;
    if (record.HasGraph) {
        std::string graph;
        if (!XmileGraphCall(record.Graph, text, graph, error, fault))
            return Fail(fault, who + error);
        text = graph;
    } else if (element->Kind == ekVariable && IsXmileNumber(*tree, constant)) {
        element->Kind = ekConstant;
        element->InitialValue = element->Value = constant;
    }
    element->Equation = text;
    return true;
}

void TXmileBuilder::AddFlowDependency(TVariableObject* resource, TVariableObject* flow,
                                      uint8_t direction) {
    resource->AddDependency(flow, true, direction);
    (direction == 0 ? FlowSink : FlowSource)[flow] = resource;
}

bool TXmileBuilder::ConnectFlows() {
    for (const TXmileVariable& record : Records.Variables) {
        if (record.Tag != "stock") continue;
        TVariableObject* stock = ByKey.at(XmileNameKey(record.Name));
        const std::string who = "Element " + Quoted(record.Name) + ": ";
        for (int direction = 0; direction < 2; ++direction) {
            for (const std::string& name : direction == 0 ? record.Inflows : record.Outflows) {
                auto it = ByKey.find(XmileReferenceKey(name));
                if (it == ByKey.end() || it->second->Kind != ekFlow)
                    return Fail(TXmileFault::Invalid,
                                who + "the " + (direction == 0 ? "inflow " : "outflow ") +
                                    Quoted(name) + " is no flow of the model");
                TVariableObject* flow = it->second;
                auto& ends = direction == 0 ? FlowSink : FlowSource;
                if (ends.count(flow) && ends[flow] == stock) continue; // listed twice
                if (ends.count(flow))
                    return Fail(TXmileFault::Refused, "Element " + Quoted(name) + ": a flow that " +
                                                          (direction == 0 ? "fills" : "drains") +
                                                          " more than one stock");
                AddFlowDependency(stock, flow, static_cast<uint8_t>(direction));
            }
        }
    }
    return true;
}

void TXmileBuilder::AddInformationLinks() {
    for (TVariableObject* element : Model->Variables) {
        auto it = Uses.find(element);
        if (it == Uses.end()) continue;
        for (const std::string& used : it->second) {
            auto source = ByIdentifier.find(used);
            if (source == ByIdentifier.end() || source->second == element) continue;
            element->AddDependency(source->second);
        }
    }
}

bool TXmileBuilder::Verify() {
    // What we wrote must read in our language exactly as meant; anything else is our fault,
    // and a model that does not compute is not imported.
    for (TVariableObject* element : Model->Variables) {
        if (!element->CompileEquation() && NameThemselves.count(element))
            return Fail(TXmileFault::Invalid, "Element " + Quoted(element->Name) +
                                                  ": the equation uses the element's own value");
        if (element->HasErrors)
            return Fail(TXmileFault::Refused, "Element " + Quoted(element->Name) +
                                                  ": the equation " + Quoted(element->Equation) +
                                                  " does not translate (" + EquationErrors + ")");
    }
    // The diagram is sound by construction (the fuzz target checks it on every import);
    // its check, quadratic in the shapes, is left to the tests.
    return true;
}

// ---------------------------------------------------------------------------------------------
// Smoothing and delay functions

TVariableObject* TXmileBuilder::NewElement(uint8_t kind, const std::string& base,
                                           const std::string& equation,
                                           const std::set<std::string>& uses,
                                           const std::string& notes) {
    std::string name = base;
    for (int n = 2; NameTaken(name); ++n)
        name = base + " " + std::to_string(n);
    TVariableObject* element = AddElement(kind);
    element->Name = name;
    element->Equation = equation;
    element->Notes = notes;
    Uses[element] = uses;
    Groups[element] = GroupCount;
    Register(element, XmileNameKey(name));
    return element;
}

std::string TXmileBuilder::Expand(const std::string& function,
                                  const std::vector<TEquationPiece>& args,
                                  const std::vector<std::set<std::string>>& argsUse, int order,
                                  std::string& error) {
    TVariableObject* owner = Translating;
    // The N forms carry their order as the third parameter, the initial value after it.
    const size_t initialAt = function == "SMTHN" || function == "DELAYN" ? 3 : 2;
    if (!owner || args.size() < 2 || args.size() != argsUse.size() || order < 1 ||
        order > XmileMaxExpansionOrder) {
        error = function + " cannot be expanded here";
        return std::string();
    }
    if (ExpandedStages > XmileMaxExpandedStages - order) {
        error = "the smooth and delay functions would need more than " +
                std::to_string(XmileMaxExpandedStages) + " resources";
        return std::string();
    }
    ExpandedStages += order;
    ++GroupCount;
    const bool smooth = function == "SMTH1" || function == "SMTH3" || function == "SMTHN";
    const int stages = order;
    std::string base = owner->Name + (smooth ? " smooth" : " delay");
    const int count = ++Expansions[base];
    if (count > 1) base += " " + std::to_string(count);

    const TEquationPiece& input = args[0];
    const bool hasInitial = args.size() > initialAt;
    const TEquationPiece& initial = hasInitial ? args[initialAt] : args[0];
    const std::set<std::string>& initialUse = hasInitial ? argsUse[initialAt] : argsUse[0];
    const TEquationPiece stageTime =
        stages == 1 ? args[1]
                    : EquationOperation("/", args[1], TEquationPiece{std::to_string(stages)});
    const std::string notes = "Part of " + function + " in the equation of " + owner->Name +
                              ", expanded on import from " + Records.Source + ".";
    auto unite = [](std::set<std::string> a, const std::set<std::string>& b) {
        a.insert(b.begin(), b.end());
        return a;
    };
    auto piece = [](TVariableObject* element) { return TEquationPiece{element->Identifier()}; };
    auto lower = [](TVariableObject* element) { return XmileLower(element->Identifier()); };

    // Each stage is a resource; a smooth's flow closes the gap to what feeds it, a delay's
    // flows pass the material on. Each resource comes with the flow it feeds, so that the grid
    // places them side by side.
    auto stage = [&](int s) {
        const std::string suffix = stages == 1 ? "" : " stage " + std::to_string(s);
        const std::string equation =
            smooth ? initial.Text : EquationOperation("*", initial, stageTime).Text;
        return NewElement(ekResource, base + suffix, equation,
                          smooth ? initialUse : unite(initialUse, argsUse[1]), notes);
    };
    std::vector<TVariableObject*> resources;
    TVariableObject* result = nullptr;
    if (smooth) {
        TEquationPiece previous = input;
        std::set<std::string> previousUse = argsUse[0];
        for (int s = 1; s <= stages; ++s) {
            TVariableObject* resource = stage(s);
            resources.push_back(resource);
            const std::string suffix = stages == 1 ? "" : " " + std::to_string(s);
            const TEquationPiece gap = EquationOperation("-", previous, piece(resource));
            TVariableObject* flow = NewElement(
                ekFlow, base + " change" + suffix, EquationOperation("/", gap, stageTime).Text,
                unite(unite(previousUse, argsUse[1]), {lower(resource)}), notes);
            AddFlowDependency(resource, flow, 0);
            previous = piece(resource);
            previousUse = {lower(resource)};
        }
        result = resources.back();
    } else {
        TVariableObject* feed = NewElement(ekFlow, base + " inflow", input.Text, argsUse[0], notes);
        for (int s = 1; s <= stages; ++s) {
            TVariableObject* resource = stage(s);
            resources.push_back(resource);
            AddFlowDependency(resource, feed, 0);
            const bool last = s == stages;
            feed =
                NewElement(ekFlow, last ? base + " outflow" : base + " flow " + std::to_string(s),
                           EquationOperation("/", piece(resource), stageTime).Text,
                           unite(argsUse[1], {lower(resource)}), notes);
            AddFlowDependency(resource, feed, 1);
        }
        result = feed;
    }
    std::string how = function + "(";
    for (size_t a = 0; a < args.size(); ++a)
        how += (a == 0 ? "" : ", ") + args[a].Text;
    how += std::string(") is computed by the resource") + (stages > 1 ? "s " : " ");
    for (size_t r = 0; r < resources.size(); ++r)
        how += (r == 0 ? "" : r + 1 == resources.size() ? " and " : ", ") + resources[r]->Name;
    const std::string share = stages == 3 ? "a third" : "1/" + std::to_string(stages);
    if (smooth)
        how += stages > 1 ? ", each moving toward the one before it in " + share + " of the time"
                          : ", which moves toward the input";
    else
        how += stages > 1 ? ", which pass the input on, each in " + share + " of the time"
                          : ", which passes the input on";
    how += " (expanded on import from " + Records.Source + ").";
    owner->Notes += (owner->Notes.empty() ? "" : "\r\n") + how;
    return result->Identifier();
}

// ---------------------------------------------------------------------------------------------

bool IsXmileFileName(const std::string& fileName) {
    const std::string extension = XmileLower(std::filesystem::path(fileName).extension().string());
    return extension == ".xmile" || extension == ".xml" || extension == ".stmx";
}

TXmileImport ImportXmileText(std::string_view text, const std::string& fileName) {
    return ImportRecords(text, fileName, ReadXmileRecords);
}

TXmileImport ImportRecords(std::string_view text, const std::string& fileName,
                           const TRecordsReader& read) {
    TXmileImport result;
    TSimulationObject* previous = CurrentSimulation;
    bool ok = false;
    if (text.size() > XmileMaxFileSize) {
        result.Fault = TXmileFault::Malformed;
        result.Error = "the file is too large";
    } else {
        TXmileRecords records;
        try {
            if (read(text, records, result.Error, result.Fault)) {
                TXmileBuilder builder(records, result);
                ok = builder.Build(fileName);
            }
        } catch (const std::exception& e) {
            result.Fault = TXmileFault::Malformed;
            result.Error = e.what();
            ok = false;
        }
    }
    if (!ok) {
        // Nothing of a half-built model stays reachable, nor what was noticed on the way.
        result.Document.reset();
        result.Warnings.clear();
        CurrentSimulation = previous;
        if (result.Fault == TXmileFault::None) result.Fault = TXmileFault::Malformed;
        result.Error =
            "Not imported: " + result.Error +
            (result.Fault == TXmileFault::Refused ? " cannot be represented exactly in Quorvane."
                                                  : ".");
        return result;
    }
    result.Document->MakeCurrent();
    return result;
}

TXmileImport ImportXmileFile(const std::string& fileName) {
    return ImportFile(fileName, ImportXmileText);
}

TXmileImport ImportFile(const std::string& fileName,
                        TXmileImport (*import)(std::string_view, const std::string&)) {
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly)) {
        TXmileImport result;
        result.Fault = TXmileFault::Malformed;
        result.Error = std::filesystem::exists(fileName) ? FileUnreadableMessage(fileName)
                                                         : FileMissingMessage(fileName);
        return result;
    }
    if (file.size() > static_cast<qint64>(XmileMaxFileSize)) {
        TXmileImport result;
        result.Fault = TXmileFault::Malformed;
        result.Error = "Not imported: the file is too large.";
        return result;
    }
    const QByteArray bytes = file.readAll();
    return import(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), fileName);
}
