// SPDX-License-Identifier: GPL-3.0-or-later
// Reverses the whole W x H raster (a turn by 180 degrees) while OptRotate is on.
#include <algorithm>

#include "core/image_state.h"
#include "filters/filters.h"

namespace dusk {

void RotateRaster() {
    ImageState& s = State();
    if (!IsOn(s.ActiveOptions[OptRotate])) return;
    const std::size_t n = static_cast<std::size_t>(s.ImageWidth) * static_cast<std::size_t>(s.ImageHeight);
    std::reverse(s.RawImage.get(), s.RawImage.get() + n);
}

}  // namespace dusk
