#pragma once
// An ordered series of (time, value) points with tolerant lookup: the Sketched,
// Derived and Simulated data of an element, and the table of a lookup graph.

#include "core/persistence/FileItems.h"

#include <vector>

struct TDataPoint {
    double Time;
    double Value;
};

class TDataSeries : public TIOObject {
public:
    // Inserts keeping the order; a point at the same time (within the tolerance)
    // has its value replaced. Appending in time order takes constant time.
    void AddPoint(double time, double value);
    // The value at time: exact point, held end values, or interpolation (or the
    // earlier value when Stepwise). An empty series gives 0.
    double ValueAt(double time) const;
    // ValueAt for lookups that move forward a little at a time, as a delay's do: place
    // holds where the previous lookup landed and is updated. The result is ValueAt's.
    // noNaNTimes tells that the caller knows no point's time is NaN, which spares a look
    // at the first point (a cache miss in a long series).
    double ValueAtNear(double time, size_t& place, bool noNaNTimes = false) const;
    // Drops every point after the point at time; nothing changes when none is there.
    void TruncateAfter(double time);
    // Deletes the point at time, if any.
    void RemovePoint(double time);
    void Clear() { Points.clear(); }
    bool IsEmpty() const { return Points.empty(); }
    int32_t Count() const { return static_cast<int32_t>(Points.size()); }
    void Assign(const TDataSeries& other);

    void Save(TFileObject& file) override;
    void Load(TFileObject& file) override;

    std::vector<TDataPoint> Points;
    bool Stepwise = false;
    bool SpareFlag = false;
    double Origin = 0;
    double Interval = 1;

private:
    // Index of the first point whose time is the same as time, or -1.
    int32_t FindSame(double time) const;
    // Index of the first point whose time is not below time - tolerance.
    size_t LowerBound(double time) const;
    // LowerBound, searched from place.
    size_t LowerBoundNear(double time, size_t place, bool noNaNTimes) const;
    double ValueAtIndex(double time, size_t i) const;
};
