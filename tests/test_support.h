// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared helpers of the image-core tests: a fresh image record with working
// buffers, geometry set-up, raster builders, a temporary folder (TempDir, from
// temp_dir.h) and a raster with guard zones around it.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/image_state.h"
#include "temp_dir.h"

namespace dusk::test {

// A whole working buffer: kRawImageSize samples.
using Raster = std::vector<std::uint8_t>;

struct Size {
    std::int32_t width;
    std::int32_t height;
};

inline std::string SizeName(const Size& size) {
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

// The known file lengths and the raster each stands for, as the image
// collection defines them.
struct KnownLength {
    std::int32_t length;
    std::int32_t width;
    std::int32_t height;
};

inline constexpr KnownLength kKnownLengths[] = {
    {489180, 1052, 468},  {558612, 1052, 532},  {559644, 1052, 532},  {585964, 1052, 560},
    {588068, 1052, 560},  {636460, 1052, 608},  {662760, 1052, 632},  {668020, 1052, 636},
    {694320, 1052, 660},  {733244, 1052, 700},  {735348, 1052, 700},  {739556, 1052, 708},
    {742712, 1052, 708},  {707160, 996, 712},   {711144, 996, 716},   {713136, 996, 720},
    {741024, 996, 744},   {883452, 996, 888},   {883456, 996, 932},   {885444, 996, 892},
    {888432, 996, 892},   {891420, 996, 896},   {926280, 996, 932},   {1159284, 1036, 1120},
    {1160320, 1036, 1120}, {934784, 1072, 896}, {935856, 1072, 896},  {950864, 1072, 896},
    {953008, 1072, 896},  {954080, 1072, 896},  {959440, 1072, 896},
};

// Every distinct raster size that a file can have.
inline std::vector<Size> RealSizes() {
    std::vector<Size> sizes;
    for (const KnownLength& k : kKnownLengths) {
        bool seen = false;
        for (const Size& s : sizes) seen = seen || (s.width == k.width && s.height == k.height);
        if (!seen) sizes.push_back({k.width, k.height});
    }
    return sizes;
}

// Start-up state plus freshly allocated, zero-filled working buffers.
inline void FreshState() {
    ResetState();
    AllocateWorkingBuffers();
}

// Sets the geometry as loading would.
inline void SetGeometry(std::int32_t width, std::int32_t height) {
    ImageState& s = State();
    s.ImageWidth = width;
    s.ImageHeight = height;
}

inline std::uint8_t* Raw() { return State().RawImage.get(); }
inline const std::uint8_t* Bitmap() { return State().BitmapImage.get(); }

inline Raster RawCopy() { return Raster(Raw(), Raw() + kRawImageSize); }
inline Raster BitmapCopy() { return Raster(Bitmap(), Bitmap() + kBitmapImageSize); }
inline void PutRaw(const Raster& raster) { std::memcpy(Raw(), raster.data(), kRawImageSize); }

// count random samples in lo..hi, zeros after them.
inline Raster RandomRaster(std::uint32_t seed, std::size_t count, int lo = 0, int hi = 255) {
    Raster raster(kRawImageSize, 0);
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> value(lo, hi);
    for (std::size_t k = 0; k < count; ++k) raster[k] = static_cast<std::uint8_t>(value(rng));
    return raster;
}

// A smooth, slightly noisy field with scattered impulses and small clusters
// of them, the kind of raster the despeckle passes meet: count samples, zeros
// after them.
inline Raster SpeckledRaster(std::uint32_t seed, std::size_t count, std::int32_t width) {
    Raster raster(kRawImageSize, 0);
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> noise(-4, 4);
    std::uniform_int_distribution<int> any(0, 255);
    std::uniform_int_distribution<int> percent(0, 99);
    for (std::size_t k = 0; k < count; ++k) {
        const auto row = static_cast<int>(k / static_cast<std::size_t>(width));
        const auto col = static_cast<int>(k % static_cast<std::size_t>(width));
        int v = 40 + (row / 8 + col / 16) % 120 + noise(rng);
        const int roll = percent(rng);
        if (roll < 6) v = any(rng);
        if (roll == 6) v = 0;
        if (roll == 7) v = 255;
        raster[k] = static_cast<std::uint8_t>(std::clamp(v, 0, 255));
    }
    // Small clusters: pairs, 2 x 2 blocks and L shapes.
    std::uniform_int_distribution<std::size_t> where(0, count > 3 * static_cast<std::size_t>(width)
                                                            ? count - 2 * static_cast<std::size_t>(width) - 2
                                                            : 0);
    for (int i = 0; i < 3000 && count > 3 * static_cast<std::size_t>(width); ++i) {
        const std::size_t p = where(rng);
        const auto v = static_cast<std::uint8_t>(percent(rng) < 50 ? 250 : 5);
        raster[p] = v;
        raster[p + 1] = v;
        if (i % 3 != 0) raster[p + static_cast<std::size_t>(width)] = v;
        if (i % 3 == 1) raster[p + static_cast<std::size_t>(width) + 1] = v;
    }
    return raster;
}

// Sample of the displayed picture, line 0 at the top: the bitmap stores its
// rows bottom-up.
inline std::uint8_t DisplayedPixel(std::int32_t line, std::int32_t column) {
    const ImageState& s = State();
    const std::size_t storedRow = static_cast<std::size_t>(s.ImageHeight - 1 - line);
    return Bitmap()[kBitmapHeaderSize + 3 * (storedRow * static_cast<std::size_t>(s.ImageWidth) +
                                             static_cast<std::size_t>(column))];
}

// Replaces RawImage by a buffer with guard zones of a known pattern on both
// sides, so that a write outside the kRawImageSize bytes shows up.
class GuardedRawImage {
public:
    static constexpr std::size_t kGuard = 512 * 1024;
    static constexpr std::uint8_t kPattern = 0x5A;

    explicit GuardedRawImage(const Raster& content) {
        block_ = static_cast<std::uint8_t*>(std::malloc(kRawImageSize + 2 * kGuard));
        if (block_ == nullptr) throw std::bad_alloc();
        std::memset(block_, kPattern, kRawImageSize + 2 * kGuard);
        std::memcpy(block_ + kGuard, content.data(), kRawImageSize);
        State().RawImage = ByteBuffer(block_ + kGuard);
    }
    GuardedRawImage(const GuardedRawImage&) = delete;
    GuardedRawImage& operator=(const GuardedRawImage&) = delete;
    ~GuardedRawImage() {
        if (State().RawImage.get() == block_ + kGuard) static_cast<void>(State().RawImage.release());
        std::free(block_);
    }

    bool GuardsIntact() const {
        const std::uint8_t* after = block_ + kGuard + kRawImageSize;
        for (std::size_t i = 0; i < kGuard; ++i) {
            if (block_[i] != kPattern || after[i] != kPattern) return false;
        }
        return true;
    }

private:
    std::uint8_t* block_ = nullptr;
};

// Fixtures: every test starts from the start-up record with fresh buffers.
template <class Base = ::testing::Test>
class FreshStateFixture : public Base {
protected:
    void SetUp() override { FreshState(); }
    void TearDown() override { ResetState(); }
};
using FreshStateTest = FreshStateFixture<>;
template <class Param>
using FreshStateParamTest = FreshStateFixture<::testing::TestWithParam<Param>>;

}  // namespace dusk::test
