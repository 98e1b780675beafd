// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a keyword label says of the map its image is, as figures, in every
// dialect of the era: the PDS3 IMAGE_MAP_PROJECTION object with line and
// sample offsets, the IMAGE_MAP_PROJECTION_CATALOG object of the early
// Magellan CD-ROMs with X and Y axis offsets, and the flat keywords of the
// Arecibo and Goldstone radar images that give a projection type, a scale and
// the bounds only. Nothing here projects: geo/label_georeference turns the
// readings into coordinates and checks them against the bounds.

#include <optional>
#include <string>
#include <vector>

#include "core/map_projection.h"
#include "core/odl.h"

namespace dusk {

enum class LabelDialect {
    None,        // the label describes no map
    Pds3,        // IMAGE_MAP_PROJECTION, LINE_ and SAMPLE_PROJECTION_OFFSET
    Catalog,     // IMAGE_MAP_PROJECTION_CATALOG, X_ and Y_AXIS_PROJECTION_OFFSET
    FlatBounds,  // top-level MAP_PROJECTION_TYPE, MAP_SCALE and the bounds
};

// "PDS3 IMAGE_MAP_PROJECTION", "IMAGE_MAP_PROJECTION_CATALOG",
// "flat keywords, bounds only"; empty for None.
const char* DialectName(LabelDialect dialect);

// The latitude and longitude range a label gives (MINIMUM_LATITUDE ...
// MAXIMUM_LONGITUDE), in degrees as written: longitudes in the label's own
// direction, the minimum possibly above the maximum where the range crosses 0.
struct LabelBounds {
    double minimumLatitude = 0.0;
    double maximumLatitude = 0.0;
    double minimumLongitude = 0.0;
    double maximumLongitude = 0.0;
    // How far a bound may lie from the true one by the rounding of its last
    // written digit, in degrees.
    double rounding = 0.0;
};

struct LabelMap {
    LabelDialect dialect = LabelDialect::None;
    // The readings of the figures, the plain one first. They differ only where
    // the label leaves something open: which axis an X or Y offset runs
    // along, the unit of a MAP_SCALE written without one. Empty when the label
    // describes no map or its figures make no projection (see problem).
    std::vector<MapProjection> readings;
    std::optional<LabelBounds> bounds;
    // Why the figures make no projection: "MAP_SCALE is 0", "no
    // A_AXIS_RADIUS", "the projection MOLLWEIDE is not known"... Empty when
    // they make one, or when the label describes no map.
    std::string problem;
};

enum class BoundsAgreement {
    NoBounds,   // the label gives none, or there is no projection to check
    Agrees,     // the raster's edges lie within two pixels of the bounds
    Disagrees,  // they lie further off: see worstKilometres
};

// The georeference as the program understood it: of the readings, the one
// that agrees with the bounds over the raster the label describes; where
// none agrees, the plain reading, with how far off it is.
struct LabelGeoreference {
    LabelDialect dialect = LabelDialect::None;
    // The reading taken, offsets and scale as the program uses them; none
    // when the label describes no map or its figures make no projection.
    std::optional<MapProjection> projection;
    std::optional<LabelBounds> bounds;
    BoundsAgreement agreement = BoundsAgreement::NoBounds;
    // How far the bounds lie from where the projection puts the raster's
    // edges, at the worst, in kilometres.
    double worstKilometres = 0.0;
    // The raster the check ran over: the label's LINES x LINE_SAMPLES, else
    // the file's.
    int width = 0;
    int height = 0;
    // The outer corners of that raster: top left, top right, bottom right,
    // bottom left; none where the projection has no point there.
    std::vector<std::optional<LatLon>> corners;
    // For the status bar and the exporter's error output; empty when all is
    // well: "V0603.lbl: its corners lie 41 km from where its projection puts
    // them", or why the figures make no projection.
    std::string message;
};

// "V0603.lbl gives no map coordinates: MAP_SCALE is not above 0".
std::string NoCoordinatesMessage(const std::string& labelName, const std::string& why);

// Reads the map figures of `label`. Values in quotes, with or without units,
// and 'N/A' (absent) are understood; the first block of a kind counts.
LabelMap ReadLabelMap(const OdlLabel& label);

}  // namespace dusk
