// SPDX-License-Identifier: GPL-3.0-or-later
// Tone mapping: p * (1 + ContrastLevel) + BrightnessOffset clamped to 0..255,
// halving with ties to even at gain 0, the contrast floor written back, and
// the horizontal shading ramp.
#include <algorithm>
#include <array>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/image_state.h"
#include "filters/filters.h"
#include "tests/reference/reference.h"
#include "tests/test_support.h"

namespace dusk::test {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

using reference::Tone;

void Apply(const Tone& t) {
    ImageState& s = State();
    s.ContrastLevel = t.contrast;
    s.BrightnessOffset = t.brightness;
    s.ShadingLevel = t.shading;
    s.ActiveOptions[OptStretch] = t.optStretch;
    s.StretchGain = t.stretchGain;
    s.StretchOffset = t.stretchOffset;
}

const Raster& SharedRandomRaster() {
    static const Raster raster = RandomRaster(2024, kRawImageSize);  // beyond W x H too
    return raster;
}

void ExpectMatchesReference(Tone t, Size size = {1052, 660}) {
    ASSERT_EQ(std::fegetround(), FE_TONEAREST);
    SetGeometry(size.width, size.height);
    const Raster& raster = SharedRandomRaster();
    PutRaw(raster);
    Apply(t);
    MapTones();
    const Raster expected =
        reference::MapTones(raster, static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height), t);
    EXPECT_TRUE(RawCopy() == expected);
    EXPECT_EQ(State().ContrastLevel, t.contrast);
    EXPECT_EQ(State().ShadingLevel, t.shading);
    EXPECT_EQ(State().BrightnessOffset, t.brightness);
}

class ToneLevelsTest : public FreshStateParamTest<std::int32_t> {};

TEST_P(ToneLevelsTest, MatchesReference) {
    for (std::int32_t brightness : {0, 20, -20, 260, -260, kMax, kMin}) {
        SCOPED_TRACE("brightness " + std::to_string(brightness));
        ExpectMatchesReference({GetParam(), brightness});
    }
}

INSTANTIATE_TEST_SUITE_P(Contrast, ToneLevelsTest, ::testing::Values(0, -1, -2, -100, 1, 2, 5, 1000, kMax, kMin));

TEST_F(FreshStateTest, ShadingLevelsMatchReference) {
    for (std::int32_t level : {-9, -8, -7, -6, -5, -4, -3, -2, -1, 1, 2, 3, 4, 5, 6, 7, 8, 9, kMin, kMax}) {
        SCOPED_TRACE("shading " + std::to_string(level));
        ExpectMatchesReference({0, 0, level});
        ExpectMatchesReference({1, -40, level}, {996, 888});
    }
}

// The stretch parameters are never set by the program; when they are, the
// gain base becomes 1 + StretchGain and 20 x StretchOffset is subtracted.
TEST_F(FreshStateTest, StretchParametersMatchReference) {
    const Tone cases[] = {{0, 0, 0, 1, 0, 0},  {3, -20, 0, 1, 0, 0},       {-2, 20, 0, 1, 0, 0},
                          {-5, 0, 0, 1, 1, 2}, {0, 0, 0, 1, 2, -3},        {-5, 0, 0, 0, 1, 2},
                          {0, 0, 0, 2, 4, 4},  {kMin, 0, 0, 1, kMax, 0},   {kMax, kMin, 0, 1, kMax, kMin}};
    for (const Tone& t : cases) {
        SCOPED_TRACE("contrast " + std::to_string(t.contrast) + " stretch " + std::to_string(t.optStretch) +
                     " gain " + std::to_string(t.stretchGain) + " offset " + std::to_string(t.stretchOffset));
        ExpectMatchesReference(t);
    }
}

TEST_F(FreshStateTest, StretchWithZeroParametersChangesNothing) {
    SetGeometry(1052, 660);
    PutRaw(SharedRandomRaster());
    Apply({2, -20});
    MapTones();
    const Raster without = RawCopy();
    PutRaw(SharedRandomRaster());
    Apply({2, -20, 0, 1});
    MapTones();
    EXPECT_TRUE(RawCopy() == without);
}

