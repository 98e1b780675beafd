// SPDX-License-Identifier: GPL-3.0-or-later
// The in-memory bitmap: 54-byte header and bottom-up 24-bit grey rows.
#include <algorithm>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "core/geometry.h"
#include "core/image_state.h"
#include "render/bitmap.h"
#include "tests/test_support.h"

namespace dusk::test {
namespace {

void Render() {
    RenderBitmapHeader();
    RenderPixelRows();
}

void LoadLength(std::int32_t length) {
    State().FileLength = length;
    DeriveGeometry();
}

struct HeaderCase {
    std::int32_t length;
    std::vector<std::uint8_t> header;  // bytes 0 to 53
};

std::vector<std::uint8_t> Header(std::vector<std::uint8_t> fileSize, std::vector<std::uint8_t> width,
                                 std::vector<std::uint8_t> height, std::vector<std::uint8_t> pixelBytes) {
    std::vector<std::uint8_t> h = {0x42, 0x4D};
    h.insert(h.end(), fileSize.begin(), fileSize.end());
    h.insert(h.end(), {0, 0, 0, 0, 0x36, 0, 0, 0, 0x28, 0, 0, 0});
    h.insert(h.end(), width.begin(), width.end());
    h.insert(h.end(), height.begin(), height.end());
    h.insert(h.end(), {1, 0, 0x18, 0, 0, 0, 0, 0});
    h.insert(h.end(), pixelBytes.begin(), pixelBytes.end());
    h.insert(h.end(), 16, 0);
    return h;
}

class BitmapHeaderTest : public FreshStateParamTest<HeaderCase> {};

TEST_P(BitmapHeaderTest, AllFiftyFourBytes) {
    ASSERT_EQ(GetParam().header.size(), 54u);
    LoadLength(GetParam().length);
    Render();
    const std::vector<std::uint8_t> got(Bitmap(), Bitmap() + 54);
    EXPECT_EQ(got, GetParam().header);
}

INSTANTIATE_TEST_SUITE_P(
    Geometries, BitmapHeaderTest,
    ::testing::Values(HeaderCase{694320, Header({0xC6, 0xC8, 0x1F, 0x00}, {0x1C, 0x04, 0, 0}, {0x94, 0x02, 0, 0},
                                                {0x90, 0xC8, 0x1F, 0x00})},
                      HeaderCase{1160320, Header({0xB6, 0x1D, 0x35, 0x00}, {0x0C, 0x04, 0, 0}, {0x60, 0x04, 0, 0},
                                                 {0x80, 0x1D, 0x35, 0x00})},
                      // 996 x 932: file 2,784,870 = 0x2A7E66, pixels 0x2A7E30.
                      HeaderCase{883456, Header({0x66, 0x7E, 0x2A, 0x00}, {0xE4, 0x03, 0, 0}, {0xA4, 0x03, 0, 0},
                                                {0x30, 0x7E, 0x2A, 0x00})}));

class PixelRowsTest : public FreshStateParamTest<KnownLength> {};

TEST_P(PixelRowsTest, ThreeEqualBytesPerSampleThenZeros) {
    const KnownLength& c = GetParam();
    const Raster raster = RandomRaster(c.length, kRawImageSize);  // samples beyond W x H too
    PutRaw(raster);
    LoadLength(c.length);
    Render();
    const std::size_t n = static_cast<std::size_t>(c.width) * static_cast<std::size_t>(c.height);
    const std::uint8_t* b = Bitmap();
    std::size_t wrong = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint8_t* px = b + 54 + 3 * k;
        if (px[0] != raster[k] || px[1] != raster[k] || px[2] != raster[k]) ++wrong;
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_TRUE(std::all_of(b + 54 + 3 * n, b + kBitmapImageSize, [](std::uint8_t v) { return v == 0; }))
        << "bytes after the bitmap must keep the zeros of the fresh buffer";

    // The first stored row is the bottom line; raw row H-1 starts the last stored row.
    const std::size_t lastRow = static_cast<std::size_t>(c.height - 1) * static_cast<std::size_t>(c.width);
    EXPECT_EQ(b[54 + 3 * lastRow], raster[lastRow]);
    EXPECT_EQ(DisplayedPixel(0, 0), raster[lastRow]);
    EXPECT_EQ(DisplayedPixel(c.height - 1, 0), raster[0]);

    const Raster first = BitmapCopy();
    Render();
    EXPECT_TRUE(first == BitmapCopy()) << "rendering twice gives identical bytes";
    EXPECT_EQ(RawCopy(), raster) << "rendering leaves the samples alone";
}

INSTANTIATE_TEST_SUITE_P(Geometries, PixelRowsTest,
                         ::testing::Values(KnownLength{694320, 1052, 660}, KnownLength{489180, 1052, 468},
                                           KnownLength{883452, 996, 888}, KnownLength{1160320, 1036, 1120},
                                           KnownLength{959440, 1072, 896}));

TEST_F(FreshStateTest, SampleAtIndexZeroFillsOffsets54To56) {
    Raw()[0] = 200;
    LoadLength(694320);
    Render();
    EXPECT_EQ(Bitmap()[53], 0);
    EXPECT_EQ(Bitmap()[54], 200);
    EXPECT_EQ(Bitmap()[55], 200);
    EXPECT_EQ(Bitmap()[56], 200);
    EXPECT_EQ(Bitmap()[57], 0);
}

}  // namespace
}  // namespace dusk::test
