// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Grey-level statistics of a picture: what a histogram view shows and what
// `duskmapper-export --stats` prints.

#include <array>
#include <cstdint>
#include <span>

namespace dusk {

struct PictureStats {
    std::array<std::int64_t, 256> counts{};
    std::int64_t total = 0;
    int minimum = 0;
    int maximum = 0;
    double mean = 0.0;
    double stddev = 0.0;  // of the whole population
    int median = 0;       // the smallest level whose cumulative count reaches ceil(total / 2)
    std::int64_t black = 0;  // samples at 0
    std::int64_t white = 0;  // samples at 255
};

PictureStats MeasurePicture(std::span<const std::uint8_t> samples);

// The picture the last render made: the first W x H samples of RawImage,
// which the bitmap shows, or of a reduced picture only the samples inside
// the grey field (the working buffers must still be held).
PictureStats MeasureRenderedPicture();

}  // namespace dusk
