// A document as XMILE 1.0 with one view. Every equation is translated; what XMILE cannot
// hold refuses the export, or is left out on request with a list of what went.
#include "document/xmile/Xmile.h"

#include "core/equations/EquationObjects.h"
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"

#include <QtCore/QByteArray>
#include <QtCore/QSaveFile>
#include <QtCore/QXmlStreamWriter>

#include <cmath>
#include <map>
#include <set>

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The name in <inflow>, <outflow>, <from> and <to>: '_' for blanks.
std::string PlainName(const std::string& name) {
    std::string plain = name;
    for (char& c : plain)
        if (c == ' ') c = '_';
    return plain;
}

struct TGraphAux {
    std::string Name;
    std::string Equation;
    const TEquationFunction* Graph;
};

class TXmileWriter : public TXmileExportContext {
public:
    TXmileWriter(TDataFile& document, bool drop, TXmileExport& result)
        : Document(document), Model(*document.Simulation), Drop(drop), Result(result) {}

    bool Write() {
        if (!Parse() || !Exclude() || !Translate()) return false;
        Emit();
        return true;
    }

    std::string GraphAuxiliary(const TEquationElement& graph) override {
        const auto& f = static_cast<const TEquationFunction&>(graph);
        std::string base = CurrentName + " graph";
        std::string name = base;
        for (int n = 2; Taken.count(XmileNameKey(name)); ++n)
            name = base + " " + std::to_string(n);
        Taken.insert(XmileNameKey(name));
        ProbeTaken.push_back(XmileNameKey(name));
        TGraphAux aux{name, "0", &f};
        if (const TEquationElement* index = f.Param(0)) {
            std::string unsupported;
            if (!EquationToXmile(*index, *this, aux.Equation, unsupported))
                Unsupported = unsupported;
        }
        GraphAuxes.push_back(aux);
        // A graphical function of its own, applied to the index where the call was.
        return XmileEquationName(name) + "(" + aux.Equation + ")";
    }

    bool RungeKutta() const override { return Model.Method != imEuler; }

private:
    bool Fail(TXmileFault fault, const std::string& message) {
        Result.Fault = fault;
        Result.Error = message;
        return false;
    }

    bool Parse() {
        std::map<std::string, std::string> names;
        for (TVariableObject* v : Model.Variables) {
            const std::string key = XmileNameKey(v->Name);
            if (names.count(key))
                return Fail(TXmileFault::Refused, "Not exported: " + names[key] + " and " +
                                                      v->Name +
                                                      " would have the same name in XMILE.");
            names[key] = v->Name;
            Taken.insert(key);
            BeginEquationParse(*v);
            std::unique_ptr<TEquationElement> tree = ParseEquation(v->Equation);
            if (!EquationErrors.empty())
                return Fail(TXmileFault::Malformed, "Not exported: the equation of " + v->Name +
                                                        " has errors: " + EquationErrors);
            Trees[v] = std::move(tree);
        }
        return true;
    }

    // Elements whose equations use what XMILE lacks, and what depends on them.
    bool Exclude() {
        std::vector<std::string> reasons;
        for (TVariableObject* v : Model.Variables) {
            std::string unsupported = FirstUnsupported(Trees[v].get());
            if (!unsupported.empty()) {
                reasons.push_back(v->Name + " (uses " + unsupported + ")");
                Dropped.insert(v);
            }
        }
        for (bool grew = true; grew;) {
            grew = false;
            for (TVariableObject* v : Model.Variables) {
                if (Dropped.count(v)) continue;
                for (TDependency* d : v->Dependencies) {
                    TVariableObject* source = d->Source.GetTarget();
                    if (source && Dropped.count(source)) {
                        reasons.push_back(v->Name + " (depends on " + source->Name + ")");
                        Dropped.insert(v);
                        grew = true;
                        break;
                    }
                }
            }
        }
        for (TVariableObject* v : Model.Variables) {
            if (Dropped.count(v)) continue;
            if (!v->Sketched.IsEmpty()) reasons.push_back("the sketched data of " + v->Name);
            if (!v->Derived.IsEmpty()) reasons.push_back("the derived data of " + v->Name);
        }
        if (reasons.empty()) return true;
        if (!Drop) {
            std::string text;
            for (const std::string& r : reasons)
                text += (text.empty() ? "" : ", ") + r;
            return Fail(TXmileFault::Refused,
                        "Not exported: XMILE has no counterpart for " + text + ".");
        }
        Result.LeftOut = reasons;
        return true;
    }

    std::string FirstUnsupported(TEquationElement* tree) {
        if (!tree) return std::string();
        std::string text, unsupported;
        // A trial translation: what it adds is taken back afterwards.
        const std::string saved = CurrentName;
        const size_t auxes = GraphAuxes.size();
        ProbeTaken.clear();
        CurrentName = "probe";
        Unsupported.clear();
        EquationToXmile(*tree, *this, text, unsupported);
        if (unsupported.empty()) unsupported = Unsupported;
        CurrentName = saved;
        GraphAuxes.resize(auxes);
        for (const std::string& key : ProbeTaken)
            Taken.erase(key);
        ProbeTaken.clear();
        return unsupported;
    }

