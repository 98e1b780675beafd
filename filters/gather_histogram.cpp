// SPDX-License-Identifier: GPL-3.0-or-later
// Counts the grey levels of the fixed window k = 968..676629 into Histogram,
// with dark (< 85), middle (85..169) and bright (>= 170) classes, and picks a
// tone factor from them. Changes no sample. It runs in every render, right
// before the tone mapping, so that the record always holds the distribution
// of the samples the tone mapping is given: what a histogram of the picture
// and an automatic stretch must be derived from.
#include "core/fixed_frame.h"
#include "core/image_state.h"
#include "filters/filters.h"

namespace dusk {

void GatherHistogram() {
    ImageState& s = State();
    HistogramRecord& h = s.Histogram;
    h.Counts.fill(0);
    h.DarkCount = 0;
    h.MidCount = 0;
    h.BrightCount = 0;
    const std::uint8_t* raw = s.RawImage.get();
    for (std::int32_t k = kHistogramFirst; k <= kHistogramLast; ++k) ++h.Counts[raw[k]];
    for (int v = 0; v < 256; ++v) {
        if (v < 85) {
            h.DarkCount += h.Counts[v];
        } else if (v <= 169) {
            h.MidCount += h.Counts[v];
        } else {
            h.BrightCount += h.Counts[v];
        }
    }
    constexpr double kEightyPercent = kFrameWidth * (kFrameHeight - 1) * 4 / 5.0;  // 541,305.6
    h.ToneFactor = 2.0;
    if (h.MidCount > kEightyPercent) h.ToneFactor = 1.5;
    if (h.DarkCount > kEightyPercent) h.ToneFactor = 2.5;
}

}  // namespace dusk
