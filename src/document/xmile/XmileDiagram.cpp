// The first view of an XMILE document as our diagram: shapes at the view's centres, pipes
// from their source to their sink, aliases as clones, connectors as links. Whatever the
// view does not place goes on a tidy grid below the rest.
#include "document/xmile/XmileBuilder.h"

#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"

#include <algorithm>
#include <cmath>

namespace {

int32_t Coordinate(double value) {
    return static_cast<int32_t>(std::lround(value));
}

TDrawPoint Along(TDrawPoint from, TDrawPoint to, double distance) {
    const double dx = to.X - from.X, dy = to.Y - from.Y;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length < 1) return from;
    return {from.X + Coordinate(dx * distance / length),
            from.Y + Coordinate(dy * distance / length)};
}

} // namespace

TVariableInstance* TXmileBuilder::MainShape(TVariableObject* element) const {
    auto it = Shapes.find(element);
    return it == Shapes.end() ? nullptr : it->second;
}

void TXmileBuilder::PlacePipes(TFlowInstance* valve,
                               const std::vector<std::pair<double, double>>& points) {
    TVariableObject* flow = valve->Var();
    auto end = [&](const std::map<TVariableObject*, TVariableObject*>& ends) {
        auto it = ends.find(flow);
        return it == ends.end() ? nullptr : MainShape(it->second);
    };
    TVariableInstance* source = end(FlowSource);
    TVariableInstance* sink = end(FlowSink);
    const TDrawPoint centre = valve->Position;
    // Without the view's points a pipe meets a stock at its edge, on the side of the valve.
    TDrawPoint from =
        source ? Along(source->Position, centre, 28) : TDrawPoint{centre.X - 68, centre.Y};
    TDrawPoint to = sink ? Along(sink->Position, centre, 28) : TDrawPoint{centre.X + 68, centre.Y};
    // A cloud lies opposite the stock at the other end, so that the pipe runs straight.
    if (!source && sink && !(sink->Position == centre))
        from = Along(centre, centre - (sink->Position - centre), 68);
    if (!sink && source && !(source->Position == centre))
        to = Along(centre, centre - (source->Position - centre), 68);
    if (points.size() >= 2) {
        from = {Coordinate(points.front().first), Coordinate(points.front().second)};
        to = {Coordinate(points.back().first), Coordinate(points.back().second)};
    }
    valve->Direction = to.X < from.X ? -1 : 1;

    TLinkInstance* in = valve->Inflow();
    TLinkInstance* out = valve->Outflow();
    const TDrawPoint inEnd = from == centre ? centre : Along(centre, from, 38);
    const TDrawPoint outStart = to == centre ? centre : Along(centre, to, 38);
    in->FromElement.SetTarget(source);
    in->StartOffset = from - (source ? source->Position : centre);
    in->EndOffset = inEnd - centre;
    out->ToElement.SetTarget(sink);
    out->StartOffset = outStart - centre;
    out->EndOffset = to - (sink ? sink->Position : centre);
    for (TLinkInstance* pipe : {in, out}) {
        const TDrawPoint a = pipe->StartPoint(), b = pipe->EndPoint();
        pipe->StartControl = {(b.X - a.X) / 3, (b.Y - a.Y) / 3};
        pipe->EndControl = -pipe->StartControl;
        pipe->InvalidateBounds();
    }
}

