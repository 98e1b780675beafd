// SPDX-License-Identifier: GPL-3.0-or-later
// 255 - v for each of the W x H samples, while OptInvert is on.
#include "core/image_state.h"
#include "filters/filters.h"

namespace dusk {

void InvertRaster() {
    ImageState& s = State();
    if (!IsOn(s.ActiveOptions[OptInvert])) return;
    const std::size_t n = static_cast<std::size_t>(s.ImageWidth) * static_cast<std::size_t>(s.ImageHeight);
    std::uint8_t* raw = s.RawImage.get();
    for (std::size_t k = 0; k < n; ++k) raw[k] = static_cast<std::uint8_t>(255 - raw[k]);
}

}  // namespace dusk
