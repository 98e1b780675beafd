// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The exporter's TIFF writer and georeference check: the module
// duskmapper-geotiff, loaded with GDAL the first time a TIFF is written, so
// that bitmap and PNG exports never pay for loading GDAL's libraries.

#include <cstdint>
#include <string>
#include <vector>

#include "core/map_projection.h"
#include "core/readout.h"
#include "output/picture_file.h"

namespace dusk {

// A TIFF of the picture, a GeoTIFF where `projection` (may be null) gives
// coordinates; false with `error` set when the module cannot be loaded or the
// file not written. Safe to call from several threads at once.
bool EncodeTiffThroughModule(const GreyPicture& picture, const MapProjection* projection,
                             const DisplayMapping& mapping, std::vector<std::uint8_t>& file, std::string& error);

// The georeference check of every load (see SetGeoreferenceCheck) through
// the module: on the record bound to the calling thread, as geo's
// CheckLabelGeoreference. Where the module cannot be loaded, the plain
// reading stays, and Georeference.message says why it was not checked.
void CheckGeoreferenceThroughModule();

}  // namespace dusk
