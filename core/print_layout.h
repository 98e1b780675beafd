// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>

namespace dusk {

// A rectangle on the printed page, in printer pixels.
struct PrintRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    friend bool operator==(const PrintRect&, const PrintRect&) = default;
};

// Where the picture goes on the page, in single precision. A page wider than
// the picture gets the picture stretched to its whole printable width, the
// height following the same factor but cut down to the page height; on any
// other page the picture keeps one printer pixel per picture pixel. The
// rectangle starts at the page's top left corner; its right and bottom are
// rounded to the nearest integer, halves to the even neighbour.
inline PrintRect PrintRectangle(int pictureWidth, int pictureHeight, int pageWidth, int pageHeight) {
    float width = static_cast<float>(pictureWidth);
    float height = static_cast<float>(pictureHeight);
    if (static_cast<float>(pageWidth) > width) {
        const float factor = static_cast<float>(pageWidth) / width;
        width = static_cast<float>(pageWidth);
        height = static_cast<float>(pictureHeight) * factor;
        if (static_cast<float>(pageHeight) < height) height = static_cast<float>(pageHeight);
    }
    // lrint rounds in the current mode, which is to nearest, halves to even.
    return {0, 0, static_cast<int>(std::lrint(width)), static_cast<int>(std::lrint(height))};
}

}  // namespace dusk
