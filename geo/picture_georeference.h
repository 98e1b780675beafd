// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The georeference of a rendered picture: the file raster's geotransform
// carried through the flip, the turn and the reduction that made the picture.

#include <optional>
#include <string>

#include "core/map_projection.h"
#include "core/readout.h"
#include "geo/map_coordinates.h"

namespace dusk {

struct Georeference {
    std::string wkt;
    GeoTransform transform{};
};

// The geotransform of the picture (x from the left, y from the top) whose
// samples `mapping` traces back to the file raster that `file` describes. On
// a reduced picture it also covers the grey field around it.
GeoTransform PictureTransform(const GeoTransform& file, const DisplayMapping& mapping);

// The reference system and the geotransform of the picture's samples, the
// part SampleArea gives: of a reduced picture, its pixels 2 or 4 file
// samples wide and placed where they lie, without the grey field. None
// when the projection gives no coordinates.
std::optional<Georeference> PictureGeoreference(const MapProjection& projection, const DisplayMapping& mapping);
// The same from coordinates already made (no PROJ set-up at all).
Georeference PictureGeoreference(const MapCoordinates& coordinates, const DisplayMapping& mapping);

}  // namespace dusk
