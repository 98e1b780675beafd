// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The display corrections. Each works in place on RawImage of the process-wide
// image record and decides from its own option slot or adjustment whether it
// changes anything. RenderPipeline runs them in a fixed order.

#include <array>
#include <cstdint>
#include <string>

namespace dusk {

// Fills a blank scan line lying between two non-blank lines with their mean
// (columns 2 to W-1), while OptMissingLines is on.
void RepairMissingLines();
// The number of leading columns (from column 2) that decide whether a row is
// blank, chosen from the image's file name.
std::int32_t LineTestWidth(const std::string& fileName, std::int32_t width);

// Reverses the row order while OptFlipVertically is 0.
void FlipRows();
// Turns the raster by 180 degrees while OptRotate is on.
void RotateRaster();
// Replaces every sample v by 255 - v while OptInvert is on.
void InvertRaster();

// Removes impulses in place within the fixed 968 x 700 window, while
// OptDespeckle is on: tolerant first pass, strict second pass.
void DespeckleFirstPass();
void DespeckleSecondPass();

// Grey-level statistics of the fixed window into Histogram; changes no sample.
void GatherHistogram();
// The stretch parameters from Histogram while Stretch is on (0 otherwise).
void DeriveStretch();

// Gain from ContrastLevel (floored, the floor written back), offset from
// BrightnessOffset, the horizontal shading ramp, clamp to 0..255.
void MapTones();
// The level shown for each level entering the tone mapping under the current
// stretch, contrast and brightness (the shading ramp, which depends on the
// position, left out); changes nothing.
std::array<std::uint8_t, 256> ToneCurve();

// Draws a half- or quarter-size box-averaged copy on a grey 160 field while
// OptMinimizeHalf or OptMinimizeQuarter is on.
void ReduceSize();

}  // namespace dusk
