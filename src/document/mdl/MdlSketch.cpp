// A .mdl sketch as the builder's shapes. Each view is placed below the one before it; a
// variable at a valve is drawn at the valve, with its pipes running to the stocks and clouds
// the file joins it to; a name drawn again is an alias; an arrow between two elements is a
// connector leaving at the angle of the arc through its handle.
#include "document/mdl/MdlRecords.h"

#include "document/xmile/XmileRecords.h"

#include <cmath>
#include <limits>

namespace {

struct TPoint {
    double X = 0, Y = 0;
};

TPoint Along(TPoint from, TPoint to, double distance) {
    const double dx = to.X - from.X, dy = to.Y - from.Y;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length < 1) return from;
    return {from.X + dx * distance / length, from.Y + dy * distance / length};
}

// The direction, in degrees counter-clockwise with y up, in which the arc from a through
// handle to b leaves a; the chord's when the three lie on a line.
double LeavingAngle(TPoint a, TPoint handle, TPoint b) {
    const double chord = std::atan2(-(b.Y - a.Y), b.X - a.X) * 180 / M_PI;
    const double d = 2 * (a.X * (handle.Y - b.Y) + handle.X * (b.Y - a.Y) + b.X * (a.Y - handle.Y));
    const double span = std::hypot(b.X - a.X, b.Y - a.Y);
    if (std::fabs(d) < 1e-6 * std::max(1.0, span * span)) return chord;
    const double a2 = a.X * a.X + a.Y * a.Y, h2 = handle.X * handle.X + handle.Y * handle.Y,
                 b2 = b.X * b.X + b.Y * b.Y;
    const double cx = (a2 * (handle.Y - b.Y) + h2 * (b.Y - a.Y) + b2 * (a.Y - handle.Y)) / d;
    const double cy = (a2 * (b.X - handle.X) + h2 * (a.X - b.X) + b2 * (handle.X - a.X)) / d;
    double tx = -(a.Y - cy), ty = a.X - cx;
    if (tx * (handle.X - a.X) + ty * (handle.Y - a.Y) < 0) {
        tx = -tx;
        ty = -ty;
    }
    const double angle = std::atan2(-ty, tx) * 180 / M_PI;
    return std::isfinite(angle) ? angle : chord;
}

using TKey = std::pair<int, int>; // view, id

class TSketch {
public:
    TSketch(const TMdlFile& file, const TMdlSketchModel& model, std::vector<TXmileShape>& shapes)
        : File(file), Model(model), Shapes(shapes) {}

    void Build() {
        PlaceViews();
        IndexObjects();
        AddElements();
        AddNetFlows();
        AddConnectors();
    }

private:
    void PlaceViews() {
        // Views share their coordinates; each goes below the last one's lowest object.
        std::map<int, std::pair<double, double>> extent; // view -> top, bottom
        for (const TMdlObject& o : File.Objects) {
            if (o.Type == 1) continue;
            auto [it, fresh] = extent.try_emplace(o.View, o.Y - o.Height, o.Y + o.Height);
            if (!fresh) {
                it->second.first = std::min(it->second.first, o.Y - o.Height);
                it->second.second = std::max(it->second.second, o.Y + o.Height);
            }
        }
        bool first = true;
        double bottom = 0;
        for (const auto& [view, range] : extent) {
            const double offset = first ? 0 : bottom + 120 - range.first;
            Offset[view] = offset;
            bottom = range.second + offset;
            first = false;
        }
    }

    // Our shapes are larger than Vensim's: the sketch is spread out to keep them apart.
    static constexpr double Spread = 1.5;

    TPoint At(const TMdlObject& o) const {
        auto it = Offset.find(o.View);
        return {o.X * Spread, (o.Y + (it == Offset.end() ? 0 : it->second)) * Spread};
    }

