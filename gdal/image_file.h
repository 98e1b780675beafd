// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Which files the GDAL driver takes for Venera images, and the raster each
// is, from nothing but the file's length and the label beside it.

#include <cstdint>
#include <optional>
#include <string>

#include "core/odl.h"

namespace dusk {

struct ImageFileLayout {
    std::int32_t width = 0;
    std::int32_t height = 0;
    // The file's length as the program takes it (at most kRawImageSize).
    std::int32_t fileLength = 0;
    // Bytes of the file that are samples of the raster (at most width *
    // height); the rest of the raster is zeros.
    std::int64_t sampleBytes = 0;
    // The label beside the image; empty when there is none.
    std::string labelPath;
};

// Whether the keyword label describes an IMAGE of 8-bit samples.
bool DescribesEightBitImage(const OdlLabel& label);

// The layout of the image at `path`, or none when it is no Venera image: not
// a regular file (a folder, a FIFO, a device, a path that is gone), a name
// outside the collection (a volume name "V01" to "V27" first, more than
// 10,000 bytes), or a length the geometry table does not hold without a
// label beside it that describes an 8-bit image. Nothing of the image itself
// is read.
std::optional<ImageFileLayout> RecogniseImageFile(const std::string& path);

}  // namespace dusk
