// SPDX-License-Identifier: GPL-3.0-or-later
// While Stretch is on: StretchGain and StretchOffset from the histogram of
// the samples entering the tone mapping, so that the middle 98 % of the data
// is spread over the grey range. Level 0 is where these images hold no data
// (blank lines, the area outside the swath) and is left out. With N samples
// at levels 1 to 255, lo and hi are the smallest levels at which the count
// from level 1 reaches 1 % and 99 % of N; m = 255 / (hi - lo), kept to 1..8;
// the gain is m - 1. The offset (in steps of 20) centres lo * m .. hi * m in
// 0..255: with t = m * (lo + hi) - 255, it is 0 where t <= 0 (so data that
// cannot be spread is never darkened by a shift alone), else (t + 20) / 40.
// With Stretch off, no data or hi <= lo, both are 0. Changes no sample.
#include <algorithm>
#include <cstdint>

#include "core/image_state.h"
#include "filters/filters.h"

namespace dusk {

void DeriveStretch() {
    ImageState& s = State();
    s.StretchGain = 0;
    s.StretchOffset = 0;
    if (!IsOn(s.ActiveOptions[OptStretch])) return;

    const auto& counts = s.Histogram.Counts;
    std::int64_t n = 0;
    for (int level = 1; level < 256; ++level) n += counts[level];
    if (n == 0) return;

    // The smallest level at which 100 * (count of levels 1..L) reaches `share` * N.
    const auto levelReaching = [&counts, n](std::int64_t share) {
        std::int64_t below = 0;
        for (int level = 1; level < 256; ++level) {
            below += counts[level];
            if (100 * below >= share * n) return level;
        }
        return 255;
    };
    const int lo = levelReaching(1);
    const int hi = levelReaching(99);
    if (hi <= lo) return;
    const int m = std::clamp(255 / (hi - lo), 1, 8);
    s.StretchGain = m - 1;
    const int t = m * (lo + hi) - 255;
    s.StretchOffset = t <= 0 ? 0 : (t + 20) / 40;
}

}  // namespace dusk
