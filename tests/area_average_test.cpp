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