    void IndexObjects() {
        const TMdlObject* valve = nullptr;
        for (const TMdlObject& o : File.Objects) {
            ById[{o.View, o.Id}] = &o;
            if (o.Type == 1) ArrowsFrom[{o.View, o.From}].push_back(&o);
            // The variable at a valve follows it.
            if (o.Type == 10 && (o.Shape & 32) && valve && valve->View == o.View) {
                ValveOf[&o] = valve;
                VariableAt[valve] = &o;
            }
            valve = o.Type == 11 ? &o : nullptr;
        }
        for (const TMdlObject& o : File.Objects) {
            if (o.Type != 10) continue;
            const TMdlSketchItem* item = Item(o);
            if (!item) continue;
            const std::string key = XmileNameKey(Unquote(o.Name));
            auto it = Main.find(key);
            // A flow's own picture is the one at its valve.
            if (it == Main.end() ||
                (item->Kind == 'f' && !ValveOf.count(it->second) && ValveOf.count(&o)))
                Main[key] = &o;
        }
    }

    static std::string Unquote(const std::string& name) {
        if (name.size() < 2 || name.front() != '"' || name.back() != '"') return name;
        std::string inner;
        for (size_t i = 1; i + 1 < name.size(); ++i) {
            if (name[i] == '\\' && i + 2 < name.size()) ++i;
            inner += name[i];
        }
        return inner;
    }

    const TMdlSketchItem* Item(const TMdlObject& o) const {
        if (o.Type != 10) return nullptr;
        auto it = Model.find(XmileNameKey(Unquote(o.Name)));
        return it == Model.end() ? nullptr : &it->second;
    }

    bool IsMain(const TMdlObject& o) const {
        auto it = Main.find(XmileNameKey(Unquote(o.Name)));
        return it != Main.end() && it->second == &o;
    }

    static std::string Uid(const TMdlObject& o) {
        return std::to_string(o.View) + "-" + std::to_string(o.Id);
    }

    const TMdlObject* Find(int view, int id) const {
        auto it = ById.find({view, id});
        return it == ById.end() ? nullptr : it->second;
    }

    void AddElements() {
        for (const TMdlObject& o : File.Objects) {
            const TMdlSketchItem* item = Item(o);
            if (!item) continue;
            TXmileShape shape;
            shape.Name = item->Name;
            shape.HasPosition = true;
            const bool main = IsMain(o);
            shape.Tag = !main               ? "alias"
                        : item->Kind == 's' ? "stock"
                        : item->Kind == 'f' ? "flow"
                                            : "aux";
            if (!main) shape.Uid = Uid(o);
            TPoint at = At(o);
            auto valve = ValveOf.find(&o);
            if (main && item->Kind == 'f' && valve != ValveOf.end()) {
                at = At(*valve->second);
                Pipes(*item, *valve->second, at, shape.Points);
            }
            shape.X = at.X;
            shape.Y = at.Y;
            Shapes.push_back(std::move(shape));
        }
    }

    // The two ends of a flow's pipe, source first: at a stock the edge toward the valve, at a
    // cloud the cloud. None when the file does not join both ends.
    void Pipes(const TMdlSketchItem& flow, const TMdlObject& valve, TPoint at,
               std::vector<std::pair<double, double>>& points) {
        bool hasSource = false, hasSink = false;
        TPoint source, sink;
        std::vector<std::pair<TPoint, bool>> clouds; // position, drawn as the source end
        auto arrows = ArrowsFrom.find({valve.View, valve.Id});
        if (arrows == ArrowsFrom.end()) return;
        for (const TMdlObject* pipe : arrows->second) {
            const TMdlObject& arrow = *pipe;
            const TMdlObject* end = Find(arrow.View, arrow.To);
            if (!end) continue;
            if (end->Type == 12) {
                clouds.emplace_back(At(*end), (arrow.Shape & 64) != 0);
                continue;
            }
            const TMdlSketchItem* item = Item(*end);
            if (!item || item->Kind != 's') continue;
            const std::string key = XmileNameKey(Unquote(end->Name));
            const TPoint edge = Along(At(*end), at, 28);
            if (key == flow.Source && !hasSource) {
                source = edge;
                hasSource = true;
            } else if (key == flow.Sink && !hasSink) {
                sink = edge;
                hasSink = true;
            }
        }
        for (const auto& [cloud, sourceEnd] : clouds) {
            if (!hasSource && (sourceEnd || hasSink) && flow.Source.empty()) {
                source = cloud;
                hasSource = true;
            } else if (!hasSink && flow.Sink.empty()) {
                sink = cloud;
                hasSink = true;
            }
        }
        if (!hasSource || !hasSink) return;
        points.emplace_back(source.X, source.Y);
        points.emplace_back(sink.X, sink.Y);
    }

