// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The mosaic of a quad: every tile rendered through the correction chain and
// placed by its georeference into one picture in the quad's projection. The
// plan (the grid and the tiles that take part, and what was left out and
// why), the render of one tile (safe on any thread), and the placing of a
// rendered tile into the canvas. Stored level 0 is no data: the canvas keeps
// a coverage byte beside each grey level.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "geo/map_coordinates.h"
#include "geo/quad.h"
#include "load/load_image.h"

namespace dusk {

// The mosaic's raster: north up, square pixels, in the projection of the
// quad's first georeferenced tile, at the finest scale of its tiles' pictures,
// on the lattice of that tile's picture.
struct MosaicGrid {
    std::string wkt;
    GeoTransform transform{};
    int width = 0;
    int height = 0;
    // The first georeferenced tile's coordinates, for latitude and longitude.
    std::shared_ptr<const MapCoordinates> coordinates;
};

struct MosaicTile {
    std::size_t index = 0;  // into Quad::tiles
    std::string path;
    // The part of the grid the tile's picture covers (its bounding box).
    int left = 0;
    int top = 0;
    int right = 0;   // one past
    int bottom = 0;  // one past
};

// A tile left out of the mosaic, or a part of it lost, in words for the user
// ("V0503.img has no label").
struct LeftOut {
    std::string name;
    std::string why;
};

struct MosaicPlan {
    std::string directory;
    Quad quad;
    PictureSettings picture;
    MosaicGrid grid;
    std::vector<MosaicTile> tiles;  // by tile number
    std::vector<LeftOut> leftOut;
};

// The mosaic of the quad of `imageName` among `names` of `directory`, with
// the pictures rendered as `picture` asks. No grid (width 0) when no tile has
// a georeference; leftOut then says why for each.
MosaicPlan PlanMosaic(const std::string& directory, const std::vector<std::string>& names,
                      const std::string& imageName, const PictureSettings& picture);

// The same for the tiles named by `paths` (any folders), as the exporter's
// command line gives them.
MosaicPlan PlanMosaicOf(const std::vector<std::string>& paths, const PictureSettings& picture);

// One tile's picture on the mosaic's grid: grey levels and coverage (255
// where the stored sample under the pixel is not 0), for the grid pixels
// from (left, top), width x height.
struct RenderedTile {
    std::size_t tile = 0;  // into MosaicPlan::tiles
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> grey;
    std::vector<std::uint8_t> coverage;
    bool resampled = false;  // through GDAL's warper, not by whole-pixel offset
    std::string failure;     // why there is no picture; empty when there is one
};

// Renders tile `tile` of the plan on a record of its own and brings it onto
// the grid: as it stands where its picture lies on the grid's lattice in the
// grid's projection and scale, else resampled through GDAL's warper. Safe to
// call from several threads at once.
RenderedTile RenderMosaicTile(const MosaicPlan& plan, std::size_t tile);

// The mosaic's pixels, top row first: grey levels, and the tile (1 + its
// index in the plan) whose data each pixel shows, 0 for no data. Where two
// tiles hold data the earlier one of the plan wins, whatever the order of
// placing.
struct MosaicCanvas {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> grey;
    std::vector<std::uint8_t> owner;

    MosaicCanvas() = default;
    explicit MosaicCanvas(const MosaicGrid& grid);
};

// Puts the tile's data into the canvas: a tile's data wins over blank; blank
// never covers data.
void PlaceTile(MosaicCanvas& canvas, const RenderedTile& tile);

// Renders and places every tile on `threads` threads (0: one per core);
// tiles that give no picture join plan.leftOut.
MosaicCanvas BuildMosaic(MosaicPlan& plan, int threads = 0);

// The point of tile `tile`'s file raster at grid point (x, y) (continuous
// grid pixels); none where the tile's projection has no point there.
std::optional<RasterPoint> MosaicFilePoint(const MosaicPlan& plan, std::size_t tile, double x, double y);

// The tile under grid point (x, y) and the point of its file raster: the
// earliest tile of the plan whose raster holds it.
struct MosaicSpot {
    std::size_t tile = 0;  // into MosaicPlan::tiles
    RasterPoint file;
};
std::optional<MosaicSpot> MosaicTileAt(const MosaicPlan& plan, double x, double y);

// Latitude and longitude of grid point (x, y).
std::optional<LatLon> MosaicLatLon(const MosaicGrid& grid, double x, double y);

// The writers. A COG GeoTIFF (tiled, with overviews, grey and an alpha band)
// through GDAL's COG driver; an 8-bit grey and alpha PNG through libpng.
// Both replace `path` only once the whole file is written.
bool WriteMosaicGeoTiff(const MosaicCanvas& canvas, const MosaicGrid& grid, const std::string& path,
                        std::string& error);
bool WriteMosaicPng(const MosaicCanvas& canvas, const std::string& path, std::string& error);

// The text that lists what the mosaic left out, one line each.
std::string LeftOutText(const std::vector<LeftOut>& leftOut);

}  // namespace dusk
