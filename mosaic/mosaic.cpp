// SPDX-License-Identifier: GPL-3.0-or-later
#include "mosaic/mosaic.h"

#include <gdal.h>
#include <gdalwarper.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>
#include <mutex>
#include <thread>

#include "core/image_state.h"
#include "core/paths.h"
#include "core/readout.h"
#include "geo/picture_georeference.h"
#include "output/picture_file.h"

namespace dusk {

// GDAL's MEM, GTiff and COG drivers, registered once (mosaic_file.cpp).
void RegisterMosaicDrivers();

namespace {

std::string JoinPath(const std::string& directory, const std::string& name) {
    if (directory.empty()) return name;
    return directory.back() == '/' ? directory + name : directory + "/" + name;
}

// The largest grid a mosaic is made on: far beyond any quad, short of what a
// label with absurd bounds could ask for.
constexpr double kMostPixels = 128e6;
// How close to a whole pixel an offset must be to count as one.
constexpr double kOnLattice = 1e-6;

struct Box {
    double minX = std::numeric_limits<double>::infinity();
    double minY = std::numeric_limits<double>::infinity();
    double maxX = -std::numeric_limits<double>::infinity();
    double maxY = -std::numeric_limits<double>::infinity();
    void Add(double x, double y) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
    bool Empty() const { return !(minX <= maxX && minY <= maxY); }
};

MapPoint Apply(const GeoTransform& t, double column, double row) {
    return {t[0] + column * t[1] + row * t[2], t[3] + column * t[4] + row * t[5]};
}

RasterPoint Invert(const GeoTransform& t, double x, double y) {
    const double det = t[1] * t[5] - t[2] * t[4];
    const double dx = x - t[0];
    const double dy = y - t[3];
    return {(t[5] * dx - t[2] * dy) / det, (t[1] * dy - t[4] * dx) / det};
}

// The geotransform of a tile's picture as rendered with `picture`, and its size.
struct PictureFrame {
    GeoTransform transform{};
    int width = 0;
    int height = 0;
};

std::optional<PictureFrame> FrameOf(const QuadImage& tile, const PictureSettings& picture) {
    const DisplayMapping mapping = MappingFor(picture.options, tile.width, tile.height, picture.original);
    const std::optional<Georeference> georeference = PictureGeoreference(tile.coordinates->Projection(), mapping);
    if (!georeference) return std::nullopt;
    const PictureArea area = SampleArea(mapping);
    return PictureFrame{georeference->transform, area.width, area.height};
}

// Points along the outline of a w x h raster, `steps` per edge.
template <typename Visit>
void AlongOutline(double w, double h, int steps, Visit visit) {
    const RasterPoint corners[5] = {{0, 0}, {w, 0}, {w, h}, {0, h}, {0, 0}};
    for (int edge = 0; edge < 4; ++edge) {
        for (int s = 0; s < steps; ++s) {
            const double f = static_cast<double>(s) / steps;
            visit(corners[edge].column + f * (corners[edge + 1].column - corners[edge].column),
                  corners[edge].row + f * (corners[edge + 1].row - corners[edge].row));
        }
    }
}

// Map metres of tile's raster point in the grid's projection.
std::optional<MapPoint> ToGridMetres(const MosaicGrid& grid, const MapCoordinates& tile, const GeoTransform& t,
                                     double column, double row) {
    const MapPoint p = Apply(t, column, row);
    if (tile.Wkt() == grid.wkt) return p;
    const RasterPoint file = Invert(tile.FileTransform(), p.x, p.y);
    const std::optional<LatLon> position = tile.AtPoint(file.column, file.row);
    if (!position) return std::nullopt;
    return grid.coordinates->ToMap(*position);
}

// The box of a picture in grid metres; empty where no point of it maps.
Box BoxOf(const MosaicGrid& grid, const MapCoordinates& tile, const PictureFrame& frame) {
    Box box;
    const bool same = tile.Wkt() == grid.wkt;
    AlongOutline(frame.width, frame.height, same ? 1 : 32, [&](double column, double row) {
        if (const std::optional<MapPoint> p = ToGridMetres(grid, tile, frame.transform, column, row)) {
            box.Add(p->x, p->y);
        }
    });
    return box;
}

bool Whole(double value) { return std::abs(value - std::round(value)) < kOnLattice; }

// Whether the picture lies on the grid's lattice in its projection and scale,
// and its top left pixel's place on the grid.
bool OnLattice(const MosaicGrid& grid, const std::string& wkt, const GeoTransform& t, int& left, int& top) {
    const GeoTransform& g = grid.transform;
    const double pixel = g[1];
    if (wkt != grid.wkt || std::abs(t[2]) > kOnLattice * pixel || std::abs(t[4]) > kOnLattice * pixel ||
        std::abs(t[1] - g[1]) > kOnLattice * pixel || std::abs(t[5] - g[5]) > kOnLattice * pixel) {
        return false;
    }
    const double x = (t[0] - g[0]) / g[1];
    const double y = (t[3] - g[3]) / g[5];
    if (!Whole(x) || !Whole(y)) return false;
    left = static_cast<int>(std::lround(x));
    top = static_cast<int>(std::lround(y));
    return true;
}

MosaicPlan PlanOfQuad(const std::string& directory, Quad quad, std::vector<std::string> paths,
                      const PictureSettings& picture) {
    MosaicPlan plan;
    plan.directory = directory;
    plan.picture = picture;
    plan.quad = std::move(quad);
    struct Candidate {
        std::size_t index;
        PictureFrame frame;
    };
    std::vector<Candidate> candidates;
    // Tile numbers missing below the highest one present.
    int highest = 0;
    for (const QuadImage& tile : plan.quad.tiles) highest = std::max(highest, tile.tile);
    for (int number = 1; number < highest; ++number) {
        if (std::any_of(plan.quad.tiles.begin(), plan.quad.tiles.end(),
                        [number](const QuadImage& tile) { return tile.tile == number; })) {
            continue;
        }
        const std::string& like = plan.quad.tiles.front().name;
        const std::string name = like.substr(0, 3) + (number < 10 ? "0" : "") + std::to_string(number) + like.substr(5);
        plan.leftOut.push_back({name, name + " is not in the folder"});
    }
    for (std::size_t i = 0; i < plan.quad.tiles.size(); ++i) {
        const QuadImage& tile = plan.quad.tiles[i];
        if (!tile.coordinates) {
            plan.leftOut.push_back({tile.name, tile.why});
            continue;
        }
        const std::optional<PictureFrame> frame = FrameOf(tile, picture);
        if (!frame || frame->width <= 0 || frame->height <= 0) {
            plan.leftOut.push_back({tile.name, tile.name + " gives no picture to place"});
            continue;
        }
        candidates.push_back({i, *frame});
    }
    if (candidates.empty()) return plan;

    MosaicGrid& grid = plan.grid;
    const QuadImage& first = plan.quad.tiles[candidates.front().index];
    grid.coordinates = first.coordinates;
    grid.wkt = first.coordinates->Wkt();
    double pixel = std::numeric_limits<double>::infinity();
    for (const Candidate& c : candidates) {
        const GeoTransform& t = c.frame.transform;
        pixel = std::min(pixel, std::sqrt(std::abs(t[1] * t[5] - t[2] * t[4])));
    }
    // The lattice: the first tile's picture origin, in steps of the pixel.
    const double originX = candidates.front().frame.transform[0];
    const double originY = candidates.front().frame.transform[3];
    grid.transform = {originX, pixel, 0.0, originY, 0.0, -pixel};

    std::vector<Box> boxes;
    Box all;
    for (std::size_t k = 0; k < candidates.size(); ++k) {
        const QuadImage& tile = plan.quad.tiles[candidates[k].index];
        const Box box = BoxOf(grid, *tile.coordinates, candidates[k].frame);
        boxes.push_back(box);
        if (box.Empty()) continue;
        all.Add(box.minX, box.minY);
        all.Add(box.maxX, box.maxY);
    }
    if (all.Empty()) return plan;
    const double left = originX + std::floor((all.minX - originX) / pixel + kOnLattice) * pixel;
    const double top = originY + std::ceil((all.maxY - originY) / pixel - kOnLattice) * pixel;
    const double width = std::ceil((all.maxX - left) / pixel - kOnLattice);
    const double height = std::ceil((top - all.minY) / pixel - kOnLattice);
    if (width * height > kMostPixels || width < 1 || height < 1) {
        for (const Candidate& c : candidates) {
            const QuadImage& tile = plan.quad.tiles[c.index];
            plan.leftOut.push_back({tile.name, tile.name + ": the tiles together span more than a mosaic holds"});
        }
        grid = {};
        return plan;
    }
    grid.transform[0] = left;
    grid.transform[3] = top;
    grid.width = static_cast<int>(width);
    grid.height = static_cast<int>(height);

    for (std::size_t k = 0; k < candidates.size(); ++k) {
        const QuadImage& tile = plan.quad.tiles[candidates[k].index];
        const Box& box = boxes[k];
        if (box.Empty()) {
            plan.leftOut.push_back({tile.name, tile.name + " lies where the quad's projection has no point"});
            continue;
        }
        MosaicTile placed;
        placed.index = candidates[k].index;
        placed.path = paths.empty() ? JoinPath(directory, tile.name) : paths[candidates[k].index];
        placed.left = std::clamp(static_cast<int>(std::floor((box.minX - left) / pixel + kOnLattice)), 0, grid.width);
        placed.right = std::clamp(static_cast<int>(std::ceil((box.maxX - left) / pixel - kOnLattice)), 0, grid.width);
        placed.top = std::clamp(static_cast<int>(std::floor((top - box.maxY) / pixel + kOnLattice)), 0, grid.height);
        placed.bottom =
            std::clamp(static_cast<int>(std::ceil((top - box.minY) / pixel - kOnLattice)), 0, grid.height);
        plan.tiles.push_back(std::move(placed));
    }
    return plan;
}

// A MEM dataset of w x h byte bands over the buffers `bands`.
GDALDatasetH MemoryDataset(int w, int h, const std::vector<std::uint8_t*>& bands) {
    RegisterMosaicDrivers();
    GDALDriverH mem = GDALGetDriverByName("MEM");
    if (mem == nullptr) return nullptr;
    GDALDatasetH dataset = GDALCreate(mem, "", w, h, 0, GDT_Byte, nullptr);
    if (dataset == nullptr) return nullptr;
    for (std::uint8_t* band : bands) {
        char pointer[64];
        std::snprintf(pointer, sizeof pointer, "DATAPOINTER=%p", static_cast<void*>(band));
        char* options[] = {pointer, nullptr};
        if (GDALAddBand(dataset, GDT_Byte, options) != CE_None) {
            GDALClose(dataset);
            return nullptr;
        }
    }
    return dataset;
}

// Resamples the picture (grey, coverage) with geotransform `t` in `wkt` onto
// the part of the grid the tile covers, through GDAL's warper.
bool Resample(const MosaicGrid& grid, const MosaicTile& place, int w, int h, std::vector<std::uint8_t>& grey,
              std::vector<std::uint8_t>& coverage, const std::string& wkt, const GeoTransform& t,
              RenderedTile& out, std::string& why) {
    out.left = place.left;
    out.top = place.top;
    out.width = place.right - place.left;
    out.height = place.bottom - place.top;
    out.resampled = true;
    const std::size_t n = static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height);
    out.grey.assign(n, 0);
    out.coverage.assign(n, 0);
    if (n == 0) return true;
    GDALDatasetH source = MemoryDataset(w, h, {grey.data(), coverage.data()});
    GDALDatasetH target = MemoryDataset(out.width, out.height, {out.grey.data(), out.coverage.data()});
    bool ok = source != nullptr && target != nullptr;
    if (ok) {
        GeoTransform st = t;
        GDALSetGeoTransform(source, st.data());
        GDALSetProjection(source, wkt.c_str());
        GDALSetRasterColorInterpretation(GDALGetRasterBand(source, 2), GCI_AlphaBand);
        GeoTransform dt = grid.transform;
        dt[0] += place.left * dt[1];
        dt[3] += place.top * dt[5];
        GDALSetGeoTransform(target, dt.data());
        GDALSetProjection(target, grid.wkt.c_str());
        GDALSetRasterColorInterpretation(GDALGetRasterBand(target, 2), GCI_AlphaBand);
    }
    void* transformer = ok ? GDALCreateGenImgProjTransformer2(source, target, nullptr) : nullptr;
    ok = ok && transformer != nullptr;
    if (ok) {
        GDALWarpOptions* options = GDALCreateWarpOptions();
        options->hSrcDS = source;
        options->hDstDS = target;
        options->nBandCount = 1;
        options->panSrcBands = static_cast<int*>(CPLMalloc(sizeof(int)));
        options->panDstBands = static_cast<int*>(CPLMalloc(sizeof(int)));
        options->panSrcBands[0] = 1;
        options->panDstBands[0] = 1;
        options->nSrcAlphaBand = 2;
        options->nDstAlphaBand = 2;
        options->eResampleAlg = GRA_Bilinear;
        options->pfnTransformer = GDALGenImgProjTransform;
        options->pTransformerArg = transformer;
        GDALWarpOperation operation;
        ok = operation.Initialize(options) == CE_None &&
             operation.ChunkAndWarpImage(0, 0, out.width, out.height) == CE_None;
        GDALDestroyWarpOptions(options);
        GDALDestroyGenImgProjTransformer(transformer);
    }
    if (source != nullptr) GDALClose(source);
    if (target != nullptr) GDALClose(target);
    if (!ok) {
        why = std::string("GDAL's warper failed: ") + CPLGetLastErrorMsg();
        return false;
    }
    // Half covered or more counts as data.
    for (std::uint8_t& c : out.coverage) c = c >= 128 ? 255 : 0;
    return true;
}

bool StoredData(const ImageState& s, const FilePoint& point) {
    const std::int64_t at = static_cast<std::int64_t>(point.row) * s.ImageWidth + point.column;
    return point.kind == PointKind::Sample && at >= 0 && at < s.FileLength &&
           s.OriginalImage[static_cast<std::size_t>(at)] != 0;
}

// Coverage of the picture's sample area from the stored samples of the
// record: 0, or beyond the file's data, is none. Along a row the file point
// moves by one step; where a row's ends confirm it, the row is walked so,
// else sample by sample through MapToFile.
std::vector<std::uint8_t> CoverageOf(const DisplayMapping& mapping, const PictureArea& area) {
    const ImageState& s = State();
    std::vector<std::uint8_t> coverage(static_cast<std::size_t>(area.width) * static_cast<std::size_t>(area.height));
    for (int y = 0; y < area.height; ++y) {
        std::uint8_t* out = coverage.data() + static_cast<std::size_t>(y) * area.width;
        const int py = area.y + y;
        const FilePoint first = MapToFile(mapping, area.x, py);
        const FilePoint second = MapToFile(mapping, area.x + 1, py);
        const FilePoint last = MapToFile(mapping, area.x + area.width - 1, py);
        const int stepColumn = second.column - first.column;
        const int stepRow = second.row - first.row;
        const bool straight = area.width > 1 && first.kind == PointKind::Sample && last.kind == PointKind::Sample &&
                              last.column == first.column + (area.width - 1) * stepColumn &&
                              last.row == first.row + (area.width - 1) * stepRow;
        if (!straight) {
            for (int x = 0; x < area.width; ++x) out[x] = StoredData(s, MapToFile(mapping, area.x + x, py)) ? 255 : 0;
            continue;
        }
        FilePoint point = first;
        for (int x = 0; x < area.width; ++x, point.column += stepColumn, point.row += stepRow) {
            out[x] = StoredData(s, point) ? 255 : 0;
        }
    }
    return coverage;
}

}  // namespace