    bool Translate() {
        for (TVariableObject* v : Model.Variables) {
            if (Dropped.count(v)) continue;
            CurrentName = v->Name;
            TEquationElement* tree = Trees[v].get();
            std::string text = "0", unsupported;
            const auto* f = dynamic_cast<const TEquationFunction*>(tree);
            if (f && f->FunctionIndex == sgvGRAPH && v->Kind != ekResource) {
                // The whole equation a lookup: the element carries the graphical function.
                WholeGraphs[v] = f;
                if (f->Param(0)) EquationToXmile(*f->Param(0), *this, text, unsupported);
            } else if (tree) {
                EquationToXmile(*tree, *this, text, unsupported);
            }
            Equations[v] = text;
        }
        return true;
    }

    void WriteGraph(QXmlStreamWriter& xml, const TEquationFunction& f) {
        xml.writeStartElement("gf");
        WriteGraphScales(xml, f);
        xml.writeEndElement();
    }

    void WriteGraphScales(QXmlStreamWriter& xml, const TEquationFunction& f) {
        std::vector<double> values;
        for (int32_t i = 1; i < f.ParamCount(); ++i) {
            const TEquationElement* p = f.Param(i);
            values.push_back(p && p->ElementKind() == 0
                                 ? static_cast<const TEquationConstant*>(p)->Value.Number
                                 : 0);
        }
        const double first = values.size() > 0 ? values[0] : 0;
        const double step = values.size() > 1 ? values[1] : 1;
        std::string y;
        double low = 0, high = 0;
        for (size_t i = 2; i < values.size(); ++i) {
            y += (i > 2 ? "," : "") + XmileNumberText(values[i]);
            low = i == 2 ? values[i] : std::min(low, values[i]);
            high = i == 2 ? values[i] : std::max(high, values[i]);
        }
        const size_t count = values.size() > 2 ? values.size() - 2 : 1;
        WriteScales(xml, first, step, count, low, high, y);
    }

    static void WriteScales(QXmlStreamWriter& xml, double first, double step, size_t count,
                            double low, double high, const std::string& y) {
        xml.writeEmptyElement("xscale");
        xml.writeAttribute("min", Q(XmileNumberText(first)));
        xml.writeAttribute("max",
                           Q(XmileNumberText(first + step * static_cast<double>(count - 1))));
        xml.writeEmptyElement("yscale");
        xml.writeAttribute("min", Q(XmileNumberText(low)));
        xml.writeAttribute("max", Q(XmileNumberText(high > low ? high : low + 1)));
        xml.writeTextElement("ypts", Q(y));
    }