struct SampleCase {
    std::int32_t contrast;
    std::int32_t brightness;
    std::uint8_t in;
    std::uint8_t out;
};

constexpr SampleCase kSampleCases[] = {
    // Gain 0: halves with ties to the even neighbour.
    SampleCase{-1, 0, 0, 0}, SampleCase{-1, 0, 1, 0}, SampleCase{-1, 0, 2, 1}, SampleCase{-1, 0, 3, 2},
    SampleCase{-1, 0, 5, 2}, SampleCase{-1, 0, 7, 4}, SampleCase{-1, 0, 254, 127}, SampleCase{-1, 0, 255, 128},
    SampleCase{-2, 0, 7, 4}, SampleCase{kMin, 0, 255, 128},
    // Gain 0 and -20: up to 41 black, 42 gives 1, 43 gives 2.
    SampleCase{-1, -20, 41, 0}, SampleCase{-1, -20, 42, 1}, SampleCase{-1, -20, 43, 2},
    // Gain 1.
    SampleCase{0, 0, 0, 0}, SampleCase{0, 0, 255, 255}, SampleCase{0, 20, 0, 20}, SampleCase{0, 20, 234, 254},
    SampleCase{0, 20, 235, 255}, SampleCase{0, 260, 0, 255}, SampleCase{0, -260, 255, 0},
    // Gain 2.
    SampleCase{1, 0, 127, 254}, SampleCase{1, 0, 128, 255}, SampleCase{1, -20, 10, 0},
    // Extreme levels clamp and do not wrap around.
    SampleCase{kMax, 0, 0, 0}, SampleCase{kMax, 0, 1, 255}, SampleCase{kMax, kMin, 1, 0},
    SampleCase{kMax, kMin, 2, 255}, SampleCase{0, kMax, 0, 255}, SampleCase{0, kMin, 255, 0},
    SampleCase{kMin, kMax, 0, 255}, SampleCase{kMax, kMax, 255, 255}, SampleCase{kMin, kMin, 255, 0}};

TEST_F(FreshStateTest, ToneExamples) {
    SetGeometry(4, 1);
    for (const SampleCase& c : kSampleCases) {
        SCOPED_TRACE("contrast " + std::to_string(c.contrast) + " brightness " + std::to_string(c.brightness) +
                     " sample " + std::to_string(c.in));
        Raw()[0] = c.in;
        Raw()[4] = c.in;  // beyond the raster: untouched
        Apply({c.contrast, c.brightness});
        MapTones();
        EXPECT_EQ(Raw()[0], c.out);
        EXPECT_EQ(Raw()[4], c.in);
    }
}

struct FloorCase {
    std::int32_t before;
    std::int32_t after;
};

TEST_F(FreshStateTest, ContrastFloorWrittenBack) {
    SetGeometry(4, 1);
    const FloorCase cases[] = {{-2, -1}, {-20, -1}, {kMin, -1}, {-1, -1}, {0, 0}, {7, 7}, {kMax, kMax}};
    for (const FloorCase& c : cases) {
        Apply({c.before, 0});
        MapTones();
        EXPECT_EQ(State().ContrastLevel, c.after) << "from " << c.before;
    }
}

struct RampCase {
    std::int32_t level;
    std::int32_t q;  // position in the 968-sample cycle
    std::uint8_t out;  // for samples of 200
    std::int32_t levelAfter;
};

