// SPDX-License-Identifier: GPL-3.0-or-later
#include "geo/quad.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>

#include "core/geometry.h"
#include "core/label.h"
#include "core/label_keywords.h"
#include "core/label_map.h"
#include "core/odl.h"
#include "core/paths.h"
#include "geo/label_georeference.h"
#include "geo/map_coordinates.h"

namespace dusk {
namespace {

bool HasImageExtension(const std::string& name, std::size_t at) {
    return name.size() == at + 4 && (name.compare(at, 4, ".img") == 0 || name.compare(at, 4, ".IMG") == 0);
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string JoinPath(const std::string& directory, const std::string& name) {
    if (directory.empty()) return name;
    return directory.back() == '/' ? directory + name : directory + "/" + name;
}

// The label of `name` beside it: ".lbl", else ".LBL".
std::string FindLabel(const std::string& directory, const std::string& name) {
    const std::string label = LabelFileName(name);
    if (label.empty()) return {};
    struct stat st {};
    std::string path = JoinPath(directory, label);
    if (::stat(path.c_str(), &st) == 0) return path;
    path = JoinPath(directory, label.substr(0, label.size() - 4) + ".LBL");
    return ::stat(path.c_str(), &st) == 0 ? path : std::string{};
}

struct CacheEntry {
    long long imageSize = 0;
    struct timespec imageTime {};
    long long labelSize = 0;
    struct timespec labelTime {};
    QuadImage image;
};

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

std::mutex cacheMutex;
std::map<std::string, CacheEntry>& Cache() {
    static std::map<std::string, CacheEntry> cache;
    return cache;
}

QuadImage Understand(const std::string& directory, const std::string& name, long long fileLength,
                     const std::string& labelPath) {
    QuadImage image;
    image.name = name;
    image.tile = TileNumberOf(name);
    image.width = 1052;
    image.height = 660;
    for (const GeometryEntry& entry : GeometryTable()) {
        if (entry.fileLength == fileLength) {
            image.width = entry.width;
            image.height = entry.height;
        }
    }
    if (labelPath.empty()) {
        image.why = name + " has no label";
        return image;
    }
    const OdlLabel label = ParseOdl(ReadLabelBytes(labelPath, kOdlReadLimit + 1));
    if (const std::optional<LabelGeometry> geometry = ImageGeometryOf(label)) {
        image.width = geometry->lineSamples;
        image.height = geometry->lines;
    }
    const LabelMap map = ReadLabelMap(label);
    const std::string labelName = NamePart(labelPath);
    if (map.dialect == LabelDialect::None) {
        image.why = labelName + " describes no map";
        return image;
    }
    const LabelGeoreference georeference = UnderstandLabelMap(map, image.width, image.height, labelName);
    if (!georeference.projection) {
        image.why = georeference.message.empty() ? labelName + " gives no map coordinates" : georeference.message;
        return image;
    }
    std::unique_ptr<MapCoordinates> coordinates = MapCoordinates::Make(*georeference.projection);
    if (!coordinates) {
        image.why = NoCoordinatesMessage(labelName, "its projection cannot be built");
        return image;
    }
    image.coordinates = std::move(coordinates);
    (void)directory;
    return image;
}

// Raster position of map metres under `t`.
RasterPoint ToRaster(const GeoTransform& t, double x, double y) {
    const double det = t[1] * t[5] - t[2] * t[4];
    const double dx = x - t[0];
    const double dy = y - t[3];
    return {(t[5] * dx - t[2] * dy) / det, (t[1] * dy - t[4] * dx) / det};
}

MapPoint ToMetres(const GeoTransform& t, double column, double row) {
    return {t[0] + column * t[1] + row * t[2], t[3] + column * t[4] + row * t[5]};
}

// The point of `from`'s raster in `to`'s raster, through map metres where
// both share a reference system, else through latitude and longitude.
std::optional<RasterPoint> Carry(const MapCoordinates& from, const MapCoordinates& to, bool sameSystem, double column,
                                 double row) {
    if (sameSystem) {
        const MapPoint p = ToMetres(from.FileTransform(), column, row);
        return ToRaster(to.FileTransform(), p.x, p.y);
    }
    const std::optional<LatLon> position = from.AtPoint(column, row);
    if (!position) return std::nullopt;
    const std::optional<MapPoint> p = to.ToMap(*position);
    if (!p) return std::nullopt;
    return ToRaster(to.FileTransform(), p->x, p->y);
}

}  // namespace

std::string QuadIdOf(const std::string& name) {
    return IsBrowseName(name) || TileNumberOf(name) != 0 ? name.substr(0, 3) : std::string{};
}

bool IsBrowseName(const std::string& name) { return HasImageExtension(name, 3); }

int TileNumberOf(const std::string& name) {
    if (!HasImageExtension(name, 5)) return 0;
    const unsigned char tens = static_cast<unsigned char>(name[3]);
    const unsigned char units = static_cast<unsigned char>(name[4]);
    if (!std::isdigit(tens) || !std::isdigit(units)) return 0;
    return (tens - '0') * 10 + (units - '0');
}

QuadImage ReadQuadImage(const std::string& directory, const std::string& name) {
    const std::string path = JoinPath(directory, name);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        QuadImage image;
        image.name = name;
        image.tile = TileNumberOf(name);
        image.why = name + " is not a readable image file";
        return image;
    }
    const std::string labelPath = FindLabel(directory, name);
    struct stat labelStat {};
    if (!labelPath.empty() && ::stat(labelPath.c_str(), &labelStat) != 0) labelStat = {};
    {
        std::lock_guard lock(cacheMutex);
        auto found = Cache().find(path);
        if (found != Cache().end() && found->second.imageSize == st.st_size &&
            SameTime(found->second.imageTime, st.st_mtim) && found->second.labelSize == labelStat.st_size &&
            SameTime(found->second.labelTime, labelStat.st_mtim)) {
            return found->second.image;
        }
    }
    CacheEntry entry{st.st_size, st.st_mtim, labelStat.st_size, labelStat.st_mtim,
                     Understand(directory, name, st.st_size, labelPath)};
    std::lock_guard lock(cacheMutex);
    return Cache().insert_or_assign(path, std::move(entry)).first->second.image;
}

Quad QuadOf(const std::string& directory, const std::vector<std::string>& names, const std::string& imageName) {
    Quad quad;
    quad.id = QuadIdOf(imageName);
    if (quad.id.empty()) return quad;
    const std::string id = Upper(quad.id);
    for (const std::string& name : names) {
        if (Upper(QuadIdOf(name)) != id) continue;
        if (IsBrowseName(name)) {
            if (!quad.browse) quad.browse = ReadQuadImage(directory, name);
        } else {
            quad.tiles.push_back(ReadQuadImage(directory, name));
        }
    }
    std::stable_sort(quad.tiles.begin(), quad.tiles.end(),
                     [](const QuadImage& a, const QuadImage& b) { return a.tile < b.tile; });
    return quad;
}

std::vector<Footprint> Footprints(const Quad& quad) {
    std::vector<Footprint> footprints;
    if (!quad.browse || !quad.browse->coordinates) return footprints;
    const MapCoordinates& browse = *quad.browse->coordinates;
    for (std::size_t i = 0; i < quad.tiles.size(); ++i) {
        const QuadImage& tile = quad.tiles[i];
        if (!tile.coordinates) continue;
        const bool same = tile.coordinates->Wkt() == browse.Wkt();
        const int steps = same ? 1 : 16;  // points per edge
        const double w = tile.width;
        const double h = tile.height;
        const std::array<RasterPoint, 5> corners{{{0, 0}, {w, 0}, {w, h}, {0, h}, {0, 0}}};
        Footprint footprint{tile.tile, i, {}};
        bool whole = true;
        for (int edge = 0; edge < 4 && whole; ++edge) {
            for (int s = 0; s < steps; ++s) {
                const double f = static_cast<double>(s) / steps;
                const double column = corners[edge].column + f * (corners[edge + 1].column - corners[edge].column);
                const double row = corners[edge].row + f * (corners[edge + 1].row - corners[edge].row);
                const std::optional<RasterPoint> p = Carry(*tile.coordinates, browse, same, column, row);
                if (!p) {
                    whole = false;
                    break;
                }
                footprint.outline.push_back(*p);
            }
        }
        if (whole) footprints.push_back(std::move(footprint));
    }
    return footprints;
}

std::optional<TileSpot> TileAt(const Quad& quad, double x, double y) {
    if (!quad.browse || !quad.browse->coordinates) return std::nullopt;
    const MapCoordinates& browse = *quad.browse->coordinates;
    for (std::size_t i = 0; i < quad.tiles.size(); ++i) {
        const QuadImage& tile = quad.tiles[i];
        if (!tile.coordinates) continue;
        const bool same = tile.coordinates->Wkt() == browse.Wkt();
        const std::optional<RasterPoint> p = Carry(browse, *tile.coordinates, same, x, y);
        if (p && p->column >= 0 && p->column < tile.width && p->row >= 0 && p->row < tile.height) {
            return TileSpot{i, p->column, p->row};
        }
    }
    return std::nullopt;
}

}  // namespace dusk
