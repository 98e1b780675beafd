// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/bitmap.h"

#include <cstdint>
#include <cstring>

#include "core/image_state.h"

namespace dusk {

void RenderBitmapHeader() {
    ImageState& s = State();
    std::uint8_t* b = s.BitmapImage.get();
    const auto& hs = s.HeaderSizes;
    b[0] = 'B';
    b[1] = 'M';
    b[2] = hs[0];
    b[3] = hs[1];
    b[4] = hs[2];
    b[5] = 0;
    std::memset(b + 6, 0, 4);
    const std::uint8_t fixed[] = {54, 0, 0, 0, 40, 0, 0, 0};
    std::memcpy(b + 10, fixed, sizeof fixed);
    b[18] = hs[3];
    b[19] = hs[4];
    b[20] = 0;
    b[21] = 0;
    b[22] = hs[5];
    b[23] = hs[6];
    b[24] = 0;
    b[25] = 0;
    b[26] = 1;
    b[27] = 0;
    b[28] = 24;
    b[29] = 0;
    std::memset(b + 30, 0, 4);
    b[34] = hs[7];
    b[35] = hs[8];
    b[36] = hs[9];
}

void RenderPixelRows() {
    ImageState& s = State();
    const std::uint8_t* src = s.RawImage.get();
    std::uint8_t* dst = s.BitmapImage.get() + kBitmapHeaderSize;
    // Every geometry fits both buffers; the bound only keeps a corrupt record
    // from writing past them.
    const std::size_t maxPixels = static_cast<std::size_t>(s.BitmapImageLength - kBitmapHeaderSize) / 3;
    std::size_t n = static_cast<std::size_t>(s.ImageWidth) * static_cast<std::size_t>(s.ImageHeight);
    if (n > maxPixels) n = maxPixels;
    if (n > static_cast<std::size_t>(s.RawImageLength)) n = static_cast<std::size_t>(s.RawImageLength);
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint8_t v = src[k];
        dst[0] = v;
        dst[1] = v;
        dst[2] = v;
        dst += 3;
    }
}

}  // namespace dusk
