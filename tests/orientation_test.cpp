// SPDX-License-Identifier: GPL-3.0-or-later
// Row reversal (while the flip option is off), the 180-degree turn and the
// negative, each on the W x H samples only.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/image_state.h"
#include "filters/filters.h"
#include "tests/reference/reference.h"
#include "tests/test_support.h"

namespace dusk::test {
namespace {

enum class Filter { Flip, Rotate, Invert };

struct OrientCase {
    Filter filter;
    Size size;
};

// The option value at which each filter acts.
void SwitchOn(Filter f) {
    OptionFlags& o = State().ActiveOptions;
    o[OptFlipVertically] = f == Filter::Flip ? 0 : 1;
    o[OptRotate] = f == Filter::Rotate ? 1 : 0;
    o[OptInvert] = f == Filter::Invert ? 1 : 0;
}

void RunFilter(Filter f) {
    switch (f) {
    case Filter::Flip: FlipRows(); break;
    case Filter::Rotate: RotateRaster(); break;
    case Filter::Invert: InvertRaster(); break;
    }
}

Raster Reference(Filter f, const Raster& r, Size s) {
    switch (f) {
    case Filter::Flip: return reference::Flip(r, s.width, s.height);
    case Filter::Rotate: return reference::Rotate(r, s.width, s.height);
    case Filter::Invert: return reference::Invert(r, s.width, s.height);
    }
    return r;
}

class OrientationTest : public FreshStateParamTest<OrientCase> {};

TEST_P(OrientationTest, MatchesReferenceAndUndoesItself) {
    const auto [filter, size] = GetParam();
    SetGeometry(size.width, size.height);
    // Samples beyond W x H are non-zero too: they must stay untouched.
    const Raster raster = RandomRaster(static_cast<std::uint32_t>(size.width * 7 + size.height), kRawImageSize);
    PutRaw(raster);
    SwitchOn(filter);
    RunFilter(filter);
    EXPECT_TRUE(RawCopy() == Reference(filter, raster, size));
    RunFilter(filter);
    EXPECT_TRUE(RawCopy() == raster) << "applying it twice gives the samples back";
}

std::vector<OrientCase> OrientCases() {
    std::vector<OrientCase> cases;
    const Size sizes[] = {{1052, 660}, {996, 888}, {1036, 1120}, {3, 2}, {7, 5}, {5, 1}, {1, 4}, {1, 1}};
    for (Filter f : {Filter::Flip, Filter::Rotate, Filter::Invert}) {
        for (const Size& s : sizes) cases.push_back({f, s});
    }
    return cases;
}

std::string OrientCaseName(const ::testing::TestParamInfo<OrientCase>& info) {
    const char* names[] = {"Flip", "Rotate", "Invert"};
    return std::string(names[static_cast<int>(info.param.filter)]) + "_" + SizeName(info.param.size);
}

INSTANTIATE_TEST_SUITE_P(Rasters, OrientationTest, ::testing::ValuesIn(OrientCases()), OrientCaseName);

// Option values at which each filter must leave the samples alone.
struct OffCase {
    Filter filter;
    std::int32_t value;
};

TEST_F(FreshStateTest, OrientationOffLeavesSamplesAlone) {
    const OffCase cases[] = {{Filter::Flip, 1},    {Filter::Flip, 2},    {Filter::Flip, -1},
                             {Filter::Rotate, 0},  {Filter::Rotate, 2},  {Filter::Rotate, -1},
                             {Filter::Invert, 0},  {Filter::Invert, 2},  {Filter::Invert, -1}};
    SetGeometry(1052, 660);
    const Raster raster = RandomRaster(5, 1052 * 660);
    PutRaw(raster);
    for (const auto& [filter, value] : cases) {
        OptionFlags& o = State().ActiveOptions;
        o.fill(0);
        o[OptFlipVertically] = 1;  // keeps the flip out unless this case sets its slot
        const OptionSlot slot = filter == Filter::Flip ? OptFlipVertically
                                : filter == Filter::Rotate ? OptRotate
                                                           : OptInvert;
        o[slot] = value;
        RunFilter(filter);
        EXPECT_TRUE(RawCopy() == raster) << "filter " << static_cast<int>(filter) << " value " << value;
    }
}

TEST_F(FreshStateTest, FlipReversesRowsMiddleRowStays) {
    for (std::int32_t h : {4, 5}) {
        SetGeometry(3, h);
        for (std::int32_t r = 0; r < h; ++r) {
            for (int c = 0; c < 3; ++c) Raw()[r * 3 + c] = static_cast<std::uint8_t>(10 * r + c);
        }
        State().ActiveOptions[OptFlipVertically] = 0;
        FlipRows();
        for (std::int32_t r = 0; r < h; ++r) {
            EXPECT_EQ(Raw()[r * 3], 10 * (h - 1 - r)) << "H " << h << " row " << r;
            EXPECT_EQ(Raw()[r * 3 + 2], 10 * (h - 1 - r) + 2) << "H " << h << " row " << r;
        }
    }
}

TEST_F(FreshStateTest, RotateThreeByTwo) {
    SetGeometry(3, 2);
    const std::uint8_t before[] = {1, 2, 3, 4, 5, 6};
    std::copy(std::begin(before), std::end(before), Raw());
    Raw()[6] = 99;
    State().ActiveOptions[OptRotate] = 1;
    RotateRaster();
    const std::vector<std::uint8_t> after(Raw(), Raw() + 7);
    EXPECT_EQ(after, (std::vector<std::uint8_t>{6, 5, 4, 3, 2, 1, 99}));
}

TEST_F(FreshStateTest, InvertExamples) {
    SetGeometry(4, 1);
    const std::uint8_t before[] = {0, 255, 128, 127};
    std::copy(std::begin(before), std::end(before), Raw());
    State().ActiveOptions[OptInvert] = 1;
    InvertRaster();
    const std::vector<std::uint8_t> after(Raw(), Raw() + 5);
    EXPECT_EQ(after, (std::vector<std::uint8_t>{255, 0, 127, 128, 0}));
}

}  // namespace
}  // namespace dusk::test
