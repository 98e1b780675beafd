// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The formats a rendered picture is saved in, and the picture as grey
// samples for the formats that hold one byte per sample.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/readout.h"

namespace dusk {

enum class PictureFormat { Bmp, Png, Tiff };

// "bmp", "png" or "tiff" (also "tif"), in any case.
std::optional<PictureFormat> FormatNamed(std::string_view name);
// The format a file name's extension stands for: .bmp, .png, .tif or .tiff
// in any case; none for any other extension or none at all.
std::optional<PictureFormat> FormatOfName(std::string_view path);
// The extension an output of the format gets: ".bmp", ".png" or ".tif".
const char* ExtensionOf(PictureFormat format);

// The rendered picture as grey samples, its top row first (as shown).
struct GreyPicture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> samples;  // width * height
};

// The samples of a 24-bit bottom-up bitmap file whose pixels are grey (blue,
// green and red alike; blue is taken); none when it is not such a file.
std::optional<GreyPicture> GreyFromBitmap(std::span<const std::uint8_t> bitmapFile);

// The part `area` of the picture, which must lie inside it: of a reduced
// picture, what SampleArea gives leaves the grey field out.
GreyPicture CropPicture(const GreyPicture& picture, const PictureArea& area);

// An 8-bit grey PNG file of the picture.
bool EncodePng(const GreyPicture& picture, std::vector<std::uint8_t>& file, std::string& error);

}  // namespace dusk
