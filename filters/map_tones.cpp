// SPDX-License-Identifier: GPL-3.0-or-later
// v = p * m + BrightnessOffset (+ shading ramp), clamped to 0..255, for each of
// the W x H samples. m = 1 + ContrastLevel, with ContrastLevel floored at -1
// (the floor is written back); m = 0 halves with ties to even. With Stretch on
// the gain base is 1 + StretchGain and 20 * StretchOffset is subtracted. All
// arithmetic is 64-bit, so no level can overflow before the clamp.
#include <algorithm>
#include <array>
#include <cstdlib>

#include "core/fixed_frame.h"
#include "core/image_state.h"
#include "filters/filters.h"

namespace dusk {

namespace {

std::int32_t ClampToInt32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

// p / 2 rounded to the nearest integer, halves to the even neighbour.
std::int64_t HalveToEven(std::int64_t p) { return (p >> 1) + ((p & 1) & ((p >> 1) & 1)); }

std::uint8_t ClampToByte(std::int64_t v) { return static_cast<std::uint8_t>(std::clamp<std::int64_t>(v, 0, 255)); }

// The gain base: 1, or 1 + StretchGain while Stretch is on.
std::int64_t GainBase(const ImageState& s) {
    return IsOn(s.ActiveOptions[OptStretch]) ? 1 + static_cast<std::int64_t>(s.StretchGain) : 1;
}

// Each level after the gain and the offsets, before the shading and the
// clamp, with `contrast` already floored.
std::array<std::int64_t, 256> TonedLevels(const ImageState& s, std::int64_t contrast) {
    const std::int64_t gain = GainBase(s) + contrast;
    const std::int64_t offset = static_cast<std::int64_t>(s.BrightnessOffset) -
                                (IsOn(s.ActiveOptions[OptStretch]) ? 20 * static_cast<std::int64_t>(s.StretchOffset) : 0);
    std::array<std::int64_t, 256> toned{};
    for (int p = 0; p < 256; ++p) toned[p] = (gain == 0 ? HalveToEven(p) : p * gain) + offset;
    return toned;
}

}  // namespace

std::array<std::uint8_t, 256> ToneCurve() {
    const ImageState& s = State();
    const std::array<std::int64_t, 256> toned =
        TonedLevels(s, std::max<std::int64_t>(s.ContrastLevel, -GainBase(s)));
    std::array<std::uint8_t, 256> curve{};
    for (int p = 0; p < 256; ++p) curve[p] = ClampToByte(toned[p]);
    return curve;
}

void MapTones() {
    ImageState& s = State();
    const std::int64_t gainBase = GainBase(s);
    if (s.ContrastLevel < -gainBase) s.ContrastLevel = ClampToInt32(-gainBase);

    s.ShadingLevel = std::clamp(s.ShadingLevel, -7, 7);
    const int shading = s.ShadingLevel;

    // Without shading the result depends on the sample alone: map through a table.
    const std::array<std::int64_t, 256> toned = TonedLevels(s, s.ContrastLevel);

    const std::size_t n = static_cast<std::size_t>(s.ImageWidth) * static_cast<std::size_t>(s.ImageHeight);
    std::uint8_t* raw = s.RawImage.get();
    if (shading == 0) {
        std::array<std::uint8_t, 256> table{};
        for (int p = 0; p < 256; ++p) table[p] = ClampToByte(toned[p]);
        for (std::size_t k = 0; k < n; ++k) raw[k] = table[raw[k]];
        return;
    }

    // The ramp repeats every kFrameWidth (968) samples of the raster, whatever
    // the row length.
    const int magnitude = std::abs(shading);
    const int step = 832 / (52 * magnitude);
    for (std::size_t k = 0; k < n; ++k) {
        const int q = static_cast<int>((k + 1) % kFrameWidth);
        std::int64_t v = toned[raw[k]];
        if (shading < 0) {
            v += std::min(q / step - 52 * magnitude, 0);
        } else {
            v -= q / step;
        }
        raw[k] = ClampToByte(v);
    }
}

}  // namespace dusk
