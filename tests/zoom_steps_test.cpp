// SPDX-License-Identifier: GPL-3.0-or-later
// Enlarging part of a picture, as the image window paints an exposed strip
// at an odd place: every device pixel shows the sample it lies on.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "render/zoom.h"

namespace dusk::test {
namespace {

TEST(ZoomStepsTest, EnlargedPartShowsTheSampleUnderEachDevicePixel) {
    const int w = 7;
    const int h = 5;
    std::vector<std::uint32_t> source(static_cast<std::size_t>(w * h));
    for (int k = 0; k < w * h; ++k) source[static_cast<std::size_t>(k)] = static_cast<std::uint32_t>(k);
    // Scales as numerator / denominator; the part starts at (3, 2) and stops short of the right edge.
    for (const auto& [num, den] : {std::pair{1, 1}, {3, 2}, {2, 1}, {3, 1}, {16, 1}}) {
        const int shownW = w * num / den;
        const int shownH = h * num / den;
        const int tw = shownW - 4;
        const int th = shownH - 2;
        std::vector<std::uint32_t> part(static_cast<std::size_t>(tw * th));
        EnlargePart(source.data(), w, h, w, shownW, shownH, 3, 2, tw, th, part.data(), tw);
        for (int y = 0; y < th; ++y) {
            for (int x = 0; x < tw; ++x) {
                // Device pixel X covers [X, X + 1); sample i covers [i * num / den, (i + 1) * num / den).
                const int column = (3 + x) * den / num;
                const int row = (2 + y) * den / num;
                ASSERT_EQ(part[static_cast<std::size_t>(y * tw + x)], source[static_cast<std::size_t>(row * w + column)])
                    << num << "/" << den << " at " << x << ", " << y;
            }
        }
    }
}

}  // namespace
}  // namespace dusk::test
