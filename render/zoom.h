// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The arithmetic of showing a picture at a scale: the zoom steps, the scale
// that fits a picture into a room, how many device pixels a scaled picture
// takes, which sample a device pixel shows, and enlarging part of a picture
// with each sample a crisp block. Shrinking is AreaAverage's.

#include <cstddef>
#include <cstdint>
#include <span>

namespace dusk {

struct ZoomStep {
    int numerator;
    int denominator;
    constexpr double Value() const { return static_cast<double>(numerator) / denominator; }
};

// 1/8 up to 16, smallest first.
std::span<const ZoomStep> ZoomSteps();

// The smallest step above `scale`, or `scale` itself when none is above it.
double ZoomInFrom(double scale);
// The largest step below `scale`, or `scale` itself when none is below it.
double ZoomOutFrom(double scale);

// The largest scale, at most 1, at which a w x h picture fits in a room of
// roomW x roomH device pixels (ShownLength of both sides within the room).
double FitScale(int w, int h, double roomW, double roomH);

// The device pixels that `samples` samples take at `scale`: the whole part
// of their scaled length, at least 1.
int ShownLength(int samples, double scale);

// The sample that device position `position` shows, along one side of
// `samples` samples shown in `shown` device pixels: floor(position *
// samples / shown), or -1 off the picture.
int SampleAt(double position, int samples, int shown);

// Fills target (tw x th pixels, `targetStride` pixels a row) with the part
// at (x0, y0) of the w x h picture `source` (`sourceStride` pixels a row)
// shown at shownW x shownH: device pixel (x, y) shows sample
// (SampleAt(x), SampleAt(y)), so each sample is a crisp block.
void EnlargePart(const std::uint32_t* source, int w, int h, std::ptrdiff_t sourceStride, int shownW, int shownH,
                 int x0, int y0, int tw, int th, std::uint32_t* target, std::ptrdiff_t targetStride);
// The same from a picture of grey levels, each shown as the opaque 32-bit
// grey of its level.
void EnlargePart(const std::uint8_t* source, int w, int h, std::ptrdiff_t sourceStride, int shownW, int shownH,
                 int x0, int y0, int tw, int th, std::uint32_t* target, std::ptrdiff_t targetStride);

}  // namespace dusk
