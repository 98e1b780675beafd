// SPDX-License-Identifier: GPL-3.0-or-later
// The thumbnails' area average against the covered-area reference: a
// picture of up to 40 x 40 samples shrunk to any smaller size.
#include "fuzz/differential.h"
#include "render/area_average.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dusk;
    fuzz::InputReader in(data, size);
    const int w = 1 + in.Byte() % 40;
    const int h = 1 + in.Byte() % 40;
    const int tw = 1 + in.Byte() % w;
    const int th = 1 + in.Byte() % h;
    fuzz::Raster source(static_cast<std::size_t>(w * h), 0);
    const auto samples = in.Rest();
    std::copy_n(samples.begin(), std::min(samples.size(), source.size()), source.begin());

    fuzz::Raster got(static_cast<std::size_t>(tw * th), 0xEE);
    AreaAverage(source.data(), w, h, got.data(), tw, th);
    fuzz::ExpectSame("area average", got, reference::AreaAverage(source, w, h, tw, th));
    return 0;
}
