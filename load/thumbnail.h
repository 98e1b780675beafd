// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Thumbnails: a picture as shown, area-averaged to fit a square, shared by
// the collection overview and the exporter's --thumbnails.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/image_state.h"

namespace dusk {

struct Thumbnail {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> grey;  // width x height levels, top row (as shown) first
    std::string failure;             // why there is no picture; empty when there is one

    bool Ok() const { return failure.empty(); }
};

// The size of a w x h picture shrunk to fit within size x size with its
// aspect ratio kept (rounded to the nearest pixel, at least 1); a picture
// that fits already keeps its size.
void FitThumbnail(int w, int h, int size, int& tw, int& th);

// The picture of the last load into the record bound to this thread (the
// bitmap file `bitmap` of its ImageWidth x ImageHeight, drawn from its
// RawImage, both still held), shrunk by area averaging to fit within
// size x size. A file that could not be read, or held no byte, gives no
// picture but the reason.
Thumbnail ShrinkLoadedPicture(std::span<const std::uint8_t> bitmap, int size);

// Loads `path` into the record bound to this thread as a step through the
// collection would show it with `defaults` as the Options menu's defaults
// (levels at 0), and shrinks its picture as above. Failures, also of memory,
// come back as the reason.
Thumbnail RenderThumbnail(const std::string& path, const OptionFlags& defaults, int size);

}  // namespace dusk
