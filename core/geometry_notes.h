// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What is odd about a file's raster size, in the words that the status bar
// and the exporter both use. Texts are UTF-8.

#include <cstdint>
#include <string>

#include "core/map_projection.h"

namespace dusk {

// The rows a file of `length` bytes holds at `width` samples a row.
struct HeldRows {
    std::int32_t full = 0;     // complete rows
    std::int32_t partial = 0;  // samples of a last, incomplete row
    bool orMore = false;       // reading stopped at the buffer's size
};
HeldRows RowsHeld(std::int32_t length, std::int32_t width);

// "512,000 bytes match no known raster size; shown as 1052 × 660"; reading
// cut at the buffer's size says "2,100,000 bytes or more".
std::string UnknownLengthText(std::int32_t length, std::int32_t width, std::int32_t height);

// Whether the label's LINES x LINE_SAMPLES describe the rows the file holds
// at the raster's width: its full rows, or those and a partial last one (the
// geometry table may round a height up, so the table's height is no measure).
bool LabelFitsFile(const LabelGeometry& label, std::int32_t length, std::int32_t width);

// Empty where the label fits the file (or the file is empty or unread), else
// "The label gives 1052 × 700; the file holds 1052 × 660."
std::string LabelGeometryText(const LabelGeometry& label, std::int32_t length, std::int32_t width);

}  // namespace dusk
