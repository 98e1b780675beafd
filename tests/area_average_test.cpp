// SPDX-License-Identifier: GPL-3.0-or-later
// Area averaging against a direct computation: for each target pixel, every
// source sample's covered area, summed exactly and rounded halves up.
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "render/area_average.h"
#include "tests/reference/reference.h"

namespace dusk::test {
namespace {

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
        EXPECT_EQ(got, reference::AreaAverage(src, c.w, c.h, c.tw, c.th)) << c.w << "x" << c.h << " to " << c.tw << "x" << c.th;
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

namespace dusk::test {

// A part of the shrink, on a grey level every four bytes, is exactly that
// part of the whole shrink, and leaves the rest of the target alone.
TEST(AreaAverageTest, PartEqualsThatPartOfTheWhole) {
    const struct {
        int w, h, tw, th, x0, y0, x1, y1;
    } cases[] = {{1052, 660, 300, 190, 40, 30, 120, 77}, {97, 61, 13, 7, 0, 0, 13, 7}, {640, 480, 3, 2, 1, 1, 3, 2},
                 {500, 400, 499, 399, 10, 398, 499, 399}};
    for (const auto& c : cases) {
        std::vector<std::uint8_t> grey(static_cast<std::size_t>(c.w) * c.h);
        const std::size_t stride = static_cast<std::size_t>(c.w + 7) * 4;  // rows padded by 7 pixels
        std::vector<std::uint8_t> wide(stride * c.h);
        for (int y = 0; y < c.h; ++y) {
            for (int x = 0; x < c.w; ++x) {
                const auto v = static_cast<std::uint8_t>((x * 7 + y * 13 + x * y) % 251);
                grey[static_cast<std::size_t>(y) * c.w + x] = v;
                wide[y * stride + x * 4] = v;
            }
        }
        std::vector<std::uint8_t> whole(static_cast<std::size_t>(c.tw) * c.th);
        AreaAverage(grey.data(), c.w, c.h, whole.data(), c.tw, c.th);
        std::vector<std::uint8_t> part(whole.size(), 7);
        AreaAveragePart(wide.data(), c.w, c.h, stride, 4, part.data(), c.tw, c.th, c.x0, c.y0, c.x1, c.y1);
        for (int y = 0; y < c.th; ++y) {
            for (int x = 0; x < c.tw; ++x) {
                const bool inside = x >= c.x0 && x < c.x1 && y >= c.y0 && y < c.y1;
                const std::size_t i = static_cast<std::size_t>(y) * c.tw + x;
                ASSERT_EQ(part[i], inside ? whole[i] : 7) << c.w << "x" << c.h << " at " << x << "," << y;
            }
        }
    }
}

}  // namespace dusk::test
