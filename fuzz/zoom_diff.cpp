// SPDX-License-Identifier: GPL-3.0-or-later
// Enlarging part of a picture against the sample each device pixel lies on:
// a picture of up to 64 x 64 samples shown at any larger size up to 16
// times, any part of it.
#include "fuzz/differential.h"
#include "render/zoom.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dusk;
    fuzz::InputReader in(data, size);
    const int w = 1 + in.Byte() % 64;
    const int h = 1 + in.Byte() % 64;
    const int shownW = w + in.Word() % (15 * w + 1);
    const int shownH = h + in.Word() % (15 * h + 1);
    const int x0 = in.Word() % shownW;
    const int y0 = in.Word() % shownH;
    const int tw = 1 + in.Word() % (shownW - x0);
    const int th = 1 + in.Byte() % std::min(shownH - y0, 64);
    std::vector<std::uint32_t> source(static_cast<std::size_t>(w * h));
    for (std::uint32_t& v : source) v = in.Byte() | static_cast<std::uint32_t>(&v - source.data()) << 8;

    std::vector<std::uint32_t> got(static_cast<std::size_t>(tw * th), 0xEEEEEEEE);
    EnlargePart(source.data(), w, h, w, shownW, shownH, x0, y0, tw, th, got.data(), tw);
    for (int y = 0; y < th; ++y) {
        const int row = reference::SampleUnder(y0 + y, h, shownH);
        fuzz::ExpectSame("sample row", SampleAt(y0 + y, h, shownH), row);
        for (int x = 0; x < tw; ++x) {
            const int column = reference::SampleUnder(x0 + x, w, shownW);
            if (y == 0) fuzz::ExpectSame("sample column", SampleAt(x0 + x, w, shownW), column);
            fuzz::ExpectSame("enlarged pixel", got[static_cast<std::size_t>(y * tw + x)],
                             source[static_cast<std::size_t>(row * w + column)]);
        }
    }
    return 0;
}