    void EmitVariables(QXmlStreamWriter& xml) {
        xml.writeStartElement("variables");
        for (TVariableObject* v : Model.Variables) {
            if (Dropped.count(v)) continue;
            const char* tag = v->Kind == ekResource ? "stock" : v->Kind == ekFlow ? "flow" : "aux";
            xml.writeStartElement(tag);
            xml.writeAttribute("name", Q(v->Name));
            xml.writeTextElement("eqn", Q(Equations[v]));
            if (v->Kind == ekResource) {
                for (TDependency* d : v->Dependencies) {
                    TVariableObject* flow = d->Source.GetTarget();
                    if (!d->IsFlow || !flow || Dropped.count(flow)) continue;
                    xml.writeTextElement(d->Direction == 0 ? "inflow" : "outflow",
                                         Q(PlainName(flow->Name)));
                }
            }
            if (auto it = WholeGraphs.find(v); it != WholeGraphs.end())
                WriteGraph(xml, *it->second);
            if (v->NonNegative && (v->Kind == ekResource || v->Kind == ekFlow))
                xml.writeEmptyElement("non_negative");
            if (!v->Units.empty()) xml.writeTextElement("units", Q(v->Units));
            if (!v->Notes.empty()) {
                // XML reads any line break as LF.
                std::string doc;
                for (char c : v->Notes)
                    if (c != '\r') doc += c;
                xml.writeTextElement("doc", Q(doc));
            }
            xml.writeEndElement();
        }
        for (const TGraphAux& aux : GraphAuxes) {
            xml.writeStartElement("gf");
            xml.writeAttribute("name", Q(aux.Name));
            WriteGraphScales(xml, *aux.Graph);
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }

    static void Position(QXmlStreamWriter& xml, TDrawPoint p) {
        xml.writeAttribute("x", QString::number(p.X));
        xml.writeAttribute("y", QString::number(p.Y));
    }

    void EmitView(QXmlStreamWriter& xml) {
        TDrawImage& image = Document.Image();
        std::map<const TVariableInstance*, int> uids;
        int uid = 0;
        xml.writeStartElement("views");
        xml.writeStartElement("view");
        for (TVariableInstance* shape : image.Elements) {
            TVariableObject* v = shape->Var();
            if (!v || Dropped.count(v)) continue;
            if (shape->IsClone) {
                uids[shape] = ++uid;
                xml.writeStartElement("alias");
                xml.writeAttribute("uid", QString::number(uid));
                Position(xml, shape->Position);
                xml.writeTextElement("of", Q(PlainName(v->Name)));
                xml.writeEndElement();
                continue;
            }
            const char* tag = v->Kind == ekResource ? "stock" : v->Kind == ekFlow ? "flow" : "aux";
            xml.writeStartElement(tag);
            xml.writeAttribute("name", Q(v->Name));
            Position(xml, shape->Position);
            auto* valve = dynamic_cast<TFlowInstance*>(shape);
            if (valve && valve->Inflow() && valve->Outflow()) {
                xml.writeStartElement("pts");
                for (TDrawPoint p : {valve->Inflow()->StartPoint(), valve->Outflow()->EndPoint()}) {
                    xml.writeEmptyElement("pt");
                    Position(xml, p);
                }
                xml.writeEndElement();
            }
            xml.writeEndElement();
        }
        for (TLinkInstance* link : image.Links) {
            if (link->IsPipe() || !link->From() || !link->To()) continue;
            TVariableObject* from = link->From()->Var();
            TVariableObject* to = link->To()->Var();
            if (!from || !to || Dropped.count(from) || Dropped.count(to)) continue;
            TDrawPoint direction = link->StartControl;
            if (direction == TDrawPoint{}) direction = link->EndPoint() - link->StartPoint();
            const double angle =
                std::atan2(-static_cast<double>(direction.Y), direction.X) * 180 / M_PI;
            xml.writeStartElement("connector");
            xml.writeAttribute("uid", QString::number(++uid));
            // + 0.0 turns a negative zero into a plain one.
            xml.writeAttribute("angle", Q(XmileNumberText(std::round(angle * 1000) / 1000 + 0.0)));
            for (auto [end, shape, variable] :
                 {std::tuple{"from", link->From(), from}, std::tuple{"to", link->To(), to}}) {
                auto alias = uids.find(shape);
                if (alias != uids.end()) {
                    xml.writeStartElement(end);
                    xml.writeEmptyElement("alias");
                    xml.writeAttribute("uid", QString::number(alias->second));
                    xml.writeEndElement();
                } else {
                    xml.writeTextElement(end, Q(PlainName(variable->Name)));
                }
            }
            xml.writeEndElement();
        }
        xml.writeEndElement();
        xml.writeEndElement();
    }

    void Emit() {
        QByteArray bytes;
        QXmlStreamWriter xml(&bytes);
        xml.setAutoFormatting(true);
        xml.setAutoFormattingIndent(2);
        xml.writeStartDocument();
        xml.writeStartElement("xmile");
        xml.writeAttribute("version", "1.0");
        xml.writeDefaultNamespace("http://docs.oasis-open.org/xmile/ns/XMILE/v1.0");
        xml.writeStartElement("header");
        if (!Document.Title.empty()) xml.writeTextElement("name", Q(Document.Title));
        xml.writeTextElement("vendor", "Quorvane");
        xml.writeStartElement("product");
        xml.writeAttribute("version", QString::fromLatin1(ProgramVersion));
        xml.writeCharacters("Quorvane");
        xml.writeEndElement();
        xml.writeEndElement();
        xml.writeStartElement("sim_specs");
        xml.writeAttribute("method",
                           IntegrationMethodNames[Model.Method <= imRK4 ? Model.Method : imEuler]);
        if (!Model.TimeUnit.empty()) xml.writeAttribute("time_units", Q(Model.TimeUnit));
        xml.writeTextElement("start", Q(XmileNumberText(Model.StartTime)));
        xml.writeTextElement("stop", Q(XmileNumberText(Model.StopTime)));
        xml.writeTextElement("dt", Q(XmileNumberText(Model.TimeStep)));
        xml.writeEndElement();
        xml.writeStartElement("model");
        EmitVariables(xml);
        EmitView(xml);
        xml.writeEndElement();
        xml.writeEndElement();
        xml.writeEndDocument();
        Result.Text = bytes.toStdString();
    }

    TDataFile& Document;
    TSimulationObject& Model;
    bool Drop;
    TXmileExport& Result;
    std::map<TVariableObject*, std::unique_ptr<TEquationElement>> Trees;
    std::map<TVariableObject*, std::string> Equations;
    std::map<TVariableObject*, const TEquationFunction*> WholeGraphs;
    std::set<TVariableObject*> Dropped;
    std::set<std::string> Taken;
    std::vector<std::string> ProbeTaken; // the names a trial translation took
    std::vector<TGraphAux> GraphAuxes;
    std::string CurrentName; // the element whose equation is being translated
    std::string Unsupported;
};

} // namespace

TXmileExport ExportXmile(TDataFile& document, bool dropUnsupported) {
    TXmileExport result;
    TSimulationObject* previous = CurrentSimulation;
    document.MakeCurrent();
    TXmileWriter writer(document, dropUnsupported, result);
    if (!writer.Write()) result.Text.clear();
    CurrentSimulation = previous;
    return result;
}

bool WriteXmileFile(const std::string& fileName, const std::string& text, std::string& error) {
    QSaveFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !file.commit()) {
        error = "couldn't write " + fileName + ": " + file.errorString().toStdString();
        return false;
    }
    return true;
}
