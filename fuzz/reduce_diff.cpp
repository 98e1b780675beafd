// SPDX-License-Identifier: GPL-3.0-or-later
// Size reduction against its reference on a raster up to 1200 samples wide,
// wide and tall enough for the reduced copy to land around column 400, in a
// buffer that may run on past W x H (which turns grey too).
#include "filters/filters.h"
#include "fuzz/differential.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dusk;
    fuzz::InputReader in(data, size);
    const std::int32_t half = in.Flag();
    const std::int32_t quarter = in.Flag();
    const std::int32_t extra = in.Byte();
    const fuzz::SmallRaster raster = fuzz::ReadRaster(in, 1200, 1 << 16, extra);

    fuzz::PutRaster(raster);
    State().ActiveOptions[OptMinimizeHalf] = half;
    State().ActiveOptions[OptMinimizeQuarter] = quarter;
    ReduceSize();
    fuzz::ExpectSame("reduce", fuzz::RawSpan(), reference::Reduce(raster.buffer, raster.w, raster.h, half, quarter));
    return 0;
}
