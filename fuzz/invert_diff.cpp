// SPDX-License-Identifier: GPL-3.0-or-later
// The negative against its reference on a small raster; samples past W x H
// must stay.
#include "filters/filters.h"
#include "fuzz/differential.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dusk;
    fuzz::InputReader in(data, size);
    const std::int32_t invert = in.Flag();
    const std::int32_t extra = in.Byte() % 16;
    const fuzz::SmallRaster raster = fuzz::ReadRaster(in, 1200, 1 << 14, extra);

    fuzz::PutRaster(raster);
    State().ActiveOptions[OptInvert] = invert;
    InvertRaster();
    const fuzz::Raster expected = invert == 1 ? reference::Invert(raster.buffer, raster.w, raster.h) : raster.buffer;
    fuzz::ExpectSame("invert", fuzz::RawSpan(), expected);
    return 0;
}
