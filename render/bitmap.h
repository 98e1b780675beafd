// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace dusk {

// Writes the 54-byte header of a 24-bit, bottom-up bitmap file into the start
// of BitmapImage from HeaderSizes. Bytes 37 to 53 keep the buffer's zeros.
void RenderBitmapHeader();

// Writes ImageHeight rows of ImageWidth grey pixels (blue = green = red =
// sample) from RawImage, in stored order, after the header. Rows need no
// padding: every width is a multiple of 4.
void RenderPixelRows();

}  // namespace dusk
