// SPDX-License-Identifier: GPL-3.0-or-later
// The samples along a straight line of the raster, one sample apart, with
// their distances from its start.
#include <algorithm>
#include <cmath>
#include <utility>

#include "geo/geodesy.h"

namespace dusk {

namespace {

// The part t0 <= t <= t1 of the points from + t (to - from), 0 <= t <= 1,
// that lies on the raster [0, width] x [0, height] (Liang and Barsky's
// clipping); none where the line misses it.
std::optional<std::pair<double, double>> OnRaster(const RasterPoint& from, const RasterPoint& to, int width,
                                                  int height) {
    const double dc = to.column - from.column;
    const double dr = to.row - from.row;
    const double toward[4] = {-dc, dc, -dr, dr};
    const double room[4] = {from.column, width - from.column, from.row, height - from.row};
    double t0 = 0.0;
    double t1 = 1.0;
    for (int side = 0; side < 4; ++side) {
        if (toward[side] == 0.0) {
            if (room[side] < 0.0) return std::nullopt;  // parallel to this side and beyond it
            continue;
        }
        const double t = room[side] / toward[side];
        if (toward[side] < 0.0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
    }
    if (t0 > t1) return std::nullopt;
    return std::pair{t0, t1};
}

bool Finite(const RasterPoint& point) { return std::isfinite(point.column) && std::isfinite(point.row); }

}  // namespace

Profile RasterGeodesy::ProfileAlong(const RasterPoint& from, const RasterPoint& to, int width, int height) const {
    Profile profile;
    if (!Finite(from) || !Finite(to) || width <= 0 || height <= 0) return profile;
    const std::optional<std::pair<double, double>> part = OnRaster(from, to, width, height);
    if (!part) return profile;

    // Point i of N = steps + 1 lies at t = i / steps; a point's sample is the
    // one it falls in, the raster's outer edges counted to its last row and
    // column.
    const double dc = to.column - from.column;
    const double dr = to.row - from.row;
    const double length = std::hypot(dc, dr);
    const double steps = std::ceil(length);
    constexpr double kSlack = 1e-9;  // keeps an end drawn exactly on the edge
    const double first = std::max(0.0, std::ceil(part->first * steps - kSlack));
    const double last = std::min(steps, std::floor(part->second * steps + kSlack));
    std::vector<RasterPoint> along;
    along.reserve(static_cast<std::size_t>(last - first + 1.0));
    profile.points.reserve(along.capacity());
    for (double i = first; i <= last; ++i) {
        const double t = steps > 0.0 ? i / steps : 0.0;
        const RasterPoint point{from.column + t * dc, from.row + t * dr};
        along.push_back(point);
        ProfilePoint sample;
        sample.distanceSamples = t * length;
        sample.column = std::clamp(static_cast<int>(std::floor(point.column)), 0, width - 1);
        sample.row = std::clamp(static_cast<int>(std::floor(point.row)), 0, height - 1);
        profile.points.push_back(sample);
    }

    const std::optional<LatLon> start = LatLonAt(from);
    if (!start) return profile;
    for (std::size_t i = 0; i < along.size(); ++i) {
        const std::optional<LatLon> place = LatLonAt(along[i]);
        if (!place) {  // the line leaves the map: in samples only
            for (ProfilePoint& point : profile.points) point.distanceKm = 0.0;
            return profile;
        }
        profile.points[i].distanceKm = body_->Between(*start, *place).km;
    }
    profile.inKilometres = true;
    return profile;
}

}  // namespace dusk
