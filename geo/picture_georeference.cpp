// SPDX-License-Identifier: GPL-3.0-or-later
#include "geo/picture_georeference.h"

namespace dusk {

GeoTransform PictureTransform(const GeoTransform& file, const DisplayMapping& mapping) {
    // The mapping is affine: its origin and its two unit steps define it.
    const RasterPoint origin = FileRasterPointAt(mapping, {0.0, 0.0});
    const RasterPoint right = FileRasterPointAt(mapping, {1.0, 0.0});
    const RasterPoint down = FileRasterPointAt(mapping, {0.0, 1.0});
    const auto apply = [&file](double column, double row, int axis) {
        return file[3 * axis] + column * file[3 * axis + 1] + row * file[3 * axis + 2];
    };
    const auto step = [&file](double column, double row, int axis) {
        return column * file[3 * axis + 1] + row * file[3 * axis + 2];
    };
    GeoTransform t{};
    for (int axis = 0; axis < 2; ++axis) {
        t[3 * axis] = apply(origin.column, origin.row, axis);
        t[3 * axis + 1] = step(right.column - origin.column, right.row - origin.row, axis);
        t[3 * axis + 2] = step(down.column - origin.column, down.row - origin.row, axis);
    }
    return t;
}

std::optional<Georeference> PictureGeoreference(const MapProjection& projection, const DisplayMapping& mapping) {
    const MapCoordinates* coordinates = CoordinatesFor(projection);
    if (coordinates == nullptr) return std::nullopt;
    return PictureGeoreference(*coordinates, mapping);
}

Georeference PictureGeoreference(const MapCoordinates& coordinates, const DisplayMapping& mapping) {
    GeoTransform t = PictureTransform(coordinates.FileTransform(), mapping);
    // The area's top left pixel becomes the origin.
    const PictureArea area = SampleArea(mapping);
    t[0] += area.x * t[1] + area.y * t[2];
    t[3] += area.x * t[4] + area.y * t[5];
    return Georeference{coordinates.Wkt(), t};
}

}  // namespace dusk
