// The XML of an XMILE document into records. Elements of other namespaces (a vendor's) and
// elements that carry nothing for us are skipped; those that would change what the model
// computes refuse the import. Tools write vendor elements (<isee:prefs>) without declaring
// their prefix and read such files themselves, so namespaces are not processed: an element
// whose prefix differs from the root's is a vendor's.
#include "document/xmile/XmileRecords.h"

#include <QtCore/QByteArray>
#include <QtCore/QXmlStreamReader>

#include <cctype>

#include <cmath>

namespace {

class TXmileXmlReader {
public:
    TXmileXmlReader(std::string_view text, TXmileRecords& records, std::string& error,
                    TXmileFault& fault)
        : Bytes(QByteArray::fromRawData(text.data(), static_cast<qsizetype>(text.size()))),
          Xml(Bytes), Records(records), Error(error), Fault(fault) {
        Xml.setNamespaceProcessing(false);
    }

    bool Read() {
        if (!Xml.readNextStartElement()) return XmlFailure("the file holds no XML element");
        const QStringView root = Xml.qualifiedName();
        const qsizetype colon = root.indexOf(QLatin1Char(':'));
        RootPrefix = colon < 0 ? QString() : root.left(colon).toString();
        if (Name() != QLatin1String("xmile"))
            return Fail(TXmileFault::Malformed, "this is not an XMILE file: it starts with <" +
                                                    root.toString().toStdString() + ">");
        int models = 0;
        while (NextChild()) {
            const QStringView name = Name();
            if (name == QLatin1String("header")) {
                if (!ReadHeader()) return false;
            } else if (name == QLatin1String("sim_specs")) {
                if (!ReadSimSpecs()) return false;
            } else if (name == QLatin1String("model")) {
                // Only the main model may be there: any other defines a module.
                if (++models > 1) return Fail(TXmileFault::Refused, "modules (a second <model>)");
                if (!ReadModel()) return false;
            } else if (name == QLatin1String("dimensions")) {
                if (!RefuseIfNotEmpty("arrays (<dimensions>)")) return false;
            } else if (name == QLatin1String("macro")) {
                return Fail(TXmileFault::Refused,
                            "macros (<macro name=\"" + Attribute("name") + "\">)");
            } else {
                Xml.skipCurrentElement();
            }
            if (Failed()) return false;
        }
        if (Failed()) return false;
        // Nothing but comments may follow the root.
        while (!Xml.atEnd())
            Xml.readNext();
        if (Xml.hasError()) return XmlFailure("");
        if (models == 0) return Fail(TXmileFault::Invalid, "the file has no <model>");
        return true;
    }

private:
    bool Failed() const { return Fault != TXmileFault::None; }

    bool Fail(TXmileFault fault, const std::string& message) {
        if (!Failed()) {
            Fault = fault;
            Error = message;
        }
        return false;
    }

    bool XmlFailure(const std::string& fallback) {
        if (Xml.hasError())
            return Fail(TXmileFault::Malformed, "the XML is malformed at line " +
                                                    std::to_string(Xml.lineNumber()) + ": " +
                                                    Xml.errorString().toStdString());
        return Fail(TXmileFault::Malformed, fallback);
    }

    // The current element's name without its prefix.
    QStringView Name() const {
        const QStringView name = Xml.qualifiedName();
        const qsizetype colon = name.indexOf(QLatin1Char(':'));
        return colon < 0 ? name : name.mid(colon + 1);
    }

    // Advances to the next child element of the current one in XMILE's namespace, skipping
    // a vendor's. False at the end of the current element or on an error.
    bool NextChild() {
        while (Xml.readNextStartElement()) {
            const QStringView name = Xml.qualifiedName();
            const qsizetype colon = name.indexOf(QLatin1Char(':'));
            if (colon < 0 ? RootPrefix.isEmpty() : name.left(colon) == RootPrefix) return true;
            Xml.skipCurrentElement();
        }
        if (Xml.hasError()) XmlFailure("");
        return false;
    }

    std::string Attribute(const char* name) const {
        return Xml.attributes().value(QLatin1String(name)).toString().toStdString();
    }

    bool NumberAttribute(const char* name, double& value, bool& present) {
        const QStringView text = Xml.attributes().value(QLatin1String(name));
        present = !text.isEmpty();
        if (!present) return true;
        if (!ReadXmileNumber(text.toString().toStdString(), value) ||
            std::fabs(value) > XmileMaxCoordinate)
            return Fail(TXmileFault::Invalid, "the " + std::string(name) + " value \"" +
                                                  text.toString().left(40).toStdString() +
                                                  "\" is not a number in range");
        return true;
    }

