// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A quad of the volume as one map: its browse image (the whole quad reduced,
// named by the quad alone, "V05.img") and its full-resolution tiles
// ("V0501.img" ...), each with the georeference its label gives, read without
// rendering; the tiles' outlines on the browse image and the way back from a
// point of the browse image to the tile that holds it.
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>
#include "core/map_projection.h"

namespace dusk {

class MapCoordinates;

// "V05" of "V0501.img" or "V05.img": the first three characters of a browse
// or tile name; empty for other names.
std::string QuadIdOf(const std::string& name);
// Whether `name` is a browse image: three characters then ".img" or ".IMG".
bool IsBrowseName(const std::string& name);
// The tile number of "V0507.img" (7): five characters, the last two digits,
// then ".img" or ".IMG"; 0 for other names.
int TileNumberOf(const std::string& name);

// One image of a quad and where it lies.
struct QuadImage {
    std::string name;
    int tile = 0;  // 0 for the browse image
    // The raster the georeference applies to: the label's LINES x
    // LINE_SAMPLES, else the file's from its length.
    int width = 0;
    int height = 0;
    // Null where the image has no georeference; then `why` says why
    // ("V0503.img has no label", "V0503.lbl gives no map coordinates: ...").
    std::shared_ptr<const MapCoordinates> coordinates;
    std::string why;
};

// Reads the image `name` of `directory` and its label (the label's figures
// are cached by path, modification time and size, so asking again costs a
// file status). Never reads a folder, FIFO or device.
QuadImage ReadQuadImage(const std::string& directory, const std::string& name);

struct Quad {
    std::string id;
    std::optional<QuadImage> browse;
    std::vector<QuadImage> tiles;  // by tile number
};

// The quad of `imageName` among `names` (a folder's collection list, names
// only) of `directory`: its browse image if listed and its tiles. Empty id
// when `imageName` names no browse image or tile.
Quad QuadOf(const std::string& directory, const std::vector<std::string>& names, const std::string& imageName);

// A tile's outline on the browse image's file raster, clockwise from its top
// left corner: its four corners where both share a projection, else its edges
// with points between (so a curved edge stays curved). Empty where either
// has no georeference.
struct Footprint {
    int tile = 0;
    std::size_t index = 0;  // into Quad::tiles
    std::vector<RasterPoint> outline;
};
std::vector<Footprint> Footprints(const Quad& quad);

// The tile that holds the browse raster point (x, y), and the point in that
// tile's file raster; the first such tile when outlines overlap.
struct TileSpot {
    std::size_t index = 0;  // into Quad::tiles
    double column = 0.0;
    double row = 0.0;
};
std::optional<TileSpot> TileAt(const Quad& quad, double x, double y);

}  // namespace dusk
