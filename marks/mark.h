// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A measurement or mark a user made on one image, in the image file's own
// raster (file column and row, before orientation, reduction and zoom), with
// the figures it measured when it was made.
#include <cstdint>
#include <string>
#include <vector>

#include "core/map_projection.h"

namespace dusk {

enum class MarkKind {
    Point,     // one point
    Distance,  // a line of one or more segments
    Area,      // a polygon, closed from its last corner to its first
    Crater,    // a circle: points[0] its centre, `radius` in samples
    Profile,   // a line of two points
};

struct Mark {
    std::int64_t id = 0;  // the store's; 0 until stored
    MarkKind kind = MarkKind::Point;
    std::vector<RasterPoint> points;
    double radius = 0.0;  // a crater's, in samples of the file raster
    // What it measured, as the Measurements panel shows it: in kilometres
    // where `inKilometres`, else in samples.
    bool inKilometres = false;
    double latitude = 0.0;  // of its first point, or of a crater's centre
    double longitude = 0.0;
    double length = 0.0;    // a line's or profile's; an area's perimeter
    double diameter = 0.0;  // a crater's
    double area = 0.0;      // an area's (km^2 or samples^2)
    std::string note;
    std::string created;  // ISO 8601, UTC
};

}  // namespace dusk
