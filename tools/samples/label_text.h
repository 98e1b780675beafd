// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The detached labels of the sample volume, in 78-character lines ending in
// CR LF, with code page 1250 letters in a quoted note: PDS3 labels with an
// IMAGE_MAP_PROJECTION object, and labels of the early Magellan CD-ROMs
// (an SFDU header, single-quoted values, unitless figures, an
// IMAGE_MAP_PROJECTION_CATALOG object whose END_OBJECT names nothing).

#include <optional>
#include <string>

#include "tools/samples/quad_map.h"

namespace dusk::samples {

// What a label says of its image apart from the map.
struct Product {
    std::string image;    // the image file name, e.g. "V0501.img"
    std::string id;       // "V0501"
    std::string volume;   // "V05"
    int lines = 0;        // whole lines the file holds
    int samples = 0;
    int missingLines = 0;
    bool browse = false;  // the whole quad reduced by 4
    const char* site = "";  // processing site, code page 1250
    int serial = 0;       // varies the orbit and times from label to label
    int lineCount = 0;    // pad with comment lines to this many lines at least
};

// The map of a label: the quad's projection, where the raster lies in it
// and its bounds.
struct RasterMap {
    const QuadMap* quad = nullptr;
    Placement placement;
    Bounds bounds;
};

// A PDS3 label; without a map, one with no projection object.
std::string Pds3Label(const Product& product, const std::optional<RasterMap>& map);
// A label of the early Magellan CD-ROMs.
std::string CatalogLabel(const Product& product, const RasterMap& map);

// One 78-character line and CR LF; throws std::logic_error for a longer one.
std::string Pad78(std::string line);

}  // namespace dusk::samples
