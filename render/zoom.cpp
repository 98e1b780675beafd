// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/zoom.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace dusk {

namespace {

constexpr std::array<ZoomStep, 15> kSteps{{{1, 8}, {1, 6}, {1, 4}, {1, 3}, {1, 2}, {2, 3}, {1, 1}, {3, 2},
                                           {2, 1}, {3, 1}, {4, 1}, {6, 1}, {8, 1}, {12, 1}, {16, 1}}};

// Scales this close to a step count as the step (a fitted scale may come
// out a rounding error away from one).
constexpr double kTolerance = 1e-9;

}  // namespace

std::span<const ZoomStep> ZoomSteps() { return kSteps; }

double ZoomInFrom(double scale) {
    for (const ZoomStep& step : kSteps) {
        if (step.Value() > scale * (1 + kTolerance)) return step.Value();
    }
    return scale;
}

double ZoomOutFrom(double scale) {
    for (auto step = kSteps.rbegin(); step != kSteps.rend(); ++step) {
        if (step->Value() < scale * (1 - kTolerance)) return step->Value();
    }
    return scale;
}

double FitScale(int w, int h, double roomW, double roomH) {
    if (w <= 0 || h <= 0) return 1.0;
    const double scale = std::min({roomW / w, roomH / h, 1.0});
    return std::max(scale, 0.0);
}

int ShownLength(int samples, double scale) {
    const double length = std::floor(samples * scale + kTolerance);
    return std::max(1, static_cast<int>(length));
}

int SampleAt(double position, int samples, int shown) {
    if (!(position >= 0) || position >= shown || shown <= 0) return -1;
    const auto sample = static_cast<int>(std::floor(position * samples / shown));
    return std::min(sample, samples - 1);
}

namespace {

// Each sample of `source` as the 32-bit pixel it is shown as.
inline std::uint32_t Shown(std::uint32_t pixel) { return pixel; }
inline std::uint32_t Shown(std::uint8_t level) { return 0xff000000u | level * 0x010101u; }

template <typename Sample>
void EnlargeInto(const Sample* source, int w, int h, std::ptrdiff_t sourceStride, int shownW, int shownH, int x0,
                 int y0, int tw, int th, std::uint32_t* target, std::ptrdiff_t targetStride) {
    std::vector<int> columns(static_cast<std::size_t>(std::max(tw, 0)));
    for (int x = 0; x < tw; ++x) {
        columns[static_cast<std::size_t>(x)] =
            static_cast<int>(static_cast<std::int64_t>(x0 + x) * w / shownW);
    }
    int lastRow = -1;
    for (int y = 0; y < th; ++y) {
        std::uint32_t* out = target + y * targetStride;
        const auto row = static_cast<int>(static_cast<std::int64_t>(y0 + y) * h / shownH);
        if (row == lastRow) {
            // The same sample row as the line above: copy it whole.
            std::memcpy(out, out - targetStride, static_cast<std::size_t>(tw) * sizeof(std::uint32_t));
            continue;
        }
        const Sample* in = source + row * sourceStride;
        for (int x = 0; x < tw; ++x) out[x] = Shown(in[columns[static_cast<std::size_t>(x)]]);
        lastRow = row;
    }
}

}  // namespace

void EnlargePart(const std::uint32_t* source, int w, int h, std::ptrdiff_t sourceStride, int shownW, int shownH,
                 int x0, int y0, int tw, int th, std::uint32_t* target, std::ptrdiff_t targetStride) {
    EnlargeInto(source, w, h, sourceStride, shownW, shownH, x0, y0, tw, th, target, targetStride);
}

void EnlargePart(const std::uint8_t* source, int w, int h, std::ptrdiff_t sourceStride, int shownW, int shownH,
                 int x0, int y0, int tw, int th, std::uint32_t* target, std::ptrdiff_t targetStride) {
    EnlargeInto(source, w, h, sourceStride, shownW, shownH, x0, y0, tw, th, target, targetStride);
}

}  // namespace dusk
