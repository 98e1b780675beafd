// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The places that do not follow the raster's geometry: the fixed 968 x 700
// frame in which the despeckle passes, the statistics and the shading ramp
// work, and where a half- or quarter-size picture is drawn.

#include <cstdint>

namespace dusk {

inline constexpr std::int32_t kFrameWidth = 968;
inline constexpr std::int32_t kFrameHeight = 700;

// The first and last sample positions, counted from 1, that the despeckle
// passes treat.
inline constexpr std::int32_t kDespeckleFirst = 2 * kFrameWidth + 2;                 // 1938
inline constexpr std::int32_t kDespeckleLast = (kFrameHeight - 1) * kFrameWidth - 2;  // 676630

// The sample indices, counted from 0, that the statistics count.
inline constexpr std::int32_t kHistogramFirst = kFrameWidth;         // 968
inline constexpr std::int32_t kHistogramLast = kDespeckleLast - 1;  // 676629

// Where a picture reduced by `factor` (2 or 4) sits in the W x H raster: its
// output row y lands on raster row y + firstRow, its output column x on
// x + firstColumn. It is centred on column 400 and hung from a row that
// depends only on H.
struct ReducedPlacement {
    std::int32_t width;   // W / factor
    std::int32_t height;  // H / factor
    std::int32_t firstRow;
    std::int32_t firstColumn;
};

inline constexpr ReducedPlacement PlaceReduced(std::int32_t w, std::int32_t h, std::int32_t factor) {
    constexpr std::int32_t kAnchorColumn = 400;
    constexpr std::int32_t kRowOffset = 69;
    const std::int32_t firstRow = factor == 4 ? 2 * (h / 4) + h / 8 - kRowOffset : h / 2 - kRowOffset;
    return {w / factor, h / factor, firstRow, kAnchorColumn - (w / factor) / 2};
}

}  // namespace dusk