MosaicPlan PlanMosaic(const std::string& directory, const std::vector<std::string>& names,
                      const std::string& imageName, const PictureSettings& picture) {
    return PlanOfQuad(directory, QuadOf(directory, names, imageName), {}, picture);
}

MosaicPlan PlanMosaicOf(const std::vector<std::string>& paths, const PictureSettings& picture) {
    Quad quad;
    if (!paths.empty()) quad.id = QuadIdOf(NamePart(paths.front()));
    for (const std::string& path : paths) quad.tiles.push_back(ReadQuadImage(DirectoryPart(path), NamePart(path)));
    return PlanOfQuad({}, std::move(quad), paths, picture);
}

RenderedTile RenderMosaicTile(const MosaicPlan& plan, std::size_t index) {
    RenderedTile out;
    out.tile = index;
    const MosaicTile& place = plan.tiles.at(index);
    const QuadImage& tile = plan.quad.tiles.at(place.index);
    try {
        ScopedImageState record;
        const WorkingBuffers buffers = LoadPicture(place.path, plan.picture);
        const ImageState& s = State();
        if (s.FileLength < 0) {
            out.failure = tile.name + " cannot be read: " + s.ReadError;
            return out;
        }
        if (s.FileLength == 0) {
            out.failure = tile.name + " is empty";
            return out;
        }
        const DisplayMapping mapping = CurrentDisplayMapping();
        const std::optional<GreyPicture> whole = GreyFromBitmap(buffers.Bitmap());
        // From the tile's coordinates the plan made: no PROJ set-up per tile.
        const std::optional<Georeference> georeference =
            tile.coordinates ? std::optional(PictureGeoreference(*tile.coordinates, mapping)) : std::nullopt;
        if (!whole || !georeference) {
            out.failure = tile.name + " gives no picture to place";
            return out;
        }
        const PictureArea area = SampleArea(mapping);
        GreyPicture picture = CropPicture(*whole, area);
        std::vector<std::uint8_t> coverage = CoverageOf(mapping, area);
        int left = 0;
        int top = 0;
        if (OnLattice(plan.grid, georeference->wkt, georeference->transform, left, top)) {
            out.left = left;
            out.top = top;
            out.width = picture.width;
            out.height = picture.height;
            out.grey = std::move(picture.samples);
            out.coverage = std::move(coverage);
            return out;
        }
        std::string why;
        if (!Resample(plan.grid, place, picture.width, picture.height, picture.samples, coverage, georeference->wkt,
                      georeference->transform, out, why)) {
            out.failure = tile.name + ": " + why;
        }
    } catch (const std::exception& e) {
        out.failure = tile.name + ": " + e.what();
    }
    return out;
}

