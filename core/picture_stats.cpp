#include "core/picture_stats.h"

#include <cmath>

#include "core/image_state.h"

namespace dusk {

PictureStats MeasurePicture(std::span<const std::uint8_t> samples) {
    PictureStats stats;
    for (const std::uint8_t v : samples) ++stats.counts[v];
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
    const std::size_t n = static_cast<std::size_t>(s.ImageWidth) * static_cast<std::size_t>(s.ImageHeight);
    return MeasurePicture({s.RawImage.get(), n});
}

}  // namespace dusk
