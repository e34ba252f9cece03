#include "core/model/DataSeries.h"

#include "core/support/NumberFormat.h"

#include <algorithm>
#include <cmath>

static_assert(sizeof(TDataPoint) == 16, "a series point is two doubles");

size_t TDataSeries::LowerBound(double time) const {
    // Binary search over sorted times; gives the place the first-to-last scan would reach.
    size_t lo = 0, hi = Points.size();
    const double key = time - FloatTolerance;
    while (lo < hi) {
        size_t mid = lo + (hi - lo) / 2;
        if (Points[mid].Time < key)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

int32_t TDataSeries::FindSame(double time) const {
    size_t i = LowerBound(time);
    if (i < Points.size() && SameValue(Points[i].Time, time)) return static_cast<int32_t>(i);
    return -1;
}

void TDataSeries::AddPoint(double time, double value) {
    if (!Points.empty() && time - FloatTolerance > Points.back().Time) {
        Points.push_back({time, value});
        return;
    }
    size_t i = LowerBound(time);
    if (i < Points.size() && SameValue(Points[i].Time, time))
        Points[i].Value = value;
    else
        Points.insert(Points.begin() + static_cast<std::ptrdiff_t>(i), {time, value});
}

size_t TDataSeries::LowerBoundNear(double time, size_t place, bool noNaNTimes) const {
    // The answer is the one place where the point before lies below the key and this one
    // does not, which holds only while the times are in order; a NaN time (kept at the
    // front by AddPoint) breaks that, so such a series takes the binary search.
    const size_t n = Points.size();
    if (n == 0 || (!noNaNTimes && std::isnan(Points.front().Time))) return LowerBound(time);
    const double key = time - FloatTolerance;
    size_t i = std::min(place, n);
    for (int moves = 0; moves < 4; ++moves) {
        if (i < n && Points[i].Time < key)
            ++i;
        else if (i > 0 && !(Points[i - 1].Time < key))
            --i;
        else
            return i;
    }
    return LowerBound(time);
}

double TDataSeries::ValueAt(double time) const {
    if (Points.empty()) return 0;
    return ValueAtIndex(time, LowerBound(time));
}

double TDataSeries::ValueAtNear(double time, size_t& place, bool noNaNTimes) const {
    if (Points.empty()) return 0;
    place = LowerBoundNear(time, place, noNaNTimes);
    return ValueAtIndex(time, place);
}

double TDataSeries::ValueAtIndex(double time, size_t i) const {
    if (i < Points.size() && SameValue(Points[i].Time, time)) return Points[i].Value;
    if (i == 0) return Points.front().Value;
    if (i >= Points.size()) return Points.back().Value;
    const TDataPoint& a = Points[i - 1];
    const TDataPoint& b = Points[i];
    if (Stepwise) return a.Value;
    return a.Value + (time - a.Time) * (b.Value - a.Value) / (b.Time - a.Time);
}

void TDataSeries::TruncateAfter(double time) {
    int32_t i = FindSame(time);
    if (i >= 0) Points.resize(static_cast<size_t>(i) + 1);
}

void TDataSeries::RemovePoint(double time) {
    int32_t i = FindSame(time);
    if (i >= 0) Points.erase(Points.begin() + i);
}

void TDataSeries::Assign(const TDataSeries& other) {
    Points = other.Points;
    Stepwise = other.Stepwise;
    SpareFlag = other.SpareFlag;
    Origin = other.Origin;
    Interval = other.Interval;
}

void TDataSeries::Save(TFileObject& file) {
    TIOObject::Save(file);
    file.WriteBoolean(Stepwise);
    file.WriteBoolean(SpareFlag);
    file.WriteFloat(Origin);
    file.WriteFloat(Interval);
    file.WriteInteger(Count());
    if (file.IsCopy()) {
        file.NoteCopySource(*this);
        return;
    }
    for (const auto& p : Points) {
        file.WriteFloat(p.Time);
        file.WriteFloat(p.Value);
    }
}

void TDataSeries::Load(TFileObject& file) {
    Stepwise = file.ReadBoolean();
    if (!file.FileVersionLess("1.0.1", 3)) {
        SpareFlag = file.ReadBoolean();
        Origin = file.ReadFiniteFloat();
        Interval = file.ReadFiniteFloat();
    }
    int32_t n = file.ReadInteger();
    Points.clear();
    if (file.IsCopy()) {
        // The points of the original, exactly, without going through their text.
        const auto* source = dynamic_cast<const TDataSeries*>(&file.NextCopySource());
        if (!source || source->Count() != n)
            throw EFileException("An in-memory copy lost track of a series");
        Points = source->Points;
        return;
    }
    if (n <= 0) return;
    Points.reserve(std::min<size_t>(static_cast<size_t>(n), file.RemainingTokenCapacity() / 2));
    bool ordered = true;
    for (int32_t i = 0; i < n; ++i) {
        // A time that is not a number cannot be put in order; a value may well be NaN.
        double t = file.ReadFiniteFloat();
        double v = file.ReadFloat();
        if (!Points.empty() && !(t - FloatTolerance > Points.back().Time)) ordered = false;
        Points.push_back({t, v});
    }
    // Lookups rely on the order; a file that breaks it is put in order the way AddPoint would.
    if (!ordered) {
        std::vector<TDataPoint> read;
        read.swap(Points);
        for (const auto& p : read)
            AddPoint(p.Time, p.Value);
    }
}
