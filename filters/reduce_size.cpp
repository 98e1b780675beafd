// SPDX-License-Identifier: GPL-3.0-or-later
// With OptMinimizeQuarter (or else OptMinimizeHalf) on: the whole RawImage
// becomes grey 160 and a 4x4 (or 2x2) box-averaged copy of the W x H raster is
// drawn at a fixed place around column 400. Destinations outside the raster
// are skipped, so nothing is written outside it for any geometry; the grey
// covers the whole working buffer.
#include <cstring>

#include "core/fixed_frame.h"
#include "core/image_state.h"
#include "filters/filters.h"

namespace dusk {

namespace {

constexpr std::uint8_t kBackground = 160;

// Averages factor x factor blocks of `source` into the raster where
// PlaceReduced puts them.
void DrawReduced(const std::uint8_t* source, std::uint8_t* raw, long w, long h, long factor) {
    const ReducedPlacement place = PlaceReduced(static_cast<std::int32_t>(w), static_cast<std::int32_t>(h),
                                                static_cast<std::int32_t>(factor));
    const long outHeight = place.height;
    const long outWidth = place.width;
    const long firstRow = place.firstRow;
    const long firstColumn = place.firstColumn;
    const long divisor = factor * factor;
    for (long y = 0; y < outHeight; ++y) {
        const long row = y + firstRow;
        if (row < 0 || row >= h) continue;
        for (long x = 0; x < outWidth; ++x) {
            const long column = x + firstColumn;
            if (column < 0 || column >= w) continue;
            long sum = 0;
            for (long r = factor * y; r < factor * y + factor; ++r) {
                const std::uint8_t* src = source + r * w + factor * x;
                for (long c = 0; c < factor; ++c) sum += src[c];
            }
            raw[row * w + column] = static_cast<std::uint8_t>(sum / divisor);
        }
    }
}

}  // namespace

void ReduceSize() {
    ImageState& s = State();
    const bool quarter = IsOn(s.ActiveOptions[OptMinimizeQuarter]);
    const bool half = IsOn(s.ActiveOptions[OptMinimizeHalf]);
    if (!quarter && !half) return;

    const long w = s.ImageWidth;
    const long h = s.ImageHeight;
    std::uint8_t* raw = s.RawImage.get();
    const auto length = static_cast<std::size_t>(s.RawImageLength);
    const ByteBuffer scratch = AllocateZeroed(length);
    std::memcpy(scratch.get(), raw, length);
    std::memset(raw, kBackground, length);
    if (w <= 0 || h <= 0 || w * h > s.RawImageLength) return;

    DrawReduced(scratch.get(), raw, w, h, quarter ? 4 : 2);
}

}  // namespace dusk
