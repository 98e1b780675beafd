// SPDX-License-Identifier: GPL-3.0-or-later
// Tone mapping with contrast, brightness, shading and the stretch
// parameters against its reference on a small raster, and the levels it
// writes back.
#include "filters/filters.h"
#include "fuzz/differential.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dusk;
    fuzz::InputReader in(data, size);
    reference::Tone t;
    t.contrast = in.Level();
    t.brightness = in.Level();
    t.shading = in.Level();
    t.optStretch = in.Flag();
    t.stretchGain = in.Level();
    t.stretchOffset = in.Level();
    const std::int32_t extra = in.Byte() % 16;
    const fuzz::SmallRaster raster = fuzz::ReadRaster(in, 1200, 1 << 14, extra);

    fuzz::PutRaster(raster);
    ImageState& s = State();
    s.ContrastLevel = t.contrast;
    s.BrightnessOffset = t.brightness;
    s.ShadingLevel = t.shading;
    s.ActiveOptions[OptStretch] = t.optStretch;
    s.StretchGain = t.stretchGain;
    s.StretchOffset = t.stretchOffset;
    MapTones();
    const fuzz::Raster expected =
        reference::MapTones(raster.buffer, static_cast<std::size_t>(raster.w) * static_cast<std::size_t>(raster.h), t);
    fuzz::ExpectSame("tones", fuzz::RawSpan(), expected);
    fuzz::ExpectSame("contrast written back", s.ContrastLevel, t.contrast);
    fuzz::ExpectSame("shading written back", s.ShadingLevel, t.shading);
    fuzz::ExpectSame("brightness kept", s.BrightnessOffset, t.brightness);
    return 0;
}
