// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The driver's open options: the exporter's corrections and levels.

#include <optional>
#include <string>

#include "load/load_image.h"

namespace dusk {

struct OpenOptionsReading {
    // The picture asked for; none when no display option is given, so that
    // the band holds the stored samples.
    std::optional<PictureSettings> picture;
    // Why the options cannot be used; empty when they can.
    std::string error;
};

// Reads GDAL's NAME=VALUE open options (null for none): STRETCH, DESPECKLE,
// FLIP_VERTICALLY, ROTATE, INVERT, MINIMIZE_HALF, MINIMIZE_QUARTER and
// MISSING_LINES as YES or NO, CONTRAST, BRIGHTNESS and SHADING as whole
// numbers, ORIGINAL=YES alone. Names in any case; other names are GDAL's.
OpenOptionsReading ReadOpenOptions(const char* const* options);

// The options as GDAL's XML list for the driver's DMD_OPENOPTIONLIST.
std::string OpenOptionList();

}  // namespace dusk