    // The text of the current element; child elements are skipped.
    bool Text(std::string& text, size_t limit, const std::string& what) {
        const QString value = Xml.readElementText(QXmlStreamReader::SkipChildElements);
        if (Xml.hasError()) return XmlFailure("");
        if (static_cast<size_t>(value.size()) > limit)
            return Fail(TXmileFault::Invalid, what + " is too long");
        text = value.toStdString();
        return true;
    }

    bool Number(double& value, const std::string& what) {
        std::string text;
        if (!Text(text, 100, what)) return false;
        if (!ReadXmileNumber(text, value))
            return Fail(TXmileFault::Invalid,
                        what + " \"" + text.substr(0, 40) + "\" is not a number in range");
        return true;
    }

    bool RefuseIfNotEmpty(const std::string& construct) {
        const bool empty = !NextChild();
        if (Failed()) return false;
        if (!empty) return Fail(TXmileFault::Refused, construct);
        return true;
    }

    bool ReadHeader() {
        while (NextChild()) {
            const QStringView name = Name();
            std::string* into = name == QLatin1String("name")      ? &Records.Title
                                : name == QLatin1String("vendor")  ? &Records.Vendor
                                : name == QLatin1String("product") ? &Records.Product
                                                                   : nullptr;
            if (!into) {
                Xml.skipCurrentElement();
                continue;
            }
            if (!Text(*into, XmileMaxNameLength,
                      "the header's <" + name.toString().toStdString() + ">"))
                return false;
        }
        return !Failed();
    }

    bool ReadSimSpecs() {
        Records.Method = Attribute("method");
        Records.TimeUnits = Attribute("time_units");
        if (Records.TimeUnits.size() > XmileMaxNameLength)
            return Fail(TXmileFault::Invalid, "the time unit is too long");
        while (NextChild()) {
            const QStringView name = Name();
            if (name == QLatin1String("start")) {
                if (!Number(Records.Start, "the start time")) return false;
                Records.HasStart = true;
            } else if (name == QLatin1String("stop")) {
                if (!Number(Records.Stop, "the stop time")) return false;
                Records.HasStop = true;
            } else if (name == QLatin1String("dt")) {
                const bool reciprocal = Attribute("reciprocal") == "true";
                if (!Number(Records.Dt, "the time step")) return false;
                if (reciprocal) {
                    if (Records.Dt == 0) return Fail(TXmileFault::Invalid, "the time step is 1/0");
                    Records.Dt = 1 / Records.Dt;
                }
                Records.HasDt = true;
            } else {
                Xml.skipCurrentElement();
            }
        }
        return !Failed();
    }

    bool ReadModel() {
        while (NextChild()) {
            const QStringView name = Name();
            if (name == QLatin1String("sim_specs")) {
                if (!ReadSimSpecs()) return false;
            } else if (name == QLatin1String("variables")) {
                if (!ReadVariables()) return false;
            } else if (name == QLatin1String("views")) {
                if (!ReadViews()) return false;
            } else if (name == QLatin1String("dimensions")) {
                if (!RefuseIfNotEmpty("arrays (<dimensions>)")) return false;
            } else {
                Xml.skipCurrentElement();
            }
        }
        return !Failed();
    }

    bool ReadVariables() {
        while (NextChild()) {
            const QStringView name = Name();
            if (name == QLatin1String("stock") || name == QLatin1String("flow") ||
                name == QLatin1String("aux")) {
                if (Records.Variables.size() >= XmileMaxVariables)
                    return Fail(TXmileFault::Invalid, "the model has too many elements");
                if (!ReadVariable(name.toString().toStdString())) return false;
            } else if (name == QLatin1String("module")) {
                return Fail(TXmileFault::Refused,
                            "modules (<module name=\"" + Attribute("name") + "\">)");
            } else if (name == QLatin1String("gf")) {
                TXmileNamedGraph graph;
                graph.Name = Attribute("name");
                if (graph.Name.empty())
                    return Fail(TXmileFault::Invalid, "a graphical function <gf> has no name");
                if (graph.Name.size() > XmileMaxNameLength ||
                    Records.Graphs.size() >= XmileMaxVariables)
                    return Fail(TXmileFault::Invalid, "a graphical function's name is too long");
                if (!ReadGraph(graph.Graph, "Graphical function \"" + graph.Name + "\": "))
                    return false;
                Records.Graphs.push_back(std::move(graph));
            } else if (name == QLatin1String("macro")) {
                return Fail(TXmileFault::Refused,
                            "macros (<macro name=\"" + Attribute("name") + "\">)");
            } else {
                Xml.skipCurrentElement();
            }
        }
        return !Failed();
    }

