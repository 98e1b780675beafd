// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the differential fuzz targets share: reading control values and a
// small raster from the input, putting the raster into small working
// buffers of the program's record, and stopping at the first byte where the
// fast stage and its slow reference part.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "core/image_state.h"
#include "tests/reference/reference.h"

namespace dusk::fuzz {

using reference::Raster;

// Reads the input front to back; past its end every value is 0.
class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint16_t Word() { return static_cast<std::uint16_t>(Byte() | (Byte() << 8)); }
    std::int32_t Int() {
        std::uint32_t v = Word();
        v |= static_cast<std::uint32_t>(Word()) << 16;
        return static_cast<std::int32_t>(v);
    }
    // An option flag: mostly 0 or 1 (off and on), sometimes another value,
    // which counts as off (and, for the flip, keeps it out like 1).
    std::int32_t Flag() {
        const std::uint8_t b = Byte();
        if (b < 0xF0) return b & 1;
        return b & 0x08 ? -1 : 2 + (b & 7);
    }
    // A level: small steps as the commands make them, or any 32-bit value.
    std::int32_t Level() {
        const std::uint8_t how = Byte();
        if (how & 0x80) return Int();
        return static_cast<std::int8_t>(Byte());
    }
    // The rest of the input.
    std::span<const std::uint8_t> Rest() {
        const std::span<const std::uint8_t> rest(data_ + at_, size_ - at_);
        at_ = size_;
        return rest;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// A raster of w x h samples (at most maxSamples, and w from minWidth to maxWidth),
// from the rest of the input, zeros after it, in a buffer `extra` samples
// longer than w x h.
struct SmallRaster {
    std::int32_t w = 1;
    std::int32_t h = 1;
    Raster buffer;
};

inline SmallRaster ReadRaster(InputReader& in, std::int32_t maxWidth, std::int32_t maxSamples, std::int32_t extra,
                              std::int32_t minWidth = 1) {
    SmallRaster r;
    r.w = minWidth + in.Word() % (maxWidth - minWidth + 1);
    r.h = 1 + in.Word() % std::max(1, maxSamples / r.w);
    const std::span<const std::uint8_t> samples = in.Rest();
    r.buffer.assign(static_cast<std::size_t>(r.w) * static_cast<std::size_t>(r.h) + static_cast<std::size_t>(extra), 0);
    std::copy_n(samples.begin(), std::min(samples.size(), r.buffer.size()), r.buffer.begin());
    return r;
}

// Puts the raster into small working buffers of the record and sets its
// geometry; the bitmap buffer has room for the bitmap file of w x h.
inline void PutRaster(const SmallRaster& r) {
    ImageState& s = State();
    const auto length = static_cast<std::int32_t>(r.buffer.size());
    AllocateSmallWorkingBuffers(length, kBitmapHeaderSize + 3 * r.w * r.h + 64);
    std::memcpy(s.RawImage.get(), r.buffer.data(), r.buffer.size());
    s.ImageWidth = r.w;
    s.ImageHeight = r.h;
}

inline std::span<const std::uint8_t> RawSpan() {
    const ImageState& s = State();
    return {s.RawImage.get(), static_cast<std::size_t>(s.RawImageLength)};
}

// Stops the run at the first byte where `fast` and `slow` differ.
inline void ExpectSame(const char* what, std::span<const std::uint8_t> fast, std::span<const std::uint8_t> slow) {
    // One memcmp first: a comparison loop here would be instrumented for
    // coverage byte by byte.
    if (fast.size() == slow.size() && std::memcmp(fast.data(), slow.data(), fast.size()) == 0) return;
    const std::size_t n = std::min(fast.size(), slow.size());
    std::size_t at = 0;
    while (at < n && fast[at] == slow[at]) ++at;
    std::fprintf(stderr, "%s: fast and reference differ at byte %zu of %zu/%zu", what, at, fast.size(), slow.size());
    if (at < n) std::fprintf(stderr, " (%u against %u)", static_cast<unsigned>(fast[at]), static_cast<unsigned>(slow[at]));
    std::fprintf(stderr, "\n");
    std::abort();
}

inline void ExpectSame(const char* what, std::int64_t fast, std::int64_t slow) {
    if (fast == slow) return;
    std::fprintf(stderr, "%s: fast %lld, reference %lld\n", what, static_cast<long long>(fast),
                 static_cast<long long>(slow));
    std::abort();
}

}  // namespace dusk::fuzz
