// SPDX-License-Identifier: GPL-3.0-or-later
// The bitmap file against its reference on a small raster: header from the
// size fields loading fills, grey rows, zeros after the file, samples left
// alone.
#include "core/geometry.h"
#include "fuzz/differential.h"
#include "render/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dusk;
    fuzz::InputReader in(data, size);
    const fuzz::SmallRaster raster = fuzz::ReadRaster(in, 1200, 1 << 12, 0);

    fuzz::PutRaster(raster);
    ImageState& s = State();
    // The size fields as loading fills them: little-endian, three bytes for
    // the sizes and two for the sides.
    const std::int32_t pixels = 3 * raster.w * raster.h;
    const std::int32_t fields[] = {kBitmapHeaderSize + pixels, raster.w, raster.h, pixels};
    const int widths[] = {3, 2, 2, 3};
    int at = 0;
    for (int f = 0; f < 4; ++f) {
        for (int i = 0; i < widths[f]; ++i) s.HeaderSizes[at++] = static_cast<std::uint8_t>(fields[f] >> (8 * i));
    }
    RenderBitmapHeader();
    RenderPixelRows();
    fuzz::Raster expected = reference::BitmapFile(raster.buffer, raster.w, raster.h);
    expected.resize(static_cast<std::size_t>(s.BitmapImageLength), 0);
    fuzz::ExpectSame("bitmap", {s.BitmapImage.get(), static_cast<std::size_t>(s.BitmapImageLength)}, expected);
    fuzz::ExpectSame("samples after the bitmap", fuzz::RawSpan(), raster.buffer);
    return 0;
}
