// SPDX-License-Identifier: GPL-3.0-or-later
// Size reduction: a half- or quarter-size box-averaged copy on a grey 160
// field, at a fixed place; the geometry stays.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/image_state.h"
#include "filters/filters.h"
#include "tests/reference/reference.h"
#include "tests/test_support.h"

namespace dusk::test {
namespace {

void SetReduceOptions(std::int32_t half, std::int32_t quarter) {
    State().ActiveOptions[OptMinimizeHalf] = half;
    State().ActiveOptions[OptMinimizeQuarter] = quarter;
}

class ReduceReferenceTest : public FreshStateParamTest<Size> {};

TEST_P(ReduceReferenceTest, MatchesReference) {
    const Size size = GetParam();
    SetGeometry(size.width, size.height);
    const Raster raster = RandomRaster(static_cast<std::uint32_t>(size.width * 3 + size.height), kRawImageSize);
    // (half, quarter): each alone, both (the quarter size wins), values other than 1 (off).
    const std::pair<std::int32_t, std::int32_t> options[] = {{1, 0}, {0, 1}, {1, 1}, {2, 0}, {0, 2}, {-1, -1}, {2, 1}};
    for (const auto& [half, quarter] : options) {
        SCOPED_TRACE("half " + std::to_string(half) + " quarter " + std::to_string(quarter));
        PutRaw(raster);
        SetReduceOptions(half, quarter);
        ReduceSize();
        EXPECT_TRUE(RawCopy() == reference::Reduce(raster, size.width, size.height, half, quarter));
        EXPECT_EQ(State().ImageWidth, size.width);
        EXPECT_EQ(State().ImageHeight, size.height);
    }
}

std::vector<Size> ReduceSizes() {
    std::vector<Size> sizes = RealSizes();
    sizes.insert(sizes.end(), {{1053, 661}, {1051, 659}, {998, 890}, {1052, 663}});
    return sizes;
}

INSTANTIATE_TEST_SUITE_P(Sizes, ReduceReferenceTest, ::testing::ValuesIn(ReduceSizes()),
                         [](const auto& info) { return SizeName(info.param); });

// Where the reduced picture lands: the bounding box of the non-160 samples of
// a black picture.
struct PlacementCase {
    Size size;
    std::int32_t half;
    std::int32_t quarter;
    std::int32_t firstRow;
    std::int32_t lastRow;
    std::int32_t firstColumn;
    std::int32_t lastColumn;
};

class ReducePlacementTest : public FreshStateParamTest<PlacementCase> {};

TEST_P(ReducePlacementTest, RowsAndColumns) {
    const PlacementCase& c = GetParam();
    const std::int32_t w = c.size.width;
    const std::int32_t h = c.size.height;
    SetGeometry(w, h);
    // Raw is all zero: the reduced picture is black.
    SetReduceOptions(c.half, c.quarter);
    ReduceSize();
    std::int32_t top = h, bottom = -1, left = w, right = -1;
    std::size_t grey = 0;
    for (std::int32_t r = 0; r < h; ++r) {
        for (std::int32_t col = 0; col < w; ++col) {
            const std::uint8_t v = Raw()[r * w + col];
            if (v == 160) {
                ++grey;
                continue;
            }
            ASSERT_EQ(v, 0);
            top = std::min(top, r);
            bottom = std::max(bottom, r);
            left = std::min(left, col);
            right = std::max(right, col);
        }
    }
    EXPECT_EQ(top, c.firstRow);
    EXPECT_EQ(bottom, c.lastRow);
    EXPECT_EQ(left, c.firstColumn);
    EXPECT_EQ(right, c.lastColumn);
    const std::size_t picture = static_cast<std::size_t>(c.lastRow - c.firstRow + 1) *
                                static_cast<std::size_t>(c.lastColumn - c.firstColumn + 1);
    EXPECT_EQ(grey + picture, static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    EXPECT_TRUE(std::all_of(Raw() + w * h, Raw() + kRawImageSize, [](std::uint8_t v) { return v == 160; }))
        << "the field covers the whole buffer";
}

INSTANTIATE_TEST_SUITE_P(Examples, ReducePlacementTest,
                         ::testing::Values(PlacementCase{{1052, 660}, 1, 0, 261, 590, 137, 662},
                                           PlacementCase{{1052, 660}, 0, 1, 343, 507, 269, 531},
                                           PlacementCase{{1052, 660}, 1, 1, 343, 507, 269, 531},
                                           PlacementCase{{1072, 896}, 1, 0, 379, 826, 132, 667},
                                           PlacementCase{{1072, 896}, 0, 1, 491, 714, 266, 533}));

TEST_F(FreshStateTest, BlockMeansTruncate) {
    SetGeometry(1052, 660);
    // 2 x 2 block 10, 11, 12, 13 at the top left: 46 div 4 = 11, at row 261, column 137.
    Raw()[0] = 10;
    Raw()[1] = 11;
    Raw()[1052] = 12;
    Raw()[1053] = 13;
    SetReduceOptions(1, 0);
    ReduceSize();
    EXPECT_EQ(Raw()[261 * 1052 + 137], 11);

    // 4 x 4 block of fifteen 0s and one 255: 255 div 16 = 15, at row 343, column 269.
    std::memset(Raw(), 0, kRawImageSize);
    Raw()[3 * 1052 + 3] = 255;
    SetReduceOptions(0, 1);
    ReduceSize();
    EXPECT_EQ(Raw()[343 * 1052 + 269], 15);
}

// Sizes no file has: the placement may fall partly or wholly outside the
// raster; nothing may be written outside RawImage.
class ReduceOddSizeTest : public FreshStateParamTest<Size> {};

TEST_P(ReduceOddSizeTest, StaysInsideRawImage) {
    const Size size = GetParam();
    SetGeometry(size.width, size.height);
    const Raster raster = RandomRaster(77, kRawImageSize);
    const std::size_t n = static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height);
    for (std::int32_t factor : {2, 4}) {
        SCOPED_TRACE("factor " + std::to_string(factor));
        GuardedRawImage guarded(raster);
        const std::int32_t half = factor == 2 ? 1 : 0;
        const std::int32_t quarter = factor == 4 ? 1 : 0;
        SetReduceOptions(half, quarter);
        ReduceSize();
        EXPECT_TRUE(guarded.GuardsIntact());
        if (n <= static_cast<std::size_t>(kRawImageSize)) {
            EXPECT_TRUE(RawCopy() == reference::Reduce(raster, size.width, size.height, half, quarter));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ReduceOddSizeTest,
                         ::testing::Values(Size{1, 1}, Size{3, 3}, Size{7, 5}, Size{101, 75}, Size{532, 137},
                                           Size{533, 138}, Size{1603, 140}, Size{1604, 200}, Size{2000, 1000},
                                           Size{100, 2000}, Size{2000, 1100}),
                         [](const auto& info) { return SizeName(info.param); });

}  // namespace
}  // namespace dusk::test
