// SPDX-License-Identifier: GPL-3.0-or-later
// Area averaging against a direct computation: for each target pixel, every
// source sample's covered area, summed exactly and rounded halves up.
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "render/area_average.h"

namespace dusk::test {
namespace {

std::vector<std::uint8_t> Reference(const std::vector<std::uint8_t>& src, int w, int h, int tw, int th) {
    // On a grid of w*tw by h*th units a source sample is tw x th units and a
    // target pixel w x h units.
    std::vector<std::uint8_t> out(static_cast<std::size_t>(tw * th));
    for (int y = 0; y < th; ++y) {
        for (int x = 0; x < tw; ++x) {
            std::int64_t sum = 0;
            for (int j = 0; j < h; ++j) {
                const std::int64_t dy = std::min<std::int64_t>((j + 1) * th, (y + 1) * h) - std::max(j * th, y * h);
                if (dy <= 0) continue;
                for (int i = 0; i < w; ++i) {
                    const std::int64_t dx = std::min<std::int64_t>((i + 1) * tw, (x + 1) * w) - std::max(i * tw, x * w);
                    if (dx > 0) sum += dx * dy * src[static_cast<std::size_t>(j * w + i)];
                }
            }
            const std::int64_t area = static_cast<std::int64_t>(w) * h;
            out[static_cast<std::size_t>(y * tw + x)] = static_cast<std::uint8_t>((2 * sum + area) / (2 * area));
        }
    }
    return out;
}

struct ShrinkCase {
    int w, h, tw, th;
};

TEST(AreaAverageTest, EqualsTheCoveredAreaMean) {
    const ShrinkCase cases[] = {{8, 6, 4, 3},   {9, 9, 3, 3},  {12, 8, 8, 5},  {7, 5, 7, 5},  {7, 5, 1, 1},
                                {30, 20, 20, 13}, {31, 17, 5, 4}, {16, 16, 2, 16}, {1, 1, 1, 1}, {64, 48, 8, 6}};
    std::mt19937 random(5);
    for (const ShrinkCase& c : cases) {
        std::vector<std::uint8_t> src(static_cast<std::size_t>(c.w * c.h));
        for (auto& v : src) v = static_cast<std::uint8_t>(random());
        std::vector<std::uint8_t> got(static_cast<std::size_t>(c.tw * c.th), 0xEE);
        AreaAverage(src.data(), c.w, c.h, got.data(), c.tw, c.th);
        EXPECT_EQ(got, Reference(src, c.w, c.h, c.tw, c.th)) << c.w << "x" << c.h << " to " << c.tw << "x" << c.th;
    }
}

// At a whole ratio a pixel is its block's mean, halves rounded up.
TEST(AreaAverageTest, WholeRatioIsTheBlockMeanHalvesUp) {
    const std::vector<std::uint8_t> src{1, 2, 10, 10, 3, 4, 10, 11};  // 4 x 2 into 2 x 1
    std::vector<std::uint8_t> got(2);
    AreaAverage(src.data(), 4, 2, got.data(), 2, 1);
    EXPECT_EQ(got, (std::vector<std::uint8_t>{3, 10}));  // 10 / 4 = 2.5 -> 3; 41 / 4 = 10.25 -> 10
}

}  // namespace
}  // namespace dusk::test
