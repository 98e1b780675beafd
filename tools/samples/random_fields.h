// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The randomness of the sample generator: a fixed-seed generator of our own
// and value noise built on it, so that the same bytes come out on every run
// and every machine (no standard-library distributions).

#include <cmath>
#include <cstdint>
#include <vector>

namespace dusk::samples {

// splitmix64: small, fast and identical everywhere.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    float Unit() { return static_cast<float>(Next() >> 40) * (1.0f / 16777216.0f); }
    float Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

private:
    std::uint64_t state_;
};

// Value noise in 0..1 on a lattice of random values, smoothly interpolated;
// defined for 0 <= x < width, 0 <= y < height (clamped outside).
class Lattice {
public:
    Lattice(Random& random, float width, float height, float cell)
        : scale_(1.0f / cell),
          columns_(static_cast<int>(width / cell) + 3),
          rows_(static_cast<int>(height / cell) + 3),
          values_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_)) {
        for (float& v : values_) v = random.Unit();
    }
    float At(float x, float y) const {
        const float fx = Clamp(x * scale_, columns_);
        const float fy = Clamp(y * scale_, rows_);
        const int ix = static_cast<int>(fx);
        const int iy = static_cast<int>(fy);
        const float tx = Smooth(fx - static_cast<float>(ix));
        const float ty = Smooth(fy - static_cast<float>(iy));
        const float* row0 = &values_[static_cast<std::size_t>(iy) * static_cast<std::size_t>(columns_) +
                                     static_cast<std::size_t>(ix)];
        const float* row1 = row0 + columns_;
        const float top = row0[0] + (row0[1] - row0[0]) * tx;
        const float bottom = row1[0] + (row1[1] - row1[0]) * tx;
        return top + (bottom - top) * ty;
    }

private:
    static float Smooth(float t) { return t * t * (3.0f - 2.0f * t); }
    static float Clamp(float v, int cells) {
        const float top = static_cast<float>(cells - 2) - 0.001f;
        return v < 0.0f ? 0.0f : (v > top ? top : v);
    }
    float scale_;
    int columns_;
    int rows_;
    std::vector<float> values_;
};

// Value noise like Lattice, repeating every 256 cells in both directions:
// small enough to stay in the cache for fine textures sampled everywhere.
// Defined for x, y >= 0.
class TiledLattice {
public:
    TiledLattice(Random& random, float cell) : scale_(1.0f / cell), values_(kSize * kSize) {
        for (float& v : values_) v = random.Unit();
    }
    float At(float x, float y) const {
        const float fx = x * scale_;
        const float fy = y * scale_;
        const int ix = static_cast<int>(fx);
        const int iy = static_cast<int>(fy);
        const float tx = Smooth(fx - static_cast<float>(ix));
        const float ty = Smooth(fy - static_cast<float>(iy));
        const std::size_t x0 = static_cast<std::size_t>(ix) & kMask;
        const std::size_t x1 = (x0 + 1) & kMask;
        const std::size_t y0 = (static_cast<std::size_t>(iy) & kMask) * kSize;
        const std::size_t y1 = ((static_cast<std::size_t>(iy) + 1) & kMask) * kSize;
        const float top = values_[y0 + x0] + (values_[y0 + x1] - values_[y0 + x0]) * tx;
        const float bottom = values_[y1 + x0] + (values_[y1 + x1] - values_[y1 + x0]) * tx;
        return top + (bottom - top) * ty;
    }

private:
    static constexpr std::size_t kSize = 256;
    static constexpr std::size_t kMask = kSize - 1;
    static float Smooth(float t) { return t * t * (3.0f - 2.0f * t); }
    float scale_;
    std::vector<float> values_;
};

// 0 below lo, 1 above hi, smooth between.
inline float SmoothStep(float lo, float hi, float v) {
    const float t = (v - lo) / (hi - lo);
    if (t <= 0.0f) return 0.0f;
    if (t >= 1.0f) return 1.0f;
    return t * t * (3.0f - 2.0f * t);
}

// A triangle wave of period 1 in 0..1, 1 at the whole numbers.
inline float Triangle(float phase) {
    float f = phase - static_cast<float>(static_cast<int>(phase));  // |phase| stays far below 2^31
    if (f < 0.0f) f += 1.0f;
    return std::fabs(2.0f * f - 1.0f);
}

}  // namespace dusk::samples
