// SPDX-License-Identifier: GPL-3.0-or-later
// Picture statistics against a plain computation from the sorted samples, and
// the tone curve against what the tone mapping does to every level.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "core/image_state.h"
#include "core/picture_stats.h"
#include "filters/filters.h"
#include "tests/test_support.h"

namespace dusk::test {
namespace {

TEST(PictureStatsTest, AgreesWithTheSortedSamples) {
    std::mt19937 random(11);
    const std::size_t sizes[] = {1, 2, 3, 4, 5, 7, 1000, 1052 * 660};
    for (const std::size_t n : sizes) {
        std::vector<std::uint8_t> samples(n);
        for (auto& v : samples) v = static_cast<std::uint8_t>(random() % 4 == 0 ? (random() & 1) * 255 : random() % 200);
        const PictureStats stats = MeasurePicture(samples);

        std::vector<std::uint8_t> sorted = samples;
        std::sort(sorted.begin(), sorted.end());
        const double mean = std::accumulate(sorted.begin(), sorted.end(), 0.0) / static_cast<double>(n);
        double squares = 0.0;
        for (const std::uint8_t v : sorted) squares += (v - mean) * (v - mean);
        SCOPED_TRACE(n);
        EXPECT_EQ(stats.total, static_cast<std::int64_t>(n));
        EXPECT_EQ(stats.minimum, sorted.front());
        EXPECT_EQ(stats.maximum, sorted.back());
        EXPECT_EQ(stats.median, sorted[(n + 1) / 2 - 1]);
        EXPECT_NEAR(stats.mean, mean, 1e-9);
        EXPECT_NEAR(stats.stddev, std::sqrt(squares / static_cast<double>(n)), 1e-9);
        EXPECT_EQ(stats.black, std::count(sorted.begin(), sorted.end(), 0));
        EXPECT_EQ(stats.white, std::count(sorted.begin(), sorted.end(), 255));
    }
}

struct CurveCase {
    std::int32_t stretch, gain, offset, contrast, brightness;
};

// The curve is what MapTones makes of each level, for stretch, contrast
// (below its floor too) and brightness.
TEST(ToneCurveTest, IsWhatTheToneMappingDoes) {
    const CurveCase cases[] = {{0, 0, 0, 0, 0},   {0, 0, 0, 2, -40}, {0, 0, 0, -5, 20},
                               {1, 3, 4, 0, 0},   {1, 3, 4, -9, 60}, {1, 7, 12, 1, -20}};
    for (const CurveCase& c : cases) {
        FreshState();
        SetGeometry(1052, 660);
        std::uint8_t* raw = Raw();
        for (int k = 0; k < 1052 * 660; ++k) raw[k] = static_cast<std::uint8_t>(k % 256);
        ImageState& s = State();
        s.ActiveOptions[OptStretch] = c.stretch;
        s.StretchGain = c.gain;
        s.StretchOffset = c.offset;
        s.ContrastLevel = c.contrast;
        s.BrightnessOffset = c.brightness;
        const std::array<std::uint8_t, 256> curve = ToneCurve();
        MapTones();
        for (int level = 0; level < 256; ++level) {
            ASSERT_EQ(curve[static_cast<std::size_t>(level)], raw[level]) << "level " << level << ", contrast " << c.contrast;
        }
    }
    ResetState();
}

}  // namespace
}  // namespace dusk::test
