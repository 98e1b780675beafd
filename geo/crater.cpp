// SPDX-License-Identifier: GPL-3.0-or-later
// Circles drawn on the raster, and the size on the body of the crater one
// outlines.
#include <cmath>
#include <numbers>

#include "geo/geodesy.h"

namespace dusk {

RasterCircle CircleFromCentre(const RasterPoint& centre, const RasterPoint& rim) {
    return {centre, std::hypot(rim.column - centre.column, rim.row - centre.row)};
}

std::optional<RasterCircle> CircleThrough(const RasterPoint& a, const RasterPoint& b, const RasterPoint& c) {
    // Worked out from `a`, which keeps the figures small for a small circle
    // far from the raster's origin.
    const double bx = b.column - a.column;
    const double by = b.row - a.row;
    const double cx = c.column - a.column;
    const double cy = c.row - a.row;
    const double cross = bx * cy - by * cx;
    // Three points in a line, up to an angle of a billionth of a radian.
    if (!(std::fabs(cross) > 1e-9 * std::hypot(bx, by) * std::hypot(cx, cy))) return std::nullopt;
    const double b2 = bx * bx + by * by;
    const double c2 = cx * cx + cy * cy;
    const double ux = (cy * b2 - by * c2) / (2.0 * cross);
    const double uy = (bx * c2 - cx * b2) / (2.0 * cross);
    return RasterCircle{{a.column + ux, a.row + uy}, std::hypot(ux, uy)};
}

CraterMeasure RasterGeodesy::Crater(const RasterCircle& rim) const {
    CraterMeasure crater;
    crater.diameterSamples = 2.0 * rim.radius;
    const std::optional<LatLon> centre = LatLonAt(rim.centre);
    if (!centre) return crater;
    double sum = 0.0;
    for (int k = 0; k < kCraterDiameters; ++k) {
        const double angle = std::numbers::pi * k / kCraterDiameters;
        const double dc = rim.radius * std::cos(angle);
        const double dr = rim.radius * std::sin(angle);
        for (const double side : {1.0, -1.0}) {
            const std::optional<LatLon> on = LatLonAt({rim.centre.column + side * dc, rim.centre.row + side * dr});
            if (!on) return crater;  // the rim leaves the map: in samples only
            sum += body_->Between(*centre, *on).km;
        }
    }
    crater.inKilometres = true;
    crater.centre = *centre;
    crater.diameterKm = sum / kCraterDiameters;
    return crater;
}

}  // namespace dusk
