// SPDX-License-Identifier: GPL-3.0-or-later
// The raster size comes from the exact file length alone; any other length is
// shown at 1052 x 660.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/geometry.h"
#include "core/geometry_notes.h"
#include "core/image_state.h"
#include "tests/test_support.h"

namespace dusk::test {
namespace {

// The ten size bytes of the bitmap header, computed from the size.
std::array<std::uint8_t, 10> ExpectedHeaderSizes(std::uint32_t w, std::uint32_t h) {
    const std::uint32_t pixels = 3 * w * h;
    const std::uint32_t file = 54 + pixels;
    return {static_cast<std::uint8_t>(file), static_cast<std::uint8_t>(file >> 8),
            static_cast<std::uint8_t>(file >> 16), static_cast<std::uint8_t>(w),
            static_cast<std::uint8_t>(w >> 8), static_cast<std::uint8_t>(h),
            static_cast<std::uint8_t>(h >> 8), static_cast<std::uint8_t>(pixels),
            static_cast<std::uint8_t>(pixels >> 8), static_cast<std::uint8_t>(pixels >> 16)};
}

// Lengths next to known ones, the failure value, empty and the read limit.
constexpr KnownLength kUnlistedLengths[] = {
    {-1, 1052, 660},      {0, 1052, 660},       {1, 1052, 660},       {489179, 1052, 660},
    {489181, 1052, 660},  {694319, 1052, 660},  {694321, 1052, 660},  {883451, 1052, 660},
    {883453, 1052, 660},  {883454, 1052, 660},  {883455, 1052, 660},  {883457, 1052, 660},
    {1160319, 1052, 660}, {1160321, 1052, 660}, {2100000, 1052, 660}, {2099999, 1052, 660},
};

TEST_F(FreshStateTest, SizeFromExactLength) {
    std::vector<KnownLength> cases(std::begin(kKnownLengths), std::end(kKnownLengths));
    cases.insert(cases.end(), std::begin(kUnlistedLengths), std::end(kUnlistedLengths));
    ImageState& s = State();
    for (const KnownLength& c : cases) {
        SCOPED_TRACE("length " + std::to_string(c.length));
        s.FileLength = c.length;
        s.ImageWidth = 7;  // left over from an earlier image
        s.ImageHeight = 9;
        DeriveGeometry();
        EXPECT_EQ(s.ImageWidth, c.width);
        EXPECT_EQ(s.ImageHeight, c.height);
        EXPECT_EQ(s.HeaderSizes, ExpectedHeaderSizes(static_cast<std::uint32_t>(c.width),
                                                      static_cast<std::uint32_t>(c.height)));
        EXPECT_EQ(s.FileLength, c.length);
    }
}

TEST(GeometryTableTest, HoldsExactlyTheKnownLengths) {
    const auto table = GeometryTable();
    ASSERT_EQ(table.size(), std::size(kKnownLengths));
    for (const KnownLength& known : kKnownLengths) {
        const auto match = std::count_if(table.begin(), table.end(), [&](const GeometryEntry& e) {
            return e.fileLength == known.length && e.width == known.width && e.height == known.height;
        });
        EXPECT_EQ(match, 1) << "length " << known.length;
    }
}

struct HeaderSizesCase {
    std::int32_t length;
    std::array<std::uint8_t, 10> bytes;
};

class HeaderSizesTest : public FreshStateParamTest<HeaderSizesCase> {};

TEST_P(HeaderSizesTest, LittleEndianSizeFields) {
    State().FileLength = GetParam().length;
    DeriveGeometry();
    EXPECT_EQ(State().HeaderSizes, GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, HeaderSizesTest,
    ::testing::Values(
        // 1052 x 660: file 2,083,014, pixels 2,082,960.
        HeaderSizesCase{694320, {0xC6, 0xC8, 0x1F, 0x1C, 0x04, 0x94, 0x02, 0x90, 0xC8, 0x1F}},
        HeaderSizesCase{12345, {0xC6, 0xC8, 0x1F, 0x1C, 0x04, 0x94, 0x02, 0x90, 0xC8, 0x1F}},
        // 1036 x 1120: file 3,481,014.
        HeaderSizesCase{1160320, {0xB6, 0x1D, 0x35, 0x0C, 0x04, 0x60, 0x04, 0x80, 0x1D, 0x35}}));

TEST_F(FreshStateTest, OriginalImageIsTheWholeRawImage) {
    ImageState& s = State();
    const Raster raster = RandomRaster(11, kRawImageSize, 1, 255);  // non-zero up to the last byte
    PutRaw(raster);
    s.OriginalImage.fill(0xEE);
    s.FileLength = 1000;  // far fewer bytes than the buffer holds
    DeriveGeometry();
    EXPECT_TRUE(std::equal(raster.begin(), raster.end(), s.OriginalImage.begin()));
    EXPECT_EQ(RawCopy(), raster) << "the samples themselves are not touched";
}

TEST_F(FreshStateTest, StretchParametersResetAtEveryLoad) {
    ImageState& s = State();
    s.StretchGain = 5;
    s.StretchOffset = -3;
    s.FileLength = 694320;
    DeriveGeometry();
    EXPECT_EQ(s.StretchGain, 0);
    EXPECT_EQ(s.StretchOffset, 0);
}

// A label's LINES x LINE_SAMPLES against the rows the file holds at the
// raster's width; the table's rounded-up height is no measure.
TEST(GeometryNotesTest, LabelAgainstTheRowsTheFileHolds) {
    const struct {
        LabelGeometry label;  // lines, line samples
        std::int32_t length;
        std::int32_t width;
        const char* text;  // empty: the label fits the file
    } cases[] = {
        {{660, 1052}, 694320, 1052, ""},
        {{887, 996}, 883452, 996, ""},  // shown as 996 x 888
        {{888, 996}, 883452, 996, "The label gives 996 \u00D7 888; the file holds 996 \u00D7 887."},
        {{887, 996}, 883456, 996, ""},  // 887 rows and 4 samples: either count fits
        {{888, 996}, 883456, 996, ""},
        {{932, 996}, 883456, 996, "The label gives 996 \u00D7 932; the file holds 996 \u00D7 887 and 4 samples."},
        {{700, 1052}, 694320, 1052, "The label gives 1052 \u00D7 700; the file holds 1052 \u00D7 660."},
        {{694, 1000}, 694320, 1052, "The label gives 1000 \u00D7 694; the file holds 1052 \u00D7 660."},
        {{1, 1052}, 1, 1052, ""},
        {{2, 1052}, 1053, 1052, ""},
        {{2, 1052}, 1, 1052, "The label gives 1052 \u00D7 2; the file holds 1052 \u00D7 0 and 1 sample."},
        {{3000, 1052}, 2100000, 1052, ""},  // cut at the buffer: the file may hold them
        {{1000, 1052}, 2100000, 1052, "The label gives 1052 \u00D7 1000; the file holds 1052 \u00D7 1996 or more."},
        {{700, 1052}, 0, 1052, ""},   // empty: the status bar says so instead
        {{700, 1052}, -1, 1052, ""},  // unread
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.length) + " label " + std::to_string(c.label.lines));
        EXPECT_EQ(LabelGeometryText(c.label, c.length, c.width), c.text);
    }
}

TEST(GeometryNotesTest, UnknownLengthInGroupedDigits) {
    EXPECT_EQ(UnknownLengthText(512000, 1052, 660), "512,000 bytes match no known raster size; shown as 1052 \u00D7 660");
    EXPECT_EQ(UnknownLengthText(999, 1052, 660), "999 bytes match no known raster size; shown as 1052 \u00D7 660");
    EXPECT_EQ(UnknownLengthText(2100000, 1052, 660),
              "2,100,000 bytes or more match no known raster size; shown as 1052 \u00D7 660");
}

}  // namespace
}  // namespace dusk::test
