// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/readout.h"

#include <algorithm>

#include "core/fixed_frame.h"
#include "core/image_state.h"

namespace dusk {

DisplayMapping MappingFor(const OptionFlags& options, std::int32_t width, std::int32_t height, bool unprocessed) {
    DisplayMapping m;
    m.width = width;
    m.height = height;
    if (unprocessed) return m;
    m.rowsFlipped = options[OptFlipVertically] == 0;
    m.rotated = IsOn(options[OptRotate]);
    if (IsOn(options[OptMinimizeQuarter])) {
        m.reduction = 4;
    } else if (IsOn(options[OptMinimizeHalf])) {
        m.reduction = 2;
    }
    return m;
}

DisplayMapping CurrentDisplayMapping() {
    const ImageState& s = State();
    return MappingFor(s.ActiveOptions, s.ImageWidth, s.ImageHeight, s.ShownUnprocessed);
}

PictureArea SampleArea(const DisplayMapping& m) {
    if (m.reduction <= 1) return {0, 0, m.width, m.height};
    const ReducedPlacement place = PlaceReduced(m.width, m.height, m.reduction);
    // Raster row r is shown h - 1 - r lines below the top of the picture.
    const std::int32_t top = std::max(0, m.height - (place.firstRow + place.height));
    const std::int32_t bottom = std::min(m.height, m.height - place.firstRow);
    const std::int32_t left = std::max(0, place.firstColumn);
    const std::int32_t right = std::min(m.width, place.firstColumn + place.width);
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

FilePoint MapToFile(const DisplayMapping& m, std::int32_t x, std::int32_t y) {
    const std::int32_t w = m.width;
    const std::int32_t h = m.height;
    FilePoint point;
    if (x < 0 || y < 0 || x >= w || y >= h) return point;

    // The bitmap shows raster row 0 at the bottom.
    std::int32_t row = h - 1 - y;
    std::int32_t column = x;

    // A reduced picture shows f x f blocks: follow the block's two corners and
    // report the corner that is the block's top left in the file.
    std::int32_t lastRow = row;
    std::int32_t lastColumn = column;
    if (m.reduction > 1) {
        const std::int32_t f = m.reduction;
        const ReducedPlacement place = PlaceReduced(w, h, f);
        const std::int32_t outRow = row - place.firstRow;
        const std::int32_t outColumn = column - place.firstColumn;
        if (outRow < 0 || outColumn < 0 || outRow >= place.height || outColumn >= place.width) {
            point.kind = PointKind::GreyField;
            return point;
        }
        row = outRow * f;
        column = outColumn * f;
        lastRow = row + f - 1;
        lastColumn = column + f - 1;
    }
    if (m.rotated) {
        row = h - 1 - row;
        lastRow = h - 1 - lastRow;
        column = w - 1 - column;
        lastColumn = w - 1 - lastColumn;
    }
    if (m.rowsFlipped) {
        row = h - 1 - row;
        lastRow = h - 1 - lastRow;
    }
    row = std::min(row, lastRow);
    column = std::min(column, lastColumn);

    point.kind = PointKind::Sample;
    point.row = row;
    point.column = column;
    return point;
}

RasterPoint FileRasterPointAt(const DisplayMapping& m, const PicturePoint& point) {
    const double w = m.width;
    const double h = m.height;
    // The bitmap shows raster row 0 at the bottom.
    RasterPoint p{point.x, h - point.y};
    if (m.reduction > 1) {
        const ReducedPlacement place = PlaceReduced(m.width, m.height, m.reduction);
        p = {(p.column - place.firstColumn) * m.reduction, (p.row - place.firstRow) * m.reduction};
    }
    if (m.rotated) p = {w - p.column, h - p.row};
    if (m.rowsFlipped) p.row = h - p.row;
    return p;
}

PicturePoint PicturePointOf(const DisplayMapping& m, const RasterPoint& point) {
    const double w = m.width;
    const double h = m.height;
    RasterPoint p = point;
    if (m.rowsFlipped) p.row = h - p.row;
    if (m.rotated) p = {w - p.column, h - p.row};
    if (m.reduction > 1) {
        const ReducedPlacement place = PlaceReduced(m.width, m.height, m.reduction);
        p = {p.column / m.reduction + place.firstColumn, p.row / m.reduction + place.firstRow};
    }
    return {p.column, h - p.row};
}

}  // namespace dusk
