// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The entry of the module duskmapper-mosaic, which the exporter loads with
// GDAL only when it writes a mosaic.

#include <string>
#include <vector>

#include "load/load_image.h"

namespace dusk {

// Renders the tiles `paths` as `picture` asks on `threads` threads (0: one
// per core), places them into one mosaic and writes it to `output` (PNG for
// a .png name, else a COG GeoTIFF). `leftOut` says what was left out and why;
// false with `error` set when no mosaic was written.
using WriteMosaicFunction = bool (*)(const std::vector<std::string>& paths, const PictureSettings& picture,
                                     int threads, const std::string& output, std::vector<std::string>& leftOut,
                                     std::string& error);
inline constexpr const char* kWriteMosaicSymbol = "DuskWriteMosaic";

}  // namespace dusk