constexpr RampCase kRampCases[] = {
    // Positive: darkens by q div d, d = 16, 8, 5, 4, 3, 2, 2.
    RampCase{1, 0, 200, 1}, RampCase{1, 15, 200, 1}, RampCase{1, 16, 199, 1}, RampCase{1, 967, 140, 1},
    RampCase{2, 967, 80, 2}, RampCase{3, 500, 100, 3}, RampCase{4, 400, 100, 4}, RampCase{4, 967, 0, 4},
    RampCase{5, 300, 100, 5}, RampCase{6, 100, 150, 6}, RampCase{7, 100, 150, 7}, RampCase{7, 967, 0, 7},
    RampCase{9, 100, 150, 7}, RampCase{kMax, 100, 150, 7},
    // Negative: darkens by 52|s| at q = 0, falling to nothing.
    RampCase{-1, 0, 148, -1}, RampCase{-1, 831, 199, -1}, RampCase{-1, 832, 200, -1},
    RampCase{-1, 967, 200, -1}, RampCase{-2, 0, 96, -2}, RampCase{-2, 832, 200, -2},
    RampCase{-3, 0, 44, -3}, RampCase{-3, 779, 199, -3}, RampCase{-3, 780, 200, -3},
    RampCase{-4, 0, 0, -4}, RampCase{-4, 832, 200, -4}, RampCase{-5, 779, 199, -5},
    RampCase{-5, 780, 200, -5}, RampCase{-6, 623, 199, -6}, RampCase{-6, 624, 200, -6},
    RampCase{-7, 0, 0, -7}, RampCase{-7, 727, 199, -7}, RampCase{-7, 728, 200, -7},
    RampCase{-20, 727, 199, -7}, RampCase{kMin, 728, 200, -7}};

TEST_F(FreshStateTest, ShadingRampValues) {
    SetGeometry(1052, 660);
    for (const RampCase& c : kRampCases) {
        SCOPED_TRACE("level " + std::to_string(c.level) + " q " + std::to_string(c.q));
        std::memset(Raw(), 200, 1052 * 660);
        Apply({0, 0, c.level});
        MapTones();
        // q = (k + 1) mod 968: the same value recurs every 968 samples.
        for (std::int32_t cycle : {0, 1, 100}) {
            const std::int32_t k = (c.q + 967) % 968 + 968 * cycle;
            EXPECT_EQ(Raw()[k], c.out) << "k " << k;
        }
        EXPECT_EQ(State().ShadingLevel, c.levelAfter);
    }
}

// Statistics of the fixed window k = 968..676629; nothing reads them and no
// sample changes.
TEST_F(FreshStateTest, HistogramOfFixedWindow) {
    SetGeometry(1052, 468);  // the window does not follow the geometry
    const Raster raster = RandomRaster(48, kRawImageSize);
    PutRaw(raster);
    GatherHistogram();
    std::array<std::int32_t, 256> counts{};
    for (std::size_t k = 968; k <= 676629; ++k) ++counts[raster[k]];
    const HistogramRecord& h = State().Histogram;
    EXPECT_EQ(h.Counts, counts);
    std::int32_t dark = 0, mid = 0, bright = 0;
    for (int v = 0; v < 256; ++v) (v < 85 ? dark : v <= 169 ? mid : bright) += counts[v];
    EXPECT_EQ(h.DarkCount, dark);
    EXPECT_EQ(h.MidCount, mid);
    EXPECT_EQ(h.BrightCount, bright);
    EXPECT_EQ(h.ToneFactor, 2.0);
    EXPECT_TRUE(RawCopy() == raster);
}

TEST_F(FreshStateTest, HistogramToneFactor) {
    struct Case {
        std::uint8_t fill;
        std::uint8_t rest;
        std::int32_t fillCount;  // window samples of value fill, the rest of value rest
        double factor;
    };
    const Case cases[] = {{100, 200, 675662, 1.5}, {100, 200, 541306, 1.5}, {100, 200, 541305, 2.0},
                          {84, 200, 541306, 2.5},  {84, 200, 541305, 2.0},  {200, 200, 675662, 2.0},
                          {0, 85, 675662, 2.5}};
    for (const Case& c : cases) {
        std::memset(Raw(), c.rest, kRawImageSize);
        std::memset(Raw() + 968, c.fill, static_cast<std::size_t>(c.fillCount));
        GatherHistogram();
        EXPECT_EQ(State().Histogram.ToneFactor, c.factor) << int{c.fill} << " x " << c.fillCount;
    }
}

}  // namespace
}  // namespace dusk::test
