// SPDX-License-Identifier: GPL-3.0-or-later
// Either despeckle pass against the reference sweep on a small raster, with
// the thresholds and the window of treated positions taken from the input
// (the window a load sets starts past any small raster). Rows are at least
// 2 samples long: in a row of one, two of the eight neighbours would be the
// sample itself.
#include "filters/filters.h"
#include "fuzz/differential.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dusk;
    fuzz::InputReader in(data, size);
    const std::int32_t flag = in.Flag();
    const bool second = in.Byte() & 1;
    const std::uint8_t bright = in.Byte();
    const std::uint8_t dark = in.Byte();
    const std::int32_t start = in.Word();
    const std::int32_t span = in.Word();
    const std::int32_t extra = in.Byte();
    // The sweep reads one row past the raster and one sample more.
    fuzz::InputReader peek = in;
    const std::int32_t w = 2 + peek.Word() % 1199;
    // As in a load, the window starts past the first sample of row 1, whose
    // left neighbour would lie before the buffer.
    const std::int32_t first = w + 2 + start;
    const std::int32_t last = first + span;
    fuzz::SmallRaster raster = fuzz::ReadRaster(in, 1200, 1 << 13, 2 * w + 1 + extra, 2);

    fuzz::PutRaster(raster);
    ImageState& s = State();
    s.ActiveOptions[OptDespeckle] = flag;
    s.DespeckleBrightThreshold = bright;
    s.DespeckleDarkThreshold = dark;
    s.DespeckleFirst = first;
    s.DespeckleLast = last;
    reference::PassRule rule{bright, 6, dark, 7};
    if (second) {
        DespeckleSecondPass();
        rule = {5, 8, 5, 8};
    } else {
        DespeckleFirstPass();
    }
    if (flag == 1) reference::DespeckleSweep(raster.buffer, raster.w, raster.h, rule, first, last);
    fuzz::ExpectSame(second ? "despeckle second pass" : "despeckle first pass", fuzz::RawSpan(), raster.buffer);
    return 0;
}