bool TXmileBuilder::BuildDiagram() {
    TDrawImage& image = Result.Document->Image();
    auto find = [&](const std::string& name) -> TVariableObject* {
        auto it = ByKey.find(XmileReferenceKey(name));
        return it == ByKey.end() ? nullptr : it->second;
    };
    std::map<TVariableObject*, const TXmileShape*> flowShapes;
    std::map<std::string, TVariableInstance*> aliases;
    auto add = [&](TVariableObject* element, int32_t x, int32_t y, bool clone) {
        TVariableInstance* shape = element->Kind == ekFlow && !clone
                                       ? image.AddFlow(x, y, element)
                                       : image.AddElement(x, y, clone, element);
        if (!clone) Shapes[element] = shape;
        return shape;
    };

    bool placed = false;
    int32_t left = 0, bottom = 0;
    for (const TXmileShape& shape : Records.Shapes) {
        if (shape.Tag == "connector" || !shape.HasPosition) continue;
        TVariableObject* element = find(shape.Name);
        // A graphical function applied by name has no element to show.
        if (!element && FindNamedGraph(XmileReferenceKey(shape.Name))) continue;
        if (!element) {
            // A picture of nothing computes nothing: the diagram goes without it.
            Result.Warnings.push_back("The view shows \"" + shape.Name +
                                      "\", which is no element of the model; it is left out.");
            continue;
        }
        const int32_t x = Coordinate(shape.X), y = Coordinate(shape.Y);
        // A flow has one valve; a second picture of anything else is a clone.
        const bool clone = shape.Tag == "alias" || MainShape(element);
        if (clone && element->Kind == ekFlow && shape.Tag != "alias") continue;
        TVariableInstance* added = add(element, x, y, clone);
        if (shape.Tag == "alias" && !shape.Uid.empty()) aliases[shape.Uid] = added;
        if (!clone && element->Kind == ekFlow) flowShapes[element] = &shape;
        left = placed ? std::min(left, x) : x;
        bottom = placed ? std::max(bottom, y) : y;
        placed = true;
    }

    // Elements without a place of their own, in model order, on a grid below the rest.
    const int32_t gridLeft = placed ? std::max(left, 60) : 100;
    const int32_t gridTop = placed ? bottom + 140 : 100;
    // The resources and flows of one expansion stay on one row, so that their pipes run
    // straight.
    constexpr int32_t Columns = 8;
    std::map<int, int32_t> groupSizes;
    for (TVariableObject* element : Model->Variables)
        if (!MainShape(element) && Groups.count(element)) ++groupSizes[Groups[element]];
    int32_t column = 0, row = 0;
    int group = 0;
    for (TVariableObject* element : Model->Variables) {
        if (MainShape(element)) continue;
        auto it = Groups.find(element);
        if (it != Groups.end() && it->second != group) {
            group = it->second;
            if (column > 0 && column + groupSizes[group] > Columns) {
                column = 0;
                ++row;
            }
        }
        add(element, gridLeft + column * 160, gridTop + row * 120, false);
        if (++column == Columns) {
            column = 0;
            ++row;
        }
    }

    static const std::vector<std::pair<double, double>> noPoints;
    for (TVariableObject* element : Model->Variables) {
        if (element->Kind != ekFlow) continue;
        auto it = flowShapes.find(element);
        PlacePipes(static_cast<TFlowInstance*>(MainShape(element)),
                   it == flowShapes.end() ? noPoints : it->second->Points);
    }

    for (const TXmileShape& shape : Records.Shapes) {
        if (shape.Tag != "connector") continue;
        auto end = [&](const std::string& name, const std::string& alias) -> TVariableInstance* {
            if (!alias.empty()) {
                auto it = aliases.find(alias);
                return it == aliases.end() ? nullptr : it->second;
            }
            TVariableObject* element = find(name);
            return element ? MainShape(element) : nullptr;
        };
        TVariableInstance* from = end(shape.From, shape.FromAlias);
        TVariableInstance* to = end(shape.To, shape.ToAlias);
        if (!from || !to) {
            // A connector from the clock (or from anything that is no element here) draws
            // nothing for us.
            const bool fromMissing = !from;
            const std::string& name = fromMissing ? shape.From : shape.To;
            const std::string& alias = fromMissing ? shape.FromAlias : shape.ToAlias;
            const std::string key = XmileReferenceKey(name);
            if (alias.empty() &&
                (key == "time" || key == "dt" || key == "starttime" || key == "stoptime"))
                continue;
            Result.Warnings.push_back(
                "A connector " + std::string(fromMissing ? "from" : "to") + " " +
                (alias.empty() ? "\"" + name + "\", which is no element of the model,"
                               : "the alias " + alias + ", which the view lacks,") +
                " is left out.");
            continue;
        }
        if (!LinkFor(from, to)) {
            if (from->Var() != to->Var() && !EquationUses(from->Var(), to->Var()))
                Result.Warnings.push_back("The connector from " + from->Var()->Name + " to " +
                                          to->Var()->Name + " is left out: the equation of " +
                                          to->Var()->Name + " does not use " + from->Var()->Name +
                                          ".");
            continue;
        }
        // The view gives the angle at the start in degrees, counter-clockwise with y up.
        const TDrawPoint start = Along(from->Position, to->Position, 30);
        const TDrawPoint finish =
            Along(to->Position, from->Position, to->Var()->Kind == ekFlow ? 42 : 34);
        auto link = std::make_unique<TLinkInstance>();
        link->Owner = &image;
        link->Kind = lkInformation;
        link->FromElement.SetTarget(from);
        link->ToElement.SetTarget(to);
        link->StartOffset = start - from->Position;
        link->EndOffset = finish - to->Position;
        const double dx = finish.X - start.X, dy = finish.Y - start.Y;
        const double third = std::sqrt(dx * dx + dy * dy) / 3;
        const double chord = std::atan2(-dy, dx);
        const double angle = shape.HasAngle ? shape.Angle * M_PI / 180 : chord;
        // A circular arc leaves the chord at the start by as much as it meets it at the end.
        const double endAngle = 2 * chord - angle;
        link->StartControl = {Coordinate(third * std::cos(angle)),
                              Coordinate(-third * std::sin(angle))};
        link->EndControl = {Coordinate(-third * std::cos(endAngle)),
                            Coordinate(third * std::sin(endAngle))};
        image.Links.AddItem(std::move(link));
    }
    return true;
}

bool TXmileBuilder::EquationUses(TVariableObject* source, TVariableObject* target) {
    for (TDependency* dependency : target->Dependencies)
        if (dependency->IsInformationLink() && dependency->Source.GetTarget() == source)
            return true;
    return false;
}

bool TXmileBuilder::LinkFor(TVariableInstance* from, TVariableInstance* to) {
    TVariableObject* source = from->Var();
    TVariableObject* target = to->Var();
    if (!source || !target || source == target || !EquationUses(source, target)) return false;
    // One drawn link per pair of shapes.
    for (TLinkInstance* link : Result.Document->Image().Links)
        if (!link->IsPipe() && link->From() == from && link->To() == to) return false;
    return true;
}
