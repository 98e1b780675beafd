// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace dusk {

// The map projection of an image as its label's IMAGE_MAP_PROJECTION object
// gives it. Angles in degrees, lengths in kilometres; offsets in pixels, as
// the label writes them. Turned into coordinates by geo/map_coordinates.
struct MapProjection {
    std::string type;  // as written, upper case, e.g. "POLAR STEREOGRAPHIC"
    double aAxisRadius = 0.0;
    double bAxisRadius = 0.0;
    double cAxisRadius = 0.0;
    double centerLatitude = 0.0;
    double centerLongitude = 0.0;
    std::optional<double> firstStandardParallel;
    std::optional<double> secondStandardParallel;
    double lineProjectionOffset = 0.0;
    double sampleProjectionOffset = 0.0;
    double mapScale = 0.0;               // km per pixel
    bool positiveLongitudeWest = false;  // POSITIVE_LONGITUDE_DIRECTION = WEST
    // A label that gives no offsets (flat keywords, bounds only): the outer
    // top left corner of the raster lies at the maximum latitude and the
    // minimum longitude, and the offsets follow from there.
    bool offsetsFromBounds = false;
    // How the figures were read where the label leaves it open, e.g. "X
    // along the lines, MAP_SCALE in metres per pixel"; empty when nothing is.
    std::string reading;
};

// A point on the body: degrees, north and east positive, longitude -180 to 180.
struct LatLon {
    double latitude = 0.0;
    double longitude = 0.0;
};

// A continuous position in a file's raster: (0, 0) is the outer top left
// corner of the first sample, the sample at column c, row r covers
// [c, c + 1) x [r, r + 1).
struct RasterPoint {
    double column = 0.0;
    double row = 0.0;
};

// The raster size a label's IMAGE object gives (LINES, LINE_SAMPLES).
struct LabelGeometry {
    int lines = 0;
    int lineSamples = 0;
};

}  // namespace dusk