MosaicCanvas::MosaicCanvas(const MosaicGrid& grid)
    : width(grid.width),
      height(grid.height),
      grey(static_cast<std::size_t>(grid.width) * static_cast<std::size_t>(grid.height), 0),
      owner(grey.size(), 0) {}

void PlaceTile(MosaicCanvas& canvas, const RenderedTile& tile) {
    if (!tile.failure.empty()) return;
    const auto mark = static_cast<std::uint8_t>(std::min<std::size_t>(tile.tile + 1, 255));
    const int x0 = std::max(0, tile.left);
    const int x1 = std::min(canvas.width, tile.left + tile.width);
    const int y0 = std::max(0, tile.top);
    const int y1 = std::min(canvas.height, tile.top + tile.height);
    for (int y = y0; y < y1; ++y) {
        const std::size_t from = static_cast<std::size_t>(y - tile.top) * tile.width - tile.left;
        const std::size_t to = static_cast<std::size_t>(y) * canvas.width;
        for (int x = x0; x < x1; ++x) {
            if (tile.coverage[from + x] == 0) continue;
            std::uint8_t& owner = canvas.owner[to + x];
            if (owner != 0 && owner < mark) continue;
            owner = mark;
            canvas.grey[to + x] = tile.grey[from + x];
        }
    }
}

