// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Slow, plainly written versions of each render stage, kept apart from the
// program's code so that the tests and the differential fuzz targets can
// compare the fast stages with them. Each works on a copy: a raster of any
// length (the samples beyond W x H count as zeros where a stage reads past
// them), and reads only what it is given, never the image record.

#include <cstdint>
#include <string>
#include <vector>

namespace dusk::reference {

using Raster = std::vector<std::uint8_t>;

// Missing-line repair: the number of test columns the file name gives, and
// the repair of blank rows lying between two non-blank rows, top to bottom.
std::int32_t LineTestWidth(const std::string& name, std::int32_t w);
Raster RepairMissingLines(Raster r, std::int32_t w, std::int32_t h, const std::string& name);

// Row reversal, the turn by 180 degrees and the negative of the W x H samples.
template <typename Sample>
std::vector<Sample> Flip(const std::vector<Sample>& r, std::int32_t w, std::int32_t h) {
    std::vector<Sample> out = r;
    for (std::int32_t row = 0; row < h; ++row) {
        for (std::int32_t col = 0; col < w; ++col) out[row * w + col] = r[(h - 1 - row) * w + col];
    }
    return out;
}
template <typename Sample>
std::vector<Sample> Rotate(const std::vector<Sample>& r, std::int32_t w, std::int32_t h) {
    std::vector<Sample> out = r;
    const std::int32_t n = w * h;
    for (std::int32_t k = 0; k < n; ++k) out[k] = r[n - 1 - k];
    return out;
}
Raster Invert(Raster r, std::int32_t w, std::int32_t h);

// One despeckle sweep over positions W .. W*(H+1)-1 (from 0) whose 1-based
// number lies in first..last, each replaced in place, later positions
// reading the replaced values.
struct PassRule {
    int brightMargin;
    int brightMinimum;
    int darkMargin;
    int darkMinimum;
};
void DespeckleSweep(Raster& raw, std::int32_t w, std::int32_t h, const PassRule& rule, std::int32_t first,
                    std::int32_t last);

// The tone mapping of the first n samples; t receives the levels as they
// must be written back.
struct Tone {
    std::int32_t contrast = 0;
    std::int32_t brightness = 0;
    std::int32_t shading = 0;
    std::int32_t optStretch = 0;
    std::int32_t stretchGain = 0;
    std::int32_t stretchOffset = 0;
};
Raster MapTones(Raster r, std::size_t n, Tone& t);

// Size reduction: the whole raster grey 160 and a half- or quarter-size
// box average at its place; output samples falling outside the raster are
// left out. Returns the raster unchanged when neither option is 1.
Raster Reduce(const Raster& src, std::int32_t w, std::int32_t h, std::int32_t half, std::int32_t quarter);

// The complete 24-bit bitmap file of a W x H raster: header, then the rows
// in stored order, blue = green = red = sample.
Raster BitmapFile(const Raster& raw, std::int32_t w, std::int32_t h);

// Area averaging: for each target pixel, every source sample's covered
// area, summed exactly and rounded halves up.
Raster AreaAverage(const Raster& src, int w, int h, int tw, int th);

// The sample a device position shows along a side of `samples` samples
// shown in `shown` device pixels: the one whose span [i*shown, (i+1)*shown)
// (in units of 1/samples pixel) holds the position.
int SampleUnder(int position, int samples, int shown);

// Where a picture pixel (x from the left, y from the top) comes from in the
// file's raster, found by following sample numbers through the moves of
// the reference stages: kind 0 outside, 1 on the grey field, 2 on a sample (of a
// reduced picture: the top-left sample of its block in the file).
struct Origin {
    int kind = 0;
    std::int32_t row = 0;
    std::int32_t column = 0;
};
Origin PictureOrigin(std::int32_t w, std::int32_t h, bool flipped, bool rotated, int reduction, std::int32_t x,
                     std::int32_t y);

}  // namespace dusk::reference
