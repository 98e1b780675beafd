// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>

namespace dusk {

struct GeometryEntry {
    std::int32_t fileLength;
    std::int32_t width;
    std::int32_t height;
};

// The known file lengths and the raster each stands for. Every other length
// is shown at the default 1052 x 660.
std::span<const GeometryEntry> GeometryTable();

// Whether `length` is one of the known file lengths.
bool IsKnownLength(std::int32_t length);

// The raster a file of `length` bytes is shown as: its row of the table, or
// the default 1052 x 660 for every other length.
GeometryEntry GeometryForLength(std::int32_t length);

// Fixes the geometry from FileLength, fills HeaderSizes, resets the stretch
// parameters and copies the whole RawImage into OriginalImage.
void DeriveGeometry();

}  // namespace dusk