MosaicCanvas BuildMosaic(MosaicPlan& plan, int threads) {
    MosaicCanvas canvas(plan.grid);
    if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    threads = std::min<int>(threads, static_cast<int>(plan.tiles.size()));
    std::atomic<std::size_t> next{0};
    std::mutex placing;
    std::vector<std::string> failures(plan.tiles.size());
    auto work = [&] {
        for (std::size_t i = next++; i < plan.tiles.size(); i = next++) {
            RenderedTile tile = RenderMosaicTile(plan, i);
            if (!tile.failure.empty()) {
                failures[i] = tile.failure;
                continue;
            }
            std::lock_guard lock(placing);
            PlaceTile(canvas, tile);
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) pool.emplace_back(work);
    work();
    for (std::thread& t : pool) t.join();
    for (std::size_t i = 0; i < failures.size(); ++i) {
        if (!failures[i].empty()) plan.leftOut.push_back({plan.quad.tiles[plan.tiles[i].index].name, failures[i]});
    }
    return canvas;
}

std::optional<RasterPoint> MosaicFilePoint(const MosaicPlan& plan, std::size_t index, double x, double y) {
    const MosaicGrid& grid = plan.grid;
    const MapCoordinates& tile = *plan.quad.tiles.at(plan.tiles.at(index).index).coordinates;
    const MapPoint p = Apply(grid.transform, x, y);
    if (tile.Wkt() == grid.wkt) return Invert(tile.FileTransform(), p.x, p.y);
    const std::optional<LatLon> position = MosaicLatLon(grid, x, y);
    if (!position) return std::nullopt;
    const std::optional<MapPoint> q = tile.ToMap(*position);
    if (!q) return std::nullopt;
    return Invert(tile.FileTransform(), q->x, q->y);
}

std::optional<MosaicSpot> MosaicTileAt(const MosaicPlan& plan, double x, double y) {
    for (std::size_t i = 0; i < plan.tiles.size(); ++i) {
        const MosaicTile& place = plan.tiles[i];
        if (x < place.left || x >= place.right || y < place.top || y >= place.bottom) continue;
        const QuadImage& tile = plan.quad.tiles[place.index];
        const std::optional<RasterPoint> p = MosaicFilePoint(plan, i, x, y);
        if (p && p->column >= 0 && p->column < tile.width && p->row >= 0 && p->row < tile.height) {
            return MosaicSpot{i, *p};
        }
    }
    return std::nullopt;
}

std::optional<LatLon> MosaicLatLon(const MosaicGrid& grid, double x, double y) {
    if (!grid.coordinates) return std::nullopt;
    const MapPoint p = Apply(grid.transform, x, y);
    const RasterPoint file = Invert(grid.coordinates->FileTransform(), p.x, p.y);
    return grid.coordinates->AtPoint(file.column, file.row);
}

std::string LeftOutText(const std::vector<LeftOut>& leftOut) {
    std::string text;
    for (const LeftOut& entry : leftOut) text += entry.why + "\n";
    return text;
}

}  // namespace dusk