    // A stock whose rate became one flow gets that flow's valve beside it, from a cloud.
    void AddNetFlows() {
        for (const auto& [key, item] : Model) {
            if (item.NetFlow.empty()) continue;
            auto main = Main.find(key);
            if (main == Main.end()) continue;
            const TPoint stock = At(*main->second);
            const TPoint valve{stock.X - 110, stock.Y};
            TXmileShape shape;
            shape.Tag = "flow";
            shape.Name = item.NetFlow;
            shape.HasPosition = true;
            shape.X = valve.X;
            shape.Y = valve.Y;
            const TPoint edge = Along(stock, valve, 28);
            shape.Points = {{valve.X - 70, valve.Y}, {edge.X, edge.Y}};
            Shapes.push_back(std::move(shape));
        }
    }

    // An arrow's end as an element: a variable, or the flow at a valve.
    const TMdlObject* Variable(const TMdlObject* o) const {
        if (!o) return nullptr;
        if (o->Type == 11) {
            auto it = VariableAt.find(o);
            if (it == VariableAt.end()) return nullptr;
            o = it->second;
        }
        // Only elements: a lookup, a control value or an unknown name drawn there is none.
        return Item(*o) ? o : nullptr;
    }

    void AddConnectors() {
        for (const TMdlObject& arrow : File.Objects) {
            if (arrow.Type != 1) continue;
            const TMdlObject* fromObject = Find(arrow.View, arrow.From);
            const TMdlObject* toObject = Find(arrow.View, arrow.To);
            // Pipes leave their valve for a stock or a cloud.
            if (fromObject && fromObject->Type == 11 && toObject &&
                (toObject->Type == 12 || (Item(*toObject) && Item(*toObject)->Kind == 's')))
                continue;
            const TMdlObject* from = Variable(fromObject);
            const TMdlObject* to = Variable(toObject);
            if (!from || !to || from == to) continue;
            TXmileShape shape;
            shape.Tag = "connector";
            shape.From = Item(*from)->Name;
            shape.To = Item(*to)->Name;
            if (!IsMain(*from)) shape.FromAlias = Uid(*from);
            if (!IsMain(*to)) shape.ToAlias = Uid(*to);
            // What feeds a stock's rate feeds the flow that the rate became.
            const TMdlSketchItem& target = *Item(*to);
            const std::string fromKey = XmileNameKey(Unquote(from->Name));
            if (!target.NetFlow.empty() && target.NetUses.count(fromKey) &&
                !target.Uses.count(fromKey)) {
                shape.To = target.NetFlow;
                shape.ToAlias.clear();
            } else if (!target.Uses.count(fromKey) && target.All.count(fromKey)) {
                continue; // it feeds a smooth or delay, whose stocks and flows stand apart
            }
            if (arrow.HasPoint && !(arrow.PointX == 0 && arrow.PointY == 0) &&
                shape.To == target.Name) {
                const TMdlObject& a = *fromObject;
                const TMdlObject& b = *toObject;
                shape.HasAngle = true;
                shape.Angle = LeavingAngle({a.X, a.Y}, {arrow.PointX, arrow.PointY}, {b.X, b.Y});
            }
            Shapes.push_back(std::move(shape));
        }
    }

    const TMdlFile& File;
    const TMdlSketchModel& Model;
    std::vector<TXmileShape>& Shapes;
    std::map<int, double> Offset;
    std::map<TKey, const TMdlObject*> ById;
    std::map<TKey, std::vector<const TMdlObject*>> ArrowsFrom; // by the object they leave
    std::map<const TMdlObject*, const TMdlObject*> ValveOf, VariableAt;
    std::map<std::string, const TMdlObject*> Main;
};

} // namespace

void MdlSketchShapes(const TMdlFile& file, const TMdlSketchModel& model,
                     std::vector<TXmileShape>& shapes) {
    TSketch sketch(file, model, shapes);
    sketch.Build();
}
