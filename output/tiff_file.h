// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The TIFF writer, through GDAL (library dusk_tiff, or the module
// duskmapper-geotiff that the exporter loads when it needs it).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/label_map.h"
#include "core/map_projection.h"
#include "core/readout.h"
#include "geo/picture_georeference.h"
#include "output/picture_file.h"

namespace dusk {

// An 8-bit grey TIFF file of the picture; a GeoTIFF when `georeference` is
// given.
bool EncodeTiff(const GreyPicture& picture, const std::optional<Georeference>& georeference,
                std::vector<std::uint8_t>& file, std::string& error);

// The module's one entry: a TIFF of the picture that `mapping` traces back to
// the file raster, georeferenced where `projection` (may be null) gives
// coordinates.
using EncodeGeoTiffFunction = bool (*)(const GreyPicture& picture, const MapProjection* projection,
                                       const DisplayMapping& mapping, std::vector<std::uint8_t>& file,
                                       std::string& error);
inline constexpr const char* kEncodeGeoTiffSymbol = "DuskEncodeGeoTiff";

// The module's other entry: the georeference of a label's map figures,
// checked against its bounds (geo's UnderstandLabelMap), for a program that
// does not link GDAL.
using UnderstandLabelMapFunction = void (*)(const LabelMap& map, int width, int height, const std::string& labelName,
                                            LabelGeoreference& answer);
inline constexpr const char* kUnderstandLabelMapSymbol = "DuskUnderstandLabelMap";

}  // namespace dusk
