// SPDX-License-Identifier: GPL-3.0-or-later
// The flip and the turn by 180 degrees, in the order of the render, against
// their references on a small raster; samples past W x H must stay.
#include "filters/filters.h"
#include "fuzz/differential.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dusk;
    fuzz::InputReader in(data, size);
    const std::int32_t flip = in.Flag();
    const std::int32_t rotate = in.Flag();
    const std::int32_t extra = in.Byte() % 16;
    const fuzz::SmallRaster raster = fuzz::ReadRaster(in, 1200, 1 << 14, extra);

    fuzz::PutRaster(raster);
    State().ActiveOptions[OptFlipVertically] = flip;
    State().ActiveOptions[OptRotate] = rotate;
    FlipRows();
    RotateRaster();
    fuzz::Raster expected = raster.buffer;
    if (flip == 0) expected = reference::Flip(expected, raster.w, raster.h);
    if (rotate == 1) expected = reference::Rotate(expected, raster.w, raster.h);
    fuzz::ExpectSame("flip and rotate", fuzz::RawSpan(), expected);
    return 0;
}
