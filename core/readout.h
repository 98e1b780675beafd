// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>

#include "core/image_state.h"
#include "core/map_projection.h"

namespace dusk {

// How the picture on display was made from the file's raster.
struct DisplayMapping {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool rowsFlipped = false;  // the default flip ran
    bool rotated = false;      // turned by 180 degrees
    int reduction = 1;         // 1, or 2 / 4 for the half / quarter size
};

// A rectangle of the picture: x from the left, y from the top.
struct PictureArea {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The part of the picture that shows the file's samples: the whole picture,
// or a reduced picture without the grey field around it (cut to the picture
// where a reduced one would reach past its edge).
PictureArea SampleArea(const DisplayMapping& mapping);

// The mapping of a width x height raster rendered with `options` active, or
// with no stage at all (`unprocessed`, as "Original Image").
DisplayMapping MappingFor(const OptionFlags& options, std::int32_t width, std::int32_t height, bool unprocessed);

// The mapping of the picture on display: from the active options, or with no
// stage at all after "Original Image" (ShownUnprocessed).
DisplayMapping CurrentDisplayMapping();

enum class PointKind {
    Outside,    // not on the picture
    GreyField,  // on the grey field around a reduced picture
    Sample,     // on a sample (of a reduced picture: the first of its block)
};

struct FilePoint {
    PointKind kind = PointKind::Outside;
    std::int32_t row = 0;     // row of the stored sample in the file's raster
    std::int32_t column = 0;  // its column
};

// Maps a pixel of the picture (x from the left, y from the top) back to the
// sample of the file's raster it shows, undoing the reduction, the 180-degree
// turn and the flip.
FilePoint MapToFile(const DisplayMapping& mapping, std::int32_t x, std::int32_t y);

// A point of the picture, continuous: (0, 0) is its outer top left corner,
// x to the right, y down.
struct PicturePoint {
    double x = 0.0;
    double y = 0.0;
};

// The continuous forms of MapToFile and its inverse: where a point of the
// picture lies in the file's raster (undoing the reduction, the turn and the
// flip), and where a point of the file's raster is shown. Both are affine.
RasterPoint FileRasterPointAt(const DisplayMapping& mapping, const PicturePoint& point);
PicturePoint PicturePointOf(const DisplayMapping& mapping, const RasterPoint& point);

}  // namespace dusk
