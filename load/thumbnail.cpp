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
    if (w <= 0 || h <= 0 || size <= 0 || s.RawImage == nullptr || pixels > kRawImageSize ||
        bitmap.size() < kBitmapHeaderSize + 3 * pixels) {
        thumb.failure = "no picture was rendered";
        return thumb;
    }
    // The bitmap's pixels are the samples of RawImage (blue = green = red),
    // its rows bottom-up: the picture as shown is RawImage upside down. The
    // area average of a picture turned upside down is its average turned
    // upside down, so RawImage is averaged as it stands and the rows of the
    // result are then put top first.
    FitThumbnail(w, h, size, thumb.width, thumb.height);
    const auto tw = static_cast<std::size_t>(thumb.width);
    const auto th = static_cast<std::size_t>(thumb.height);
    std::vector<std::uint8_t> stored(tw * th);
    AreaAverage(s.RawImage.get(), w, h, stored.data(), thumb.width, thumb.height);
    thumb.grey.resize(tw * th);
    for (std::size_t y = 0; y < th; ++y) std::copy_n(stored.data() + (th - 1 - y) * tw, tw, thumb.grey.data() + y * tw);
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
