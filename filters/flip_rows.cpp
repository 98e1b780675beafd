// SPDX-License-Identifier: GPL-3.0-or-later
// Reverses the order of the ImageHeight rows while OptFlipVertically is 0;
// with an odd height the middle row stays.
#include <algorithm>

#include "core/image_state.h"
#include "filters/filters.h"

namespace dusk {

void FlipRows() {
    ImageState& s = State();
    if (s.ActiveOptions[OptFlipVertically] != 0) return;
    const std::size_t w = static_cast<std::size_t>(s.ImageWidth);
    const int h = s.ImageHeight;
    std::uint8_t* raw = s.RawImage.get();
    for (int r = 0; r < h / 2; ++r) {
        std::swap_ranges(raw + r * w, raw + (r + 1) * w, raw + static_cast<std::size_t>(h - 1 - r) * w);
    }
}

}  // namespace dusk