    bool ReadVariable(const std::string& tag) {
        TXmileVariable v;
        v.Tag = tag;
        v.Name = Attribute("name");
        if (v.Name.empty()) return Fail(TXmileFault::Invalid, "a <" + tag + "> has no name");
        if (v.Name.size() > XmileMaxNameLength)
            return Fail(TXmileFault::Invalid, "a <" + tag + ">'s name is too long");
        const std::string who = "Element \"" + v.Name + "\": ";
        while (NextChild()) {
            const std::string name = Name().toString().toStdString();
            if (name == "eqn") {
                if (!Text(v.Equation, XmileMaxEquationLength, who + "the equation")) return false;
                v.HasEquation = true;
            } else if (name == "inflow" || name == "outflow") {
                std::string flow;
                if (!Text(flow, XmileMaxNameLength, who + "an " + name)) return false;
                if (v.Inflows.size() + v.Outflows.size() >= XmileMaxVariables)
                    return Fail(TXmileFault::Invalid, who + "too many flows");
                (name == "inflow" ? v.Inflows : v.Outflows).push_back(flow);
            } else if (name == "units") {
                if (!Text(v.Units, XmileMaxNameLength, who + "the units")) return false;
            } else if (name == "doc") {
                if (!Text(v.Doc, XmileMaxTextLength, who + "the documentation")) return false;
            } else if (name == "gf" && tag != "stock") {
                if (!ReadGraph(v.Graph, who)) return false;
                v.HasGraph = true;
            } else if (name == "non_negative") {
                std::string value;
                if (!Text(value, 100, who + "<non_negative>")) return false;
                // <non_negative/> says yes; a tool may also write the value.
                v.NonNegative = XmileNameKey(value) != "false" && XmileNameKey(value) != "0";
            } else if (name == "dimensions") {
                if (!RefuseIfNotEmpty(who + "arrays")) return false;
            } else if (name == "element") {
                return Fail(TXmileFault::Refused, who + "arrays");
            } else if (name == "conveyor") {
                return Fail(TXmileFault::Refused, who + "conveyors");
            } else if (name == "queue") {
                return Fail(TXmileFault::Refused, who + "queues");
            } else if (name == "gf" || name == "leak" || name == "multiplier" ||
                       name == "overflow" || name == "leak_integers") {
                return Fail(TXmileFault::Refused, who + "<" + name + "> in a " + tag);
            } else {
                Xml.skipCurrentElement();
            }
        }
        if (Failed()) return false;
        // A graphical function without an input is one to apply by name (as a lookup
        // table is written by some tools), not an element.
        if (v.HasGraph && v.Equation.find_first_not_of(" \t\r\n") == std::string::npos) {
            Records.Graphs.push_back({v.Name, std::move(v.Graph)});
            return true;
        }
        Records.Variables.push_back(std::move(v));
        return true;
    }

    bool List(std::vector<double>& values, const std::string& what) {
        std::string separator = Attribute("sep");
        if (separator.empty()) separator = ",";
        std::string text;
        if (!Text(text, XmileMaxTextLength, what)) return false;
        size_t start = 0;
        for (;;) {
            const size_t end = text.find(separator, start);
            const std::string item =
                text.substr(start, end == std::string::npos ? end : end - start);
            double value = 0;
            if (!ReadXmileNumber(item, value))
                return Fail(TXmileFault::Invalid,
                            what + " holds \"" + item.substr(0, 40) + "\", not a number in range");
            if (values.size() >= XmileMaxPoints)
                return Fail(TXmileFault::Invalid, what + " holds too many values");
            values.push_back(value);
            if (end == std::string::npos) break;
            start = end + separator.size();
        }
        return true;
    }

    bool ReadGraph(TXmileGraph& graph, const std::string& who) {
        graph.Type = Attribute("type");
        while (NextChild()) {
            const QStringView name = Name();
            if (name == QLatin1String("xscale")) {
                bool hasMin = false, hasMax = false;
                if (!NumberAttribute("min", graph.XMin, hasMin) ||
                    !NumberAttribute("max", graph.XMax, hasMax))
                    return false;
                graph.HasXScale = hasMin && hasMax;
                Xml.skipCurrentElement();
            } else if (name == QLatin1String("xpts")) {
                if (!List(graph.X, who + "the graphical function's x values")) return false;
            } else if (name == QLatin1String("ypts")) {
                if (!List(graph.Y, who + "the graphical function's y values")) return false;
            } else {
                Xml.skipCurrentElement();
            }
        }
        return !Failed();
    }

