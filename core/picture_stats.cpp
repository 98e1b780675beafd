// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/picture_stats.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <vector>

#include "core/image_state.h"
#include "core/readout.h"

namespace dusk {

PictureStats MeasurePicture(std::span<const std::uint8_t> samples) {
    PictureStats stats;
    // Four tallies, so that a run of one level (the blank areas of these
    // images) does not wait on the same counter at every sample.
    std::array<std::array<std::int64_t, 256>, 4> lanes{};
    const std::size_t n = samples.size();
    const std::uint8_t* p = samples.data();
    std::size_t k = 0;
    for (; k + 4 <= n; k += 4) {
        ++lanes[0][p[k]];
        ++lanes[1][p[k + 1]];
        ++lanes[2][p[k + 2]];
        ++lanes[3][p[k + 3]];
    }
    for (; k < n; ++k) ++lanes[0][p[k]];
    for (int level = 0; level < 256; ++level) {
        stats.counts[level] = lanes[0][level] + lanes[1][level] + lanes[2][level] + lanes[3][level];
    }
    stats.total = static_cast<std::int64_t>(samples.size());
    if (stats.total == 0) return stats;

    std::int64_t sum = 0;
    for (int level = 0; level < 256; ++level) sum += level * stats.counts[level];
    stats.mean = static_cast<double>(sum) / static_cast<double>(stats.total);
    double squares = 0.0;
    for (int level = 0; level < 256; ++level) {
        const double d = level - stats.mean;
        squares += d * d * static_cast<double>(stats.counts[level]);
    }
    stats.stddev = std::sqrt(squares / static_cast<double>(stats.total));

    stats.minimum = 0;
    while (stats.counts[stats.minimum] == 0) ++stats.minimum;
    stats.maximum = 255;
    while (stats.counts[stats.maximum] == 0) --stats.maximum;
    const std::int64_t half = (stats.total + 1) / 2;
    std::int64_t below = 0;
    for (int level = 0; level < 256; ++level) {
        below += stats.counts[level];
        if (below >= half) {
            stats.median = level;
            break;
        }
    }
    stats.black = stats.counts[0];
    stats.white = stats.counts[255];
    return stats;
}

PictureStats MeasureRenderedPicture() {
    const ImageState& s = State();
    if (s.RawImage == nullptr || s.ImageWidth <= 0 || s.ImageHeight <= 0) return {};
    const auto w = static_cast<std::size_t>(s.ImageWidth);
    const auto h = static_cast<std::size_t>(s.ImageHeight);
    const DisplayMapping mapping = CurrentDisplayMapping();
    if (mapping.reduction == 1) return MeasurePicture({s.RawImage.get(), w * h});
    // The reduced picture's rows, without the grey field; raster row r is
    // shown h - 1 - r lines below the top.
    const PictureArea area = SampleArea(mapping);
    std::vector<std::uint8_t> samples;
    samples.reserve(static_cast<std::size_t>(area.width) * static_cast<std::size_t>(area.height));
    for (std::int32_t y = area.y; y < area.y + area.height; ++y) {
        const std::uint8_t* row = s.RawImage.get() + (h - 1 - static_cast<std::size_t>(y)) * w + area.x;
        samples.insert(samples.end(), row, row + area.width);
    }
    return MeasurePicture(samples);
}

}  // namespace dusk
