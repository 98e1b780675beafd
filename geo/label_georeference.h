// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The label checks itself: of the readings of its map figures, the one that
// agrees with the bounds it gives, over the raster it describes.

#include <string>

#include "core/label_map.h"

namespace dusk {

// Understands `map` for a raster of `width` x `height` samples (the label's
// LINES x LINE_SAMPLES where it gives them, else the file's); `labelName`
// begins the message. Takes well under a millisecond once the projection's
// transformation is built, and reuses that for maps of the same projection.
LabelGeoreference UnderstandLabelMap(const LabelMap& map, int width, int height, const std::string& labelName);

// On the record bound to this thread, after LoadLabelKeywords: sets
// Georeference to the answer and Projection to the reading taken.
void CheckLabelGeoreference();

}  // namespace dusk
