// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shrinking a grey picture by area averaging: every target pixel is the mean
// of the source samples it covers, each weighted by how much of it is
// covered, rounded to the nearest level with halves up. At a whole ratio n
// that is exactly the mean of its n x n block. No sample is skipped. Used
// for pictures shown below their own size and for thumbnails.

#include <cstddef>
#include <cstdint>

namespace dusk {

// Shrinks the w x h picture `source` (row after row) into the tw x th
// picture `target`, where 1 <= tw <= w and 1 <= th <= h.
void AreaAverage(const std::uint8_t* source, int w, int h, std::uint8_t* target, int tw, int th);

// The same shrink of a picture whose sample (x, y) is the byte at
// source[y * stride + x * step], `step` 1 or 4 (a grey level of a 32-bit
// picture),
// for the target pixels [x0, x1) x [y0, y1) alone, each exactly as
// AreaAverage gives it; `target` holds the whole tw x th picture, row after
// row, and the rest of it is left alone.
void AreaAveragePart(const std::uint8_t* source, int w, int h, std::size_t stride, int step, std::uint8_t* target,
                     int tw, int th, int x0, int y0, int x1, int y1);

}  // namespace dusk
