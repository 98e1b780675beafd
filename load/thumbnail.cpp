// SPDX-License-Identifier: GPL-3.0-or-later
#include "load/thumbnail.h"

#include <algorithm>
#include <exception>
#include <span>

#include "load/load_image.h"
#include "render/area_average.h"

namespace dusk {

namespace {

// The shorter side scaled as the longer one was: long -> fitted.
int Scaled(int side, int fitted, int longer) {
    const std::int64_t n = static_cast<std::int64_t>(side) * fitted;
    return std::clamp(static_cast<int>((2 * n + longer) / (2 * longer)), 1, side);
}

}  // namespace

void FitThumbnail(int w, int h, int size, int& tw, int& th) {
    if (w >= h) {
        tw = std::min(w, size);
        th = Scaled(h, tw, w);
    } else {
        th = std::min(h, size);
        tw = Scaled(w, th, h);
    }
}

Thumbnail ShrinkLoadedPicture(std::span<const std::uint8_t> bitmap, int size) {
    const ImageState& s = State();
    Thumbnail thumb;
    if (s.FileLength < 0) {
        thumb.failure = s.ReadError.empty() ? "cannot be read" : s.ReadError;
        return thumb;
    }
    if (s.FileLength == 0) {
        thumb.failure = "the file is empty";
        return thumb;
    }
    const int w = s.ImageWidth;
    const int h = s.ImageHeight;
    const std::size_t pixels = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    if (w <= 0 || h <= 0 || size <= 0 || bitmap.size() < kBitmapHeaderSize + 3 * pixels) {
        thumb.failure = "no picture was rendered";
        return thumb;
    }
    // The grey level of each pixel (blue = green = red), top row as shown
    // first: the bitmap's rows run bottom-up.
    std::vector<std::uint8_t> shown(pixels);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = bitmap.data() + kBitmapHeaderSize + 3 * static_cast<std::size_t>(h - 1 - y) * w;
        std::uint8_t* out = shown.data() + static_cast<std::size_t>(y) * w;
        for (int x = 0; x < w; ++x) out[x] = row[3 * x];
    }
    FitThumbnail(w, h, size, thumb.width, thumb.height);
    thumb.grey.resize(static_cast<std::size_t>(thumb.width) * static_cast<std::size_t>(thumb.height));
    AreaAverage(shown.data(), w, h, thumb.grey.data(), thumb.width, thumb.height);
    return thumb;
}

Thumbnail RenderThumbnail(const std::string& path, const OptionFlags& defaults, int size) {
    try {
        State().DefaultOptions = defaults;
        LoadSettings settings;
        settings.keepList = true;
        const WorkingBuffers buffers = LoadImage(path, settings);
        return ShrinkLoadedPicture(buffers.Bitmap(), size);
    } catch (const std::exception& e) {
        Thumbnail failed;
        failed.failure = e.what();
        return failed;
    }
}

}  // namespace dusk
