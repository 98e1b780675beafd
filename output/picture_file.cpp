// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/picture_file.h"

#include <cctype>
#include <cstring>

namespace dusk {

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return lower;
}

std::int32_t ReadInt32(std::span<const std::uint8_t> bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | bytes[at + static_cast<std::size_t>(i)];
    std::int32_t result = 0;
    std::memcpy(&result, &value, sizeof result);
    return result;
}

}  // namespace

std::optional<PictureFormat> FormatNamed(std::string_view name) {
    const std::string lower = Lower(name);
    if (lower == "bmp") return PictureFormat::Bmp;
    if (lower == "png") return PictureFormat::Png;
    if (lower == "tiff" || lower == "tif") return PictureFormat::Tiff;
    return std::nullopt;
}

std::optional<PictureFormat> FormatOfName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    // A leading dot starts a hidden name, not an extension.
    if (dot == std::string_view::npos || dot == 0) return std::nullopt;
    return FormatNamed(name.substr(dot + 1));
}

const char* ExtensionOf(PictureFormat format) {
    switch (format) {
        case PictureFormat::Png:
            return ".png";
        case PictureFormat::Tiff:
            return ".tif";
        case PictureFormat::Bmp:
            break;
    }
    return ".bmp";
}

std::optional<GreyPicture> GreyFromBitmap(std::span<const std::uint8_t> bitmap) {
    constexpr std::size_t kHeader = 54;
    if (bitmap.size() < kHeader || bitmap[0] != 'B' || bitmap[1] != 'M') return std::nullopt;
    const std::int32_t width = ReadInt32(bitmap, 18);
    const std::int32_t height = ReadInt32(bitmap, 22);
    const std::int32_t offset = ReadInt32(bitmap, 10);
    if (width <= 0 || height <= 0 || offset < static_cast<std::int32_t>(kHeader) || bitmap[28] != 24) {
        return std::nullopt;
    }
    const std::size_t stride = (3 * static_cast<std::size_t>(width) + 3) / 4 * 4;
    const std::size_t rows = static_cast<std::size_t>(height);
    if ((bitmap.size() - static_cast<std::size_t>(offset)) / stride < rows) return std::nullopt;

    GreyPicture picture;
    picture.width = width;
    picture.height = height;
    picture.samples.resize(static_cast<std::size_t>(width) * rows);
    // Bottom-up rows: the last row of the file is the top of the picture.
    for (std::size_t y = 0; y < rows; ++y) {
        const std::uint8_t* row = bitmap.data() + offset + (rows - 1 - y) * stride;
        std::uint8_t* out = picture.samples.data() + y * static_cast<std::size_t>(width);
        for (std::int32_t x = 0; x < width; ++x) out[x] = row[3 * x];
    }
    return picture;
}

GreyPicture CropPicture(const GreyPicture& picture, const PictureArea& area) {
    if (area.x == 0 && area.y == 0 && area.width == picture.width && area.height == picture.height) return picture;
    GreyPicture part{area.width, area.height, {}};
    part.samples.reserve(static_cast<std::size_t>(area.width) * static_cast<std::size_t>(area.height));
    for (std::int32_t y = area.y; y < area.y + area.height; ++y) {
        const auto first = picture.samples.begin() + (static_cast<std::ptrdiff_t>(y) * picture.width + area.x);
        part.samples.insert(part.samples.end(), first, first + area.width);
    }
    return part;
}

}  // namespace dusk
