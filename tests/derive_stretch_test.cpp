// SPDX-License-Identifier: GPL-3.0-or-later
// The stretch parameters derived from the histogram of every render, against
// a reference that sorts the counted samples and reads the percentiles off.
#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "core/image_state.h"
#include "filters/filters.h"
#include "tests/test_support.h"

namespace dusk::test {
namespace {

struct Expected {
    std::int32_t gain;
    std::int32_t offset;
};

// The samples counted (levels 1..255 of the fixed window), sorted: lo and hi
// are the ceil(N/100)-th and ceil(99N/100)-th of them. The offset is the
// largest shift (in steps of 20) that keeps the margins below and above the
// stretched range m*lo .. m*hi within 20 of each other, and none for data
// whose stretched range already sits at or below the middle of 0..255.
Expected Reference(const Raster& raster) {
    std::vector<std::uint8_t> data;
    for (std::size_t k = 968; k <= 676629; ++k) {
        if (raster[k] != 0) data.push_back(raster[k]);
    }
    if (data.empty()) return {0, 0};
    std::sort(data.begin(), data.end());
    const std::size_t n = data.size();
    const int lo = data[(n + 99) / 100 - 1];
    const int hi = data[(99 * n + 99) / 100 - 1];
    if (hi <= lo) return {0, 0};
    const int m = std::min(std::max(255 / (hi - lo), 1), 8);
    const auto below = [&](int offset) { return m * lo - 20 * offset; };
    const auto above = [&](int offset) { return 255 - (m * hi - 20 * offset); };
    if (below(0) <= above(0)) return {m - 1, 0};
    int offset = 0;
    while (below(offset) - above(offset) > 20) ++offset;
    if (std::abs(below(offset + 1) - above(offset + 1)) <= 20) ++offset;  // a tie: the larger shift
    return {m - 1, offset};
}

struct StretchCase {
    const char* name;
    int lo;      // data levels lo..hi, spread evenly
    int hi;
    int zeros;   // percent of the window left at level 0
};

class DeriveStretchTest : public FreshStateFixture<::testing::TestWithParam<StretchCase>> {};

TEST_P(DeriveStretchTest, MatchesSortedPercentiles) {
    const StretchCase& c = GetParam();
    Raster raster(kRawImageSize, 0);
    std::uint32_t x = 99;
    for (std::size_t k = 0; k < 1052 * 660; ++k) {
        x = x * 1664525u + 1013904223u;
        if (static_cast<int>((x >> 8) % 100) < c.zeros) continue;
        raster[k] = static_cast<std::uint8_t>(c.lo + static_cast<int>((x >> 16) % static_cast<unsigned>(c.hi - c.lo + 1)));
    }
    PutRaw(raster);
    SetGeometry(1052, 660);
    State().StretchGain = State().StretchOffset = 77;  // left over from an earlier render
    const Expected expected = Reference(raster);
    for (const int on : {1, 0}) {
        State().ActiveOptions[OptStretch] = on;
        GatherHistogram();
        DeriveStretch();
        EXPECT_EQ(State().StretchGain, on ? expected.gain : 0) << "stretch " << on;
        EXPECT_EQ(State().StretchOffset, on ? expected.offset : 0) << "stretch " << on;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, DeriveStretchTest,
    ::testing::Values(StretchCase{"Dull", 100, 130, 0}, StretchCase{"DullWithBlankLines", 90, 140, 40},
                      StretchCase{"Dark", 1, 20, 10}, StretchCase{"FullRange", 1, 255, 0},
                      StretchCase{"OneLevel", 80, 80, 5}, StretchCase{"NoData", 0, 0, 100},
                      StretchCase{"Bright", 230, 255, 30},
                      // Gain 1: no shift unless the data sits above the middle.
                      StretchCase{"WideCentred", 30, 226, 5}, StretchCase{"WideDark", 1, 200, 0},
                      StretchCase{"WideBright", 60, 255, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dusk::test