    bool ReadViews() {
        bool read = false;
        while (NextChild()) {
            const std::string type = Attribute("type");
            if (Name() == QLatin1String("view") && !read &&
                (type.empty() || type == "stock_flow")) {
                read = true;
                if (!ReadView()) return false;
            } else {
                Xml.skipCurrentElement();
            }
        }
        return !Failed();
    }

    bool ReadView() {
        while (NextChild()) {
            const std::string tag = Name().toString().toStdString();
            if (tag != "stock" && tag != "flow" && tag != "aux" && tag != "alias" &&
                tag != "connector") {
                Xml.skipCurrentElement();
                continue;
            }
            if (Records.Shapes.size() >= XmileMaxShapes)
                return Fail(TXmileFault::Invalid, "the view holds too many objects");
            TXmileShape shape;
            shape.Tag = tag;
            shape.Name = Attribute("name");
            shape.Uid = Attribute("uid");
            if (shape.Name.size() > XmileMaxNameLength || shape.Uid.size() > XmileMaxNameLength)
                return Fail(TXmileFault::Invalid, "a name in the view is too long");
            bool hasX = false, hasY = false;
            if (!NumberAttribute("x", shape.X, hasX) || !NumberAttribute("y", shape.Y, hasY))
                return false;
            shape.HasPosition = hasX && hasY;
            double angle = 0;
            if (!NumberAttribute("angle", angle, shape.HasAngle)) return false;
            shape.Angle = angle;
            while (NextChild()) {
                const QStringView name = Name();
                if (name == QLatin1String("pts")) {
                    if (!ReadPoints(shape)) return false;
                } else if (name == QLatin1String("of")) {
                    if (!Text(shape.Name, XmileMaxNameLength, "an alias's <of>")) return false;
                } else if (name == QLatin1String("from")) {
                    if (!ReadEnd(shape.From, shape.FromAlias)) return false;
                } else if (name == QLatin1String("to")) {
                    if (!ReadEnd(shape.To, shape.ToAlias)) return false;
                } else {
                    Xml.skipCurrentElement();
                }
            }
            if (Failed()) return false;
            Records.Shapes.push_back(std::move(shape));
        }
        return !Failed();
    }

    bool ReadPoints(TXmileShape& shape) {
        while (NextChild()) {
            if (Name() != QLatin1String("pt")) {
                Xml.skipCurrentElement();
                continue;
            }
            double x = 0, y = 0;
            bool hasX = false, hasY = false;
            if (!NumberAttribute("x", x, hasX) || !NumberAttribute("y", y, hasY)) return false;
            if (hasX && hasY) {
                if (shape.Points.size() >= XmileMaxPoints)
                    return Fail(TXmileFault::Invalid, "a flow's pipe has too many points");
                shape.Points.emplace_back(x, y);
            }
            Xml.skipCurrentElement();
        }
        return !Failed();
    }

    // A connector's end: an element's name as text, or an <alias uid="..."/>.
    bool ReadEnd(std::string& name, std::string& alias) {
        while (!Xml.atEnd()) {
            const QXmlStreamReader::TokenType token = Xml.readNext();
            if (token == QXmlStreamReader::Characters) {
                if (name.size() + static_cast<size_t>(Xml.text().size()) > XmileMaxNameLength)
                    return Fail(TXmileFault::Invalid, "a connector's end is too long");
                name += Xml.text().toString().toStdString();
            } else if (token == QXmlStreamReader::StartElement) {
                if (Name() == QLatin1String("alias")) alias = Attribute("uid");
                Xml.skipCurrentElement();
            } else if (token == QXmlStreamReader::EndElement) {
                break;
            }
        }
        if (Xml.hasError()) return XmlFailure("");
        while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back())))
            name.pop_back();
        while (!name.empty() && std::isspace(static_cast<unsigned char>(name.front())))
            name.erase(name.begin());
        return true;
    }

    QByteArray Bytes;
    QXmlStreamReader Xml;
    QString RootPrefix;
    TXmileRecords& Records;
    std::string& Error;
    TXmileFault& Fault;
};

} // namespace

bool ReadXmileRecords(std::string_view text, TXmileRecords& records, std::string& error,
                      TXmileFault& fault) {
    fault = TXmileFault::None;
    error.clear();
    TXmileXmlReader reader(text, records, error, fault);
    return reader.Read() && fault == TXmileFault::None;
}
